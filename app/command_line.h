#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/variable_table.h"
#include "base/pointer_vector.h"
#include "base/text_buffer.h"

namespace vexa {

// What the entry point hands to Application: either the whole command line as one text, or an
// argument vector (text null). The pointed-to strings must outlive the CommandLine.
struct CommandSource {
  const char* text = nullptr;
  uint32_t count = 0;
  const char* const* vector = nullptr;
};

// The process's arguments and variables, kept for the life of the process. GUI thread only.
class CommandLine {
 public:
  CommandLine() = default;
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // Splits `source.text` when there is one, else copies the `count` strings of `vector`.
  // Replaces any earlier arguments. True when they could not be stored (the arguments are
  // then empty).
  bool build(const CommandSource& source);
  // Adds each NAME=VALUE string of a null-terminated array such as `environ`; strings without
  // "=" are skipped, and a later name replaces the value of an earlier one.
  void importEnvironment(const char* const* environment);

  uint32_t count() const { return arguments_.count(); }
  // Null past the last argument.
  const char* argument(uint32_t index) const {
    return index < arguments_.count() ? arguments_[index] : nullptr;
  }
  // Every argument followed by its NUL, then one more NUL.
  const TextBuffer& argumentText() const { return argumentText_; }
  const CommandSource* source() const { return source_; }
  VariableTable& variables() { return variables_; }
  const VariableTable& variables() const { return variables_; }

 private:
  bool store(const std::vector<std::string_view>& pieces);

  PointerVector<const char> arguments_;
  TextBuffer argumentText_;
  const CommandSource* source_ = nullptr;
  VariableTable variables_;
};

// Splits a command line into arguments: blanks separate them; an argument opened by a double or
// single quote runs to the next quote of the same kind (the quotes are dropped); any other
// argument ends at a blank or a quote, and scanning goes on one byte past each argument's end.
std::vector<std::string_view> splitCommandText(const char* text);

}  // namespace vexa
