#include "board/board_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/url_split.h"

namespace vexa {
namespace {

struct MenuCase {
  const char* name;
  std::string menu;
  std::string title;
  MenuLinkResult result;
  std::string link;
};

TEST(BoardMenuTest, FindsTheLinkBeforeTheTitle) {
  const std::vector<MenuCase> cases = {
      {"unquoted anchor", "<B>x</B><BR><A HREF=http://h.example/abc/>Live</A><br>", "Live",
       MenuLinkResult::Found, "http://h.example/abc/"},
      {"first occurrence wins", "<A HREF=http://one/a/>Live</A> <A HREF=http://two/b/>Live</A>",
       "Live", MenuLinkResult::Found, "http://one/a/"},
      {"quoted attribute keeps the quotes", "<a href=\"http://h/q/\">Live</a>", "Live",
       MenuLinkResult::Found, "\"http://h/q/\""},
      {"later attribute's = is nearest", "<A HREF=http://h/a/ TARGET=_blank>Live</A>", "Live",
       MenuLinkResult::Found, "_blank"},
      {"title at the very start", "Live<A HREF=http://h/a/>x</A>", "Live",
       MenuLinkResult::AddressMissing, ""},
      {"title as text before any tag", "menu: Live and more <A HREF=http://h/a/>x</A>", "Live",
       MenuLinkResult::AddressMissing, ""},
      {"> at the start, no = before it", "><b>Live", "Live", MenuLinkResult::AddressMissing, ""},
      {"no = before the >", "<b>Live</b>", "Live", MenuLinkResult::AddressMissing, ""},
      {"title missing", "<A HREF=http://h/a/>Other</A>", "Live", MenuLinkResult::TitleMissing, ""},
      {"case matters", "<A HREF=http://h/a/>LIVE</A>", "Live", MenuLinkResult::TitleMissing, ""},
      {"empty menu", "", "Live", MenuLinkResult::TitleMissing, ""},
      {"= directly before >", "<A HREF=>Live", "Live", MenuLinkResult::Found, ""},
      {"NUL bytes in the page", std::string("\0<A HREF=http://n/x/>\0Live", 26), "Live",
       MenuLinkResult::Found, std::string("http://n/x/", 11)},
  };
  for (const auto& c : cases) {
    std::string_view link;
    EXPECT_EQ(findBoardLink(c.menu, c.title, link), c.result) << c.name;
    EXPECT_EQ(link, c.link) << c.name;
  }
}

TEST(BoardMenuTest, FindsAShiftJisTitleByItsBytes) {
  // "ホロメキ" in code page 932, and a look-alike with one different trail byte before it.
  const std::string title = "\x83\x7A\x83\x8D\x83\x81\x83\x4C";
  const std::string lookAlike = "\x83\x7A\x83\x8D\x83\x81\x83\x4D";
  const std::string menu =
      "<A HREF=http://a/x/>" + lookAlike + "</A><A HREF=http://b/live/>" + title + "</A>";
  std::string_view link;
  ASSERT_EQ(findBoardLink(menu, title, link), MenuLinkResult::Found);
  EXPECT_EQ(link, "http://b/live/");
}

struct SplitCase {
  const char* name;
  std::string link;
  bool failed;
  std::string host;
  std::string path;
};

TEST(BoardMenuTest, SplitsLinkIntoHostAndBoardPath) {
  const std::vector<SplitCase> cases = {
      {"directory link", "http://h.example/abc/", false, "h.example", "/abc/"},
      {"explicit port is kept", "http://127.0.0.1:8080/live/", false, "127.0.0.1:8080", "/live/"},
      {"user information dropped", "http://me:pw@h/abc/", false, "h", "/abc/"},
      {"missing trailing slash added", "http://h/abc", false, "h", "/abc/"},
      {"no path at all", "http://h", false, "h", "/"},
      {"deep path", "http://h/a/b/", false, "h", "/a/b/"},
      {"blanks around the link", " http://h/x/\r\n", false, "h", "/x/"},
      {"scheme-relative", "//h/x/", false, "h", "/x/"},
      {"no scheme slashes", "h/abc/", true, "", ""},
      {"relative link", "/abc/", true, "", ""},
      {"empty host", "http:///abc/", true, "", ""},
      {"port without host", "http://:80/abc/", true, "", ""},
      {"empty port", "http://h:/abc/", true, "", ""},
      {"port not a number", "http://h:8o/abc/", true, "", ""},
      {"port zero", "http://h:0/abc/", true, "", ""},
      {"port too large", "http://h:65536/abc/", true, "", ""},
      {"quoted link", "\"http://h/q/\"", true, "", ""},
      {"line end inside the host", "http://h\r\nX: y/abc/", true, "", ""},
      {"space inside the path", "http://h/a b/", true, "", ""},
      {"non-ASCII host", "http://\x83\x7A/a/", true, "", ""},
      {"empty link", "", true, "", ""},
  };
  for (const auto& c : cases) {
    TextBuffer host, path;
    EXPECT_EQ(splitBoardLink(c.link, host, path), c.failed) << c.name;
    EXPECT_STREQ(host.text(), c.host.c_str()) << c.name;
    EXPECT_STREQ(path.text(), c.path.c_str()) << c.name;
  }
}

TEST(UrlSplitTest, SplitsEveryPart) {
  const UrlParts parts = splitUrl("http://user@host.example:8080/a/b?c");
  EXPECT_EQ(parts.scheme, "http");
  EXPECT_EQ(parts.user, "user");
  EXPECT_EQ(parts.host, "host.example");
  EXPECT_EQ(parts.port, "8080");
  EXPECT_EQ(parts.hostAndPort, "host.example:8080");
  EXPECT_EQ(parts.path, "/a/b?c");

  const UrlParts bare = splitUrl("no-slashes");
  EXPECT_TRUE(bare.host.empty());
  EXPECT_EQ(bare.path, "no-slashes");
}

}  // namespace
}  // namespace vexa
