#include "platform/desktop/html_page.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "platform/text_encoding.h"

namespace vexa::platform::desktop {
namespace {

// The head of the pages the program writes, with the hover rule.
const std::string kHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n"
    "a:hover .popup{display:block;padding:1px;color:#000;background-color:#EEE;"
    "border:#000 solid 1px;}\r\n"
    "</style></head><body>\r\n";
const std::string kEnd = "</body></html>\r\n";

std::string sjis(const char* utf8) {
  return utf8ToCp932(utf8);
}

std::string page(const std::string& bodyCp932) {
  return kHead + bodyCp932 + kEnd;
}

// Every distinct link met on a walk down the page at x.
std::vector<std::string> linksDownThePage(HtmlPage& html, int x) {
  std::vector<std::string> found;
  for (int y = 0; y < html.height(); ++y) {
    const std::string link = html.linkAt(x, y, x, y);
    if (!link.empty() && (found.empty() || found.back() != link)) found.push_back(link);
  }
  return found;
}

TEST(HtmlPage, ReportsEveryLinkKindExactlyAsWritten) {
  struct Case {
    const char* name;
    std::string href;      // as written in the page, Shift_JIS
    std::string reported;  // UTF-8
  };
  const Case cases[] = {
      {"a thread", "thread:1234567890", "thread:1234567890"},
      {"an NG ID", "ngid:AbC/dE+0", "ngid:AbC/dE+0"},
      {"an NG ID with percent-encoding left alone", "ngid:a%22b", "ngid:a%22b"},
      {"a stream", "mms://example.com:8080/live?x=1", "mms://example.com:8080/live?x=1"},
      {"a web link", "http://example.com/a b", "http://example.com/a b"},
      {"a secure web link", "https://example.com/", "https://example.com/"},
      {"a reply anchor", "#", "#"},
      {"Japanese in a thread key", sjis("thread:実況"), "thread:実況"},
      {"a blank target", "about:blank", "about:blank"},
  };
  std::string body;
  for (const Case& c : cases) body += "<a href=\"" + c.href + "\">link</a><br>\r\n";
  HtmlPage html;
  html.load(page(body));
  html.layout(300, 600);
  const std::vector<std::string> found = linksDownThePage(html, 20);
  ASSERT_EQ(found.size(), std::size(cases));
  for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i], cases[i].reported) << cases[i].name;
  EXPECT_EQ(html.linkAt(250, 5, 250, 5), "") << "beside the links";
}

TEST(HtmlPage, ALeftClickReportsTheHrefThroughTheContainer) {
  HtmlPage html;
  std::vector<std::string> clicked;
  html.container().onAnchorClick([&](const std::string& url) { clicked.push_back(url); });
  html.load(
      page("[<a href=\"ngid:ID1\">1<span class=\"popup\">ID1</span></a>]text<br>"
           "<a href=\"#\">&gt;&gt;1</a><br>"));
  html.layout(300, 600);
  for (int y = 0; y < html.height(); ++y) {
    const std::string link = html.linkAt(20, y, 20, y);
    if (link.empty() || (!clicked.empty() && clicked.back() == link)) continue;
    html.leftDown(20, y, 20, y);
    html.leftUp(20, y, 20, y);
  }
  EXPECT_EQ(clicked, (std::vector<std::string>{"ngid:ID1", "#"}));
}

