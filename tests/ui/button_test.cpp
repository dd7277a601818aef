#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"
#include "ui/key_code.h"
#include "ui/panel_widget.h"
#include "ui/tool_strip.h"

namespace vexa::ui {
namespace {

using test::FakeCanvas;
using test::FakeDevice;
using test::FakeNative;
using test::FakeOwner;

// A tool strip with two buttons in a host bound to a fake window; pointer input is sent as
// window messages.
struct ButtonRig : ButtonListener {
  ButtonRig() : host(owner, std::make_unique<FakeDevice>(&canvas)) {
    host.BindNative(&native);
    EXPECT_FALSE(host.Open(HostCreation{}));
    first.SetLabel("one");
    second.SetLabel("two");
    first.SetListener(this);
    strip.SetButton(ToolStrip::kSearchSlot, &first);
    strip.SetButton(ToolStrip::kListSlot, &second);
    host.root().SetContent(&strip);
    native.client = Rect{0, 0, 300, 30};
    Send(wm::kSize);
  }
  void ButtonChanged(ButtonWidget&, const ButtonRecord& now, const ButtonRecord& before) override {
    ++changes;
    if (!now.held && now.activations != before.activations) ++actions;
  }
  void Send(uint32_t message) {
    WindowMessage m{&native, message, 0, 0, 0, 0};
    host.HandleMessage(m);
  }
  void Move(Point p) {
    native.cursor = Point{native.origin.x + p.x, native.origin.y + p.y};
    Send(wm::kMouseMove);
  }
  Point Centre(const Widget& w) {
    return Point{(w.bounds().left + w.bounds().right) / 2,
                 (w.bounds().top + w.bounds().bottom) / 2};
  }
  // Runs a script: m = move to `first`, o = move to `second`, x = move outside every button,
  // d = left down, u = left up, l = leave the window.
  void Play(const char* script) {
    for (const char* c = script; *c; ++c) {
      switch (*c) {
        case 'm':
          Move(Centre(first));
          break;
        case 'o':
          Move(Centre(second));
          break;
        case 'x':
          Move(Point{290, 15});
          break;
        case 'd':
          native.keys[vk::kLButton] = 0x80;
          Send(wm::kLButtonDown);
          break;
        case 'u':
          native.keys[vk::kLButton] = 0;
          Send(wm::kLButtonUp);
          break;
        case 'l':
          Send(wm::kMouseLeave);
          break;
      }
    }
  }

  FakeOwner owner;
  FakeNative native;
  FakeCanvas canvas;
  HostWindow host;
  ToolStrip strip;
  ButtonWidget first;
  ButtonWidget second;
  int changes = 0;
  int actions = 0;
};

TEST(ButtonWidget, ActivatesOncePerCompletedClick) {
  struct Case {
    const char* name;
    const char* script;
    uint32_t activations;
    bool held;
    bool captured;
  };
  const Case cases[] = {
      {"click", "mdu", 1, false, false},
      {"two clicks", "mdumdu", 2, false, false},
      {"press held", "md", 0, true, true},
      {"drag out and release", "mdxu", 0, false, false},
      {"drag out and back", "mdxmu", 1, false, false},
      {"drag onto another button", "mdou", 0, false, false},
      {"press elsewhere, release on it", "xdmu", 0, false, false},
      {"release without press", "mu", 0, false, false},
      {"leave while held", "mdl", 0, false, true},
      {"double press", "mddu", 1, false, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ButtonRig rig;
    rig.Play(k.script);
    EXPECT_EQ(rig.first.record().activations, k.activations);
    EXPECT_EQ(rig.first.record().held, k.held);
    EXPECT_EQ(rig.native.captured, k.captured);
    EXPECT_EQ(rig.actions, static_cast<int>(k.activations));
    EXPECT_EQ(rig.second.record().activations, 0u);
  }
}

TEST(ButtonWidget, HoverAndHandCursorFollowThePointer) {
  ButtonRig rig;
  rig.Play("m");
  EXPECT_TRUE(rig.first.record().hover);
  EXPECT_EQ(rig.native.cursors.back(), kCursorHand);
  rig.Play("x");
  EXPECT_FALSE(rig.first.record().hover);
  rig.Play("ml");
  EXPECT_FALSE(rig.first.record().hover);
  // Detaching ends a press.
  rig.Play("md");
  rig.strip.Attach(nullptr);
  EXPECT_FALSE(rig.first.record().held);
}

TEST(ToolStrip, ButtonsGetTheirLayoutValuesAndSlotsFill) {
  ButtonRig rig;
  EXPECT_EQ(rig.strip.Count(), 3u);
  EXPECT_EQ(rig.strip.Child(ToolStrip::kIconSlot), nullptr);
  for (int32_t v : rig.first.style().layout) EXPECT_EQ(v, 1);
  // Side by side from the left edge, as tall as the strip.
  EXPECT_EQ(rig.first.bounds().left, 0);
  EXPECT_EQ(rig.second.bounds().left, rig.first.bounds().right);
  EXPECT_EQ(rig.first.bounds().bottom, 30);
  IconWidget icon;
  rig.strip.SetSlot(ToolStrip::kIconSlot, &icon);
  rig.Send(wm::kRelayout);
  EXPECT_EQ(icon.bounds(), (Rect{0, 0, 20, 30}));
  EXPECT_EQ(rig.first.bounds().left, 20);
}

TEST(PanelWidget, PaintsInsideItsBoundsWithHostileLabels) {
  const char* labels[] = {"", "abc", "\xff\x81", "\x82"};
  for (const char* label : labels) {
    ButtonRig rig;
    rig.first.SetLabel(label);
    rig.Send(wm::kRelayout);
    rig.canvas.Clear();
    rig.Send(wm::kPaint);
    ASSERT_TRUE(rig.canvas.touched);
    EXPECT_GE(rig.canvas.reach.left, 0);
    EXPECT_LE(rig.canvas.reach.right, 300);
    EXPECT_LE(rig.canvas.reach.bottom, 30);
  }
}

}  // namespace
}  // namespace vexa::ui
