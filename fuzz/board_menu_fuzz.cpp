// A board menu as a hostile server could send it: the first byte picks how long the searched
// title is (taken from the data itself, so it is found), the rest is the page.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "board/board_menu.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexa;
  if (size == 0) return 0;
  const std::string_view menu(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t titleLength = data[0] % 9;
  const std::string_view title =
      menu.substr(menu.size() > titleLength ? menu.size() - titleLength : 0);
  std::string_view link;
  if (findBoardLink(menu, title, link) == MenuLinkResult::Found) {
    TextBuffer host, path;
    if (!splitBoardLink(link, host, path)) {
      if (host.empty() || path.text()[0] != '/') __builtin_trap();
    }
  }
  findBoardLink(menu, "\x83\x7A\x83\x8D\x83\x81\x83\x4C", link);
  return 0;
}
