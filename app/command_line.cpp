#include "app/command_line.h"

#include <cstring>

#include "base/text_functions.h"

namespace vexa {

std::vector<std::string_view> splitCommandText(const char* text) {
  std::vector<std::string_view> pieces;
  if (text == nullptr) return pieces;
  // The tokenizer counts in 32 bits; a longer text is cut there rather than misread.
  const uint32_t textEnd = boundedLength(text, kNoLimit - 1);
  uint32_t position = 0;
  while (position < textEnd) {
    uint32_t start = position;
    uint32_t end = position;
    if (!nextToken(start, end, text, textEnd, false)) break;
    pieces.emplace_back(text + start, end - start);
    if (end >= textEnd) break;
    position = end + 1;
  }
  return pieces;
}

bool CommandLine::build(const CommandSource& source) {
  source_ = &source;
  std::vector<std::string_view> pieces;
  if (source.text != nullptr) {
    pieces = splitCommandText(source.text);
  } else if (source.count != 0 && source.vector != nullptr) {
    pieces.reserve(source.count);
    for (uint32_t i = 0; i < source.count; ++i) {
      const char* item = source.vector[i];
      pieces.emplace_back(item != nullptr ? item : "");
    }
  }
  return store(pieces);
}

// All arguments go into one block sized up front: appending one by one would rescan the growing
// list each time, which a command line of many thousand arguments turns into minutes.
bool CommandLine::store(const std::vector<std::string_view>& pieces) {
  arguments_.resize(0);
  argumentText_.reserve(0, -1, true);
  if (pieces.empty()) return false;

  uint64_t total = 1;
  for (std::string_view piece : pieces) total += piece.size() + 1;
  if (total >= kNoLimit - 64 || pieces.size() >= kNoLimit) return true;
  char* block = argumentText_.reserve(static_cast<uint32_t>(total), 1, false);
  if (block == nullptr || arguments_.resize(static_cast<uint32_t>(pieces.size()))) {
    argumentText_.reserve(0, -1, true);
    arguments_.resize(0);
    return true;
  }
  char* out = block;
  for (size_t i = 0; i < pieces.size(); ++i) {
    std::memcpy(out, pieces[i].data(), pieces[i].size());
    arguments_[static_cast<uint32_t>(i)] = out;
    out += pieces[i].size() + 1;  // the block is zeroed, so the NUL is already there
  }
  return false;
}

void CommandLine::importEnvironment(const char* const* environment) {
  if (environment == nullptr) return;
  for (const char* const* item = environment; *item != nullptr; ++item) {
    const char* equals = std::strchr(*item, '=');
    if (equals == nullptr) continue;
    const size_t nameLength = static_cast<size_t>(equals - *item);
    if (nameLength >= kNoLimit) continue;
    VariableTable::Entry* entry = variables_.insert(*item, static_cast<uint32_t>(nameLength));
    if (entry != nullptr) entry->value.assign(equals + 1);
  }
}

}  // namespace vexa
