#include <gtest/gtest.h>

#include "base/linked_list.h"
#include "base/pointer_vector.h"
#include "base/shared_object.h"
#include "base/string_list.h"
#include "base/string_map.h"
#include "tests/base/test_support.h"

namespace vexa {
namespace {

struct Item : ListLink {
  explicit Item(char name) : name(name) {}
  char name;
};

// The names from head to tail; walking back from the tail and counting must agree.
std::string names(const LinkedList& list) {
  std::string out, back;
  for (ListLink* link = list.head(); link; link = link->next) out += static_cast<Item*>(link)->name;
  for (ListLink* link = list.tail(); link; link = link->previous) {
    back.insert(0, 1, static_cast<Item*>(link)->name);
  }
  EXPECT_EQ(out, back) << "forward and backward links disagree";
  EXPECT_EQ(list.count(), out.size());
  return out;
}

TEST(LinkedList, Operations) {
  using L = LinkedList;
  const std::pair<void (*)(LinkedList & list, LinkedList & other, Item * i), const char*> steps[] =
      {
          // the step, then the list and the other list afterwards
          {[](L& l, L&, Item* i) { l.pushBack(&i[0]); }, "a/"},
          {[](L& l, L&, Item* i) { l.pushBack(&i[1]); }, "ab/"},
          {[](L& l, L&, Item* i) { l.insertAfter(&i[0], &i[2]); }, "acb/"},
          {[](L& l, L&, Item* i) { l.insertAfter(&i[1], &i[2]); }, "abc/"},  // moves it
          {[](L& l, L&, Item* i) { l.insertAfter(&i[3], &i[2]); }, "abc/"},  // after a stranger
          {[](L& l, L&, Item* i) { l.insertAfter(&i[1], &i[1]); }, "abc/"},  // after itself
          {[](L& l, L&, Item* i) { l.unlink(&i[1]); }, "ac/"},
          {[](L& l, L&, Item* i) { l.unlink(&i[1]); }, "ac/"},    // again: harmless
          {[](L&, L& o, Item* i) { o.unlink(&i[0]); }, "ac/"},    // not its list: nothing
          {[](L&, L& o, Item* i) { o.pushBack(&i[0]); }, "c/a"},  // leaves the first list
          {[](L& l, L&, Item* i) { EXPECT_EQ(l.popBack(), &i[2]); }, "/a"},
          {[](L&, L& o, Item* i) { o.unlink(&i[0]); }, "/"},  // the only element
      };
  Item i[] = {Item('a'), Item('b'), Item('c'), Item('d')};
  LinkedList list;
  {
    LinkedList other;
    for (const auto& [apply, expected] : steps) {
      apply(list, other, i);
      EXPECT_EQ(names(list) + "/" + names(other), expected);
    }
    EXPECT_TRUE(i[0].list == nullptr && i[0].previous == nullptr && i[0].next == nullptr);
    other.pushBack(&i[0]);
  }
  EXPECT_EQ(i[0].list, nullptr) << "a destroyed list lets its elements go";
  {
    Item temporary('t');
    list.pushBack(&i[1]);
    list.pushBack(&temporary);
  }
  EXPECT_EQ(names(list), "b") << "a destroyed element leaves its list";
  Item copy = i[1];
  EXPECT_EQ(copy.list, nullptr) << "a copy is in no list";
}

TEST(Containers, StringListPointerVectorAndSharedObjectEdges) {
  StringList strings;
  strings.append("old");
  EXPECT_EQ(strings.resize(3), 3u);
  std::string texts;
  for (TextBuffer& text : strings) texts += std::string("[") + text.text() + "]";
  EXPECT_EQ(texts, "[][][]") << "resize clears, then makes empty strings";

  PointerVector<const char> vector;
  const char* words[] = {"alpha", "beta", "gamma"};
  EXPECT_FALSE(vector.resize(3));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(std::exchange(vector[i], words[i]), nullptr);
  EXPECT_FALSE(vector.resize(1) || vector.resize(3));
  EXPECT_EQ(vector[1], nullptr) << "slots regained after a shrink start null";
  EXPECT_FALSE(vector.resize(0));
  EXPECT_TRUE(vector.items() == nullptr && vector.count() == 0);
  for (int i = 0; i < 203; ++i) EXPECT_FALSE(vector.append(words[i % 3]));
  for (uint32_t n : {0xFFFFFFFFu, 0x20000000u}) EXPECT_TRUE(vector.resize(n)) << "beyond 4 GiB";
  ASSERT_EQ(vector.count(), 203u) << "a refused resize keeps the items";
  for (uint32_t i = 0; i < 203; ++i) ASSERT_EQ(vector[i], words[i % 3]) << i;

  int destroyed = 0;
  struct Tracked : SharedObject {
    Tracked(int* destroyed, int32_t count) : SharedObject(count), destroyed(destroyed) {}
    ~Tracked() override { ++*destroyed; }
    int* destroyed;
  };
  Tracked* counted = new Tracked(&destroyed, 1);
  counted->addReference();
  counted->release();
  counted->release();
  Tracked forever(&destroyed, SharedObject::kStatic);
  for (int i = 0; i < 5; ++i) forever.release();
  EXPECT_EQ(destroyed, 1) << "a negative count survives any number of releases";
  (new Tracked(&destroyed, 0))->release();  // must not slip into the static range and leak
  EXPECT_EQ(destroyed, 2);
}

TEST(StringMap, KeysCompareAsUnsignedBytesAndEntriesStayPut) {
  StringMap map;
  StringMap::Entry* first = map.insert("b");
  for (const char* key : {"a", "ab", "\x82\xa0", "B", "", "a\x7f", "\x81\x40"}) map.insert(key);
  for (int i = 0; i < 500; ++i) map.insert(std::to_string(i).c_str());
  for (int i = 0; i < 500; ++i) EXPECT_TRUE(map.remove(std::to_string(i).c_str()));
  EXPECT_EQ(map.insert("b"), first) << "the existing entry, at its old address";
  std::string order;
  map.forEach([&order](StringMap::Entry& entry) {
    order += std::string(entry.key.text()) + "|";
    return false;
  });
  // 0x81 and 0x82 come after every ASCII byte.
  EXPECT_EQ(order, "|B|a|ab|a\x7f|b|\x81\x40|\x82\xa0|");
}

}  // namespace
}  // namespace vexa
