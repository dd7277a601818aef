#pragma once

#include <cstdint>

#include "base/block_store.h"
#include "base/linked_list.h"
#include "base/text_buffer.h"

namespace vexa {

// A list of text buffers whose nodes the list owns. Nodes come from the attached allocator when
// there is one, otherwise from the heap; each starts with an empty buffer.
class StringList {
 public:
  struct Node : ListLink {
    TextBuffer text;
    Node* nextNode() const { return static_cast<Node*>(next); }
  };

  explicit StringList(Allocator* allocator = nullptr) : allocator_(allocator) {}
  ~StringList() { clear(); }
  StringList(const StringList&) = delete;
  StringList& operator=(const StringList&) = delete;

  void clear();
  // Clears, then appends n empty nodes; returns how many could be made.
  uint32_t resize(uint32_t n);
  // A new last node holding a copy of `text`; null when no node could be made.
  TextBuffer* append(const char* text);

  Node* first() const { return static_cast<Node*>(list_.head()); }
  Node* last() const { return static_cast<Node*>(list_.tail()); }
  uint32_t count() const { return list_.count(); }
  bool empty() const { return list_.empty(); }

  struct Iterator {
    Node* node;
    TextBuffer& operator*() const { return node->text; }
    Iterator& operator++() {
      node = node->nextNode();
      return *this;
    }
    bool operator!=(const Iterator& other) const { return node != other.node; }
  };
  Iterator begin() const { return {first()}; }
  Iterator end() const { return {nullptr}; }

 private:
  Node* makeNode();
  void destroyNode(Node* node);

  Allocator* allocator_;
  LinkedList list_;
};

}  // namespace vexa
