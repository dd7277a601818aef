#include "ui/host_window.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/ui/ui_test_support.h"
#include "ui/key_code.h"

namespace vexa::ui {
namespace {

using test::FakeCanvas;
using test::FakeDevice;
using test::FakeNative;
using test::FakeOwner;
using test::Probe;
using test::ProbeWidget;

// A host window bound to a fake window and device, opened, with one widget as its content.
struct Rig {
  Rig() : host(owner, MakeDevice()) {
    host.BindNative(&native);
    EXPECT_FALSE(host.Open(HostCreation{}));
  }
  std::unique_ptr<GraphicsDevice> MakeDevice() {
    auto d = std::make_unique<FakeDevice>(&canvas);
    device = d.get();
    return d;
  }
  void Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    WindowMessage m{&native, message, wParam, lParam, 0, 0};
    host.HandleMessage(m);
    result = m.result;
  }
  void MoveTo(int32_t x, int32_t y) {
    native.cursor = Point{native.origin.x + x, native.origin.y + y};
    Send(wm::kMouseMove);
  }
  int Count(uint32_t message) const {
    int n = 0;
    for (uint32_t m : native.posted) n += m == message;
    return n;
  }

  FakeOwner owner;
  FakeNative native;
  FakeCanvas canvas;
  FakeDevice* device = nullptr;
  HostWindow host;
  intptr_t result = 0;
};

TEST(HostWindow, RequestsAreCoalescedUntilHandled) {
  for (uint32_t message : {wm::kRepaint, wm::kRelayout}) {
    SCOPED_TRACE(message);
    Rig rig;
    auto request = [&] {
      message == wm::kRepaint ? rig.host.RequestRepaint() : rig.host.RequestRelayout();
    };
    request();
    request();
    EXPECT_EQ(rig.Count(message), 1);
    rig.native.Pump(rig.host);
    EXPECT_TRUE(rig.native.posted.empty());
    request();
    EXPECT_EQ(rig.Count(message), 1);
  }
}

TEST(HostWindow, SizeAndPaintClearThePostedFlags) {
  Rig rig;
  ProbeWidget w;
  rig.host.root().SetContent(&w);
  rig.host.RequestRelayout();
  rig.host.RequestRepaint();
  rig.Send(wm::kSize);
  rig.Send(wm::kPaint);
  EXPECT_FALSE(rig.host.relayoutPosted());
  EXPECT_FALSE(rig.host.repaintPosted());
  EXPECT_EQ(w.bounds(), rig.native.client);
  EXPECT_EQ(rig.device->begins, 1);
  EXPECT_TRUE(rig.device->lastFull);
  EXPECT_EQ(w.paints, 1);
}

TEST(HostWindow, ResizeLaysOutOnceAndReportsPlacement) {
  Rig rig;
  ProbeWidget w;
  rig.host.root().SetContent(&w);
  int placements = 0;
  int32_t placed = -1;
  Probe placement([&](const Event& e) {
    ++placements;
    placed = e.value;
  });
  rig.owner.placement.Connect(&placement);
  rig.native.placement = 3;
  rig.native.client = Rect{0, 0, 0, 0};
  rig.Send(wm::kSize);
  EXPECT_EQ(rig.host.root().layoutCount(), 1u);
  EXPECT_EQ(w.arranges, 1);
  EXPECT_EQ(placements, 1);
  EXPECT_EQ(placed, 3);
  rig.Send(wm::kMove);
  EXPECT_EQ(placements, 2);
}

TEST(HostWindow, CloseRequestsMayBeVetoed) {
  struct Case {
    const char* name;
    uint32_t message;
    uintptr_t wParam;
    bool veto;
    int closes;
  };
  const Case cases[] = {
      {"close", wm::kClose, 0, false, 1},
      {"close vetoed", wm::kClose, 0, true, 0},
      {"system close", wm::kSysCommand, wm::kScClose, false, 1},
      {"system close vetoed", wm::kSysCommand, wm::kScClose | 3, true, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Rig rig;
    Probe vetoer([&](const Event& e) { *e.flag = k.veto; });
    rig.owner.closeRequest.Connect(&vetoer);
    rig.Send(k.message, k.wParam);
    EXPECT_EQ(vetoer.invokes, 1);
    EXPECT_EQ(rig.owner.closes, k.closes);
    EXPECT_EQ(rig.result, 0);
    EXPECT_EQ(rig.native.defaults, 0);
  }
}

TEST(HostWindow, RawSubscriberTakesAMessage) {
  Rig rig;
  Probe taker([](const Event& e) { *e.flag = true; });
  rig.owner.rawMessage.Connect(&taker);
  rig.Send(wm::kClose);
  EXPECT_EQ(rig.owner.closes, 0);
  EXPECT_EQ(rig.native.defaults, 1);
  EXPECT_EQ(rig.result, 7);
}

TEST(HostWindow, ActivationValues) {
  Rig rig;
  std::vector<int32_t> seen;
  Probe p([&](const Event& e) { seen.push_back(e.value); });
  rig.owner.activation.Connect(&p);
  rig.Send(wm::kActivate, 1);
  rig.Send(wm::kActivate, 0x10000);
  EXPECT_EQ(seen, (std::vector<int32_t>{2, 3}));
}

TEST(HostWindow, KeysCarryCodeDirectionAndText) {
  struct Case {
    const char* name;
    uint32_t message;
    uint32_t virtualKey;
    uint32_t held;  // a virtual key held down, or 0
    int32_t code;
    int32_t direction;
    const char* text;
    uint32_t modifiers;
  };
  const Case cases[] = {
      {"A down", wm::kKeyDown, 'A', 0, 11, -1, "a", 0},
      {"A up", wm::kKeyUp, 'A', 0, 11, 1, "a", 0},
      {"shift A", wm::kKeyDown, 'A', vk::kShift, 11, -1, "a", modifier::kShift},
      {"ctrl A drops the text", wm::kKeyDown, 'A', vk::kControl, 11, -1, "", modifier::kControl},
      {"alt A drops the text", wm::kSysKeyDown, 'A', vk::kMenu, 11, -1, "", modifier::kAlt},
      {"F1", wm::kKeyDown, vk::kF1, 0, 0, -1, "a", 0},
      {"system key up", wm::kSysKeyUp, vk::kReturn, 0, 40, 1, "a", 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Rig rig;
    ProbeWidget w;
    w.Attach(&rig.host.root());
    rig.native.typed = "a";
    if (k.held) rig.native.keys[k.held] = 0x80;
    rig.Send(k.message, k.virtualKey);
    const KeyState& key = rig.host.lastKey();
    EXPECT_EQ(w.keys, 1);
    EXPECT_EQ(key.keyCode, k.code);
    EXPECT_EQ(key.direction, k.direction);
    EXPECT_STREQ(key.text, k.text);
    EXPECT_EQ(key.modifiers, k.modifiers);
  }
}

TEST(HostWindow, OverlongTranslatedTextIsCut) {
  Rig rig;
  rig.native.typed = std::string(1000, 'x');
  rig.Send(wm::kKeyDown, 'X', intptr_t{1} << 30);
  EXPECT_EQ(std::strlen(rig.host.lastKey().text), 255u);
  EXPECT_TRUE(rig.host.lastKey().repeat);
}

TEST(HostWindow, FirstWidgetUnderThePointerSetsTheCursor) {
  Rig rig;
  ProbeWidget below(Size{}, kCursorIBeam);
  ProbeWidget above(Size{}, kCursorHand);
  ProbeWidget elsewhere(Size{}, kCursorSizeNS);
  below.Attach(&rig.host.root());
  above.Attach(&rig.host.root());
  elsewhere.Attach(&rig.host.root());
  below.LayoutIn(Rect{0, 0, 100, 50});
  above.LayoutIn(Rect{10, 10, 60, 40});
  elsewhere.LayoutIn(Rect{200, 0, 250, 50});

  rig.MoveTo(20, 20);  // inside both: the one attached last lies on top
  EXPECT_EQ(rig.native.cursors, (std::vector<CursorId>{kCursorHand}));
  EXPECT_EQ(above.hits, 1);
  EXPECT_EQ(below.hits, 1);
  EXPECT_EQ(elsewhere.hits, 0);
  EXPECT_EQ(elsewhere.pointers, 1);

  rig.MoveTo(25, 20);  // same cursor: not set again
  rig.MoveTo(80, 20);  // only below
  EXPECT_EQ(rig.native.cursors, (std::vector<CursorId>{kCursorHand, kCursorIBeam}));
  EXPECT_EQ(rig.native.leaveTracks, 1);

  rig.Send(wm::kMouseLeave);
  rig.MoveTo(80, 20);  // same cursor as before leaving, set again
  EXPECT_EQ(rig.native.cursors, (std::vector<CursorId>{kCursorHand, kCursorIBeam, kCursorIBeam}));
  EXPECT_EQ(rig.native.leaveTracks, 2);
}

TEST(HostWindow, DefaultCursorAndUnknownCursors) {
  Rig rig;
  ProbeWidget odd(Size{}, 0x1234);
  odd.Attach(&rig.host.root());
  odd.LayoutIn(Rect{0, 0, 10, 10});
  rig.host.SetDefaultCursor(kCursorArrow);
  rig.MoveTo(50, 5);  // nobody claims: the default
  rig.MoveTo(5, 5);   // an unknown cursor becomes current but sets nothing
  EXPECT_EQ(rig.native.cursors, (std::vector<CursorId>{kCursorArrow}));
  EXPECT_EQ(rig.host.currentCursor(), 0x1234u);
}

TEST(HostWindow, CaptureSendsEveryEventToItsHolder) {
  Rig rig;
  ProbeWidget holder(Size{}, kCursorHand);
  ProbeWidget other(Size{}, kCursorIBeam);
  holder.Attach(&rig.host.root());
  other.Attach(&rig.host.root());
  holder.LayoutIn(Rect{0, 0, 10, 10});
  other.LayoutIn(Rect{50, 0, 100, 10});
  holder.CapturePointer(true);
  EXPECT_TRUE(rig.native.captured);
  rig.MoveTo(60, 5);  // over the other widget
  EXPECT_EQ(holder.hits, 1);
  EXPECT_EQ(other.hits, 0);
  EXPECT_EQ(rig.host.root().pointer().position, (Point{60, 5}));
  EXPECT_EQ(rig.native.cursors, (std::vector<CursorId>{kCursorHand}));
  holder.CapturePointer(false);
  EXPECT_FALSE(rig.native.captured);
  rig.MoveTo(61, 5);
  EXPECT_EQ(other.hits, 1);
}

TEST(HostWindow, ButtonsUseTheLastMovePosition) {
  Rig rig;
  ProbeWidget w(Size{}, kCursorArrow);
  w.Attach(&rig.host.root());
  w.LayoutIn(Rect{0, 0, 50, 50});
  PointerState seen;
  w.onPointer = [&](const Event& e) { seen = *e.pointer; };
  rig.MoveTo(7, 8);
  rig.native.keys[vk::kLButton] = 0x80;
  rig.Send(wm::kLButtonDown);
  EXPECT_EQ(seen.position, (Point{7, 8}));
  EXPECT_FALSE(seen.moved);
  EXPECT_EQ(seen.action, -1);
  EXPECT_TRUE(seen.pressed);
  EXPECT_EQ(seen.modifiers, modifier::kLeftButton);
  rig.Send(wm::kRButtonUp);
  EXPECT_EQ(seen.button, 2);
  EXPECT_EQ(seen.action, 1);
}

TEST(HostWindow, APaintDuringAPaintComesBackAsARepaint) {
  Rig rig;
  ProbeWidget w;
  rig.host.root().SetContent(&w);
  int nested = 0;
  rig.device->onBegin = [&] {
    if (nested++ == 0) rig.Send(wm::kPaint);
  };
  rig.Send(wm::kPaint);
  EXPECT_EQ(rig.device->begins, 1);
  EXPECT_EQ(rig.Count(wm::kRepaint), 1);
  rig.native.Pump(rig.host);
  EXPECT_EQ(rig.device->begins, 2);
  EXPECT_FALSE(rig.device->lastFull);
}

TEST(HostWindow, OpenFailsWhenThemeOrDeviceCannotStart) {
  {
    FakeOwner owner;
    FakeCanvas canvas;
    auto device = std::make_unique<FakeDevice>(&canvas);
    device->failInitialise = true;
    HostWindow host(owner, std::move(device));
    EXPECT_TRUE(host.Open(HostCreation{}));
    EXPECT_EQ(host.theme(), nullptr);
    EXPECT_FALSE(host.stockTheme().initialised());
  }
  {
    // A creation record's theme is used instead of the stock one; anything else is not.
    FakeOwner owner;
    FakeCanvas canvas;
    Theme own;
    HostWindow host(owner, std::make_unique<FakeDevice>(&canvas));
    HostCreation creation;
    creation.theme = &own;
    EXPECT_FALSE(host.Open(creation));
    EXPECT_EQ(host.theme(), &own);
  }
  {
    FakeOwner owner;
    FakeCanvas canvas;
    Probe notATheme;
    struct Impostor : Tagged {
      int32_t KindTag() const override { return kind::kGraphicsDevice; }
    } impostor;
    HostWindow host(owner, std::make_unique<FakeDevice>(&canvas));
    HostCreation creation;
    creation.theme = &impostor;
    EXPECT_FALSE(host.Open(creation));
    EXPECT_EQ(host.theme(), &host.stockTheme());
  }
}

TEST(HostWindow, ObjectsOfKindMinusTwoComeFromTheTheme) {
  Rig rig;
  uint32_t size = 16;
  EXPECT_EQ(rig.host.CreateObject(nullptr, size, nullptr, Painter::kKind), nullptr);
  EXPECT_EQ(size, Theme::kProgramSize);
  CreatedObject made = CreateInCallerStorage(rig.host, nullptr, Painter::kKind, 1024);
  ASSERT_NE(made.object, nullptr);
  EXPECT_EQ(made.object->KindTag(), Painter::kKind);
  DestroyCreated(made);

  size = 1024;
  EXPECT_EQ(rig.host.CreateObject(nullptr, size, nullptr, kind::kFillStyle), nullptr);
  EXPECT_EQ(size, 0u);  // the owner has no factory

  StyleFactory styles;
  rig.owner.factory = &styles;
  StyleDescriptor d{kind::kFillStyle, Colour::Grey(9), 0};
  made = CreateInCallerStorage(rig.host, &d, kind::kFillStyle, 4);
  ASSERT_NE(made.object, nullptr);
  EXPECT_EQ(made.object->KindTag(), kind::kFillStyle);
  EXPECT_EQ(static_cast<FillStyle*>(made.object)->colour(), Colour::Grey(9));
  DestroyCreated(made);
}

TEST(HostWindow, ShowStatesAndBounds) {
  Rig rig;
  Rect out;
  rig.host.SetShowState(out, -1);
  EXPECT_EQ(rig.native.invalidations, 0);
  EXPECT_EQ(rig.Count(wm::kRepaint), 0);
  rig.host.SetShowState(out, 1);
  rig.host.SetShowState(out, 3);
  EXPECT_EQ(rig.native.shows, (std::vector<int32_t>{-1, 3}));
  EXPECT_EQ(rig.native.invalidations, 2);
  EXPECT_EQ(rig.Count(wm::kRepaint), 1);
  EXPECT_EQ(out, (Rect{100, 200, 400, 260}));
  Point offset{5, -5};
  rig.host.GetBounds(out, &offset);
  EXPECT_EQ(out, (Rect{105, 195, 405, 255}));
  rig.host.Close();
  EXPECT_EQ(rig.native.closePosts, 1);
}

TEST(HostWindow, WithoutANativeWindowNothingHappens) {
  FakeOwner owner;
  FakeCanvas canvas;
  HostWindow host(owner, std::make_unique<FakeDevice>(&canvas));
  EXPECT_FALSE(host.Open(HostCreation{}));
  host.RequestRepaint();
  EXPECT_FALSE(host.repaintPosted());
  WindowMessage m{nullptr, wm::kClose, 0, 0, 0, 0};
  host.HandleMessage(m);
  EXPECT_EQ(owner.closes, 0);
}

}  // namespace
}  // namespace vexa::ui
