#include "platform/desktop/html_view.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "platform/desktop/device_context.h"
#include "platform/desktop/gdi_record.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/html_page.h"
#include "platform/desktop/html_scroll_bar.h"
#include "platform/desktop/input.h"
#include "platform/desktop/window_record.h"

namespace vexa::platform {

namespace desktop {

namespace {

constexpr const char* kClassName = "vexa-html-view";
constexpr int kLineStep = 20;            // arrow keys
constexpr int kWheelStep = 60;           // one notch of the wheel
constexpr int kWheelNotch = 120;         // the wheel delta of one notch
constexpr int kPageOverlap = kLineStep;  // a page step keeps one line in sight

}  // namespace

// The window behind HtmlView: its page, scroll state and input handling.
class HtmlViewWindow {
 public:
  HtmlViewWindow() {
    page_.container().onAnchorClick([this](const std::string& url) { clicked_ = url; });
  }
  ~HtmlViewWindow() {
    events_ = nullptr;  // the owner is going away: no quit event
    closeMenu();
    if (IsWindow(window_)) DestroyWindow(window_);
  }

  bool create(HWND parent, int controlId, HtmlViewEvents& events) {
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &HtmlViewWindow::procedure;
    windowClass.lpszClassName = kClassName;
    windowClass.background = RGB(0xEE, 0xEE, 0xEE);
    RegisterClassA(windowClass);  // fails harmlessly when registered already
    events_ = &events;
    window_ = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(controlId)),
                              GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) events_ = nullptr;
    return window_ == nullptr;
  }

  HWND window() const { return window_; }
  int scrollY() const { return scrollY_; }
  int pageHeight() const { return page_.height(); }

  void clear() { pending_.clear(); }
  void write(std::string_view bytes) { pending_.append(bytes); }
  void close() {
    page_.load(pending_);
    std::string().swap(pending_);  // the text is not kept beside its document
    hovering_ = false;
    layOut();
  }

  static LRESULT procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  int viewWidth() const { return std::max(width_ - kScrollBarWidth, 1); }
  void layOut() {
    page_.layout(viewWidth(), height_);
    setScroll(scrollY_, true);
  }
  void setScroll(int y, bool force = false) {
    const int clamped = clampScroll(y, height_, page_.height());
    if (clamped == scrollY_ && !force) return;
    scrollY_ = clamped;
    page_.placePopups(scrollY_);
    InvalidateRect(window_, nullptr, FALSE);
  }
  void leavePage() {
    hovering_ = false;
    if (!page_.mouseLeave()) return;
    if (page_.needsLayout()) page_.layout(viewWidth(), height_);
    InvalidateRect(window_, nullptr, FALSE);
  }
  void paint();
  void drawScrollBar(cairo_t* cr);
  void mouseMove(int x, int y, WPARAM keys);
  void leftDown(int x, int y, WPARAM keys);
  void leftUp(int x, int y);
  void keyDown(UINT key);
  void openMenu(int x, int y);
  void closeMenu() {
    if (menu_ != nullptr) {
      gtk_widget_destroy(menu_);
      g_object_unref(menu_);
      menu_ = nullptr;
    }
  }
  void fireNewWindow(const std::string& url) {
    if (url.empty() || events_ == nullptr) return;
    bool cancel = false;
    events_->newWindow(url, cancel);
  }
  static void onMenuNewWindow(GtkMenuItem*, gpointer self) {
    auto* view = static_cast<HtmlViewWindow*>(self);
    view->fireNewWindow(std::string(view->menuLink_));
  }
  static void onMenuCopyLink(GtkMenuItem*, gpointer self) {
    auto* view = static_cast<HtmlViewWindow*>(self);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), view->menuLink_.c_str(), -1);
  }
  static void onMenuCopyPost(GtkMenuItem*, gpointer self) {
    auto* view = static_cast<HtmlViewWindow*>(self);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), view->menuPost_.c_str(), -1);
  }

  HWND window_ = nullptr;
  HtmlViewEvents* events_ = nullptr;  // borrowed
  HtmlPage page_;
  std::string pending_;
  std::string clicked_;  // the href litehtml reported during the current button release
  int width_ = 0;
  int height_ = 0;
  int scrollY_ = 0;
  bool tracking_ = false;
  bool hovering_ = false;
  bool dragging_ = false;
  int dragOffset_ = 0;      // pointer y minus thumb top when the drag began
  bool ctrlClick_ = false;  // the left button went down with Ctrl: its release is no click
  GtkWidget* menu_ = nullptr;
  std::string menuLink_;
  std::string menuPost_;
};

LRESULT HtmlViewWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    auto* view = static_cast<HtmlViewWindow*>(create->lpCreateParams);
    view->window_ = window;
  }
  auto* view = reinterpret_cast<HtmlViewWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (view == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return view->handle(message, wParam, lParam);
}