// A listening socket on 127.0.0.1 that counts the connections made to it.
class Listener {
 public:
  Listener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, 16);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    fcntl(fd_, F_SETFL, O_NONBLOCK);
  }
  ~Listener() { close(fd_); }
  int port() const { return port_; }
  int connections() {
    int count = 0;
    for (;;) {
      const int client = accept(fd_, nullptr, nullptr);
      if (client < 0) return count;
      close(client);
      ++count;
    }
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(HtmlPage, NothingIsEverFetched) {
  Listener listener;
  ASSERT_GT(listener.port(), 0);
  const std::string base = "http://127.0.0.1:" + std::to_string(listener.port());
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  const std::string hostile =
      "<html><head>"
      "<link rel=\"stylesheet\" href=\"" +
      base +
      "/a.css\">"
      "<link rel=\"stylesheet\" href=\"file://" +
      std::string(cwd) +
      "/b.css\">"
      "<link rel=\"icon\" href=\"" +
      base +
      "/favicon.ico\">"
      "<style>@import url(" +
      base + "/c.css); @import \"" + base +
      "/d.css\";"
      "body{background:#EEE url(" +
      base +
      "/bg.png);color:#000}"
      "@font-face{font-family:x;src:url(" +
      base +
      "/f.woff)}"
      "li{list-style-image:url(" +
      base +
      "/dot.png)}</style>"
      "<script src=\"" +
      base +
      "/s.js\"></script>"
      "<meta http-equiv=\"refresh\" content=\"0;url=" +
      base +
      "/r\">"
      "</head><body><img src=\"" +
      base +
      "/i.png\" width=10 height=10>"
      "<ul><li>item</li></ul><iframe src=\"" +
      base +
      "/frame\"></iframe>"
      "<object data=\"" +
      base + "/o\"></object><embed src=\"" + base +
      "/e\">"
      "<a href=\"" +
      base + "/link\">text</a><div style=\"background-image:url(" + base +
      "/div.png)\">x</div></body></html>";
  HtmlPage html;
  html.load(hostile);
  html.layout(300, 600);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 300, 600);
  cairo_t* cr = cairo_create(surface);
  html.draw(cr, 0, 0, 0, 300, 600);
  html.mouseOver(20, 20, 20, 20);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  EXPECT_EQ(listener.connections(), 0);
  // The requests did reach the container, which refused them.
  EXPECT_GE(html.container().refusedLoads(), 3);
  // The page's own rules still apply without the refused sheets.
  EXPECT_EQ(html.background(), 0xEEEEEEu);
}

TEST(HtmlPage, BadShiftJisShowsReplacementsAndLosesNothingElse) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string shown;  // UTF-8
  };
  const Case cases[] = {
      {"a byte that is never Shift_JIS",
       "a\xFF"
       "b",
       "a\xEF\xBF\xBD"
       "b"},
      {"a lead byte before a tag", "x\x82<b>y</b>", "x\xEF\xBF\xBDy"},
      {"a lead byte before a quote in text", "x\x82\"z", "x\xEF\xBF\xBD\"z"},
      {"a lead byte at the end", "end\x82", "end\xEF\xBF\xBD"},
      {"a NUL", std::string("p\0q", 3), "p\xEF\xBF\xBDq"},
      {"Japanese after a bad byte", "\xFF" + sjis("日本語"), "\xEF\xBF\xBD日本語"},
      {"half-width kana", sjis("ﾊﾝｶｸ"), "ﾊﾝｶｸ"},
  };
  for (const Case& c : cases) {
    HtmlPage html;
    html.load("<html><body>" + c.bytes + "</body></html>");
    html.layout(300, 600);
    EXPECT_EQ(html.shownText(), c.shown) << c.name;
  }
}

TEST(HtmlPage, AnEmptyPageIsBlank) {
  HtmlPage html;
  html.load(page("text"));
  html.layout(300, 600);
  EXPECT_GT(html.height(), 0);
  html.load("");
  html.layout(300, 600);
  EXPECT_TRUE(html.empty());
  EXPECT_EQ(html.height(), 0);
  EXPECT_EQ(html.linkAt(10, 10, 10, 10), "");
  EXPECT_EQ(html.postTextAt(10, 10, 10, 10), "");
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 20, 20);
  cairo_t* cr = cairo_create(surface);
  html.draw(cr, 0, 0, 0, 20, 20);
  cairo_surface_flush(surface);
  const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFFFFFFu);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

