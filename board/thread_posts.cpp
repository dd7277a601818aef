#include "board/thread_posts.h"

#include "board/dat_line.h"
#include "board/line_reader.h"
#include "view/body_converter.h"

namespace vexa {

void ThreadPosts::beginFullLoad() {
  previousPosts_ = 0;
  previousLinks_ = 0;
  links_.clear();
  posts_.clear();
}

bool ThreadPosts::addLine(std::string_view line, uint32_t number, const NgIdList& ngIds) {
  if (posts_.full()) return false;
  std::unique_ptr<PostRecord> record = makePostRecord(number);
  if (!record) return true;
  const DatLine fields = splitDatLine(line);
  if (fields.complete) {
    record->id.assign(fields.id.data(), static_cast<uint32_t>(fields.id.size()));
    if (convertBody(*record, fields.body, posts_)) return true;
    record->visible = !ngIds.contains(record->id.text());
  }
  posts_.append(std::move(record));
  return false;
}

void ThreadPosts::finishLoad() {
  links_.rebuild(posts_);
}

RefreshResult ThreadPosts::refresh(std::string_view body, const NgIdList& ngIds) {
  RefreshResult result;
  previousPosts_ = posts_.size();
  previousLinks_ = links_.size();

  body = completeLines(body);
  LineReader reader(body);
  uint32_t index = 0;
  while (index < previousPosts_ && reader.skip()) ++index;
  if (index < previousPosts_) {
    result.reloaded = true;
    beginFullLoad();
    reader = LineReader(body);
    index = 0;
  }
  std::string_view line;
  while (!posts_.full() && reader.next(line)) {
    ++index;
    if (addLine(line, index, ngIds)) {
      result.failed = true;
      break;
    }
  }
  finishLoad();
  result.newPosts = posts_.size() - previousPosts_;
  return result;
}

}  // namespace vexa
