#include "view/body_converter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "view_test_support.h"

namespace vexa {

// A reply anchor as the board writes it, and the markup the converter makes.
#define ANCHOR(target) "<a href=\"../test/read.cgi/live/1234567890/" target "\" target=\"_blank\">"
#define POPUP(text, body) "<a href=\"#\">" text "<span class=\"popup\">" body "</span></a>"
#define DEAD(text) "<a href=\"#\">" text "</a>"
#define LINK(target, text) "<a href=\"mms://" target "\">" text "</a>"
#define SECURE(target, text) "<a href=\"https://" target "\">" text "</a>"

TEST(BodyConverterTest, ConvertsBreaksAddressesAndAnchorsAndNothingElse) {
  // Posts 1..15 exist; 12 is "twelve", 3 is hidden, 5 carries pop-up and link markup of its own.
  const char* post5 = "x" POPUP("&gt;&gt;1", "first<br>post") " " LINK("a.b/c", "http://a.b/c") "y";
  PostList posts;
  for (uint32_t n = 1; n <= 15; ++n) {
    std::string body = n == 1 ? "first<br>post" : n == 12 ? "twelve" : "post" + std::to_string(n);
    if (n == 5) body = post5;
    posts.append(test::makePost(n, "id", body, n != 3));
  }
  // The body, the display HTML, and whether it carries a stream link.
  const std::vector<std::tuple<std::string, std::string, bool>> cases = {
      // Breaks with only blanks between them collapse; blanks before text stay.
      {"a<br> <br>&nbsp;<br>b", "a<br>b", false},
      {"a<br> b", "a<br> b", false},
      {"a<br>\x81\x40 &nbsp; <br><br>b", "a<br>b", false},
      {"a<br", "a&lt;br", false},
      // Every address form becomes an mms link around the text as written.
      {"see http://a.b/live end", "see " LINK("a.b/live", "http://a.b/live") " end", true},
      {"ttp://example/x", LINK("example/x", "ttp://example/x"), true},
      {"http://a.b,c:d;e+f-g=h&amp;i?j%k/l~m_n",
       LINK("a.b,c:d;e+f-g=h&amp;i?j%k/l~m_n", "http://a.b,c:d;e+f-g=h&amp;i?j%k/l~m_n"), true},
      {"http://a/\"x mms://b<br>y", LINK("a/", "http://a/") "\"x " LINK("b", "mms://b") "<br>y",
       true},
      {"192.168.0.1:8080/live now", LINK("192.168.0.1:8080/live", "192.168.0.1:8080/live") " now",
       true},
      {"at 10.0.0.7", "at " LINK("10.0.0.7", "10.0.0.7"), true},
      // No dotted quad (three groups, a cut one, an empty group) and no scheme of ours.
      {"ver 1.2.3 ok 1.2.3. 1.2..4", "ver 1.2.3 ok 1.2.3. 1.2..4", false},
      {"http:// HTTP://a.b hxxps://a https:// ttps:", "http:// HTTP://a.b hxxps://a https:// ttps:",
       false},
      // https addresses stay https links, and count as links.
      {"https://a.b/c?d=1 ttps://e/f",
       SECURE("a.b/c?d=1", "https://a.b/c?d=1") " " SECURE("e/f", "ttps://e/f"), true},
      // ド is 0x83 0x68 and ヤ 0x83 0x6D: trail bytes that look like "h" and "m".
      {"\x83\x68ttp://x", "\x83\x68" LINK("x", "ttp://x"), true},
      {"\x83\x6Dms://x", "\x83\x6Dms://x", false},
      {std::string("ab\0http://x", 11), "ab", false},  // the text ends at a NUL
      // Reply anchors pop up the post they point at (the start of a range), one level deep.
      {ANCHOR("1") "&gt;&gt;1</a> hi", POPUP("&gt;&gt;1", "first<br>post") " hi", false},
      {ANCHOR("12-15") "&gt;&gt;12-15</a>", POPUP("&gt;&gt;12-15", "twelve"), false},
      {ANCHOR("3") "&gt;&gt;3</a>", POPUP("&gt;&gt;3", "post3"), false},
      {ANCHOR("5") "&gt;&gt;5</a>", POPUP("&gt;&gt;5", "x&gt;&gt;1 http://a.b/cy"), false},
      {ANCHOR("1") "a</a>" ANCHOR("12") "b</a>", POPUP("a", "first<br>post") POPUP("b", "twelve"),
       false},
      // 16 is the post being converted, not in the list yet; 4294967297 must not wrap to 1.
      {ANCHOR("16") "a</a>" ANCHOR("0") "b</a>" ANCHOR("4294967297") "c</a>",
       DEAD("a") DEAD("b") DEAD("c"), false},
      {"<a href=\"../test/read.cgi/live\">&gt;&gt;1</a>", DEAD("&gt;&gt;1"), false},
      // A dead anchor's text is copied by the main loop, but never grows a nested link.
      {ANCHOR("99") "1.2.3.4</a> 1.2.3.4", DEAD("1.2.3.4") " " LINK("1.2.3.4", "1.2.3.4"), true},
      {ANCHOR("1") "&gt;&gt;1 tail", DEAD("&gt;&gt;1 tail"), false},
      {"x<a href=\"../test/read.cgi/live/1/1", "x" DEAD(""), false},
      {ANCHOR("12") "&gt;<b>12</a>", POPUP("&gt;&lt;b>12", "twelve"), false},
      // The board's display markup is kept where it nests; a body closes what it left open.
      {"<b>x</b><hr>a<br />b<i>y</i><font color=red>r</font><font color=\"#FF00aa\">s</font>",
       "<b>x</b><hr>a<br>b<i>y</i><font color=red>r</font><font color=\"#FF00aa\">s</font>", false},
      {"<b><i>x</b></i></b>", "<b><i>x&lt;/b></i></b>", false},
      {"<b><font color=red>x", "<b><font color=red>x</font></b>", false},
      {"</b></font></i><b>" ANCHOR("1") "<i>&gt;&gt;1</a>",
       "&lt;/b>&lt;/font>&lt;/i><b>" POPUP("&lt;i>&gt;&gt;1", "first<br>post") "</b>", false},
      {ANCHOR("99") "<b>x</b></a>", DEAD("&lt;b>x&lt;/b>"), false},
      {"a<br /> <br>&nbsp;<br />b", "a<br>b", false},
      {"<b><b><b><b><b><b><b><b><b>x",
       "<b><b><b><b><b><b><b><b>&lt;b>x</b></b></b></b></b></b></b></b>", false},
      // Any other markup, or the same with attributes or capitals, is text.
      {"<b>x</b>a</a><BR><a href=\"ngid:x\">y", "<b>x</b>a&lt;/a>&lt;BR>&lt;a href=\"ngid:x\">y",
       false},
      {"<B>x<b class=a><hr/><br/><font color=red size=9><font color=\"red><font color=>"
       "<font color=\"x\" onclick=y><font color=javascript:x><font style=a><script>",
       "&lt;B>x&lt;b class=a>&lt;hr/>&lt;br/>&lt;font color=red size=9>&lt;font color=\"red>"
       "&lt;font color=>&lt;font color=\"x\" onclick=y>&lt;font color=javascript:x>"
       "&lt;font style=a>&lt;script>",
       false},
  };
  // One record (post 16) takes every case, so each shows that a reused record starts over.
  auto record = makePostRecord(16);
  for (const auto& [input, expected, streamLink] : cases) {
    EXPECT_FALSE(convertBody(*record, input, posts)) << input;
    EXPECT_EQ(record->body.text(), expected) << input;
    EXPECT_EQ(record->hasStreamLink, streamLink) << input;
  }
}

TEST(BodyConverterTest, LongDigitRunsStillFindTheDottedQuadThatFollows) {
  const std::string run(5000, '9');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {run + ".1.2.3/x", LINK("" + run + ".1.2.3/x", "" + run + ".1.2.3/x")},
      {run + ".1.2 " + run + "a1.2.3.4", run + ".1.2 " + run + "a" LINK("1.2.3.4", "1.2.3.4")},
      {"1." + run + ".3.4", LINK("1." + run + ".3.4", "1." + run + ".3.4")},
      {"1." + run + "..3.4", "1." + run + "..3.4"},
  };
  auto record = makePostRecord(1);
  for (const auto& [input, expected] : cases) {
    EXPECT_FALSE(convertBody(*record, input, PostList()));
    EXPECT_EQ(record->body.text(), expected) << input.substr(0, 10);
  }
}

