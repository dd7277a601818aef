#pragma once

#include <cstdint>
#include <string_view>

#include "base/text_buffer.h"
#include "base/timed_mutex.h"
#include "board/thread_list.h"
#include "board/title_filter.h"

namespace vexa {

// Where the board lives: the host (with ":PORT" when the menu link gave one) and the board path,
// which begins and ends with "/". Known when the host is not empty.
struct BoardAddress {
  TextBuffer host;
  TextBuffer boardPath;
};

// What the thread check before a poll decided.
enum class ThreadCheck {
  NoThread,  // no current thread (none chosen, or full with no successor: then cleared)
  Continue,  // the current thread still takes posts
  Switched,  // it was full and its successor is now current
};

// The board's address, its threads, the watched thread with the paths derived from it, and the
// title filter. Every operation takes the viewer lock itself (it is recursive), because the
// browser view's handlers and both tasks reach this state between yields. All on the GUI thread.
class BoardState {
 public:
  explicit BoardState(TimedMutex& viewerLock) : lock_(viewerLock) {}
  BoardState(const BoardState&) = delete;
  BoardState& operator=(const BoardState&) = delete;

  void setAddress(std::string_view host, std::string_view boardPath);
  void getAddress(TextBuffer& host, TextBuffer& boardPath);
  bool addressKnown();
  // Empties the address and also forgets the current thread and the whole thread list.
  void clearAddress();

  // Makes the thread with `key` current and derives its paths; an unknown key leaves no current
  // thread and empty paths.
  void selectThread(std::string_view key);
  // The host with the current thread's data path (board path + "dat/" + key) or page path
  // ("/test/read.cgi" + board path + key base + "/l1"). Empty paths when no thread is current.
  void getDataAddress(TextBuffer& host, TextBuffer& datPath);
  void getPageAddress(TextBuffer& host, TextBuffer& pagePath);
  // Null when no thread is current. The record stays valid until the list is emptied.
  ThreadRecord* current();

  // Applies the filter text to the title filter; matchesFilter tests a title against it.
  void applyFilter(std::string_view text);
  bool matchesFilter(std::string_view title);

  // Before each poll: is the current thread still taking posts, or which thread follows it?
  ThreadCheck checkCurrentThread();

  // Ends a load of the thread list: forgets long-gone threads when the list has grown too
  // large (never the current one) and sorts it.
  void finishThreadList();

  // The thread list. Callers hold the viewer lock while they use it (see lock()).
  ThreadList& threads() { return threads_; }
  TimedMutex& lock() { return lock_; }

 private:
  void clearThreadPaths();

  TimedMutex& lock_;
  BoardAddress address_;
  ThreadList threads_;
  ThreadRecord* current_ = nullptr;
  TextBuffer keyBase_;
  TextBuffer datPath_;
  TextBuffer pagePath_;
  TextBuffer filterText_;
  TitleFilter filter_;
};

}  // namespace vexa