TEST(HtmlPage, TheBodyBackgroundCoversTheWholeView) {
  HtmlPage html;
  html.load(page("short"));
  html.layout(100, 400);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 400);
  cairo_t* cr = cairo_create(surface);
  html.draw(cr, 0, 0, 0, 100, 400);
  cairo_surface_flush(surface);
  const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
  const int stride = cairo_image_surface_get_stride(surface) / 4;
  EXPECT_EQ(pixels[399 * stride + 99] & 0xFFFFFF, 0xEEEEEEu) << "below the page's end";
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xEEEEEEu) << "in the body's margin";
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

// Three posts as the page writer writes them, the second with a reply pop-up.
std::string threePosts() {
  return page(
      sjis("[<a href=\"ngid:ID1\">1<span class=\"popup\">ID1</span></a>]一つ目の本文<br>\r\n"
           "[<a href=\"ngid:ID2\">2<span class=\"popup\">ID2</span></a>]"
           "<a href=\"#\">&gt;&gt;1<span class=\"popup\">一つ目の本文</span></a><br> 二つ目<br>"
           "二行目<br>\r\n"
           "[<a href=\"ngid:ID3\">3<span class=\"popup\">ID3</span></a>]三つ目<br>\r\n"));
}

TEST(HtmlPage, CopiesThePostUnderThePointer) {
  HtmlPage html;
  html.load(threePosts());
  html.layout(300, 600);
  std::vector<std::string> posts;
  for (int y = 0; y < html.height(); ++y) {
    const std::string text = html.postTextAt(60, y, 60, y);
    if (!text.empty() && (posts.empty() || posts.back() != text)) posts.push_back(text);
  }
  EXPECT_EQ(posts,
            (std::vector<std::string>{"[1]一つ目の本文", "[2]>>1\n二つ目\n二行目", "[3]三つ目"}));
  // On the number's own "[": the post it opens.
  EXPECT_EQ(html.postTextAt(9, 12, 9, 12), "[1]一つ目の本文");
}

TEST(HtmlPage, AThreadListHasNoPostsToCopy) {
  HtmlPage html;
  html.load(page(
      sjis("<a href=\"thread:1\">スレ一 (10/5)</a><br><a href=\"thread:2\">スレ二 (3)</a><br>")));
  html.layout(300, 600);
  for (int y = 0; y < html.height(); ++y) EXPECT_EQ(html.postTextAt(20, y, 20, y), "") << y;
}

TEST(HtmlPage, APopupOpensAtItsLinkOnHover) {
  HtmlPage html;
  html.load(threePosts());
  html.layout(300, 600);
  EXPECT_TRUE(html.shownPopups().empty());
  // Find the reply anchor: the "#" link.
  int ax = -1;
  int ay = -1;
  for (int y = 0; y < html.height() && ax < 0; ++y) {
    for (int x = 0; x < 300; x += 2) {
      if (html.linkAt(x, y, x, y) == "#") {
        ax = x;
        ay = y;
        break;
      }
    }
  }
  ASSERT_GE(ax, 0);
  ASSERT_TRUE(html.mouseOver(ax + 1, ay + 1, ax + 1, ay + 1)) << "the hover style changed";
  EXPECT_TRUE(html.needsLayout()) << "a pop-up opened";
  html.layout(300, 600);
  EXPECT_FALSE(html.needsLayout());
  const std::vector<PopupBox> shown = html.shownPopups();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(html.postTextAt(ax + 1, ay + 1, ax + 1, ay + 1), "[2]>>1\n二つ目\n二行目")
      << "over the open pop-up: its link's post";
  // At the link, not at the page's corner.
  EXPECT_NEAR(shown[0].x, ax, 6);
  EXPECT_NEAR(shown[0].y, ay, 20);
  EXPECT_GT(shown[0].width, 30);
  EXPECT_LE(shown[0].x + shown[0].width, 300);
  EXPECT_TRUE(html.mouseLeave());
  EXPECT_TRUE(html.needsLayout()) << "the pop-up closed";
  html.layout(300, 600);
  EXPECT_TRUE(html.shownPopups().empty());
}

