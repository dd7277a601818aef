#include "view/post_record.h"

#include <new>

namespace vexa {

std::unique_ptr<PostRecord> makePostRecord(uint32_t number) {
  std::unique_ptr<PostRecord> record(new (std::nothrow) PostRecord);
  if (record) record->number = number;
  return record;
}

bool PostList::append(std::unique_ptr<PostRecord> record) {
  if (!record || full()) return true;
  records_.push_back(std::move(record));
  return false;
}

PostRecord* PostList::at(uint32_t number) const {
  if (number == 0 || number > records_.size()) return nullptr;
  return records_[number - 1].get();
}

const char* PostList::postBody(uint32_t number) const {
  const PostRecord* record = at(number);
  return record ? record->body.text() : nullptr;
}

void StreamLinkList::rebuild(const PostList& posts) {
  records_.clear();
  for (uint32_t number = 1; number <= posts.size(); ++number) {
    PostRecord* record = posts.at(number);
    if (record->hasStreamLink) records_.push_back(record);
  }
}

}  // namespace vexa
