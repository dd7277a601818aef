#include "board/board_menu.h"

#include "base/sjis.h"

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
      {"<a href=\"http://h/q/\">" + title, "http://h/q/"},
      {"<a href= \"http://h/q/>" + title, "\"http://h/q/"},
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

TEST(BoardMenuTest, PrefersTheAnchorWhoseWholeTextIsTheTitle) {
  const std::string title = "ニュース速報"_sjis;
  const Cases cases = {
      // Quoted, as today's menus write it: the link is what is inside the quotes.
      {"<A HREF=\"https://a.example/news/\">" + title + "</A>", "https://a.example/news/"},
      {"<a target=_blank href='https://a.example/n/' >" + title + "</a>", "https://a.example/n/"},
      // The title first as the prefix of another board's, then in a category header.
      {"<A HREF=https://b.example/newsplus/>" + title + "+</A><BR><B>" + title +
           "</B><BR><A HREF=https://a.example/news/>" + title + "</A>",
       "https://a.example/news/"},
      {"<B>" + title + "</B><A HREF=http://x/y/>" + title + "</A><A HREF=http://z/w/>" + title +
           "</A>",
       "http://x/y/"},
      // An anchor without a link, or a tag that is not an anchor, is not the board.
      {"<A NAME=news>" + title + "</A><A HREF=http://x/y/>" + title + "</A>", "http://x/y/"},
      {"<ABBR TITLE=x>" + title + "</A><a\thref=http://x/y/>" + title + "</a>", "http://x/y/"},
      // No exact anchor: the first occurrence, as before.
      {"<A HREF=http://p/plus/>" + title + "+</A>", "http://p/plus/"},
      {"<A HREF=http://p/q/>" + title + "</B>", "http://p/q/"},
  };
  for (const auto& [menu, expected] : cases) {
    std::string_view link;
    EXPECT_EQ(findBoardLink(menu, title, link), MenuLinkResult::Found) << menu;
    EXPECT_EQ(link, expected) << menu;
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
      {"https://h.example/abc/", "https://h.example /abc/"},
      {"HTTPS://h:8443/abc", "https://h:8443 /abc/"},
      {"https:///abc/", "failed "},
      {"ftp://h/abc/", "h /abc/"},
  };
  for (const auto& [link, expected] : cases) {
    TextBuffer host, path;
    const bool failed = splitBoardLink(link, host, path);
    EXPECT_EQ((failed ? "failed" : "") + std::string(host.text()) + " " + path.text(), expected);
  }
}

}  // namespace vexa
