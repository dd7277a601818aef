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

struct Item : ListLink {
  explicit Item(char name) : name(name) {}
  char name;
};

std::string names(const LinkedList& list) {
  std::string out;
  for (ListLink* link = list.head(); link != nullptr; link = link->next) {
    out += static_cast<Item*>(link)->name;
  }
  // Walking back must give the same elements in reverse.
  std::string back;
  for (ListLink* link = list.tail(); link != nullptr; link = link->previous) {
    back.insert(back.begin(), static_cast<Item*>(link)->name);
  }
  EXPECT_EQ(out, back) << "forward and backward links disagree";
  EXPECT_EQ(list.count(), out.size());
  return out;
}

TEST(LinkedList, Operations) {
  Item a('a'), b('b'), c('c'), d('d');
  struct Step {
    const char* name;
    void (*apply)(LinkedList&, Item&, Item&, Item&, Item&);
    const char* expected;
  };
  const Step steps[] = {
      {"push a b c",
       [](LinkedList& l, Item& a, Item& b, Item& c, Item&) {
         l.pushBack(&a), l.pushBack(&b), l.pushBack(&c);
       },
       "abc"},
      {"d after a", [](LinkedList& l, Item& a, Item&, Item&, Item& d) { l.insertAfter(&a, &d); },
       "adbc"},
      {"d after c moves it",
       [](LinkedList& l, Item&, Item&, Item& c, Item& d) { l.insertAfter(&c, &d); }, "abcd"},
      {"unlink middle", [](LinkedList& l, Item&, Item& b, Item&, Item&) { l.unlink(&b); }, "acd"},
      {"unlink again is harmless",
       [](LinkedList& l, Item&, Item& b, Item&, Item&) { l.unlink(&b); }, "acd"},
      {"unlink head", [](LinkedList& l, Item& a, Item&, Item&, Item&) { l.unlink(&a); }, "cd"},
      {"unlink tail", [](LinkedList& l, Item&, Item&, Item&, Item& d) { l.unlink(&d); }, "c"},
      {"b to front",
       [](LinkedList& l, Item&, Item& b, Item&, Item&) { l.insertAfter(nullptr, &b); }, "bc"},
      {"push existing moves it",
       [](LinkedList& l, Item&, Item& b, Item&, Item&) { l.pushBack(&b); }, "cb"},
      {"after self does nothing",
       [](LinkedList& l, Item&, Item& b, Item&, Item&) { l.insertAfter(&b, &b); }, "cb"},
      {"after a stranger does nothing",
       [](LinkedList& l, Item& a, Item&, Item&, Item& d) { l.insertAfter(&a, &d); }, "cb"},
  };
  LinkedList list;
  for (const Step& s : steps) {
    s.apply(list, a, b, c, d);
    EXPECT_EQ(names(list), s.expected) << s.name;
  }
  EXPECT_EQ(b.list, &list);
  EXPECT_EQ(a.list, nullptr);
  EXPECT_EQ(a.previous, nullptr);
  EXPECT_EQ(a.next, nullptr);
}

TEST(LinkedList, UnlinkingTheOnlyElementEmptiesTheList) {
  LinkedList list;
  Item a('a');
  list.pushBack(&a);
  list.unlink(&a);
  EXPECT_EQ(list.head(), nullptr);
  EXPECT_EQ(list.tail(), nullptr);
  EXPECT_EQ(a.list, nullptr);
  EXPECT_EQ(a.previous, nullptr);
  EXPECT_EQ(a.next, nullptr);
}

TEST(LinkedList, PopFromBothEnds) {
  LinkedList list;
  EXPECT_EQ(list.popFront(), nullptr);
  EXPECT_EQ(list.popBack(), nullptr);
  Item a('a'), b('b'), c('c');
  list.pushBack(&a);
  list.pushBack(&b);
  list.pushBack(&c);
  EXPECT_EQ(list.popFront(), &a);
  EXPECT_EQ(list.popBack(), &c);
  EXPECT_EQ(list.head(), &b);
  EXPECT_EQ(list.tail(), &b);
  EXPECT_EQ(list.popBack(), &b);
  EXPECT_EQ(list.head(), nullptr);
  EXPECT_EQ(list.tail(), nullptr);
  EXPECT_TRUE(list.empty());
}