// Pixels in the top 40 rows that are not the body's background.
int inkAtTheTop(HtmlPage& html) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 300, 40);
  cairo_t* cr = cairo_create(surface);
  html.draw(cr, 0, 0, 0, 300, 40);
  cairo_surface_flush(surface);
  const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
  int ink = 0;
  for (int i = 0; i < 300 * 40; ++i) ink += (pixels[i] & 0xFFFFFF) != 0xEEEEEE;
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return ink;
}

TEST(HtmlPage, AHoveredLinkStillShowsItsText) {
  // The page's hover rule makes links relatively positioned (for their pop-ups), which litehtml
  // would draw nowhere.
  HtmlPage html;
  html.load(page(sjis("<a href=\"thread:1\">【実況】スレッドの題名 (10/5)</a><br>")));
  html.layout(300, 600);
  const int before = inkAtTheTop(html);
  ASSERT_GT(before, 100);
  ASSERT_TRUE(html.mouseOver(30, 15, 30, 15));
  if (html.needsLayout()) html.layout(300, 600);
  const int hovered = inkAtTheTop(html);
  EXPECT_GT(hovered, before * 3 / 4) << "only the underline goes";
  EXPECT_LT(hovered, before) << "the underline goes";
}

TEST(HtmlPage, HoveringALinkWithoutAPopupNeedsNoLayout) {
  HtmlPage html;
  html.load(page("<a href=\"thread:1\">one</a><br><a href=\"thread:2\">two</a><br>"));
  html.layout(300, 600);
  ASSERT_TRUE(html.mouseOver(20, 12, 20, 12)) << "the hover style changed";
  EXPECT_FALSE(html.needsLayout()) << "only a redraw";
}

TEST(HtmlPage, APopupNearTheBottomOpensUpwards) {
  // Many posts, the last one replying: its pop-up would run off the bottom of a short view.
  std::string body;
  for (int i = 1; i <= 30; ++i) {
    body += "[<a href=\"ngid:I" + std::to_string(i) + "\">" + std::to_string(i) +
            "<span class=\"popup\">I</span></a>]" + sjis("本文") + "<br>\r\n";
  }
  body += sjis(
      "<a href=\"#\">&gt;&gt;1<span class=\"popup\">長い長い長い長い長い長い長い長い長い長い"
      "長い長い長い長い長い長い長い長い長い長い長い長い<br>二行目<br>三行目</span></a>");
  HtmlPage html;
  html.load(page(body));
  html.layout(200, 300);
  const int top = std::max(0, html.height() - 300);
  html.placePopups(top);
  int ay = -1;
  for (int y = html.height() - 1; y >= 0 && ay < 0; --y) {
    if (html.linkAt(20, y, 20, y - top) == "#") ay = y;
  }
  ASSERT_GE(ay, 0);
  html.mouseOver(20, ay, 20, ay - top);
  html.layout(200, 300);
  html.placePopups(top);
  const std::vector<PopupBox> shown = html.shownPopups();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_LE(shown[0].y + shown[0].height, top + 300) << "inside the view";
  EXPECT_LT(shown[0].y, ay) << "moved up above its link";
  EXPECT_LE(shown[0].x + shown[0].width, 200);
  // The view gets shorter (the bar's owner moved it): the pop-up follows without a layout.
  html.resizeView(200);
  const std::vector<PopupBox> moved = html.shownPopups();
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_LE(moved[0].y + moved[0].height, top + 200);
}

