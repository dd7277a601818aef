#include "app/headless_page_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_encoding.h"

namespace vexa {
namespace {

using Lines = std::vector<std::string>;
constexpr auto& sjis = platform::utf8ToCp932;
const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

// A post line as the page writer makes it.
std::string post(const std::string& number, const std::string& id, const std::string& body) {
  return "[<a href=\"ngid:" + id + "\">" + number + "<span class=\"popup\">" + id + "</span></a>]" +
         body + "<br>\r\n";
}

TEST(HeadlessPageTextTest, OneLinePerThreadOrPostWhateverTheBytes) {
  // The style sheet in the head never shows as text.
  const std::string head =
      "<html><head><style type=\"text/css\">\r\n"
      ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n"
      "</style></head><body>\r\n";
  struct Case {
    std::string body;  // Shift_JIS
    Lines expected;
  } cases[] = {
      // Thread keys are shown decoded, with controls replaced.
      {"<a href=\"thread:12%2534.dat\">x</a><br><a href=\"thread:%1B[2J\">x</a><br>"
       "<a href=\"thread:bad%zz%4\">x</a><br><a href=\"thread:%83%7A.dat\">x</a><br>",
       {"12%34.dat x", kBad + "[2J x", "bad%zz%4 x", "ホ.dat x"}},
      {post("12", "AbC+/9x", sjis(" こんにちは ")) + post("3", "", " x "),
       {"[12 ID:AbC+/9x] こんにちは", "[3] x"}},
      {post("4", "x", " a <br> b <br>c") + post("5", "x", " a <br>"),
       {"[4 ID:x] a ⏎ b ⏎ c", "[5 ID:x] a"}},
      // A reply's pop-up is left out; a stream link keeps its text.
      {post("6", "x",
            " <a href=\"#\">&gt;&gt;2<span class=\"popup\"> pop <br> up </span></a> b "
            "<a href=\"mms://example.com/a\">ttp://example.com/a</a> "),
       {"[6 ID:x] >>2 b ttp://example.com/a"}},
      // Entities decoded; unknown or broken ones stay as written; controls, surrogates and
      // values past Unicode are replaced.
      {post("8", "x", " &lt;&gt;&amp;&quot;&apos;&nbsp;&#38;&#x41;&#X42;&#12354; ") +
           post("9", "x", " &foo; &#; &#xZZ; &#4a; &amp & ") +
           post("10", "x", " &#27;&#155;&#xD800;&#99999999999;&#0; "),
       {"[8 ID:x] <>&\"' &ABあ", "[9 ID:x] &foo; &#; &#xZZ; &#4a; &amp &",
        "[10 ID:x] " + kBad + kBad + kBad + kBad + kBad}},
      // Bidirectional controls are shown, not obeyed, wherever the entity comes from.
      {post("11", "x", " a&#8238;b&#x2066;c&#x2069;&#8234;&#x202d;&#8294; ") +
           "<a href=\"thread:1.dat\">&#8238;tab (1)</a><br>",
       {"[11 ID:x] a<U+202E>b<U+2066>c<U+2069><U+202A><U+202D><U+2066>", "1.dat <U+202E>tab (1)"}},
      // Their neighbours are ordinary characters.
      {post("12", "x", " &#8233;&#8239;&#8293;&#8298; "), {"[12 ID:x] \u2029\u202F\u2065\u206A"}},
      {"a < b", {"a < b"}},
      // A lead byte followed by a space, then a byte Shift_JIS never uses.
      {"abc\x82 \xFD def<br>\r\nnext<br>", {"abc" + kBad + " " + kBad + " def", "next"}},
      {"abc\x82", {"abc" + kBad}},
      {"a\x1B[2Jb\x07"
       "c\td\x7F",
       {"a" + kBad + "[2Jb" + kBad + "c d" + kBad}},
      // An unterminated pop-up swallows the rest quietly.
      {"x <a href=\"#\">&gt;&gt;1<span class=\"popup\">never closed", {"x >>1"}},
      // A ";" more than 32 bytes after its "&" ends no entity; one within reach does.
      {"&" + std::string(32, 'x') + ";&#" + std::string(28, '0') + "65;&&&;",
       {"&" + std::string(32, 'x') + ";A&&&;"}},
      // Lone "<" and ">" around text: each "<" reaches only to the next ">".
      {"a < b < c > d <", {"a d <"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pageTextLines(head + c.body + "</body></html>\r\n"), c.expected) << c.body;
  }
}

TEST(HeadlessPageTextTest, StatusLinesGetTheSameCare) {
  EXPECT_EQ(statusText(sjis("- subject.txt 12 行目を解析 -")), "- subject.txt 12 行目を解析 -");
  EXPECT_EQ(statusText("- \x1B[31mred\r\n\t-"), "- " + kBad + "[31mred" + kBad + kBad + " -");
  EXPECT_EQ(statusText("cut \x83"), "cut " + kBad);
}

}  // namespace
}  // namespace vexa
