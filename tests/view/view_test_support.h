#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "view/page_sink.h"
#include "view/post_record.h"

namespace vexa::test {

// Keeps every page it is shown, as bytes.
class RecordingSink : public PageSink {
 public:
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

}  // namespace vexa::test
