#include "platform/desktop/html_view.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/desktop/html_page.h"
#include "platform/desktop/html_scroll_bar.h"
#include "platform/desktop/input.h"
#include "platform/desktop/window_record.h"
#include "platform/text_encoding.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

using platform::HtmlView;
using platform::HtmlViewEvents;
using platform::desktop::HtmlPage;
using platform::desktop::kScrollBarWidth;

constexpr int kLeft = 100;
constexpr int kTop = 100;
constexpr int kWidth = 300;
constexpr int kHeight = 400;
constexpr COLORREF kBodyColour = RGB(0xEE, 0xEE, 0xEE);

const std::string kHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n"
    "a:hover .popup{display:block;padding:1px;color:#000;background-color:#EEE;"
    "border:#000 solid 1px;}\r\n"
    "</style></head><body>\r\n";

struct Recorder : HtmlViewEvents {
  std::vector<std::string> navigations;
  std::vector<std::string> newWindows;
  int quits = 0;
  void beforeNavigate(const std::string& url, bool& cancel) override {
    navigations.push_back(url);
    cancel = true;
  }
  void newWindow(const std::string& url, bool& cancel) override {
    newWindows.push_back(url);
    cancel = true;
  }
  void quit() override { ++quits; }
};

// A page of many posts: each with its ID link, a reply anchor with a pop-up, and some text.
std::string postsPage(int count) {
  std::string body;
  for (int i = 1; i <= count; ++i) {
    const std::string n = std::to_string(i);
    body += "[<a href=\"ngid:ID" + n + "\">" + n + "<span class=\"popup\">ID" + n + "</span></a>]";
    if (i > 1) {
      body += "<a href=\"#\">&gt;&gt;" + std::to_string(i - 1) +
              "<span class=\"popup\">ポップアップの本文です。長めに書いておく。</span></a>";
    }
    body += "本文の" + n + "行目、<a href=\"mms://example.com/" + n + "\">mms://example.com/" + n +
            "</a><br>\r\n";
  }
  return platform::utf8ToCp932(kHead + body + "</body></html>\r\n");
}

// The screen's pixels in a rectangle, to compare two moments.
std::vector<COLORREF> grab(int x, int y, int width, int height) {
  std::vector<COLORREF> pixels;
  for (int row = 0; row < height; ++row) {
    countScreenPixels(x, y + row, width, 1, [&](COLORREF c) {
      pixels.push_back(c);
      return false;
    });
  }
  return pixels;
}

class HtmlViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!desktop().ready()) GTEST_SKIP() << "no display";
    ASSERT_TRUE(movePointer(5, 5));
    host_ = std::make_unique<TestWindow>(kLeft, kTop, kWidth, kHeight);
    ASSERT_FALSE(view_.create(host_->handle, 200, events_));
    ASSERT_NE(view_.window(), nullptr);
    EXPECT_EQ(GetDlgCtrlID(view_.window()), 200);
    MoveWindow(view_.window(), 0, 0, kWidth, kHeight, 1);
    ShowWindow(host_->handle, SW_SHOW);
    ASSERT_TRUE(desktop().runUntil([&] { return host_->log.count(WM_PAINT) > 0; }));
  }
  void TearDown() override {
    host_.reset();
    desktop().drain();
  }
  Desktop& desktop() { return Desktop::get(); }

  // Shows the page and waits until it is on screen; `side` gets the same page laid out alike,
  // to find where things are.
  void show(const std::string& page) {
    view_.clear();
    // In pieces, as the page writer may hand it over.
    view_.write(std::string_view(page).substr(0, page.size() / 2));
    view_.write(std::string_view(page).substr(page.size() / 2));
    view_.close();
    side_.load(page);
    side_.layout(kWidth - kScrollBarWidth, kHeight);
    ASSERT_TRUE(desktop().runUntil(
        [&] { return screenPixel(kLeft + 2, kTop + kHeight - 2) == kBodyColour; }));
  }
  // A point (client coordinates) on the first link with this href, or (-1, -1).
  POINT pointOn(const std::string& href) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth - kScrollBarWidth; x += 2) {
        if (side_.linkAt(x, y, x, y) == href) return POINT{x + 2, y + 3};
      }
    }
    return POINT{-1, -1};
  }
  // Comes from an empty spot, so no pop-up opened by an earlier hover is in the way.
  bool clickAt(POINT p, const char* button) {
    return movePointer(kLeft + kWidth / 2, kTop + kHeight - 3) &&
           desktop().xdotoolWhileRunning("sleep 0.05") && movePointer(kLeft + p.x, kTop + p.y) &&
           desktop().xdotoolWhileRunning(button);
  }

  Recorder events_;
  HtmlView view_;
  HtmlPage side_;
  std::unique_ptr<TestWindow> host_;
};

