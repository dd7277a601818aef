#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/canvas.h"
#include "ui/graphics_device.h"
#include "ui/host_window.h"
#include "ui/native_host.h"
#include "ui/widget.h"
#include "ui/widget_root.h"

namespace vexa::ui::test {

// A canvas that records what is drawn, one short line per primitive, and the box of every
// pixel touched. Text is 7 pixels a byte.
class FakeCanvas : public Canvas {
 public:
  bool Open() override { return false; }
  bool GetSize(Size& out) override {
    out = size;
    return false;
  }
  bool Resize(Rect& rect) override {
    if (failResize) {
      rect = Rect{0, 0, size.width, size.height};
      return true;
    }
    size = Size{rect.width(), rect.height()};
    return false;
  }
  bool BlitTo(Canvas&, Point, const Rect*) override { return false; }
  bool BeginDraw(bool pressed) override {
    log.push_back(pressed ? "begin pressed" : "begin");
    return failBegin;
  }
  void EndDraw() override { log.push_back("end"); }
  void SelectPen(Colour c) override { pen = c; }
  void SelectBrush(Colour c) override { brush = c; }
  void SelectFont(int32_t height) override { font = height; }
  void SetTextColour(uint32_t c) override { textColour = c; }
  void SetClip(const Rect* rect) override {
    clipped = rect != nullptr;
    if (rect) clip = *rect;
  }
  void FillRect(const Rect& r, Colour c) override {
    Touch(r.left, r.top);
    Touch(r.right - 1, r.bottom - 1);
    log.push_back("fill " + Box(r) + " " + std::to_string(c.red()));
  }
  void SetPixel(Point p, uint32_t colorRef) override {
    Touch(p.x, p.y);
    log.push_back("pixel " + Pt(p) + " " + std::to_string(colorRef));
  }
  void MoveTo(Point p) override {
    at = p;
    log.push_back("move " + Pt(p));
  }
  void LineTo(Point p) override {
    Touch(at.x, at.y);
    Touch(p.x, p.y);
    at = p;
    log.push_back("line " + Pt(p));
  }
  void Polygon(const Point* points, uint32_t count) override {
    std::string s = "polygon";
    for (uint32_t i = 0; i < count; ++i) {
      Touch(points[i].x, points[i].y);
      s += " " + Pt(points[i]);
    }
    log.push_back(s);
  }
  void PolylineTo(const Point* points, uint32_t count) override {
    std::string s = "polyline";
    for (uint32_t i = 0; i < count; ++i) {
      Touch(points[i].x, points[i].y);
      s += " " + Pt(points[i]);
    }
    if (count > 0) at = points[count - 1];
    log.push_back(s);
  }
  void Ellipse(const Rect& r) override {
    Touch(r.left, r.top);
    Touch(r.right - 1, r.bottom - 1);
    log.push_back("ellipse " + Box(r));
  }
  void TextOut(Point p, const char* text, uint32_t length) override {
    log.push_back("text " + Pt(p) + " " + std::string(text, length));
    texts.emplace_back(text, length);
  }
  Size TextExtent(const char*, uint32_t length) override {
    return Size{static_cast<int32_t>(length) * 7, font};
  }

  static std::string Pt(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
  static std::string Box(const Rect& r) {
    return Pt({r.left, r.top}) + "-" + Pt({r.right, r.bottom});
  }
  // A pixel outside the clip is not drawn, as the device context would not draw it.
  void Touch(int32_t x, int32_t y) {
    if (clipped && !clip.contains(Point{x, y})) return;
    if (!touched) {
      reach = Rect{x, y, x + 1, y + 1};
      touched = true;
      return;
    }
    reach.left = std::min(reach.left, x);
    reach.top = std::min(reach.top, y);
    reach.right = std::max(reach.right, x + 1);
    reach.bottom = std::max(reach.bottom, y + 1);
  }
  void Clear() {
    log.clear();
    texts.clear();
    touched = false;
  }

  Size size{200, 100};
  bool failResize = false;
  bool failBegin = false;
  Colour pen, brush;
  int32_t font = 0;
  uint32_t textColour = 0;
  bool clipped = false;
  Rect clip;
  Point at;
  std::vector<std::string> log;
  std::vector<std::string> texts;
  bool touched = false;
  Rect reach;  // box of every pixel touched
};

// A graphics device that paints on one fake canvas.
class FakeDevice : public GraphicsDevice {
 public:
  explicit FakeDevice(FakeCanvas* canvas) : canvas_(canvas) {}
  bool Initialise(void* owner, int32_t, int32_t) override {
    if (failInitialise || owner_ != nullptr) return true;
    owner_ = owner;
    return false;
  }
  Canvas* BeginPaint(bool full) override {
    ++begins;
    lastFull = full;
    if (onBegin) onBegin();
    return canvas_;
  }
  void EndPaint() override { ++ends; }

