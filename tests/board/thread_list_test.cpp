#include "board/thread_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/speed_history.h"

namespace vexa {

TEST(ThreadListTest, MergeAddsNewKeysAndUpdatesKnownOnesKeepingTheirTitle) {
  ThreadList list;
  EXPECT_FALSE(list.mergeLine("1.dat<>First (10)", 1, 1000));
  EXPECT_TRUE(list.mergeLine("broken line", 2, 1000));
  EXPECT_TRUE(list.mergeLine("3.dat<>Zero (0)", 3, 1000));
  EXPECT_FALSE(list.mergeLine("1.dat<>Renamed (15)", 2, 1010));
  ASSERT_EQ(list.size(), 1u);
  const ThreadRecord& first = *list.findByKey("1.dat");
  EXPECT_STREQ(first.title.text(), "First");
  EXPECT_EQ(first.lineNumber, 2u);
  EXPECT_EQ(first.postCount, 15u);
  EXPECT_DOUBLE_EQ(first.speed, 0.5);
  EXPECT_EQ(list.findByKey("1.da"), nullptr);
}

TEST(ThreadListTest, SpeedComesFromTheLastHourOfCounts) {
  struct Step {
    int64_t time;
    uint32_t count;
    size_t samples;
    double speed;
  };
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
    for (const Step& step : steps) {
      recordPostCount(record, step.count, step.time);
      EXPECT_EQ(record.history.size(), step.samples) << step.time << " " << step.count;
      EXPECT_DOUBLE_EQ(record.speed, step.speed) << step.time << " " << step.count;
    }
  }
}

TEST(ThreadListTest, SortPutsFullThreadsLastThenFasterFirstThenLineOrder) {
  ThreadList list;
  for (const char* line :
       {"full.dat<>F (1000)", "slow.dat<>S (10)", "fast.dat<>F (10)", "tie1.dat<>T (10)",
        "tie2.dat<>T (10)", "over.dat<>O (1001)", "almost.dat<>A (999)"}) {
    list.mergeLine(line, list.size() + 1, 0);
  }
  list.sort();
  // Ten seconds later, in another order: the full threads move fastest but still sort last,
  // tie2, now listed before tie1, goes first among equals, and almost keeps its old line.
  uint32_t number = 0;
  for (const char* line : {"tie2.dat<>T (10)", "full.dat<>F (1500)", "slow.dat<>S (20)",
                           "fast.dat<>F (110)", "tie1.dat<>T (10)", "over.dat<>O (1501)"}) {
    list.mergeLine(line, ++number, 10);
  }
  list.sort();
  std::string keys;
  for (uint32_t position = 1; ThreadRecord* record = list.nextRecord(position);) {
    keys += std::string(record->key.text()) + " ";
  }
  EXPECT_EQ(keys, "fast.dat slow.dat tie2.dat tie1.dat almost.dat full.dat over.dat ");
}

TEST(ThreadListTest, SuccessorSharesTheLongestRunOfAtLeastAThirdOfTheTitle) {
  struct Case {
    std::string current;              // title of the full current thread
    std::vector<std::string> others;  // subject lines after the key, in list order
    std::string expected;             // title of the successor, empty for none
  };
  // "abcdefghi" is 9 bytes: a third is 3.
  const std::vector<Case> cases = {
      {"abcdefghi", {"xxabcxx (1)"}, "xxabcxx"},
      {"abcdefghi", {"xxabxx (1)"}, ""},
      {"abcdefghi", {"abcx (1)", "abcdefx (1)", "abcdex (1)"}, "abcdefx"},
      {"abcdefghi", {"zzdefzz (1)", "abcqq (1)", "defxx (1)"}, "zzdefzz"},
      {"abcdefghi", {"abcdefgh (1000)", "abcxx (999)"}, "abcxx"},  // full threads never follow
      {"abcdefghi", {}, ""},
      {"ab", {"xy (1)", "zz (1)"}, ""},  // a third of 2 is 0, but a shared byte is needed
      {"ab", {"xy (1)", "xb (1)"}, "xb"},
      {"", {"anything (1)"}, ""},
  };
  for (const auto& c : cases) {
    ThreadList list;
    list.mergeLine("cur.dat<>" + c.current + " (1000)", 1, 0);
    for (const std::string& other : c.others) {
      list.mergeLine(std::to_string(list.size()) + ".dat<>" + other, list.size() + 1, 0);
    }
    const ThreadRecord* successor = list.findSuccessor(*list.findByKey("cur.dat"));
    EXPECT_EQ(successor ? successor->title.text() : "", c.expected) << c.current;
  }
}

}  // namespace vexa
