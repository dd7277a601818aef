#include "base/string_list.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace vexa {

StringList::Node* StringList::makeNode() {
  void* memory =
      allocator_ != nullptr ? allocator_->allocate(sizeof(Node)) : std::malloc(sizeof(Node));
  if (memory == nullptr) return nullptr;
  std::memset(memory, 0, sizeof(Node));
  return new (memory) Node();
}

void StringList::destroyNode(Node* node) {
  node->~Node();  // also takes it out of the list
  if (allocator_ != nullptr) {
    allocator_->release(node);
  } else {
    std::free(node);
  }
}

void StringList::clear() {
  while (ListLink* link = list_.popFront()) destroyNode(static_cast<Node*>(link));
}

uint32_t StringList::resize(uint32_t n) {
  clear();
  uint32_t made = 0;
  while (made < n) {
    Node* node = makeNode();
    if (node == nullptr) break;
    list_.pushBack(node);
    ++made;
  }
  return made;
}

TextBuffer* StringList::append(const char* text) {
  Node* node = makeNode();
  if (node == nullptr) return nullptr;
  list_.pushBack(node);
  node->text.assign(text);
  return &node->text;
}

}  // namespace vexa
