#include "board/thread_list.h"

#include <algorithm>
#include <new>

#include "board/common_substring.h"
#include "board/speed_history.h"
#include "board/subject_line.h"

namespace vexa {

namespace {

std::string_view textOf(const TextBuffer& buffer) {
  return buffer.text();
}

uint64_t weightOf(const ThreadRecord& record) {
  return record.key.length() + record.title.length() + ThreadList::kRecordCost;
}

}  // namespace

bool ThreadList::mergeLine(std::string_view line, uint32_t lineNumber, int64_t now) {
  SubjectLine parsed;
  if (!parseSubjectLine(line, parsed)) return true;
  ThreadRecord* record = findByKey(parsed.key);
  if (record) {
    record->lineNumber = lineNumber;
    record->postCount = parsed.count;
    record->listedIn = load_;
    recordPostCount(*record, parsed.count, now);
    return false;
  }
  std::unique_ptr<ThreadRecord> created(new (std::nothrow) ThreadRecord);
  if (!created) return true;
  created->key.assign(parsed.key.data(), static_cast<uint32_t>(parsed.key.size()));
  created->title.assign(parsed.title.data(), static_cast<uint32_t>(parsed.title.size()));
  created->lineNumber = lineNumber;
  created->postCount = parsed.count;
  created->listedIn = load_;
  recordPostCount(*created, parsed.count, now);
  byKey_.emplace(std::string(parsed.key), created.get());
  weight_ += weightOf(*created);
  records_.push_back(std::move(created));
  return false;
}

void ThreadList::finishLoad(const ThreadRecord* keep) {
  if (weight_ > weightLimit_) dropAbsent(keep);
  sort();
  ++load_;
}

void ThreadList::dropAbsent(const ThreadRecord* keep) {
  std::vector<ThreadRecord*> absent;
  for (const auto& record : records_) {
    if (record->listedIn != load_ && record.get() != keep) absent.push_back(record.get());
  }
  std::stable_sort(absent.begin(), absent.end(), [](const ThreadRecord* a, const ThreadRecord* b) {
    return a->listedIn < b->listedIn;
  });
  size_t dropped = 0;
  while (weight_ > weightLimit_ && dropped < absent.size()) {
    ThreadRecord* record = absent[dropped++];
    weight_ -= weightOf(*record);
    byKey_.erase(std::string(textOf(record->key)));
    record->listedIn = 0;  // marks it for the sweep below; no load is numbered 0
  }
  if (dropped == 0) return;
  std::erase_if(records_,
                [](const std::unique_ptr<ThreadRecord>& record) { return record->listedIn == 0; });
}

void ThreadList::sort() {
  std::stable_sort(
      records_.begin(), records_.end(),
      [](const std::unique_ptr<ThreadRecord>& a, const std::unique_ptr<ThreadRecord>& b) {
        const bool aFull = a->full();
        const bool bFull = b->full();
        if (aFull != bFull) return bFull;
        if (a->speed != b->speed) return a->speed > b->speed;
        return a->lineNumber < b->lineNumber;
      });
}

ThreadRecord* ThreadList::findByKey(std::string_view key) const {
  const auto found = byKey_.find(std::string(key));
  return found == byKey_.end() ? nullptr : found->second;
}

void ThreadList::clear() {
  byKey_.clear();
  records_.clear();
  weight_ = 0;
}

ThreadRecord* ThreadList::nextRecord(uint32_t& position) const {
  ThreadRecord* record = at(position);
  if (record) ++position;
  return record;
}

ThreadRecord* ThreadList::at(uint32_t position) const {
  if (position == 0 || position > records_.size()) return nullptr;
  return records_[position - 1].get();
}

ThreadRecord* ThreadList::findSuccessor(const ThreadRecord& current) const {
  const std::string_view title = textOf(current.title);
  const std::string_view key = textOf(current.key);
  const CommonSubstring common(title);
  ThreadRecord* best = nullptr;
  uint32_t bestScore = 0;
  for (const auto& record : records_) {
    if (textOf(record->key) == key || record->full()) continue;
    const uint32_t score = common.longestWith(textOf(record->title));
    if (!best || score > bestScore) {
      best = record.get();
      bestScore = score;
    }
  }
  const uint32_t needed = static_cast<uint32_t>(title.size() / 3);
  if (!best || bestScore == 0 || bestScore < needed) return nullptr;
  return best;
}

}  // namespace vexa
