#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/text_buffer.h"
#include "view/thread_record.h"

namespace vexa {

// One line of a thread's data file. Its body is display HTML, made once when the line is parsed.
struct PostRecord {
  bool visible = false;        // false for NG'd posters and lines with too few fields
  bool hasStreamLink = false;  // the body held at least one address turned into a link
  uint32_t number = 0;         // 1-based line number in the data file
  TextBuffer body;             // display HTML
  TextBuffer id;               // poster ID from the date field; empty when there is none
  // Working space of the body conversion, kept so a parse reuses its memory.
  TextBuffer lastTarget;
  TextBuffer anchorText;
};

// Null when memory runs out, so a parser can report it instead of dying.
std::unique_ptr<PostRecord> makePostRecord(uint32_t number);

// The posts of the current thread: owned, 1-based (index = post number), at most 1000.
// Touched only by the watch task's fiber and the views it renders.
class PostList {
 public:
  static constexpr uint32_t kCapacity = kThreadFullCount;

  uint32_t size() const { return static_cast<uint32_t>(records_.size()); }
  bool full() const { return records_.size() >= kCapacity; }
  void clear() { records_.clear(); }

  // Takes the record; false when it was stored, true when the list is full (record dropped).
  bool append(std::unique_ptr<PostRecord> record);

  // 1-based; null for 0 or beyond the end.
  PostRecord* at(uint32_t number) const;
  // The body HTML of post `number` (hidden posts too), or null when there is no such post.
  const char* postBody(uint32_t number) const;

 private:
  std::vector<std::unique_ptr<PostRecord>> records_;
};

// The posts of a PostList that carry stream links, in post order. Borrows the records; rebuild it
// whenever the PostList changes.
class StreamLinkList {
 public:
  void rebuild(const PostList& posts);
  void clear() { records_.clear(); }
  uint32_t size() const { return static_cast<uint32_t>(records_.size()); }
  // 0-based, oldest first.
  PostRecord* at(uint32_t index) const { return records_[index]; }

 private:
  std::vector<PostRecord*> records_;
};

}  // namespace vexa
