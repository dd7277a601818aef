#include "board/board_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vexa {

using Cases = std::vector<std::pair<std::string, std::string>>;

TEST(BoardMenuTest, TakesTheLinkBetweenTheNearestEqualsAndTagEndBeforeTheTitle) {
  // "ホロメキ" in code page 932; the look-alike differs in its last trail byte.
  const std::string title = "\x83\x7A\x83\x8D\x83\x81\x83\x4C";
  const std::string alike = "\x83\x7A\x83\x8D\x83\x81\x83\x4D";
  const Cases cases = {
      {"<B>x</B><BR><A HREF=http://h.example/abc/>" + title + "</A>", "http://h.example/abc/"},
      {"<A HREF=http://a/>" + alike + "<A HREF=http://b/live/>" + title + "<A HREF=http://c/>" +
           title,
       "http://b/live/"},
      {"<a href=\"http://h/q/\">" + title, "\"http://h/q/\""},
      {"<A HREF=http://h/a/ TARGET=_blank>" + title, "_blank"},
      {std::string("\0<A HREF=http://n/x/>\0", 22) + title, "http://n/x/"},
      {title + "<A HREF=http://h/a/>", "no address"},
      {">" + title, "no address"},
      {"<A HREF=http://h/a/>" + alike, "no title"},
  };
  for (const auto& [menu, expected] : cases) {
    std::string_view link;
    const MenuLinkResult result = findBoardLink(menu, title, link);
    EXPECT_EQ(std::string(link) + (result == MenuLinkResult::TitleMissing     ? "no title"
                                   : result == MenuLinkResult::AddressMissing ? "no address"
                                                                              : ""),
              expected);
  }
}

TEST(BoardMenuTest, SplitsTheLinkIntoHostWithPortAndBoardPath) {
  // Expected: host and path, or "failed" with both empty.
  const Cases cases = {
      {"http://h.example/abc/", "h.example /abc/"},
      {"http://127.0.0.1:8080/live/", "127.0.0.1:8080 /live/"},
      {"http://me:pw@h:65535/abc", "h:65535 /abc/"},
      {" http://h\r\n", "h /"},
      {"http:///abc/", "failed "},
      {"http://h:/abc/", "failed "},
      {"http://h:8o/abc/", "failed "},
      {"http://h:0/abc/", "failed "},
      {"http://h:65536/abc/", "failed "},
      {"\"http://h/q/\"", "failed "},
      {"http://h\r\nX: y/abc/", "failed "},
      {"http://h/a b/", "failed "},
      {"http://\x83\x7A/a/", "failed "},
  };
  for (const auto& [link, expected] : cases) {
    TextBuffer host, path;
    const bool failed = splitBoardLink(link, host, path);
    EXPECT_EQ((failed ? "failed" : "") + std::string(host.text()) + " " + path.text(), expected);
  }
}

}  // namespace vexa
