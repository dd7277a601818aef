#include "base/text_functions.h"

#include <cstring>
#include <string>

namespace vexa {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isQuote(char c) {
  return c == '"' || c == '\'';
}

}  // namespace

uint32_t boundedLength(const char* text, uint32_t maxLength) {
  if (text == nullptr) return 0;
  return static_cast<uint32_t>(strnlen(text, maxLength));
}

uint32_t copyBounded(char* destination, uint32_t destinationSize, const char* source,
                     uint32_t maxLength) {
  uint32_t n = boundedLength(source, maxLength);
  if (destination == nullptr || destinationSize == 0) {
    // The size a caller must provide; saturates instead of wrapping to 0.
    return n == kNoLimit ? n : n + 1;
  }
  uint32_t copied = n < destinationSize - 1 ? n : destinationSize - 1;
  // memmove: a buffer may be assigned a piece of its own text.
  if (copied > 0) std::memmove(destination, source, copied);
  destination[copied] = '\0';
  return copied;
}

void insertBounded(char* destination, uint32_t destinationSize, uint32_t position,
                   const char* source, uint32_t maxLength) {
  if (destination == nullptr || destinationSize == 0) return;
  destination[destinationSize - 1] = '\0';
  uint32_t n = boundedLength(source, maxLength);
  if (n == 0) return;

  // A source inside the destination would be overwritten while the tail moves.
  std::string copy;
  if (source >= destination && source < destination + destinationSize) {
    copy.assign(source, n);
    source = copy.data();
  }

  uint32_t length = static_cast<uint32_t>(strlen(destination));
  if (position > length) position = length;
  uint32_t room = destinationSize - 1 - position;
  uint32_t inserted = n < room ? n : room;
  uint32_t tail = length - position;
  if (tail > room - inserted) tail = room - inserted;
  if (tail > 0) std::memmove(destination + position + inserted, destination + position, tail);
  if (inserted > 0) std::memcpy(destination + position, source, inserted);
  destination[position + inserted + tail] = '\0';
}

namespace {

bool isLineEnd(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (isBlank(text.back()) || isLineEnd(text.back()))) text.remove_suffix(1);
  return text;
}

std::string_view trimBlanksAndLineEnds(std::string_view text) {
  while (!text.empty() && (isBlank(text.front()) || isLineEnd(text.front()))) text.remove_prefix(1);
  return trimBlanks(text);
}

void trimInPlace(char* text) {
  if (text == nullptr) return;
  const std::string_view trimmed = trimBlanks(text);
  if (trimmed.data() != text) std::memmove(text, trimmed.data(), trimmed.size());
  text[trimmed.size()] = '\0';
}

bool startsWithAt(std::string_view text, size_t position, std::string_view prefix) {
  return position <= text.size() && text.size() - position >= prefix.size() &&
         text.compare(position, prefix.size(), prefix) == 0;
}

int hexDigitValue(char byte) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  return -1;
}

bool nextToken(uint32_t& start, uint32_t& end, const char* text, uint32_t textEnd,
               bool keepQuotes) {
  if (text == nullptr) return false;
  uint32_t i = start;
  // The text also ends at its NUL, so a generous textEnd never reads past it. Offsets before
  // `start` are not scanned, but the caller vouches that they are text.
  auto atEnd = [&](uint32_t at) { return at >= textEnd || text[at] == '\0'; };
  // A token that ended at the NUL sends its caller one byte past the terminator; reading there
  // would leave the string.
  if (i > 0 && i <= textEnd && text[i - 1] == '\0') return false;
  while (!atEnd(i) && isBlank(text[i])) ++i;
  if (atEnd(i)) return false;

  char first = text[i];
  if (isQuote(first)) {
    uint32_t j = i + 1;
    while (!atEnd(j) && text[j] != first) ++j;
    bool closed = !atEnd(j);
    if (keepQuotes) {
      start = i;
      end = closed ? j + 1 : j;
    } else {
      start = i + 1;
      end = j;
    }
    return true;
  }
  uint32_t j = i;
  while (!atEnd(j) && !isBlank(text[j]) && !isQuote(text[j])) ++j;
  start = i;
  end = j;
  return true;
}

namespace {

// Offset of the closing empty string of the list in `list`, which holds `capacity` bytes.
uint32_t listEnd(const char* list, uint32_t capacity) {
  if (list == nullptr) return 0;
  uint32_t at = 0;
  while (at < capacity && list[at] != '\0') {
    at += static_cast<uint32_t>(strnlen(list + at, capacity - at)) + 1;
  }
  return at < capacity ? at : capacity;
}

}  // namespace

void appendToList(TextBuffer& list, const char* text) {
  // An empty string would read as the end of the list, so it is not stored.
  uint32_t n = boundedLength(text, kNoLimit);
  if (n == 0) return;
  uint64_t at = listEnd(list.data(), list.capacity());
  uint64_t needed = at + n + 2;
  if (needed > kNoLimit) return;
  std::string copy(text, n);  // the text may live inside the list itself
  // Keep the bytes: a zero fill would erase every string after the first NUL.
  char* data = list.reserve(static_cast<uint32_t>(needed), -1, false);
  if (data == nullptr) return;
  std::memcpy(data + at, copy.data(), n);
  data[at + n] = '\0';
  data[at + n + 1] = '\0';
}

const char* nextInList(const char* list, const char* current) {
  if (list == nullptr) return nullptr;
  const char* next = current == nullptr ? list : current + strlen(current) + 1;
  return *next != '\0' ? next : nullptr;
}

}  // namespace vexa
