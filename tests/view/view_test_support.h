#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "view/page_sink.h"
#include "view/post_record.h"

// Shared by the view and board tests.
namespace vexa::test {

// Keeps every page it is shown, as bytes.
struct RecordingSink : PageSink {
  void showPage(const TextBuffer& page) override { pages.emplace_back(page.text()); }
  std::vector<std::string> pages;
};

// A post whose body HTML is given as is (already converted).
inline std::unique_ptr<PostRecord> makePost(uint32_t number, std::string_view id,
                                            std::string_view body, bool visible = true) {
  auto record = makePostRecord(number);
  record->id.assign(std::string(id).c_str());
  record->body.assign(std::string(body).c_str());
  record->visible = visible;
  return record;
}

// The page pieces, written out by hand from the page layout.
inline const std::string kHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n";
inline const std::string kHover =
    "a:hover .popup{display:block;padding:1px;color:#000;background-color:#EEE;"
    "border:#000 solid 1px;}\r\n";
inline const std::string kBodyStart = "</style></head><body>\r\n";
inline const std::string kEnd = "</body></html>\r\n";

// The thread list and the stream-link view; the latest-batch view adds the hover rule.
inline std::string plainPage(const std::string& lines) {
  return kHead + kBodyStart + lines + kEnd;
}
inline std::string hoverPage(const std::string& lines) {
  return kHead + kHover + kBodyStart + lines + kEnd;
}
// `figures` is the post count with the optional "/" and speed figure.
inline std::string threadLine(const std::string& key, const std::string& title,
                              const std::string& figures) {
  return "<a href=\"thread:" + key + "\">" + title + " (" + figures + ")</a><br>";
}
inline std::string postLine(uint32_t number, const std::string& id, const std::string& body) {
  return "[<a href=\"ngid:" + id + "\">" + std::to_string(number) + "<span class=\"popup\">" + id +
         "</span></a>]" + body + "<br>\r\n";
}

}  // namespace vexa::test
