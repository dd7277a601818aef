#include "board/thread_list.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "board/speed_history.h"

namespace vexa {

TEST(ThreadListTest, SpeedComesFromTheLastHourOfCounts) {
  // Steps of (time, count, samples kept, speed).
  using Step = std::tuple<int64_t, uint32_t, size_t, double>;
  const std::vector<std::vector<Step>> cases = {
      {{100, 5, 1, 0.0}, {100, 9, 2, 0.0}},  // equal times give no speed
      // With two samples an unchanged count only moves the newest time, so the speed falls.
      {{100, 10, 1, 0.0}, {110, 30, 2, 2.0}, {120, 30, 2, 1.0}, {140, 30, 2, 0.5}},
      {{100, 10, 1, 0.0}, {130, 10, 2, 0.0}},  // with one sample an unchanged count appends
      // The oldest goes once the newest is an hour past the second oldest; two always stay.
      {{0, 10, 1, 0.0}, {100, 20, 2, 0.1}, {3699, 30, 3, 20.0 / 3699}, {3700, 40, 3, 20.0 / 3600}},
      {{0, 10, 1, 0.0}, {10000, 20, 2, 0.001}},
      {{0, 50, 1, 0.0}, {10, 40, 2, -1.0}},
  };
  for (const auto& steps : cases) {
    ThreadRecord record;
    for (const auto& [time, count, samples, speed] : steps) {
      recordPostCount(record, count, time);
      EXPECT_EQ(record.history.size(), samples) << time << " " << count;
      EXPECT_DOUBLE_EQ(record.speed, speed) << time << " " << count;
    }
  }
}

TEST(ThreadListTest, MergesLinesAndSortsFullThreadsLastThenFasterFirstThenByLine) {
  ThreadList list;
  for (const char* line : {"full.dat<>F (1000)", "slow.dat<>S (10)", "broken line",
                           "fast.dat<>F (10)", "tie1.dat<>T (10)", "tie2.dat<>T (10)",
                           "zero.dat<>Z (0)", "over.dat<>O (1001)", "almost.dat<>A (999)"}) {
    list.mergeLine(line, list.size() + 1, 0);
  }
  list.sort();
  // Ten seconds later, in another order: the full threads move fastest but still sort last,
  // tie2, now listed before tie1, goes first among equals, almost keeps its old line, and a
  // known key keeps its first title.
  uint32_t number = 0;
  for (const char* line : {"tie2.dat<>T (10)", "full.dat<>F (1500)", "slow.dat<>New (20)",
                           "fast.dat<>F (110)", "tie1.dat<>T (10)", "over.dat<>O (1501)"}) {
    EXPECT_FALSE(list.mergeLine(line, ++number, 10)) << line;
  }
  list.sort();
  std::string threads;
  for (uint32_t position = 1; ThreadRecord* record = list.nextRecord(position);) {
    threads += std::string(record->key.text()) + ":" + record->title.text() + ":" +
               std::to_string(record->lineNumber) + " ";
  }
  EXPECT_EQ(threads,
            "fast.dat:F:4 slow.dat:S:3 tie2.dat:T:1 tie1.dat:T:5 almost.dat:A:7 "
            "full.dat:F:2 over.dat:O:6 ");
  EXPECT_EQ(list.findByKey("fast.da"), nullptr);
}

TEST(ThreadListTest, SuccessorSharesTheLongestRunOfAtLeastAThirdOfTheTitle) {
  // The title of the full current thread, the other subject lines (after the key) in list order,
  // and the title of the successor, empty for none. "abcdefghi" is 9 bytes: a third is 3.
  const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> cases = {
      {"abcdefghi", {"xxabcxx (1)"}, "xxabcxx"},
      {"abcdefghi", {"xxabxx (1)"}, ""},
      {"abcdefghi", {"abcx (1)", "abcdefx (1)", "abcdex (1)"}, "abcdefx"},
      {"abcdefghi", {"zzdefzz (1)", "abcqq (1)", "defxx (1)"}, "zzdefzz"},
      {"abcdefghi", {"abcdefgh (1000)", "abcxx (999)"}, "abcxx"},  // full threads never follow
      {"ab", {"xy (1)", "zz (1)"}, ""},  // a third of 2 is 0, but a shared byte is needed
      {"ab", {"xy (1)", "xb (1)"}, "xb"},
      {"", {"anything (1)"}, ""},
  };
  for (const auto& [current, others, expected] : cases) {
    ThreadList list;
    list.mergeLine("cur.dat<>" + current + " (1000)", 1, 0);
    for (const std::string& other : others) {
      list.mergeLine(std::to_string(list.size()) + ".dat<>" + other, list.size() + 1, 0);
    }
    const ThreadRecord* successor = list.findSuccessor(*list.findByKey("cur.dat"));
    EXPECT_EQ(successor ? successor->title.text() : "", expected) << current;
  }
}

TEST(ThreadListTest, AListThatGrowsTooLargeForgetsTheThreadsAbsentLongest) {
  // Each record weighs its key and title (here 6 bytes) plus the fixed cost; room for 5.
  const uint64_t record = 6 + ThreadList::kRecordCost;
  ThreadList list(5 * record);
  // Load 1 lists a1..a4, load 2 b1..b4 (a1 is watched), load 3 c1..c3 and b2.
  const std::vector<std::vector<std::string>> loads = {
      {"a1", "a2", "a3", "a4"}, {"b1", "b2", "b3", "b4"}, {"c1", "c2", "c3", "b2"}};
  const ThreadRecord* watched = nullptr;
  std::vector<std::string> kept;
  for (const auto& keys : loads) {
    uint32_t line = 0;
    for (const std::string& key : keys) list.mergeLine(key + ".dat<>t (5)", ++line, 0);
    if (!watched) watched = list.findByKey("a1.dat");
    list.finishLoad(watched);
    std::string present;
    for (uint32_t position = 1; ThreadRecord* record = list.nextRecord(position);) {
      present += std::string(record->key.text()).substr(0, 2) + " ";
    }
    kept.push_back(present);
  }
  // Load 2 drops the a's but the watched one; load 3 drops the b's gone longest (b1, b3, b4) and
  // keeps every thread it lists, even past the limit. (Equal speeds sort by line number.)
  EXPECT_EQ(kept, (std::vector<std::string>{"a1 a2 a3 a4 ", "a1 b1 b2 b3 b4 ", "a1 c1 c2 c3 b2 "}));
  EXPECT_EQ(list.findByKey("a2.dat"), nullptr);
  EXPECT_EQ(list.findByKey("a1.dat"), watched);
  // A forgotten key listed again comes back as a new thread.
  list.mergeLine("a2.dat<>again (9)", 1, 0);
  ASSERT_NE(list.findByKey("a2.dat"), nullptr);
  EXPECT_STREQ(list.findByKey("a2.dat")->title.text(), "again");
}

}  // namespace vexa
