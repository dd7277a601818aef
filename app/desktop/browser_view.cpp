#include "app/desktop/browser_view.h"

#include "app/page_folder.h"
#include "app/usage.h"
#include "base/log_stream.h"
#include "platform/text_encoding.h"

namespace vexa {

bool BrowserView::create(platform::HWND parent, int controlId) {
  if (view_.create(parent, controlId, *this)) {
    logLine("ERROR: fail to create HTML viewer.");
    return true;
  }
  created_ = true;
  return false;
}

void BrowserView::showPage(const TextBuffer& page) {
  ++pagesShown_;
  const std::string_view bytes(page.text(), page.length());
  if (folder_ != nullptr && folder_->enabled()) {
    std::string path;
    const std::string error = folder_->keep(bytes, path);
    if (!error.empty())
      logLine(("WARNING: cannot write " + shownArgument(path) + ": " + error).c_str());
  }
  if (!created_) return;
  view_.clear();
  if (!bytes.empty()) view_.write(bytes);
  view_.close();
}

void BrowserView::beforeNavigate(const std::string& url, bool& cancel) {
  if (url == "about:blank") return;
  cancel = true;
  const std::string_view link(url);
  if (link.starts_with("thread:")) {
    links_.openThread(platform::utf8ToCp932(link.substr(7)));
  } else if (link.starts_with("mms:")) {
    links_.playStream(1, url);
  } else if (link.starts_with("ngid:")) {
    links_.addNgId(platform::utf8ToCp932(link));
  }
  // Reply anchors ("#"), web links and everything else are stopped without effect.
}

void BrowserView::newWindow(const std::string& url, bool& cancel) {
  cancel = true;
  if (std::string_view(url).starts_with("mms:")) links_.playStream(2, url);
}

}  // namespace vexa