TEST(LinkedList, MovingBetweenListsAndDestroying) {
  LinkedList first, second;
  Item a('a'), b('b');
  first.pushBack(&a);
  first.pushBack(&b);
  second.pushBack(&a);  // leaves the first list
  EXPECT_EQ(names(first), "b");
  EXPECT_EQ(names(second), "a");
  second.unlink(&b);  // not its list: nothing happens
  EXPECT_EQ(names(first), "b");
  {
    Item temporary('t');
    first.pushBack(&temporary);
    EXPECT_EQ(names(first), "bt");
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
    if (limit >= 0 && allocated >= limit) return nullptr;
    ++allocated;
    ++live;
    return std::malloc(size);
  }
  void release(void* block) override {
    --live;
    std::free(block);
  }
  int allocated = 0;
  int live = 0;
  int limit = -1;
};

std::vector<std::string> texts(const StringList& list) {
  std::vector<std::string> out;
  for (TextBuffer& text : list) out.emplace_back(text.text());
  return out;
}

TEST(StringList, ResizeMakesEmptyStringsInOrder) {
  StringList list;
  EXPECT_EQ(list.resize(3), 3u);
  EXPECT_EQ(texts(list), (std::vector<std::string>{"", "", ""}));
  int i = 0;
  for (TextBuffer& text : list) text.assign(std::to_string(i++).c_str());
  EXPECT_EQ(texts(list), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(list.resize(1), 1u);
  EXPECT_EQ(texts(list), (std::vector<std::string>{""})) << "resize clears first";
  EXPECT_EQ(list.resize(0), 0u);
  EXPECT_TRUE(list.empty());
}

TEST(StringList, NodesComeFromTheAllocator) {
  CountingAllocator allocator;
  {
    StringList list(&allocator);
    list.append("one");
    list.append(nullptr);
    list.append("three");
    EXPECT_EQ(texts(list), (std::vector<std::string>{"one", "", "three"}));
    EXPECT_EQ(allocator.live, 3);
    list.clear();
    EXPECT_EQ(allocator.live, 0);

    allocator.limit = allocator.allocated + 2;
    EXPECT_EQ(list.resize(5), 2u) << "stops at the first failed node";
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.append("x"), nullptr);
    EXPECT_EQ(list.count(), 2u);
  }
  EXPECT_EQ(allocator.live, 0) << "the destructor frees every node";
}

TEST(PointerVector, ResizeAndAppend) {
  PointerVector<const char> vector;
  EXPECT_EQ(vector.items(), nullptr);
  EXPECT_EQ(vector.count(), 0u);
  EXPECT_FALSE(vector.resize(3));
  ASSERT_EQ(vector.count(), 3u);
  for (const char* item : vector) EXPECT_EQ(item, nullptr) << "new slots are null";

  const char* words[] = {"alpha", "beta", "gamma"};
  for (int i = 0; i < 3; ++i) vector[i] = words[i];
  EXPECT_FALSE(vector.resize(1));
  EXPECT_FALSE(vector.resize(3));
  EXPECT_EQ(vector[0], words[0]);
  EXPECT_EQ(vector[1], nullptr) << "slots regained after a shrink start null";
  EXPECT_EQ(vector[2], nullptr);

  EXPECT_FALSE(vector.resize(0));
  EXPECT_EQ(vector.items(), nullptr);
  EXPECT_EQ(vector.count(), 0u);

  // Enough appends to cross many 64-byte storage steps.
  std::vector<std::string> owned;
  for (int i = 0; i < 200; ++i) owned.push_back(std::to_string(i));
  for (const std::string& s : owned) {
    const char** slot = vector.appendSlot();
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(*slot, nullptr);
    *slot = s.c_str();
  }
  ASSERT_EQ(vector.count(), 200u);
  for (uint32_t i = 0; i < 200; ++i) EXPECT_EQ(vector[i], owned[i].c_str());
}

