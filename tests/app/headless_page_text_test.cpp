#include "app/headless_page_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_encoding.h"

namespace vexa {
namespace {

using Lines = std::vector<std::string>;

// Pages are written here in UTF-8 and handed over as the Shift_JIS bytes the viewer makes.
std::string sjis(const std::string& utf8) {
  return platform::utf8ToCp932(utf8);
}

const std::string kListHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n"
    "</style></head><body>\r\n";
const std::string kEnd = "</body></html>\r\n";

TEST(HeadlessPageTextTest, ThreadListGivesOneLinePerThreadWithItsKey) {
  const std::string page =
      kListHead +
      "<a href=\"thread:1700000400.dat\">ホロメキ実況スレ Part41 (900/12)</a><br>"
      "<a href=\"thread:17.dat\">A (b) &amp; c (12)</a><br>" +
      kEnd;
  EXPECT_EQ(pageTextLines(sjis(page)),
            (Lines{"1700000400.dat ホロメキ実況スレ Part41 (900/12)", "17.dat A (b) & c (12)"}));
}

TEST(HeadlessPageTextTest, ThreadKeysAreShownAsTheLinkCarriesThemDecoded) {
  struct Case {
    std::string href;
    std::string expected;
  } cases[] = {
      {"12%2534.dat", "12%34.dat x"},
      {"a%20b.dat", "a b.dat x"},
      {"%1B[2J.dat", "\xEF\xBF\xBD[2J.dat x"},
      {"bad%zz%4", "bad%zz%4 x"},
      {"%83%7A.dat", "ホ.dat x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pageTextLines("<body><a href=\"thread:" + c.href + "\">x</a><br></body>"),
              Lines{c.expected})
        << c.href;
  }
}

TEST(HeadlessPageTextTest, PostLines) {
  struct Case {
    const char* name;
    std::string line;  // one post line as the page writer makes it
    Lines expected;
  } cases[] = {
      {"plain post with ID",
       "[<a href=\"ngid:AbC+/9x\">12<span class=\"popup\">AbC+/9x</span></a>] こんにちは <br>\r\n",
       {"[12 ID:AbC+/9x] こんにちは"}},
      {"post without ID shows no empty ID",
       "[<a href=\"ngid:\">3<span class=\"popup\"></span></a>] IDなし <br>\r\n",
       {"[3] IDなし"}},
      {"line breaks inside a post stay on one line",
       "[<a href=\"ngid:x\">4<span class=\"popup\">x</span></a>] a <br> b <br>c<br>\r\n",
       {"[4 ID:x] a ⏎ b ⏎ c"}},
      {"a post ending in a line break has no dangling mark",
       "[<a href=\"ngid:x\">5<span class=\"popup\">x</span></a>] a <br><br>\r\n",
       {"[5 ID:x] a"}},
      {"reply pop-up is left out, its anchor text stays",
       "[<a href=\"ngid:x\">6<span class=\"popup\">x</span></a>] <a href=\"#\">&gt;&gt;2<span "
       "class=\"popup\"> pop <br> up </span></a> それな <br>\r\n",
       {"[6 ID:x] >>2 それな"}},
      {"stream link keeps its visible text",
       "[<a href=\"ngid:x\">7<span class=\"popup\">x</span></a>] 見て <a "
       "href=\"mms://example.com/a\">ttp://example.com/a</a> <br>\r\n",
       {"[7 ID:x] 見て ttp://example.com/a"}},
      {"entities are decoded",
       "[<a href=\"ngid:x\">8<span class=\"popup\">x</span></a>] &lt;&gt;&amp;&quot;&apos;&nbsp;"
       "&#38;&#x41;&#X42;&#12354; <br>\r\n",
       {"[8 ID:x] <>&\"' &ABあ"}},
      {"unknown or broken entities stay as written",
       "[<a href=\"ngid:x\">9<span class=\"popup\">x</span></a>] &foo; &#; &#xZZ; &amp & <br>\r\n",
       {"[9 ID:x] &foo; &#; &#xZZ; &amp &"}},
      {"entities for controls, surrogates and huge values are replaced",
       "[<a href=\"ngid:x\">10<span class=\"popup\">x</span></a>] &#27;&#155;&#xD800;&#99999999999;"
       "&#0; <br>\r\n",
       {"[10 ID:x] \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}},
      {"a lone < is text",
       "[<a href=\"ngid:x\">11<span class=\"popup\">x</span></a>] a < b",
       {"[11 ID:x] a < b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pageTextLines(sjis(kListHead + c.line + kEnd)), c.expected) << c.name;
  }
}

TEST(HeadlessPageTextTest, SeveralPostsGiveSeveralLines) {
  const std::string page = kListHead +
                           "[<a href=\"ngid:a\">1<span class=\"popup\">a</span></a>] one <br>\r\n"
                           "[<a href=\"ngid:b\">2<span class=\"popup\">b</span></a>] two <br>\r\n" +
                           kEnd;
  EXPECT_EQ(pageTextLines(sjis(page)), (Lines{"[1 ID:a] one", "[2 ID:b] two"}));
}

TEST(HeadlessPageTextTest, BadBytesNeverStopTheOutput) {
  struct Case {
    const char* name;
    std::string body;
    Lines expected;
  } cases[] = {
      // A lead byte followed by a space, then a byte CP932 never uses.
      {"cut double-byte character",
       "abc\x82 \xFD def<br>\r\nnext<br>",
       {"abc\xEF\xBF\xBD \xEF\xBF\xBD def", "next"}},
      {"lead byte at the very end", "abc\x82", {"abc\xEF\xBF\xBD"}},
      {"terminal escape sequence",
       "a\x1B[2Jb\x07"
       "c\td",
       {"a\xEF\xBF\xBD[2Jb\xEF\xBF\xBD"
        "c d"}},
      {"NUL-free DEL",
       "a\x7F"
       "b",
       {"a\xEF\xBF\xBD"
        "b"}},
      {"unterminated pop-up swallows the rest quietly",
       "x <a href=\"#\">&gt;&gt;1<span class=\"popup\">never closed",
       {"x >>1"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pageTextLines("<html><body>" + c.body + "</body></html>"), c.expected) << c.name;
  }
}

TEST(HeadlessPageTextTest, PagesWithoutBodyOrEmpty) {
  EXPECT_EQ(pageTextLines(""), Lines{});
  EXPECT_EQ(pageTextLines(kListHead + kEnd), Lines{});
  EXPECT_EQ(pageTextLines("just text"), Lines{"just text"});
  // The style sheet in the head never shows up as text.
  EXPECT_EQ(pageTextLines(kListHead + "x" + kEnd), Lines{"x"});
}

TEST(HeadlessPageTextTest, StatusLines) {
  struct Case {
    std::string status;
    std::string expected;
  } cases[] = {
      {sjis("- subject.txt 12 行目を解析 -"), "- subject.txt 12 行目を解析 -"},
      {sjis("\"ホロメキ\"が見つかりません"), "\"ホロメキ\"が見つかりません"},
      {"- \x1B[31mred\r\n -", "- \xEF\xBF\xBD[31mred\xEF\xBF\xBD\xEF\xBF\xBD -"},
      {"cut \x83", "cut \xEF\xBF\xBD"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(statusText(c.status), c.expected) << c.expected;
}

}  // namespace
}  // namespace vexa
