#include "board/tag_scanner.h"

#include "base/text_functions.h"

namespace vexa {

bool findTag(std::string_view page, size_t from, std::string_view opening, TagSpan& tag) {
  const size_t start = page.find(opening, from);
  if (start == std::string_view::npos) return false;
  tag.start = start;
  const size_t end = page.find('>', start + opening.size());
  tag.end = end == std::string_view::npos ? page.size() : end;
  return true;
}

bool readAttribute(std::string_view page, const TagSpan& tag, std::string_view name,
                   std::string_view& value, size_t* scanned) {
  value = {};
  // Only a name that ends inside the tag can have its value begin there, so the search stops at
  // the tag's end: a page of many tags costs one pass, not one pass per tag.
  const size_t found = page.substr(0, tag.end).find(name, tag.start);
  if (found == std::string_view::npos) return false;
  size_t begin = found + name.size();
  while (begin < page.size() && page[begin] == ' ') ++begin;
  if (begin > tag.end) return false;

  size_t end;
  size_t after;
  if (begin < page.size() && page[begin] == '"') {
    ++begin;
    end = page.find('"', begin);
    if (end == std::string_view::npos) end = page.size();
    after = end < page.size() ? end + 1 : end;
  } else {
    end = begin;
    while (end < page.size() && page[end] != ' ' && page[end] != '>') ++end;
    after = end;
  }
  if (scanned) *scanned = after;
  value = trimBlanks(page.substr(begin, end - begin));
  return true;
}

}  // namespace vexa