TEST_F(HtmlViewTest, ALeftClickRaisesBeforeNavigateWithTheHrefAsWritten) {
  show(postsPage(5));
  for (const char* href : {"ngid:ID2", "#", "mms://example.com/3"}) {
    const POINT p = pointOn(href);
    ASSERT_GE(p.x, 0) << href;
    const size_t before = events_.navigations.size();
    ASSERT_TRUE(clickAt(p, "click 1")) << href;
    ASSERT_TRUE(desktop().runUntil([&] { return events_.navigations.size() > before; })) << href;
    EXPECT_EQ(events_.navigations.back(), href);
  }
  EXPECT_TRUE(events_.newWindows.empty());
  EXPECT_EQ(GetFocus(), view_.window()) << "a click gives the view the focus";
}

TEST_F(HtmlViewTest, MiddleAndControlClicksAskForANewWindow) {
  show(postsPage(5));
  const POINT stream = pointOn("mms://example.com/2");
  ASSERT_GE(stream.x, 0);
  ASSERT_TRUE(clickAt(stream, "click 2"));
  ASSERT_TRUE(desktop().runUntil([&] { return events_.newWindows.size() == 1; }));
  EXPECT_EQ(events_.newWindows[0], "mms://example.com/2");
  ASSERT_TRUE(movePointer(kLeft + stream.x, kTop + stream.y));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("keydown ctrl click 1 keyup ctrl"));
  ASSERT_TRUE(desktop().runUntil([&] { return events_.newWindows.size() == 2; }));
  EXPECT_EQ(events_.newWindows[1], "mms://example.com/2");
  EXPECT_TRUE(events_.navigations.empty()) << "a new-window click is no navigation";
}

TEST_F(HtmlViewTest, TheWheelTheKeysAndTheBarScroll) {
  show(postsPage(200));
  ASSERT_GT(view_.pageHeight(), kHeight * 3);
  const std::vector<COLORREF> before = grab(kLeft, kTop, kWidth - kScrollBarWidth, 60);
  ASSERT_TRUE(clickAt(POINT{kWidth / 2, kHeight / 2}, "click 5"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() > 0; }));
  ASSERT_TRUE(desktop().runUntil([&] {
    return grab(kLeft, kTop, kWidth - kScrollBarWidth, 60) != before;
  })) << "the pixels moved";
  const int afterWheel = view_.scrollY();
  ASSERT_TRUE(desktop().xdotoolWhileRunning("click 4"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() < afterWheel; }));

  // Keys go to the view once it has the focus (a click on no link gives it).
  ASSERT_TRUE(clickAt(POINT{kWidth - kScrollBarWidth - 3, kHeight - 3}, "click 1"));
  ASSERT_TRUE(desktop().runUntil([&] { return GetFocus() == view_.window(); }));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("key End"));
  const int end = view_.pageHeight() - kHeight;
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() == end; }));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("key Prior"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() < end; }));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("key Home"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() == 0; }));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("key Down"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() > 0; }));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("key Home space"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() > kHeight / 2; }));

  // The bar: a click in the track below the thumb pages down; dragging the thumb to the bottom
  // reaches the end.
  ASSERT_TRUE(desktop().xdotoolWhileRunning("key Home"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() == 0; }));
  ASSERT_TRUE(clickAt(POINT{kWidth - kScrollBarWidth / 2, kHeight - 10}, "click 1"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() > kHeight / 2; }));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("key Home"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() == 0; }));
  ASSERT_TRUE(movePointer(kLeft + kWidth - kScrollBarWidth / 2, kTop + 5));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("mousedown 1"));
  ASSERT_TRUE(movePointer(kLeft + kWidth - kScrollBarWidth / 2, kTop + kHeight + 50));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("mouseup 1"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() == end; }));
}

TEST_F(HtmlViewTest, ReplacingThePageKeepsTheScrollClamped) {
  show(postsPage(200));
  ASSERT_TRUE(clickAt(POINT{kWidth / 2, kHeight / 2}, "click 5 click 5 click 5"));
  ASSERT_TRUE(desktop().runUntil([&] { return view_.scrollY() >= 100; }));
  const int kept = view_.scrollY();
  show(postsPage(201));
  EXPECT_EQ(view_.scrollY(), kept) << "the reader keeps their place";
  show(postsPage(2));
  EXPECT_EQ(view_.scrollY(), 0) << "a short page cannot scroll";
  view_.clear();
  view_.close();
  EXPECT_EQ(view_.pageHeight(), 0);
  ASSERT_TRUE(desktop().runUntil([&] {
    return screenPixel(kLeft + 20, kTop + 20) == RGB(255, 255, 255);
  })) << "an empty page is blank";
}

