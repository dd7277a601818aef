#include "ui/host_window.h"

#include <cstring>

#include "ui/graphics_device.h"
#include "ui/key_code.h"

namespace vexa::ui {

HostWindow::HostWindow(HostOwner& owner, std::unique_ptr<GraphicsDevice> device)
    : owner_(owner), device_(std::move(device)) {
  pointer_.host = this;
}

HostWindow::~HostWindow() {
  root_.SetServices(nullptr, nullptr);
  if (device_ != nullptr) device_->Shutdown();
}

bool HostWindow::Open(const HostCreation& creation) {
  if (creation.theme != nullptr && creation.theme->KindTag() == kind::kTheme) {
    activeTheme_ = static_cast<Theme*>(creation.theme);
  } else {
    if (stockTheme_.Initialise(&owner_, 0, 0, device_.get())) return true;
    activeTheme_ = &stockTheme_;
  }
  if (device_ == nullptr || device_->Initialise(&owner_, 0, 0)) {
    activeTheme_ = nullptr;
    stockTheme_.Shutdown();
    return true;
  }
  root_.SetServices(this, &pointer_);
  return false;
}

void HostWindow::GetBounds(Rect& out, const Point* offset) {
  GetScreenRect(out);
  if (offset == nullptr) return;
  out.left += offset->x;
  out.right += offset->x;
  out.top += offset->y;
  out.bottom += offset->y;
}

void HostWindow::GetScreenRect(Rect& out) {
  out = Rect{};
  if (native_ == nullptr) return;
  Rect client = native_->ClientRect();
  Point origin = native_->ClientOrigin();
  out = Rect{origin.x, origin.y, origin.x + client.width(), origin.y + client.height()};
}

void HostWindow::SetScreenRect(Rect& out, const Rect& rect) {
  if (native_ != nullptr) native_->MoveClient(rect);
  out = rect;
}

void HostWindow::SetShowState(Rect& out, int32_t state) {
  if (native_ != nullptr && state >= -1 && state <= 3 && state != 1) native_->Show(state);
  if (state != -1) {
    if (native_ != nullptr) native_->InvalidateAll();
    RequestRepaint();
  }
  GetBounds(out, nullptr);
}

void HostWindow::Close() {
  if (native_ != nullptr) native_->PostClose();
}

Tagged* HostWindow::CreateObject(void* buffer, uint32_t& size, void* requester, int32_t kind) {
  ObjectFactory* maker =
      kind == Painter::kKind ? static_cast<ObjectFactory*>(activeTheme_) : owner_.Factory();
  if (maker == nullptr) {
    size = 0;
    return nullptr;
  }
  return maker->Create(buffer, size, requester, kind);
}

void HostWindow::DestroyObject(Tagged* object) {
  if (object != nullptr) object->~Tagged();
}

void HostWindow::SetFocus() {
  if (native_ != nullptr) native_->Focus();
}

void HostWindow::RequestRelayout() {
  if (relayoutPosted_ || native_ == nullptr) return;
  if (!native_->Post(wm::kRelayout)) relayoutPosted_ = true;
}

void HostWindow::RequestRepaint() {
  if (repaintPosted_ || native_ == nullptr) return;
  if (!native_->Post(wm::kRepaint)) repaintPosted_ = true;
}

void HostWindow::Pointer::SetCapture(bool capture) {
  if (host->native_ != nullptr) host->native_->SetCapture(capture);
}

void HostWindow::Pointer::SetCursor(CursorId cursor) {
  if (!IsKnownCursor(cursor)) return;
  if (host->native_ != nullptr) host->native_->SetCursor(cursor);
}

void HostWindow::Pointer::OfferCursor(CursorId cursor) {
  if (claimed) return;
  claimed = true;
  requested = cursor;
}

void HostWindow::Pointer::BeginRoute() {
  claimed = false;
  requested = kCursorNone;
}

void HostWindow::Pointer::EndRoute() {
  if (claimed) {
    if (requested != current) {
      current = requested;
      SetCursor(current);
    }
  } else if (defaultCursor != kCursorNone && defaultCursor != current) {
    current = defaultCursor;
    SetCursor(current);
  }
}

void HostWindow::Emit(Signal& signal, int32_t value) {
  Event event;
  event.root = &root_;
  event.value = value;
  signal.Emit(event);
}

void HostWindow::RouteKey(const WindowMessage& m, int32_t direction) {
  uint32_t virtualKey = static_cast<uint32_t>(m.wParam & 0xFFFF);
  native_->KeyboardState(keyboard_);
  KeyState key;
  key.keyCode = KeyCodeOf(virtualKey);
  key.direction = direction;
  key.modifiers = KeyModifiersOf(keyboard_);
  uint32_t scanCode = static_cast<uint32_t>((m.lParam >> 16) & 0x1FF);
  int32_t length =
      native_->Translate(virtualKey, scanCode, keyboard_, translated_, sizeof(translated_) - 1);
  if (length < 0 || (key.modifiers & (modifier::kAlt | modifier::kControl)) != 0) length = 0;
  if (length > static_cast<int32_t>(sizeof(translated_) - 1)) length = sizeof(translated_) - 1;
  translated_[length] = '\0';
  // Bit 30 of lParam: the key was already down, so this press is an auto-repeat.
  key.repeat = ((m.lParam >> 30) & 1) != 0;
  std::memcpy(key.text, translated_, static_cast<size_t>(length) + 1);
  root_.RouteKey(key);
}

void HostWindow::PaintNow(bool full) {
  if (root_.painting()) {
    // A paint asked for while one runs comes back as a posted repaint once it is done.
    paintAgain_ = true;
    return;
  }
  if (device_ != nullptr) root_.Paint(*device_, activeTheme_, full);
  repaintPosted_ = false;
  if (paintAgain_) {
    paintAgain_ = false;
    RequestRepaint();
  }
}

void HostWindow::HandleMessage(WindowMessage& m) {
  if (native_ == nullptr) return;
  bool handled = false;
  {
    Event event;
    event.root = &root_;
    event.message = &m;
    event.flag = &handled;
    owner_.rawMessage.Emit(event);
  }
  if (!handled) {
    switch (m.message) {
      case wm::kSysCommand:
        if ((m.wParam & 0xFFF0) != wm::kScClose) break;
        [[fallthrough]];
      case wm::kClose: {
        bool veto = false;
        Event event;
        event.root = &root_;
        event.flag = &veto;
        owner_.closeRequest.Emit(event);
        if (!veto) owner_.CloseWindow();
        m.result = 0;
        return;
      }
      case wm::kActivate:
        Emit(owner_.activation, (m.wParam & 0xFFFF) != 0 ? 2 : 3);
        break;
      case wm::kMouseMove: {
        if (!tracking_) {
          tracking_ = true;
          native_->TrackLeave();
        }
        Point screen = native_->CursorPosition();
        Point origin = native_->ClientOrigin();
        root_.RouteMove(Point{screen.x - origin.x, screen.y - origin.y},
                        root_.captureHolder() != nullptr);
        break;
      }
      case wm::kMouseLeave:
        root_.RouteLeave(root_.pointer().position);
        pointer_.current = kCursorNone;
        tracking_ = false;
        break;
      case wm::kLButtonDown:
      case wm::kLButtonUp:
      case wm::kRButtonDown:
      case wm::kRButtonUp: {
        native_->KeyboardState(keyboard_);
        bool left = m.message == wm::kLButtonDown || m.message == wm::kLButtonUp;
        bool pressed = m.message == wm::kLButtonDown || m.message == wm::kRButtonDown;
        root_.RouteButton(left ? 1 : 2, pressed, KeyModifiersOf(keyboard_));
        break;
      }
      case wm::kKeyDown:
      case wm::kSysKeyDown:
        RouteKey(m, -1);
        break;
      case wm::kKeyUp:
      case wm::kSysKeyUp:
        RouteKey(m, 1);
        break;
      case wm::kRelayout:
        // Requests made during the layout are part of it: the flag clears afterwards.
        root_.Layout(nullptr);
        relayoutPosted_ = false;
        break;
      case wm::kSize: {
        Rect client = native_->ClientRect();
        Rect content = client;
        if (activeTheme_ != nullptr) activeTheme_->AdjustContentRect(content, client);
        root_.Layout(&content);
        relayoutPosted_ = false;
        Emit(owner_.placement, native_->PlacementState());
        break;
      }
      case wm::kMove:
        Emit(owner_.placement, native_->PlacementState());
        break;
      case wm::kRepaint:
        PaintNow(false);
        break;
      case wm::kPaint:
        PaintNow(true);
        break;
      default:
        break;
    }
  }
  m.result = native_->Default(m);
}

}  // namespace vexa::ui
