// The demonstration window on a real (virtual) display, driven as a person would drive it.
#include <gdk/gdk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/sjis.h"
#include "base/text_buffer.h"
#include "platform/clock.h"
#include "platform/desktop/device_context.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/window_system.h"
#include "platform/message_queue.h"
#include "tests/ui/demo/demo_window.h"

namespace vexa::ui {
namespace {

namespace P = vexa::platform;

// The window system on the private display, once for the program.
P::MessageQueue& Queue() {
  static P::MessageQueue queue;
  return queue;
}

bool DisplayReady() {
  static bool ready = P::InitWindowSystem(Queue()) != P::WindowSystemError::NoDisplay;
  return ready;
}

// Runs the loop as the program does until `condition` holds; false after 10 s.
template <typename Condition>
bool RunUntil(Condition condition) {
  const uint32_t start = P::tickMs();
  while (!condition()) {
    if (P::tickMs() - start > 10000) return false;
    P::WindowMessage message;
    if (Queue().peek(message)) {
      P::MessageQueue::dispatch(message);
    } else {
      Queue().wait(20);
    }
  }
  return true;
}

bool Xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// Colours of a screen rectangle, as 0x00BBGGRR.
struct Shot {
  Shot(int x, int y, int w, int h) : width(w), height(h) {
    pixbuf = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, w, h);
  }
  ~Shot() {
    if (pixbuf != nullptr) g_object_unref(pixbuf);
  }
  uint32_t At(int x, int y) const {
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const guchar* p = gdk_pixbuf_get_pixels(pixbuf) + y * stride + x * channels;
    return P::RGB(p[0], p[1], p[2]);
  }
  template <typename Test>
  int Count(const Rect& r, Test test) const {
    int n = 0;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, height); ++y)
      for (int x = std::max(r.left, 0); x < std::min(r.right, width); ++x) n += test(At(x, y));
    return n;
  }
  GdkPixbuf* pixbuf = nullptr;
  int width, height;
};

constexpr Rect kPlace{60, 60, 420, 140};

class ToolkitGui : public testing::Test {
 protected:
  void SetUp() override {
    if (!DisplayReady()) GTEST_SKIP() << "no display";
    demo = std::make_unique<demo::DemoWindow>(Queue(), kPlace);
    ASSERT_FALSE(demo->Open());
    ASSERT_TRUE(RunUntil([&] { return demo->search().bounds().width() > 0 && Painted(); }));
  }
  bool Painted() { return demo->host().root().paintState().mode == 1; }
  // The centre of a widget on screen.
  std::string ScreenPoint(const Widget& w, int dx = 0) {
    const Rect& b = w.bounds();
    return std::to_string(kPlace.left + (b.left + b.right) / 2 + dx) + " " +
           std::to_string(kPlace.top + (b.top + b.bottom) / 2);
  }
  // Lets the loop run until the display has settled after an input.
  void Drain() {
    uint32_t start = P::tickMs();
    RunUntil([&] { return P::tickMs() - start > 300; });
  }
  std::unique_ptr<demo::DemoWindow> demo;
};

TEST_F(ToolkitGui, ShowsBevelsAndJapaneseLabels) {
  EXPECT_NE(P::ResolvedFontFamily("ＭＳ Ｐゴシック"_sjis).find("IPA"), std::string::npos);
  Drain();
  Shot shot(kPlace.left, kPlace.top, kPlace.width(), kPlace.height());
  ASSERT_NE(shot.pixbuf, nullptr);
  if (const char* path = std::getenv("VEXA_SCREENSHOT"))
    gdk_pixbuf_save(shot.pixbuf, path, "png", nullptr, nullptr);
  for (ButtonWidget* button : {&demo->search(), &demo->list()}) {
    Rect face = button->ContentRect();
    // The raised bevel: a white top-left edge and a grey 153 bottom-right edge.
    EXPECT_EQ(shot.At(face.left + 1, face.top + 3), P::RGB(255, 255, 255));
    EXPECT_EQ(shot.At(face.right - 2, face.bottom - 3), P::RGB(153, 153, 153));
    // The label: dark text pixels, as many as a few CJK glyphs make.
    Rect inside{face.left + 3, face.top + 3, face.right - 3, face.bottom - 3};
    int dark = shot.Count(inside, [](uint32_t c) { return (c & 0xFF) < 100; });
    EXPECT_GT(dark, 40) << button->label();
  }
  // Text drawn outside the window? Nothing of ours can be: the shot is the window itself.
  Rect title = demo->filter().ContentRect();
  title.bottom = title.top + 16;
  EXPECT_GT(shot.Count(title, [](uint32_t c) { return (c & 0xFF) < 100; }), 60);
}