LRESULT HtmlViewWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_SIZE: {
      const int width = LOWORD(static_cast<uintptr_t>(lParam));
      const int height = HIWORD(static_cast<uintptr_t>(lParam));
      if (width == width_ && height == height_) return 0;
      const bool relayout = width != width_;
      width_ = width;
      height_ = height;
      if (relayout) {
        layOut();
      } else {
        page_.resizeView(height_);
        setScroll(scrollY_, true);
      }
      return 0;
    }
    case WM_PAINT:
      paint();
      return 0;
    case WM_MOUSEMOVE:
      mouseMove(x, y, wParam);
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      if (hovering_) leavePage();
      return 0;
    case WM_LBUTTONDOWN:
      leftDown(x, y, wParam);
      return 0;
    case WM_LBUTTONUP:
      leftUp(x, y);
      return 0;
    case WM_MBUTTONUP:
      if (x < viewWidth()) fireNewWindow(page_.linkAt(x, y + scrollY_, x, y));
      return 0;
    case WM_RBUTTONUP:
      if (x < viewWidth()) openMenu(x, y);
      return 0;
    case WM_MOUSEWHEEL: {
      const int delta = static_cast<int16_t>(HIWORD(wParam));
      setScroll(scrollY_ - delta * kWheelStep / kWheelNotch);
      return 0;
    }
    case WM_KEYDOWN:
      keyDown(static_cast<UINT>(wParam));
      return 0;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return 0;
    case WM_DESTROY: {
      closeMenu();
      HtmlViewEvents* events = events_;
      events_ = nullptr;
      SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      if (events != nullptr) events->quit();
      return 0;
    }
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

void HtmlViewWindow::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  DrawTarget target;
  if (dc != nullptr && drawTargetOf(findDc(dc), target)) {
    cairo_surface_flush(target.surface);
    cairo_t* cr = cairo_create(target.surface);
    const RECT& c = target.clip;
    page_.draw(cr, scrollY_, c.left, c.top, std::min<LONG>(c.right, viewWidth()), c.bottom);
    drawScrollBar(cr);
    cairo_destroy(cr);
    finishDrawing(target, target.clip);
  }
  EndPaint(window_, &ps);
}

void HtmlViewWindow::drawScrollBar(cairo_t* cr) {
  const int left = viewWidth();
  cairo_set_source_rgb(cr, 0xE4 / 255.0, 0xE4 / 255.0, 0xE4 / 255.0);
  cairo_rectangle(cr, left, 0, kScrollBarWidth, height_);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0xC8 / 255.0, 0xC8 / 255.0, 0xC8 / 255.0);
  cairo_rectangle(cr, left, 0, 1, height_);
  cairo_fill(cr);
  const ScrollBarGeometry bar = scrollBarGeometry(height_, page_.height(), scrollY_);
  if (!bar.active) return;
  cairo_set_source_rgb(cr, dragging_ ? 0x70 / 255.0 : 0x98 / 255.0,
                       dragging_ ? 0x70 / 255.0 : 0x98 / 255.0,
                       dragging_ ? 0x70 / 255.0 : 0x98 / 255.0);
  cairo_rectangle(cr, left + 2, bar.thumbTop + 1, kScrollBarWidth - 3,
                  std::max(bar.thumbHeight - 2, 1));
  cairo_fill(cr);
}

void HtmlViewWindow::mouseMove(int x, int y, WPARAM) {
  if (!tracking_) {
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window_;
    tracking_ = TrackMouseEvent(&track) != 0;
  }
  if (dragging_) {
    setScroll(scrollForThumbTop(y - dragOffset_, height_, page_.height()));
    return;
  }
  if (x >= viewWidth()) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (hovering_) leavePage();
    return;
  }
  hovering_ = true;
  if (page_.mouseOver(x, y + scrollY_, x, y)) {
    // A hover style changed; a pop-up that opened needs a layout to get its box and place.
    if (page_.needsLayout()) page_.layout(viewWidth(), height_);
    InvalidateRect(window_, nullptr, FALSE);
  }
  SetCursor(LoadCursorA(nullptr, page_.container().cursor() == "pointer" ? IDC_HAND : IDC_ARROW));
}

void HtmlViewWindow::leftDown(int x, int y, WPARAM keys) {
  SetFocus(window_);
  ctrlClick_ = false;
  if (x >= viewWidth()) {
    const ScrollBarGeometry bar = scrollBarGeometry(height_, page_.height(), scrollY_);
    if (!bar.active) return;
    if (y < bar.thumbTop) {
      setScroll(scrollY_ - std::max(height_ - kPageOverlap, kLineStep));
    } else if (y >= bar.thumbTop + bar.thumbHeight) {
      setScroll(scrollY_ + std::max(height_ - kPageOverlap, kLineStep));
    } else {
      dragging_ = true;
      dragOffset_ = y - bar.thumbTop;
      SetCapture(window_);
      InvalidateRect(window_, nullptr, FALSE);
    }
    return;
  }
  if (keys & MK_CONTROL) {
    ctrlClick_ = true;
    fireNewWindow(page_.linkAt(x, y + scrollY_, x, y));
    return;
  }
  if (page_.leftDown(x, y + scrollY_, x, y)) {
    if (page_.needsLayout()) page_.layout(viewWidth(), height_);
    InvalidateRect(window_, nullptr, FALSE);
  }
}

