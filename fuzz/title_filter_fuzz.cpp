// The normalising comparison through the thread-name filter: the data up to its first NUL is the
// filter text, the rest a title. A text always occurs in itself at its start.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "board/title_filter.h"
#include "view/normalising_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexa;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const size_t split = all.find('\0');
  const std::string_view text = all.substr(0, split);
  const std::string_view title =
      split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
  TitleFilter filter;
  filter.apply(text);
  filter.matches(title);
  findNormalised(title, text);
  if (findNormalised(title, title) != 0) __builtin_trap();
  return 0;
}
