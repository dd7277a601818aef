#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/text_buffer.h"

namespace vexa {

// One named value of the write form.
struct FormField {
  TextBuffer name;  // trimmed, never empty
  TextBuffer value;
};

// The thread's write form as its page gives it: the action path and the named fields, sorted by
// name in text order with ASCII letter case ignored, one entry per name. Touched only by the
// watch task's fiber.
class WriteForm {
 public:
  // A real form has a handful of fields; a page with more is hostile, and without a cap every new
  // name would shift the sorted list (a quadratic parse) and grow it without end.
  static constexpr size_t kMaxFields = 256;

  // The named entry (case ignored) or a new one with an empty value; null when the name trims to
  // nothing, the form already holds kMaxFields names, or memory ran out.
  FormField* findOrCreate(std::string_view name);
  FormField* find(std::string_view name);
  void clear();

  TextBuffer& action() { return action_; }
  const TextBuffer& action() const { return action_; }
  uint32_t fieldCount() const { return static_cast<uint32_t>(fields_.size()); }
  // 0-based, in name order.
  const FormField& field(uint32_t index) const { return *fields_[index]; }

 private:
  TextBuffer action_;
  std::vector<std::unique_ptr<FormField>> fields_;
};

// Compares names as the cookie store does (text order, ASCII letter case ignored).
int compareFieldNames(std::string_view a, std::string_view b);

// Writes every byte as "%" and two uppercase hexadecimal digits, letters and digits included.
void percentEncode(std::string_view text, TextBuffer& out);

// Fills `form` from a thread page, from `start` on (exact, case-sensitive searches): the form's
// action without its leading dots, the submit input's name and value, the hidden inputs before
// "</form>"; then the "message" and "submit" values are percent-encoded. True (failed) when the
// form tag, its action, the submit input or its name or value is missing.
bool parseWriteForm(std::string_view page, size_t start, WriteForm& form);

}  // namespace vexa
