#pragma once

#include <string>
#include <string_view>

#include "platform/desktop/html_view.h"
#include "view/page_sink.h"

namespace vexa {

class PageFolder;

// What the post view's links ask of the rest of the program. Called on the GUI thread from
// inside the view's event handling.
class PostViewLinks {
 public:
  virtual ~PostViewLinks() = default;
  // A "thread:" link: the key in Shift_JIS.
  virtual void openThread(const std::string& keyCp932) = 0;
  // An "ngid:" link: the whole link text in Shift_JIS.
  virtual void addNgId(const std::string& linkCp932) = 0;
  // A stream link to play in pane 1 (a click) or pane 2 (a new window), as written.
  virtual void playStream(int pane, const std::string& url) = 0;
};

// The pane that shows every page: each page replaces the document as a whole, and a click on a
// link is a command, never a navigation. Lives on the GUI thread.
class BrowserView : public PageSink, public platform::HtmlViewEvents {
 public:
  // `links` is borrowed; `folder`, when given, keeps a copy of every page.
  explicit BrowserView(PostViewLinks& links, PageFolder* folder = nullptr)
      : links_(links), folder_(folder) {}

  // Creates the view in `parent` with the control id; true on failure (logged).
  bool create(platform::HWND parent, int controlId);
  platform::HWND window() const { return created_ ? view_.window() : nullptr; }

  void showPage(const TextBuffer& page) override;

  void beforeNavigate(const std::string& url, bool& cancel) override;
  void newWindow(const std::string& url, bool& cancel) override;
  void quit() override { created_ = false; }

  uint32_t pagesShown() const { return pagesShown_; }

 private:
  PostViewLinks& links_;
  PageFolder* folder_;
  platform::HtmlView view_;
  bool created_ = false;
  uint32_t pagesShown_ = 0;
};

}  // namespace vexa
