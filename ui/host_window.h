#pragma once

#include <cstdint>
#include <memory>

#include "ui/component.h"
#include "ui/host_services.h"
#include "ui/native_host.h"
#include "ui/theme.h"
#include "ui/widget_root.h"
#include "ui/window_message.h"

namespace vexa::ui {

class GraphicsDevice;

// The application window object that holds a host window and hears its window-level signals.
class HostOwner {
 public:
  virtual ~HostOwner() = default;
  // Every message first; a subscriber that sets *event.flag takes it (default processing only).
  Signal rawMessage;
  // A close request; a subscriber that sets *event.flag vetoes it.
  Signal closeRequest;
  // event.value 2 when activated, 3 when deactivated.
  Signal activation;
  // event.value 3 when maximised, 0 otherwise.
  Signal placement;
  // The close operation that runs when no subscriber vetoed.
  virtual void CloseWindow() = 0;
  // Makes the objects of every kind but the theme's; null for none.
  virtual ObjectFactory* Factory() { return nullptr; }
};

struct HostCreation {
  // Used instead of the stock theme when its kind tag is the theme tag.
  Tagged* theme = nullptr;
};

// A platform-independent window: it owns the widget root, the stock theme and the pointer and
// key sources, and turns window messages into toolkit events. The native window and the
// graphics device are given by the binding.
class HostWindow : public HostServices {
 public:
  HostWindow(HostOwner& owner, std::unique_ptr<GraphicsDevice> device);
  ~HostWindow() override;
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // The native window (borrowed); null for a host without a window, which gets no messages.
  void BindNative(NativeHost* native) { native_ = native; }
  NativeHost* native() const { return native_; }

  // True on failure: the theme or the graphics device could not be initialised.
  bool Open(const HostCreation& creation);
  void GetBounds(Rect& out, const Point* offset);
  void GetScreenRect(Rect& out);
  void GetLayoutRect(Rect& out) { out = root_.layoutRect(); }
  void SetScreenRect(Rect& out, const Rect& rect);
  // -1 hide, 0 normal, 1 leave as is, 2 minimised, 3 maximised.
  void SetShowState(Rect& out, int32_t state);
  void Close();
  void HandleMessage(WindowMessage& message);

  // HostServices.
  Tagged* CreateObject(void* buffer, uint32_t& size, void* requester, int32_t kind) override;
  void DestroyObject(Tagged* object) override;
  void SetFocus() override;
  void RequestRelayout() override;
  void RequestRepaint() override;

  WidgetRoot& root() { return root_; }
  Theme* theme() const { return activeTheme_; }
  Theme& stockTheme() { return stockTheme_; }
  GraphicsDevice& device() { return *device_; }
  PointerSource& pointerSource() { return pointer_; }
  bool relayoutPosted() const { return relayoutPosted_; }
  bool repaintPosted() const { return repaintPosted_; }
  CursorId currentCursor() const { return pointer_.current; }
  void SetDefaultCursor(CursorId cursor) { pointer_.defaultCursor = cursor; }
  const KeyState& lastKey() const { return root_.key(); }

 private:
  class Pointer : public PointerSource {
   public:
    void SetCapture(bool capture) override;
    void SetCursor(CursorId cursor) override;
    void OfferCursor(CursorId cursor) override;
    void BeginRoute() override;
    void EndRoute() override;
    HostWindow* host = nullptr;
    bool claimed = false;
    CursorId requested = kCursorNone;
    CursorId current = kCursorNone;
    CursorId defaultCursor = kCursorNone;
  };
  class Keys : public KeySource {};

  void RouteKey(const WindowMessage& message, int32_t direction);
  void PaintNow(bool full);
  void Emit(Signal& signal, int32_t value);

  HostOwner& owner_;
  NativeHost* native_ = nullptr;
  Pointer pointer_;
  Keys keys_;
  bool tracking_ = false;
  Theme* activeTheme_ = nullptr;
  Theme stockTheme_;
  std::unique_ptr<GraphicsDevice> device_;
  WidgetRoot root_;
  bool relayoutPosted_ = false;
  bool repaintPosted_ = false;
  bool paintAgain_ = false;
  uint8_t keyboard_[256] = {};
  char translated_[256] = {};
};

}  // namespace vexa::ui
