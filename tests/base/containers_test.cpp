#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/linked_list.h"
#include "base/pointer_vector.h"
#include "base/shared_object.h"
#include "base/string_list.h"
#include "base/string_map.h"

namespace vexa {
namespace {

using Texts = std::vector<std::string>;

struct Item : ListLink {
  explicit Item(char name) : name(name) {}
  char name;
};

// The names from head to tail; walking back from the tail must agree, and so must the count.
std::string names(const LinkedList& list) {
  std::string out, back;
  for (ListLink* link = list.head(); link != nullptr; link = link->next) {
    out += static_cast<Item*>(link)->name;
  }
  for (ListLink* link = list.tail(); link != nullptr; link = link->previous) {
    back.insert(back.begin(), static_cast<Item*>(link)->name);
  }
  EXPECT_EQ(out, back) << "forward and backward links disagree";
  EXPECT_EQ(list.count(), out.size());
  return out;
}

TEST(LinkedList, Operations) {
  Item i[] = {Item('a'), Item('b'), Item('c'), Item('d')};
  using L = LinkedList;
  const struct {
    const char* name;
    void (*apply)(LinkedList&, Item*);
    const char* expected;
  } steps[] = {
      {"push a b c", [](L& l, Item* i) { l.pushBack(&i[0]), l.pushBack(&i[1]), l.pushBack(&i[2]); },
       "abc"},
      {"d after a", [](L& l, Item* i) { l.insertAfter(&i[0], &i[3]); }, "adbc"},
      {"d after c moves it", [](L& l, Item* i) { l.insertAfter(&i[2], &i[3]); }, "abcd"},
      {"unlink middle", [](L& l, Item* i) { l.unlink(&i[1]); }, "acd"},
      {"unlink again is harmless", [](L& l, Item* i) { l.unlink(&i[1]); }, "acd"},
      {"unlink head", [](L& l, Item* i) { l.unlink(&i[0]); }, "cd"},
      {"unlink tail", [](L& l, Item* i) { l.unlink(&i[3]); }, "c"},
      {"b to front", [](L& l, Item* i) { l.insertAfter(nullptr, &i[1]); }, "bc"},
      {"push existing moves it", [](L& l, Item* i) { l.pushBack(&i[1]); }, "cb"},
      {"after self does nothing", [](L& l, Item* i) { l.insertAfter(&i[1], &i[1]); }, "cb"},
      {"after a stranger does nothing", [](L& l, Item* i) { l.insertAfter(&i[0], &i[3]); }, "cb"},
      {"pop front", [](L& l, Item* i) { EXPECT_EQ(l.popFront(), &i[2]); }, "b"},
      {"unlink the only element", [](L& l, Item* i) { l.unlink(&i[1]); }, ""},
      {"pop from empty", [](L& l, Item*) { EXPECT_EQ(l.popBack(), nullptr); }, ""},
  };
  LinkedList list;
  for (const auto& step : steps) {
    step.apply(list, i);
    EXPECT_EQ(names(list), step.expected) << step.name;
  }
  EXPECT_TRUE(list.empty());
  for (const Item& item : i) {
    EXPECT_TRUE(item.list == nullptr && item.previous == nullptr && item.next == nullptr);
  }
}

TEST(LinkedList, MovingBetweenListsAndDestroying) {
  LinkedList first, second;
  Item a('a'), b('b');
  first.pushBack(&a);
  first.pushBack(&b);
  second.pushBack(&a);  // leaves the first list
  second.unlink(&b);    // not its list: nothing happens
  EXPECT_EQ(names(first), "b");
  EXPECT_EQ(names(second), "a");
  {
    Item temporary('t');
    first.pushBack(&temporary);
  }
  EXPECT_EQ(names(first), "b") << "a destroyed element leaves its list";
  {
    LinkedList shortLived;
    shortLived.pushBack(&a);
  }
  EXPECT_EQ(a.list, nullptr) << "a destroyed list releases its elements";
  Item copy = b;
  EXPECT_EQ(copy.list, nullptr) << "a copy is in no list";
}

class CountingAllocator : public Allocator {
 public:
  void* allocate(size_t size) override {
    if (allocated == limit) return nullptr;
    ++allocated, ++live;
    return std::malloc(size);
  }
  void release(void* block) override {
    --live;
    std::free(block);
  }
  int allocated = 0, live = 0, limit = -1;
};

Texts texts(const StringList& list) {
  Texts out;
  for (TextBuffer& text : list) out.emplace_back(text.text());
  return out;
}

TEST(StringList, ResizeMakesEmptyStringsAndNodesComeFromTheAllocator) {
  CountingAllocator allocator;
  {
    StringList list(&allocator);
    EXPECT_EQ(list.resize(3), 3u);
    EXPECT_EQ(texts(list), (Texts{"", "", ""}));
    list.first()->text.assign("x");
    EXPECT_EQ(list.resize(1), 1u);
    EXPECT_EQ(texts(list), Texts{""}) << "resize clears first";
    list.append(nullptr);
    list.append("two");
    EXPECT_EQ(texts(list), (Texts{"", "", "two"}));
    EXPECT_EQ(allocator.live, 3);
    allocator.limit = allocator.allocated + 2;
    EXPECT_EQ(list.resize(5), 2u) << "stops at the first failed node";
    EXPECT_EQ(list.append("x"), nullptr);
    EXPECT_EQ(list.count(), 2u);
  }
  EXPECT_EQ(allocator.live, 0) << "every node goes back to the allocator";
}

TEST(PointerVector, ResizeAndAppend) {
  PointerVector<const char> vector;
  const char* words[] = {"alpha", "beta", "gamma"};
  EXPECT_FALSE(vector.resize(3));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(std::exchange(vector[i], words[i]), nullptr);
  EXPECT_FALSE(vector.resize(1));
  EXPECT_FALSE(vector.resize(3));
  EXPECT_EQ(vector[0], words[0]);
  EXPECT_EQ(vector[1], nullptr) << "slots regained after a shrink start null";
  EXPECT_FALSE(vector.resize(0));
  EXPECT_EQ(vector.items(), nullptr);
  EXPECT_EQ(vector.count(), 0u);
  // Enough appends to cross many 64-byte storage steps.
  std::vector<std::string> owned;
  for (int i = 0; i < 200; ++i) owned.push_back(std::to_string(i));
  for (const std::string& s : owned) EXPECT_FALSE(vector.append(s.c_str()));
  ASSERT_EQ(vector.count(), 200u);
  for (uint32_t i = 0; i < 200; ++i) EXPECT_EQ(vector[i], owned[i].c_str());
  // Beyond 4 GiB of slots: refused, and the items stay.
  for (uint32_t n : {0xFFFFFFFFu, 0x20000000u}) EXPECT_TRUE(vector.resize(n)) << n;
  EXPECT_EQ(vector.count(), 200u);
  EXPECT_EQ(vector[199], owned[199].c_str());
}

class Tracked : public SharedObject {
 public:
  Tracked(int* destroyed, int32_t count) : SharedObject(count), destroyed_(destroyed) {}
  ~Tracked() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(SharedObject, CountsAndStaticInstances) {
  int destroyed = 0;
  Tracked* counted = new Tracked(&destroyed, 1);
  counted->addReference();
  counted->release();
  EXPECT_EQ(destroyed, 0);
  counted->release();
  EXPECT_EQ(destroyed, 1);
  Tracked forever(&destroyed, SharedObject::kStatic);
  for (int i = 0; i < 5; ++i) forever.release();
  forever.addReference();
  EXPECT_EQ(forever.referenceCount(), SharedObject::kStatic);
  EXPECT_EQ(destroyed, 1) << "a negative count survives any number of releases";
  Tracked* unowned = new Tracked(&destroyed, 0);
  unowned->release();  // must not slip into the static range and leak
  EXPECT_EQ(destroyed, 2);
}

TEST(StringMap, KeysCompareAsUnsignedBytesAndEntriesStayPut) {
  StringMap map;
  const char* inserted[] = {"b", "a", "ab", "\x82\xa0", "B", "", "a\x7f", "\x81\x40"};
  for (const char* key : inserted) map.insert(key)->value.assign(key);
  Texts keys;
  map.forEach([&keys](StringMap::Entry& entry) {
    keys.emplace_back(entry.key.text());
    return false;
  });
  // 0x81 and 0x82 come after every ASCII byte.
  EXPECT_EQ(keys, (Texts{"", "B", "a", "ab", "a\x7f", "b", "\x81\x40", "\x82\xa0"}));
  for (const char* key : inserted) EXPECT_STREQ(map.find(key)->value.text(), key);
  EXPECT_EQ(map.find("A"), nullptr) << "case matters";
  EXPECT_EQ(map.find(nullptr), map.find(""));

  StringMap::Entry* first = map.find("b");
  for (int i = 0; i < 500; ++i) map.insert(("K" + std::to_string(i)).c_str());
  EXPECT_EQ(map.insert("b"), first) << "the existing entry, at its old address";
  EXPECT_EQ(map.count(), 508u);
  EXPECT_TRUE(map.remove("K7"));
  EXPECT_FALSE(map.remove("K7"));
  EXPECT_EQ(map.find("K7"), nullptr);
  EXPECT_STREQ(map.find("b")->value.text(), "b");
}

}  // namespace
}  // namespace vexa
