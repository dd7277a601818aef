#include "board/thread_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/speed_history.h"

namespace vexa {
namespace {

std::vector<std::string> keysInOrder(const ThreadList& list) {
  std::vector<std::string> keys;
  uint32_t position = 1;
  while (ThreadRecord* record = list.nextRecord(position)) keys.push_back(record->key.text());
  return keys;
}

TEST(ThreadListTest, MergeAppendsNewKeysAndUpdatesKnownOnes) {
  ThreadList list;
  EXPECT_FALSE(list.mergeLine("1.dat<>First (10)", 1, 1000));
  EXPECT_FALSE(list.mergeLine("2.dat<>Second (20)", 2, 1000));
  EXPECT_TRUE(list.mergeLine("broken line", 3, 1000));
  EXPECT_TRUE(list.mergeLine("3.dat<>Zero (0)", 4, 1000));
  ASSERT_EQ(list.size(), 2u);

  // A known key takes the new line number and count but keeps its first title.
  EXPECT_FALSE(list.mergeLine("1.dat<>Renamed (15)", 2, 1010));
  ThreadRecord* first = list.findByKey("1.dat");
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->title.text(), "First");
  EXPECT_EQ(first->lineNumber, 2u);
  EXPECT_EQ(first->postCount, 15u);
  EXPECT_DOUBLE_EQ(first->speed, 0.5);
  EXPECT_EQ(list.findByKey("1.da"), nullptr);
  EXPECT_EQ(list.findByKey("1.dat "), nullptr);
}

TEST(ThreadListTest, SpeedHistoryFollowsTheRules) {
  struct Step {
    int64_t time;
    uint32_t count;
    size_t samples;
    double speed;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {"one sample has no speed", {{100, 5, 1, 0.0}}},
      {"second sample gives a rate", {{100, 5, 1, 0.0}, {110, 25, 2, 2.0}}},
      {"same time twice gives 0", {{100, 5, 1, 0.0}, {100, 9, 2, 0.0}}},
      // With two samples an unchanged count only moves the newest time, so the speed falls.
      {"unchanged count moves the newest time",
       {{100, 10, 1, 0.0}, {110, 30, 2, 2.0}, {120, 30, 2, 1.0}, {140, 30, 2, 0.5}}},
      {"unchanged count with one sample appends", {{100, 10, 1, 0.0}, {130, 10, 2, 0.0}}},
      // The oldest sample goes once the newest is an hour past the second oldest.
      {"samples older than an hour dropped",
       {{0, 10, 1, 0.0},
        {100, 20, 2, 0.1},
        {3699, 30, 3, 20.0 / 3699},
        {3700, 40, 3, 20.0 / 3600}}},
      {"never fewer than two samples", {{0, 10, 1, 0.0}, {10000, 20, 2, 0.001}}},
      {"falling count gives a negative speed", {{0, 50, 1, 0.0}, {10, 40, 2, -1.0}}},
  };
  for (const auto& c : cases) {
    ThreadRecord record;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      recordPostCount(record, step.count, step.time);
      EXPECT_EQ(record.history.size(), step.samples) << c.name << " step " << i;
      EXPECT_DOUBLE_EQ(record.speed, step.speed) << c.name << " step " << i;
    }
  }
}

TEST(ThreadListTest, SortPutsFullThreadsLastThenFasterFirst) {
  ThreadList list;
  list.mergeLine("full.dat<>Full (1000)", 1, 0);
  list.mergeLine("slow.dat<>Slow (10)", 2, 0);
  list.mergeLine("fast.dat<>Fast (10)", 3, 0);
  list.mergeLine("tie1.dat<>Tie one (10)", 4, 0);
  list.mergeLine("tie2.dat<>Tie two (10)", 5, 0);
  list.mergeLine("over.dat<>Over (1001)", 6, 0);
  list.mergeLine("almost.dat<>Almost (999)", 7, 0);
  // Ten seconds later: full threads move fastest, but still sort last.
  list.mergeLine("full.dat<>Full (1500)", 1, 10);
  list.mergeLine("slow.dat<>Slow (20)", 2, 10);
  list.mergeLine("fast.dat<>Fast (110)", 3, 10);
  list.mergeLine("tie1.dat<>Tie one (10)", 4, 10);
  list.mergeLine("tie2.dat<>Tie two (10)", 5, 10);
  list.mergeLine("over.dat<>Over (1501)", 6, 10);
  list.mergeLine("almost.dat<>Almost (999)", 7, 10);
  list.sort();
  EXPECT_EQ(keysInOrder(list),
            (std::vector<std::string>{"fast.dat", "slow.dat", "tie1.dat", "tie2.dat", "almost.dat",
                                      "full.dat", "over.dat"}));
}

