#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "view/thread_record.h"

namespace vexa {

// Every thread seen in subject.txt during the run, in display order (1-based positions). Threads
// that drop out of subject.txt stay with their last line number, count and speed. Guarded by the
// viewer lock; the caller holds it.
class ThreadList {
 public:
  // What the list may hold before threads that have left subject.txt are forgotten: three times
  // the largest subject.txt, counted as key and title bytes plus kRecordCost for each record.
  static constexpr uint64_t kRecordCost = 256;
  static constexpr uint64_t kDefaultWeightLimit = 3 * (8u << 20);

  explicit ThreadList(uint64_t weightLimit = kDefaultWeightLimit) : weightLimit_(weightLimit) {}

  // Parses one subject.txt line and merges it: a known key gets the new line number and count
  // (its title stays as first seen) and a speed sample; a new key is appended. Returns true when
  // the line was ignored (malformed, count 0) or memory ran out.
  bool mergeLine(std::string_view line, uint32_t lineNumber, int64_t now);

  // Not-full threads first, then by falling speed, then by rising line number; stable.
  void sort();

  // Ends a load of subject.txt. When the list has grown past its weight limit, the threads that
  // this load did not list are dropped, those absent longest first, until it fits again; `keep`
  // (the watched thread) and the threads of this load always stay. Then the list is sorted.
  void finishLoad(const ThreadRecord* keep);

  // The first record whose key equals `key` byte for byte, or null.
  ThreadRecord* findByKey(std::string_view key) const;

  // The record at the 1-based `position`, advancing it; null past the end.
  ThreadRecord* nextRecord(uint32_t& position) const;

  // The thread that continues `current` once it is full: the other thread whose title shares the
  // longest run of bytes with the current title (the earlier one on equal runs), if that run is
  // at least a third of the current title and not empty. Full threads are never successors.
  ThreadRecord* findSuccessor(const ThreadRecord& current) const;

  uint32_t size() const { return static_cast<uint32_t>(records_.size()); }
  // 1-based; null outside the list.
  ThreadRecord* at(uint32_t position) const;
  void clear();

 private:
  void dropAbsent(const ThreadRecord* keep);

  std::vector<std::unique_ptr<ThreadRecord>> records_;
  uint64_t weightLimit_;
  uint64_t weight_ = 0;  // the records' weight as the limit counts it
  uint32_t load_ = 1;    // the number of the load in progress
  // Keys are unique in the list; the index keeps a merge of a long subject.txt linear.
  std::unordered_map<std::string, ThreadRecord*> byKey_;
};

}  // namespace vexa