TEST_F(ToolkitGui, AClickActivatesOnceAndADragOutDoesNot) {
  ButtonWidget& search = demo->search();
  ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(search) + " click 1"));
  ASSERT_TRUE(RunUntil([&] { return search.record().activations == 1; }));
  Drain();
  EXPECT_EQ(search.record().activations, 1u);
  EXPECT_FALSE(search.record().held);
  EXPECT_EQ(demo->searches, 1u);
  EXPECT_EQ(demo->listSwitches, 0u);

  ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(search) + " mousedown 1"));
  ASSERT_TRUE(RunUntil([&] { return search.record().held; }));
  ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(demo->filter())));
  ASSERT_TRUE(RunUntil([&] { return !search.record().held; }));
  ASSERT_TRUE(Xdotool("mouseup 1"));
  Drain();
  EXPECT_EQ(search.record().activations, 1u);
  EXPECT_EQ(demo->searches, 1u);

  ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(demo->list()) + " click 1"));
  ASSERT_TRUE(RunUntil([&] { return demo->listSwitches == 1; }));
}

TEST_F(ToolkitGui, EnterReachesTheOwnerOncePerPressAndTheTextStays) {
  EditWidget& edit = demo->filter().edit();
  // Without a window manager nobody gives the window the keyboard: take it as one would.
  ASSERT_TRUE(Xdotool("search --name 'vexa toolkit' windowfocus --sync"));
  ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(edit) + " click 1"));
  ASSERT_TRUE(RunUntil([&] { return P::GetFocus() == edit.control(); }));
  ASSERT_TRUE(Xdotool("type abc"));
  ASSERT_TRUE(RunUntil([&] { return edit.TextLength() == 3; }));
  ASSERT_TRUE(Xdotool("key Return"));
  ASSERT_TRUE(RunUntil([&] { return demo->filterReloads == 1; }));
  ASSERT_TRUE(Xdotool("key Return"));
  ASSERT_TRUE(RunUntil([&] { return demo->filterReloads == 2; }));
  Drain();
  EXPECT_EQ(demo->filterReloads, 2u);
  TextBuffer text;
  demo->filter().GetFilterText(text);
  EXPECT_STREQ(text.text(), "abc");
}

TEST_F(ToolkitGui, JapaneseTextReadsBackAsShiftJis) {
  struct Case {
    const char* name;
    const char* set;
    const char* expected;
  };
  const Case cases[] = {
      {"japanese", "実況スレ～①"_sjis, "実況スレ～①"_sjis},
      {"empty", "", ""},
      // An invalid lead byte and a cut character are shown as U+FFFD, which reads back as '?'.
      {"invalid bytes",
       "a\x81\x20"
       "b\x82",
       "a?"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    demo->filter().edit().SetText(k.set);
    TextBuffer text;
    demo->filter().GetFilterText(text);
    if (std::string(k.name) == "invalid bytes") {
      EXPECT_EQ(std::string(text.text()).substr(0, 2), k.expected);
    } else {
      EXPECT_STREQ(text.text(), k.expected);
    }
  }
  // Read without keeping: the control is emptied.
  demo->filter().edit().SetText("abc");
  TextBuffer taken;
  demo->filter().edit().GetText(taken, false);
  EXPECT_STREQ(taken.text(), "abc");
  EXPECT_EQ(demo->filter().edit().TextLength(), 0);
  TextBuffer empty;
  empty.assign("stale");
  demo->filter().GetFilterText(empty);
  EXPECT_STREQ(empty.text(), "");
}

TEST_F(ToolkitGui, AResizeLaysOutOnceAndBadSizesDoNotBreak) {
  WidgetRoot& root = demo->host().root();
  Drain();
  uint32_t before = root.layoutCount();
  Rect out;
  demo->host().SetScreenRect(out, Rect{kPlace.left, kPlace.top, kPlace.right + 40, kPlace.bottom});
  ASSERT_TRUE(RunUntil([&] { return root.layoutRect().right == kPlace.width() + 40; }));
  Drain();
  EXPECT_EQ(root.layoutCount(), before + 1);

  const Rect bad[] = {{kPlace.left, kPlace.top, kPlace.left, kPlace.top},
                      {kPlace.left, kPlace.top, kPlace.left - 50, kPlace.top - 50},
                      kPlace};
  for (const Rect& r : bad) {
    demo->host().SetScreenRect(out, r);
    Drain();
  }
  EXPECT_EQ(root.layoutRect().right, kPlace.width());

  // Labels with bytes that are not Shift_JIS are drawn with replacement characters.
  demo->search().SetLabel(
      "\xff\x81"
      "abc\x82");
  Drain();
  EXPECT_TRUE(Painted());
}

}  // namespace
}  // namespace vexa::ui