TEST(ThreadListTest, EqualSpeedsKeepLineOrderEvenAfterMoves) {
  ThreadList list;
  list.mergeLine("a.dat<>A (5)", 1, 0);
  list.mergeLine("b.dat<>B (5)", 2, 0);
  list.mergeLine("c.dat<>C (5)", 3, 0);
  list.sort();
  // Next download lists them in another order; a dropped-out thread keeps its old line number.
  list.mergeLine("c.dat<>C (5)", 1, 5);
  list.mergeLine("a.dat<>A (5)", 2, 5);
  list.sort();
  EXPECT_EQ(keysInOrder(list), (std::vector<std::string>{"c.dat", "a.dat", "b.dat"}));
}

TEST(ThreadListTest, NextRecordWalksPositionsFromOne) {
  ThreadList list;
  list.mergeLine("a.dat<>A (5)", 1, 0);
  uint32_t position = 0;
  EXPECT_EQ(list.nextRecord(position), nullptr);
  position = 1;
  EXPECT_NE(list.nextRecord(position), nullptr);
  EXPECT_EQ(position, 2u);
  EXPECT_EQ(list.nextRecord(position), nullptr);
  EXPECT_EQ(position, 2u);
}

struct SuccessorCase {
  const char* name;
  std::string current;              // title of the full current thread
  std::vector<std::string> others;  // titles, in list order, with counts under 1000
  std::string expected;             // title of the successor, empty for none
};

TEST(ThreadListTest, SuccessorNeedsAThirdOfTheTitle) {
  // "abcdefghi" is 9 bytes: a third is 3.
  const std::vector<SuccessorCase> cases = {
      {"exactly a third switches", "abcdefghi", {"xxabcxx"}, "xxabcxx"},
      {"one byte less does not", "abcdefghi", {"xxabxx"}, ""},
      {"best score wins", "abcdefghi", {"abcx", "abcdefx", "abcdex"}, "abcdefx"},
      {"earlier wins on equal scores", "abcdefghi", {"zzdefzz", "abcqq", "defxx"}, "zzdefzz"},
      {"no other thread", "abcdefghi", {}, ""},
      {"title shorter than 3 still needs a shared byte", "ab", {"xy", "zz"}, ""},
      {"short title with a shared byte", "ab", {"xy", "xb"}, "xb"},
      {"empty title never has a successor", "", {"anything"}, ""},
      {"numbered series", "Live Part 99", {"Other thread", "Live Part 100"}, "Live Part 100"},
  };
  for (const auto& c : cases) {
    ThreadList list;
    list.mergeLine("cur.dat<>" + c.current + " (1000)", 1, 0);
    uint32_t line = 2;
    for (const auto& title : c.others) {
      list.mergeLine(std::to_string(line) + ".dat<>" + title + " (1)", line, 0);
      ++line;
    }
    ThreadRecord* current = list.findByKey("cur.dat");
    ASSERT_NE(current, nullptr) << c.name;
    ThreadRecord* successor = list.findSuccessor(*current);
    EXPECT_EQ(successor ? std::string(successor->title.text()) : std::string(), c.expected)
        << c.name;
  }
}

TEST(ThreadListTest, SuccessorIsNeverTheThreadItselfNorAFullOne) {
  ThreadList list;
  list.mergeLine("cur.dat<>Live Part 5 (1000)", 1, 0);
  list.mergeLine("old.dat<>Live Part 4 (1000)", 2, 0);  // full: shares more bytes, still skipped
  list.mergeLine("new.dat<>Live Part 6 and more (3)", 3, 0);
  ThreadRecord* current = list.findByKey("cur.dat");
  ThreadRecord* successor = list.findSuccessor(*current);
  ASSERT_NE(successor, nullptr);
  EXPECT_STREQ(successor->key.text(), "new.dat");

  ThreadList alone;
  alone.mergeLine("cur.dat<>Same title (1000)", 1, 0);
  EXPECT_EQ(alone.findSuccessor(*alone.findByKey("cur.dat")), nullptr);
}

}  // namespace
}  // namespace vexa
