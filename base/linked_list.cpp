#include "base/linked_list.h"

namespace vexa {

ListLink::~ListLink() {
  if (list != nullptr) list->unlink(this);
}

LinkedList::~LinkedList() {
  while (popFront() != nullptr) {
  }
}

void LinkedList::pushBack(ListLink* element) {
  insertAfter(tail_, element);
}

void LinkedList::pushFront(ListLink* element) {
  insertAfter(nullptr, element);
}

void LinkedList::insertAfter(ListLink* link, ListLink* element) {
  if (element == nullptr || element == link) return;
  if (link != nullptr && link->list != this) return;
  if (element->list != nullptr) element->list->unlink(element);

  ListLink* after = link != nullptr ? link->next : head_;
  element->previous = link;
  element->next = after;
  element->list = this;
  if (link != nullptr) {
    link->next = element;
  } else {
    head_ = element;
  }
  if (after != nullptr) {
    after->previous = element;
  } else {
    tail_ = element;
  }
}

void LinkedList::unlink(ListLink* element) {
  if (element == nullptr || element->list != this) return;
  if (element->previous != nullptr) {
    element->previous->next = element->next;
  } else {
    head_ = element->next;
  }
  if (element->next != nullptr) {
    element->next->previous = element->previous;
  } else {
    tail_ = element->previous;
  }
  element->previous = nullptr;
  element->next = nullptr;
  element->list = nullptr;
}

ListLink* LinkedList::popFront() {
  ListLink* element = head_;
  unlink(element);
  return element;
}

ListLink* LinkedList::popBack() {
  ListLink* element = tail_;
  unlink(element);
  return element;
}

uint32_t LinkedList::count() const {
  uint32_t n = 0;
  for (ListLink* link = head_; link != nullptr; link = link->next) ++n;
  return n;
}

}  // namespace vexa
