// Feeds arbitrary lines to the body converter as the posts of one thread, then writes them as
// post lines, and checks that the HTML holds only the markup the converter itself writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

constexpr std::string_view kAllowed[] = {
    "<br>", "<a href=\"#\">", "<a href=\"mms://", "</a>", "<span class=\"popup\">", "</span>",
};

void checkMarkup(std::string_view html) {
  int openAnchors = 0;
  int openSpans = 0;
  for (size_t i = html.find('<'); i != std::string_view::npos; i = html.find('<', i + 1)) {
    std::string_view rest = html.substr(i);
    bool known = false;
    for (std::string_view tag : kAllowed) known = known || rest.starts_with(tag);
    if (!known) std::abort();
    if (rest.starts_with("<a ")) ++openAnchors;
    if (rest.starts_with("</a>")) --openAnchors;
    if (rest.starts_with("<span")) ++openSpans;
    if (rest.starts_with("</span>")) --openSpans;
    if (openAnchors < 0 || openAnchors > 1 || openSpans < 0 || openSpans > 1) std::abort();
  }
  if (openAnchors != 0 || openSpans != 0) std::abort();
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