void HtmlViewWindow::leftUp(int x, int y) {
  if (dragging_) {
    dragging_ = false;
    ReleaseCapture();
    InvalidateRect(window_, nullptr, FALSE);
    return;
  }
  if (ctrlClick_) {
    ctrlClick_ = false;
    return;
  }
  clicked_.clear();
  if (page_.leftUp(x, y + scrollY_, x, y)) {
    if (page_.needsLayout()) page_.layout(viewWidth(), height_);
    InvalidateRect(window_, nullptr, FALSE);
  }
  // The owner hears of the click only after litehtml is done with its document: the owner may
  // replace the page from inside the event.
  if (clicked_.empty() || events_ == nullptr) return;
  const std::string url = std::move(clicked_);
  clicked_.clear();
  bool cancel = false;
  events_->beforeNavigate(url, cancel);
}

void HtmlViewWindow::keyDown(UINT key) {
  const int page = std::max(height_ - kPageOverlap, kLineStep);
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_UP:
      setScroll(scrollY_ - kLineStep);
      break;
    case VK_DOWN:
      setScroll(scrollY_ + kLineStep);
      break;
    case VK_PRIOR:
      setScroll(scrollY_ - page);
      break;
    case VK_NEXT:
      setScroll(scrollY_ + page);
      break;
    case VK_SPACE:
      setScroll(scrollY_ + (shift ? -page : page));
      break;
    case VK_HOME:
      setScroll(0);
      break;
    case VK_END:
      setScroll(maxScroll(height_, page_.height()));
      break;
    default:
      break;
  }
}

void HtmlViewWindow::openMenu(int x, int y) {
  closeMenu();
  menuLink_ = page_.linkAt(x, y + scrollY_, x, y);
  menuPost_ = page_.postTextAt(x, y + scrollY_, x, y);
  if (menuLink_.empty() && menuPost_.empty()) return;
  WindowRecord* w = findWindow(window_);
  if (w == nullptr || w->widget == nullptr) return;
  GdkWindow* gdkWindow = gtk_widget_get_window(w->widget);
  if (gdkWindow == nullptr) return;
  menu_ = gtk_menu_new();
  g_object_ref_sink(menu_);
  auto add = [this](const char* label, GCallback callback) {
    GtkWidget* item = gtk_menu_item_new_with_label(label);
    g_signal_connect(item, "activate", callback, this);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), item);
    gtk_widget_show(item);
  };
  if (!menuLink_.empty()) {
    add("新しいウィンドウで開く", G_CALLBACK(&HtmlViewWindow::onMenuNewWindow));
    add("リンクのアドレスをコピー", G_CALLBACK(&HtmlViewWindow::onMenuCopyLink));
  }
  if (!menuPost_.empty()) add("このレスをコピー", G_CALLBACK(&HtmlViewWindow::onMenuCopyPost));
  gtk_menu_attach_to_widget(GTK_MENU(menu_), w->widget, nullptr);
  // The click came through the message queue, so GTK has no current event: the menu gets one
  // that names the pointer, to grab it.
  GdkEvent* trigger = gdk_event_new(GDK_BUTTON_RELEASE);
  trigger->button.window = GDK_WINDOW(g_object_ref(gdkWindow));
  trigger->button.time = GDK_CURRENT_TIME;
  trigger->button.button = 3;
  trigger->button.x = x;
  trigger->button.y = y;
  gdk_event_set_device(
      trigger, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
  const GdkRectangle at{x, y, 1, 1};
  gtk_menu_popup_at_rect(GTK_MENU(menu_), gdkWindow, &at, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, trigger);
  gdk_event_free(trigger);
}

}  // namespace desktop

HtmlView::HtmlView() : impl_(std::make_unique<desktop::HtmlViewWindow>()) {}

HtmlView::~HtmlView() = default;

bool HtmlView::create(HWND parent, int controlId, HtmlViewEvents& events) {
  if (impl_->window() != nullptr) return true;
  return impl_->create(parent, controlId, events);
}

HWND HtmlView::window() const {
  return impl_->window();
}

void HtmlView::clear() {
  impl_->clear();
}

void HtmlView::write(std::string_view pageCp932) {
  impl_->write(pageCp932);
}

void HtmlView::close() {
  impl_->close();
}

int HtmlView::scrollY() const {
  return impl_->scrollY();
}

int HtmlView::pageHeight() const {
  return impl_->pageHeight();
}

}  // namespace vexa::platform