TEST(HtmlPage, JapaneseWrapsAtTheWidth) {
  struct Case {
    const char* name;
    const char* text;
    int width;
    size_t atLeastLines;
  };
  const Case cases[] = {
      {"hiragana and kanji", "今日の配信は最高でした。みんなありがとう！また来週も見に来てね。",
       120, 4},
      {"katakana", "カタカナだけのながいぶんしょうもちゃんとおりかえされるかな", 100, 4},
      {"half-width katakana", "ﾊﾝｶｸｶﾀｶﾅﾓﾁｬﾝﾄｵﾘｶｴｻﾚﾙｶﾅﾊﾝｶｸｶﾀｶﾅﾓﾁｬﾝﾄ", 80, 3},
      {"full-width letters", "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ", 100, 3},
      {"mixed with ASCII words", "配信のURLはhttp://a.jp/です。見てね。ASCII words too.", 120, 3},
  };
  for (const Case& c : cases) {
    HtmlPage html;
    html.load("<html><body style=\"margin:0\">" + sjis(c.text) + "</body></html>");
    html.layout(c.width, 600);
    const std::vector<HtmlPage::Line> lines = html.laidOutLines();
    EXPECT_GE(lines.size(), c.atLeastLines) << c.name;
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
      const HtmlPage::Line& line = lines[i];
      joined += line.text;
      EXPECT_LE(line.right, c.width) << c.name << ": line " << i << " " << line.text;
      ASSERT_FALSE(line.text.empty()) << c.name;
    }
    // A space where a line breaks is not shown.
    std::string text = c.text;
    std::erase(text, ' ');
    std::erase(joined, ' ');
    EXPECT_EQ(joined, text) << c.name << ": nothing lost or repeated";
  }
}

TEST(HtmlPage, LinesNeverStartWithClosersOrEndWithOpeners) {
  // Narrow enough that every line breaks somewhere among the punctuation.
  const std::string text = "「はい」「いいえ」（笑）、。ちょっと！ラーメン【速報】『本当？』ゝ々";
  for (int width = 40; width <= 160; width += 7) {
    HtmlPage html;
    html.load("<html><body style=\"margin:0\">" + sjis(text.c_str()) + "</body></html>");
    html.layout(width, 600);
    for (const HtmlPage::Line& line : html.laidOutLines()) {
      for (const char* closer :
           {"」", "）", "、", "。", "っ", "ー", "！", "】", "』", "？", "々", "ゝ"}) {
        EXPECT_NE(line.text.rfind(closer, 0), 0u) << width << ": " << line.text;
      }
      for (const char* opener : {"「", "（", "【", "『"}) {
        const std::string_view t(line.text);
        EXPECT_FALSE(t.size() >= 3 && t.substr(t.size() - 3) == opener)
            << width << ": " << line.text;
      }
    }
  }
}

TEST(HtmlPage, AsciiRunsAreNeverCut) {
  HtmlPage html;
  html.load("<html><body style=\"margin:0\">internationalization localization</body></html>");
  html.layout(60, 600);
  const std::vector<HtmlPage::Line> lines = html.laidOutLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "internationalization");
  EXPECT_EQ(lines[1].text, "localization");
}

TEST(HtmlPage, BreaksMakeLinesAndBlankLines) {
  HtmlPage html;
  html.load("<html><body style=\"margin:0\">a<br>b<br><br>c</body></html>");
  html.layout(300, 600);
  const std::vector<HtmlPage::Line> lines = html.laidOutLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "a");
  EXPECT_EQ(lines[1].text, "b");
  EXPECT_EQ(lines[2].text, "c");
  const int lineHeight = lines[1].top - lines[0].top;
  EXPECT_GT(lineHeight, 0);
  EXPECT_EQ(lines[2].top - lines[1].top, 2 * lineHeight) << "an empty line between b and c";
}

TEST(HtmlPage, TheWidthCacheStaysBounded) {
  // Fifty thousand distinct words, each measured once.
  std::string body;
  for (int i = 0; i < 50000; ++i) body += "w" + std::to_string(i) + " ";
  HtmlPage html;
  html.load("<html><body>" + body + "</body></html>");
  html.layout(300, 600);
  EXPECT_LE(html.container().cachedWidths(), 16384u);
  EXPECT_GT(html.height(), 1000);
}

}  // namespace
}  // namespace vexa::platform::desktop
