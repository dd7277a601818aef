// A thread page as a hostile server could send it, parsed from the first occurrence of the
// marker the viewer looks for (or from the start).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "board/write_form.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexa;
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const size_t marker = page.find('<');
  WriteForm form;
  parseWriteForm(page, marker == std::string_view::npos ? 0 : marker, form);
  for (uint32_t i = 1; i < form.fieldCount(); ++i) {
    if (compareFieldNames(form.field(i - 1).name.text(), form.field(i).name.text()) >= 0) {
      __builtin_trap();
    }
  }
  WriteForm again;
  parseWriteForm(page, 0, again);
  return 0;
}