  bool failInitialise = false;
  int begins = 0;
  int ends = 0;
  bool lastFull = false;
  std::function<void()> onBegin;

 private:
  FakeCanvas* canvas_;
  void* owner_ = nullptr;
};

// A native window that records what the host asks of it.
class FakeNative : public NativeHost {
 public:
  bool Post(uint32_t message) override {
    posted.push_back(message);
    return false;
  }
  void SetCapture(bool capture) override { captured = capture; }
  void SetCursor(CursorId cursor) override { cursors.push_back(cursor); }
  Rect ClientRect() override { return client; }
  Point ClientOrigin() override { return origin; }
  Point CursorPosition() override { return cursor; }
  void KeyboardState(uint8_t (&state)[256]) override {
    for (int i = 0; i < 256; ++i) state[i] = keys[i];
  }
  int32_t Translate(uint32_t, uint32_t, const uint8_t (&)[256], char* out,
                    uint32_t capacity) override {
    uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(typed.size()), capacity);
    for (uint32_t i = 0; i < n; ++i) out[i] = typed[i];
    return static_cast<int32_t>(n);
  }
  void TrackLeave() override { ++leaveTracks; }
  void Focus() override {}
  int32_t PlacementState() override { return placement; }
  void Show(int32_t state) override { shows.push_back(state); }
  void InvalidateAll() override { ++invalidations; }
  void MoveClient(const Rect& r) override { moved = r; }
  void PostClose() override { ++closePosts; }
  intptr_t Default(WindowMessage&) override {
    ++defaults;
    return 7;
  }

  // Hands every posted message to the host, as the loop would.
  void Pump(HostWindow& host) {
    std::vector<uint32_t> batch;
    batch.swap(posted);
    for (uint32_t m : batch) {
      WindowMessage message{this, m, 0, 0, 0, 0};
      host.HandleMessage(message);
    }
  }

  std::vector<uint32_t> posted;
  std::vector<CursorId> cursors;
  std::vector<int32_t> shows;
  bool captured = false;
  Rect client{0, 0, 300, 60};
  Point origin{100, 200};
  Point cursor{100, 200};
  uint8_t keys[256] = {};
  std::string typed;
  int leaveTracks = 0;
  int invalidations = 0;
  int closePosts = 0;
  int defaults = 0;
  int32_t placement = 0;
  Rect moved;
};

// An owner that counts closes and lets a test veto.
class FakeOwner : public HostOwner {
 public:
  void CloseWindow() override { ++closes; }
  ObjectFactory* Factory() override { return factory; }
  int closes = 0;
  ObjectFactory* factory = nullptr;
};

// A component running a test's code.
class Probe : public Component {
 public:
  explicit Probe(std::function<void(const Event&)> body = nullptr) : body_(std::move(body)) {}
  void Invoke(const Event& event) override {
    ++invokes;
    depthSeen = reentrancy();
    if (body_) body_(event);
  }
  bool IsBlocked() const override { return blocked; }
  void AfterInvoke() override { ++afters; }
  int invokes = 0;
  int afters = 0;
  int32_t depthSeen = 0;
  bool blocked = false;

 private:
  std::function<void(const Event&)> body_;
};

// A widget with a fixed preferred size that records which slots ran.
class ProbeWidget : public Widget {
 public:
  explicit ProbeWidget(Size preferred = {}, CursorId cursor = kCursorArrow)
      : preferred_(preferred) {
    BeginEdit().cursor = cursor;
    Commit();
  }
  void OnRootChanged(WidgetRoot* const& root) override { roots.push_back(root); }
  void OnRootSignal(const Event&) override { ++rootSignals; }
  void OnRefresh(const Event&) override { ++refreshes; }
  void OnPointerRetest(const Event&) override { ++retests; }
  void OnPointer(const Event& e) override {
    ++pointers;
    if (e.hit) ++hits;
    if (onPointer) onPointer(e);
  }
  CursorId GetCursor() override { return style().cursor; }
  void OnKey(const Event& e) override {
    ++keys;
    if (e.key != nullptr) lastText = e.key->text;
  }
  void Arrange(const Event&) override { ++arranges; }
  void Measure(Size& out, const Event&) override {
    ++measures;
    out = preferred_;
  }
  void Paint(const Event&) override { ++paints; }

  std::vector<WidgetRoot*> roots;
  int rootSignals = 0, refreshes = 0, retests = 0, pointers = 0, hits = 0, keys = 0;
  int arranges = 0, measures = 0, paints = 0;
  std::string lastText;
  std::function<void(const Event&)> onPointer;

 private:
  Size preferred_;
};

}  // namespace vexa::ui::test