TEST(PointerVector, HugeSizesFailAndKeepTheItems) {
  PointerVector<int> vector;
  int x = 5;
  EXPECT_FALSE(vector.append(&x));
  const uint32_t sizes[] = {0xFFFFFFFFu, 0x20000000u};  // beyond 4 GiB of slots
  for (uint32_t n : sizes) {
    EXPECT_TRUE(vector.resize(n)) << n;
    ASSERT_EQ(vector.count(), 1u);
    EXPECT_EQ(vector[0], &x);
  }
}

class Tracked : public SharedObject {
 public:
  Tracked(int* destroyed, int32_t count = 1) : SharedObject(count), destroyed_(destroyed) {}
  ~Tracked() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(SharedObject, CountsAndStaticInstances) {
  int destroyed = 0;
  Tracked* counted = new Tracked(&destroyed);
  counted->addReference();
  counted->addReference();
  counted->release();
  counted->release();
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(counted->referenceCount(), 1);
  counted->release();
  EXPECT_EQ(destroyed, 1);

  Tracked forever(&destroyed, SharedObject::kStatic);
  for (int i = 0; i < 5; ++i) forever.release();
  forever.addReference();
  EXPECT_EQ(forever.referenceCount(), SharedObject::kStatic);
  EXPECT_EQ(destroyed, 1);

  Tracked* unowned = new Tracked(&destroyed, 0);
  unowned->release();  // must not slip into the static range and leak
  EXPECT_EQ(destroyed, 2);
}

std::vector<std::string> keys(const StringMap& map) {
  std::vector<std::string> out;
  map.forEach([&](StringMap::Entry& entry) {
    out.emplace_back(entry.key.text());
    return false;
  });
  return out;
}

TEST(StringMap, InsertFindAndOrder) {
  StringMap map;
  const char* inserted[] = {"b", "a", "ab", "\x82\xa0", "B", "", "a\x7f", "\x81\x40"};
  for (const char* key : inserted) {
    StringMap::Entry* entry = map.insert(key);
    ASSERT_NE(entry, nullptr);
    entry->value.assign((std::string("v:") + key).c_str());
  }
  // Bytes compare unsigned: 0x81 and 0x82 come after every ASCII byte.
  EXPECT_EQ(keys(map),
            (std::vector<std::string>{"", "B", "a", "ab", "a\x7f", "b", "\x81\x40", "\x82\xa0"}));
  for (const char* key : inserted) {
    StringMap::Entry* entry = map.find(key);
    ASSERT_NE(entry, nullptr) << key;
    EXPECT_STREQ(entry->key.text(), key);
    EXPECT_EQ(std::string(entry->value.text()), std::string("v:") + key);
  }
  EXPECT_EQ(map.find("c"), nullptr);
  EXPECT_EQ(map.find("A"), nullptr) << "case matters";
  EXPECT_EQ(map.find(nullptr), map.find(""));
}

TEST(StringMap, ExistingEntryIsReturnedAndStaysPut) {
  StringMap map;
  StringMap::Entry* first = map.insert("DISPLAY");
  first->value.assign(":1");
  for (int i = 0; i < 500; ++i) map.insert(("K" + std::to_string(i)).c_str());
  EXPECT_EQ(map.insert("DISPLAY"), first);
  EXPECT_EQ(map.find("DISPLAY"), first);
  EXPECT_STREQ(first->value.text(), ":1");
  EXPECT_EQ(map.count(), 501u);
  EXPECT_TRUE(map.remove("K7"));
  EXPECT_FALSE(map.remove("K7"));
  EXPECT_EQ(map.find("K7"), nullptr);
  EXPECT_EQ(map.find("DISPLAY"), first);
  map.clear();
  EXPECT_EQ(map.count(), 0u);
  EXPECT_EQ(map.find("DISPLAY"), nullptr);
}

}  // namespace
}  // namespace vexa