TEST_F(HtmlViewTest, HoveringAReplyAnchorShowsItsPopupThere) {
  show(postsPage(5));
  const POINT anchor = pointOn("#");
  ASSERT_GE(anchor.x, 0);
  // Where the pop-up belongs: from the anchor's top-left corner to the right, over the text
  // that follows the anchor on its line (the anchor's own look changes on hover too).
  const int x = kLeft + anchor.x + 40;
  const int y = kTop + anchor.y - 2;
  const std::vector<COLORREF> before = grab(x, y, 80, 8);
  ASSERT_TRUE(movePointer(kLeft + anchor.x, kTop + anchor.y));
  ASSERT_TRUE(desktop().runUntil([&] { return grab(x, y, 80, 8) != before; }))
      << "the pop-up covers the next line";
  // And it goes when the pointer leaves.
  ASSERT_TRUE(movePointer(kLeft + kWidth / 2, kTop + kHeight - 5));
  ASSERT_TRUE(desktop().runUntil([&] { return grab(x, y, 80, 8) == before; }));
}

TEST_F(HtmlViewTest, TheContextMenuOpensNewWindowsAndCopies) {
  show(postsPage(5));
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  auto copied = [&] {
    gchar* text = gtk_clipboard_wait_for_text(clipboard);
    std::string out = text != nullptr ? text : "";
    g_free(text);
    return out;
  };
  const POINT stream = pointOn("mms://example.com/3");
  ASSERT_GE(stream.x, 0);
  // On a link: "新しいウィンドウで開く", "リンクのアドレスをコピー", then "このレスをコピー".
  ASSERT_TRUE(clickAt(stream, "click 3"));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("sleep 0.3 key Down Return"));
  ASSERT_TRUE(desktop().runUntil([&] { return events_.newWindows.size() == 1; }));
  EXPECT_EQ(events_.newWindows[0], "mms://example.com/3");
  ASSERT_TRUE(clickAt(stream, "click 3"));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("sleep 0.3 key Down Down Return"));
  ASSERT_TRUE(desktop().runUntil([&] { return copied() == "mms://example.com/3"; }));
  ASSERT_TRUE(clickAt(stream, "click 3"));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("sleep 0.3 key Down Down Down Return"));
  ASSERT_TRUE(desktop().runUntil([&] {
    return copied() == "[3]>>2本文の3行目、mms://example.com/3";
  })) << copied();
  EXPECT_TRUE(events_.navigations.empty());
}

TEST_F(HtmlViewTest, TheCursorIsAHandOverLinks) {
  show(postsPage(5));
  platform::desktop::WindowRecord* record = platform::desktop::findWindow(view_.window());
  ASSERT_NE(record, nullptr);
  GdkWindow* area = gtk_layout_get_bin_window(GTK_LAYOUT(record->widget));
  auto cursorAt = [&](POINT p) -> GdkCursor* {
    if (!movePointer(kLeft + p.x, kTop + p.y)) return nullptr;
    desktop().xdotoolWhileRunning("sleep 0.1");
    return gdk_window_get_cursor(area);
  };
  const POINT first = pointOn("mms://example.com/1");
  ASSERT_GE(first.x, 0);
  GdkCursor* overLink = cursorAt(first);
  GdkCursor* overText = cursorAt(POINT{kWidth / 2, kHeight - 5});
  ASSERT_NE(overLink, nullptr);
  ASSERT_NE(overText, nullptr);
  EXPECT_NE(overLink, overText);
  EXPECT_EQ(cursorAt(pointOn("mms://example.com/4")), overLink) << "the same hand again";
}

TEST_F(HtmlViewTest, DestroyingTheParentTellsTheOwner) {
  show(postsPage(1));
  host_.reset();
  EXPECT_EQ(events_.quits, 1);
  EXPECT_EQ(view_.window(), nullptr);
  view_.clear();
  view_.write("<html><body>late</body></html>");
  view_.close();  // a page for a view without a window is dropped quietly
}

TEST_F(HtmlViewTest, CreatingTwiceFails) {
  Recorder other;
  EXPECT_TRUE(view_.create(host_->handle, 201, other));
  HtmlView orphan;
  EXPECT_TRUE(orphan.create(nullptr, 202, other)) << "a child needs a parent";
  EXPECT_EQ(orphan.window(), nullptr);
}

}  // namespace
}  // namespace vexa::test