TEST(BodyConverterTest, PopUpsStopAtTheirBudgetAndLaterAnchorsAreDead) {
  // Post 1 is ordinary, post 2 is 20,000 bytes of HTML: three pop-ups of it fit in the budget of
  // one post, the fourth and every anchor after it are dead, ordinary ones included.
  const std::string big(20000, 'x');
  PostList posts;
  posts.append(test::makePost(1, "id", "small"));
  posts.append(test::makePost(2, "id", big));
  std::string body, expected;
  for (int i = 0; i < 3; ++i) {
    body += ANCHOR("1") "a</a>" ANCHOR("2") "b</a>";
    expected += POPUP("a", "small") "<a href=\"#\">b<span class=\"popup\">" + big + "</span></a>";
  }
  body += ANCHOR("2") "c</a>" ANCHOR("1") "d</a>";
  expected += DEAD("c") DEAD("d");
  auto record = makePostRecord(3);
  EXPECT_FALSE(convertBody(*record, body, posts));
  EXPECT_EQ(record->body.text(), expected);
  // The budget belongs to one body: the next one starts with all of it.
  EXPECT_FALSE(convertBody(*record, ANCHOR("1") "a</a>", posts));
  EXPECT_STREQ(record->body.text(), POPUP("a", "small"));
}

}  // namespace vexa
