// Feeds arbitrary lines to the body converter as the posts of one thread, then writes them as
// post lines, and checks that the HTML holds only the markup the converter itself writes or the
// board's display markup it keeps, properly nested.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "view/body_converter.h"
#include "view/page_writer.h"
#include "view/post_record.h"

namespace {

class NullSink : public vexa::PageSink {
 public:
  void showPage(const vexa::TextBuffer& page) override { bytes += page.length(); }
  size_t bytes = 0;
};

// The markup the converter writes, and the board's display markup it may keep. A "<font color="
// must carry a plain colour value.
constexpr std::string_view kAllowed[] = {
    "<br>",
    "<a href=\"#\">",
    "<a href=\"mms://",
    "<a href=\"https://",
    "</a>",
    "<span class=\"popup\">",
    "</span>",
    "<hr>",
    "<b>",
    "</b>",
    "<i>",
    "</i>",
    "<font color=",
    "</font>",
};

bool plainColour(std::string_view rest) {
  rest.remove_prefix(std::string_view("<font color=").size());
  const size_t end = rest.find('>');
  if (end == std::string_view::npos) return false;
  for (char c : rest.substr(0, end)) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '#' || c == '"';
    if (!ok) return false;
  }
  return true;
}

// Every tag is one the converter may write, and elements nest properly and all close.
void checkMarkup(std::string_view html) {
  std::string open;  // one letter per open element: a, s(pan), b, i, f(ont)
  for (size_t i = html.find('<'); i != std::string_view::npos; i = html.find('<', i + 1)) {
    std::string_view rest = html.substr(i);
    bool known = false;
    for (std::string_view tag : kAllowed) known = known || rest.starts_with(tag);
    if (!known) std::abort();
    if (rest.starts_with("<font color=") && !plainColour(rest)) std::abort();
    char element = 0;
    if (rest.starts_with("<a ") || rest.starts_with("</a>")) element = 'a';
    if (rest.starts_with("<span") || rest.starts_with("</span>")) element = 's';
    if (rest.starts_with("<b>") || rest.starts_with("</b>")) element = 'b';
    if (rest.starts_with("<i>") || rest.starts_with("</i>")) element = 'i';
    if (rest.starts_with("<font") || rest.starts_with("</font>")) element = 'f';
    if (element == 0) continue;
    if (rest[1] == '/') {
      if (open.empty() || open.back() != element) std::abort();
      open.pop_back();
    } else {
      // Links and pop-ups never hold another link; a pop-up sits inside its anchor.
      if (element == 'a' && open.find('a') != std::string::npos) std::abort();
      if (element == 's' && (open.empty() || open.back() != 'a')) std::abort();
      open.push_back(element);
    }
  }
  if (!open.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  vexa::PostList posts;
  uint32_t number = 0;
  while (!input.empty() && !posts.full()) {
    size_t end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    auto record = vexa::makePostRecord(++number);
    if (vexa::convertBody(*record, line, posts)) std::abort();
    checkMarkup(record->body.text());
    record->visible = true;
    record->id.assign(std::string(line.substr(0, 12)).c_str());
    posts.append(std::move(record));
  }
  NullSink sink;
  vexa::PageWriter writer(sink);
  writer.openPage();
  writer.writeHead(true);
  for (uint32_t n = 1; n <= posts.size(); ++n) writer.writePostLine(*posts.at(n));
  writer.writeEnd();
  if (writer.closePage()) std::abort();
  return 0;
}
