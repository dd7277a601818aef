#pragma once

#include <cstdint>

namespace vexa {

class LinkedList;

// The links an element of an intrusive list carries; elements derive from it. A link copied or
// assigned from another starts (or stays) out of any list, and a destroyed element takes itself
// out of its list, so no list is left pointing at freed memory.
struct ListLink {
  ListLink() = default;
  ListLink(const ListLink&) {}
  ListLink& operator=(const ListLink&) { return *this; }
  ~ListLink();

  ListLink* previous = nullptr;
  ListLink* next = nullptr;
  LinkedList* list = nullptr;
};

// A doubly linked list of elements it does not own. The count is found by walking the list.
class LinkedList {
 public:
  LinkedList() = default;
  LinkedList(const LinkedList&) = delete;
  LinkedList& operator=(const LinkedList&) = delete;
  // Leaves every remaining element out of any list.
  ~LinkedList();

  // An element that is already in a list (this one or another) is taken out of it first.
  void pushBack(ListLink* element);
  void pushFront(ListLink* element);
  // A null `link` puts the element at the front; a link that is not in this list does nothing.
  void insertAfter(ListLink* link, ListLink* element);
  // Does nothing for an element that is in no list or in another list.
  void unlink(ListLink* element);
  ListLink* popFront();
  ListLink* popBack();

  ListLink* head() const { return head_; }
  ListLink* tail() const { return tail_; }
  bool empty() const { return head_ == nullptr; }
  uint32_t count() const;

 private:
  ListLink* head_ = nullptr;
  ListLink* tail_ = nullptr;
};

}  // namespace vexa
