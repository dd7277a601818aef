#include <cairo-xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/desktop/host_windows.h"
#include "platform/desktop/window_record.h"
#include "platform/text_encoding.h"

namespace vexa::platform::desktop {

namespace {

// A picture larger than this is cut: drawing beyond it is dropped rather than letting a huge
// window size exhaust memory.
constexpr int kPictureSideLimit = 8192;
constexpr int64_t kPicturePixelLimit = int64_t{16} << 20;

gpointer tag(const WindowRecord* w) {
  return reinterpret_cast<gpointer>(w->id);
}
WindowRecord* untag(gpointer data) {
  return findWindow(reinterpret_cast<HWND>(data));
}

void unite(RECT& into, const RECT& more) {
  into.left = std::min(into.left, more.left);
  into.top = std::min(into.top, more.top);
  into.right = std::max(into.right, more.right);
  into.bottom = std::max(into.bottom, more.bottom);
}

bool clipToClient(const WindowRecord* w, RECT& rect) {
  rect.left = std::max<LONG>(rect.left, 0);
  rect.top = std::max<LONG>(rect.top, 0);
  rect.right = std::min<LONG>(rect.right, w->width);
  rect.bottom = std::min<LONG>(rect.bottom, w->height);
  return rect.left < rect.right && rect.top < rect.bottom;
}

// Puts the picture straight into the X window of a client area that has one of its own. GTK's
// own painting of such a window is lost once the window has grown past the size its X window
// was made with (a layout's starts at 100x100), so a player's pane would keep the X server's
// background, or whatever was on screen there before.
void paintNativeWindow(const WindowRecord* w, GdkWindow* bin, cairo_t* cr) {
  GdkRectangle area;
  if (!gdk_cairo_get_clip_rectangle(cr, &area)) return;
  cairo_surface_t* target = cairo_xlib_surface_create(
      GDK_WINDOW_XDISPLAY(bin), GDK_WINDOW_XID(bin), GDK_VISUAL_XVISUAL(gdk_window_get_visual(bin)),
      gdk_window_get_width(bin), gdk_window_get_height(bin));
  cairo_t* direct = cairo_create(target);
  cairo_rectangle(direct, area.x, area.y, area.width, area.height);
  cairo_clip(direct);
  cairo_set_operator(direct, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(direct, w->picture, 0, 0);
  cairo_paint(direct);
  cairo_destroy(direct);
  cairo_surface_flush(target);
  cairo_surface_destroy(target);
}

gboolean onDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  WindowRecord* w = untag(data);
  if (w == nullptr || w->picture == nullptr) return FALSE;
  GdkWindow* bin = gtk_layout_get_bin_window(GTK_LAYOUT(widget));
  if (!gtk_cairo_should_draw_window(cr, bin)) return FALSE;
  // Children the window system draws in (a player's video) are left alone: X clips them out.
  if (gdk_window_has_native(bin) && GDK_IS_X11_WINDOW(bin)) paintNativeWindow(w, bin, cr);
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, w->picture, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  return FALSE;  // the children are drawn over it by the layout itself
}

void onSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  WindowRecord* w = untag(data);
  // A child's size is set by MoveWindow; only a top-level window learns it from GTK.
  if (w == nullptr || w->top == nullptr) return;
  if (allocation->width == w->width && allocation->height == w->height && w->sentWidth >= 0) {
    return;
  }
  w->width = allocation->width;
  w->height = allocation->height;
  resizePicture(w, w->width, w->height);
  w->sizePending = true;
}

gboolean onConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
  WindowRecord* w = untag(data);
  if (w == nullptr) return FALSE;
  if (event->x != w->screenX || event->y != w->screenY) {
    w->screenX = event->x;
    w->screenY = event->y;
    w->x = event->x;
    w->y = event->y;
    w->movePending = true;
  }
  return FALSE;
}

gboolean onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
  WindowRecord* w = untag(data);
  if (w == nullptr) return FALSE;
  const bool maximized = (event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
  const bool minimized = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
  if (maximized != w->maximized || minimized != w->minimized) {
    w->maximized = maximized;
    w->minimized = minimized;
    w->sizePending = true;
  }
  return FALSE;
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
  WindowRecord* w = untag(data);
  if (w != nullptr) postToWindow(w, WM_CLOSE, 0, 0);
  return TRUE;  // the window procedure decides
}

void onActiveChanged(GObject* object, GParamSpec*, gpointer data) {
  WindowRecord* w = untag(data);
  if (w == nullptr) return;
  const bool active = gtk_window_is_active(GTK_WINDOW(object));
  postToWindow(w, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

}  // namespace

bool paintOwed(const WindowRecord* w) {
  // A paint asked for while painting comes at a later turn, never nested inside the first.
  return w->invalid && w->painting == 0 && w->kind == WindowKind::Host && w->width > 0 &&
         w->height > 0 && IsWindowVisible(w->handle());
}

void setUpHostWidgets(WindowRecord* w, int x, int y, int width, int height, const char* title) {
  GtkWidget* layout = gtk_layout_new(nullptr, nullptr);
  g_object_ref_sink(layout);
  w->widget = layout;
  gtk_widget_set_can_focus(layout, TRUE);
  gtk_widget_add_events(layout, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                    GDK_BUTTON_RELEASE_MASK | GDK_ENTER_NOTIFY_MASK |
                                    GDK_LEAVE_NOTIFY_MASK | GDK_KEY_PRESS_MASK |
                                    GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK | GDK_SCROLL_MASK);
  g_signal_connect(layout, "draw", G_CALLBACK(onDraw), tag(w));
  g_signal_connect(layout, "size-allocate", G_CALLBACK(onSizeAllocate), tag(w));
  connectInputSignals(w);

  width = std::max(width, 0);
  height = std::max(height, 0);
  w->x = x;
  w->y = y;
  if (w->parent != nullptr) {
    w->width = width;
    w->height = height;
    placeChildWidget(w);
  } else {
    GtkWidget* top = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(top);
    w->top = top;
    GtkWindow* window = GTK_WINDOW(top);
    gtk_window_set_decorated(window, (w->style & WS_POPUP) == 0);
    if (w->exStyle & WS_EX_TOOLWINDOW) {
      gtk_window_set_skip_taskbar_hint(window, TRUE);
      gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);
    }
    if (w->exStyle & WS_EX_TOPMOST) gtk_window_set_keep_above(window, TRUE);
    w->width = std::max(width, 1);
    w->height = std::max(height, 1);
    gtk_window_set_default_size(window, w->width, w->height);
    gtk_window_move(window, x, y);
    if (title != nullptr) gtk_window_set_title(window, cp932ToUtf8(title).c_str());
    gtk_container_add(GTK_CONTAINER(top), layout);
    gtk_widget_show(layout);
    gtk_widget_set_can_focus(layout, TRUE);
    gtk_window_set_focus(window, layout);
    g_signal_connect(top, "configure-event", G_CALLBACK(onConfigure), tag(w));
    g_signal_connect(top, "window-state-event", G_CALLBACK(onWindowState), tag(w));
    g_signal_connect(top, "delete-event", G_CALLBACK(onDelete), tag(w));
    g_signal_connect(top, "notify::is-active", G_CALLBACK(onActiveChanged), tag(w));
  }
  resizePicture(w, w->width, w->height);
  w->sizePending = true;
  w->movePending = true;
}

void placeChildWidget(WindowRecord* w) {
  if (w->parent == nullptr || w->widget == nullptr || w->parent->widget == nullptr) return;
  GtkLayout* parentLayout = GTK_LAYOUT(w->parent->widget);
  if (gtk_widget_get_parent(w->widget) == nullptr) {
    gtk_layout_put(parentLayout, w->widget, w->x, w->y);
  } else {
    gtk_layout_move(parentLayout, w->widget, w->x, w->y);
  }
  gtk_widget_set_size_request(w->widget, w->width, w->height);
  // GTK has no zero-sized widget: an empty rectangle hides the child until it has an area.
  gtk_widget_set_visible(w->widget, w->visible && w->width > 0 && w->height > 0);
}

void destroyWidgets(WindowRecord* w) {
  GtkWidget* outer = w->top != nullptr ? w->top : w->widget;
  if (w->top != nullptr) g_signal_handlers_disconnect_by_data(w->top, tag(w));
  if (w->widget != nullptr) g_signal_handlers_disconnect_by_data(w->widget, tag(w));
  if (outer != nullptr) gtk_widget_destroy(outer);
  if (w->widget != nullptr) g_object_unref(w->widget);
  if (w->top != nullptr) g_object_unref(w->top);
  w->widget = nullptr;
  w->top = nullptr;
  if (w->picture != nullptr) cairo_surface_destroy(w->picture);
  w->picture = nullptr;
}

void resizePicture(WindowRecord* w, int width, int height) {
  if (w->kind != WindowKind::Host) return;
  width = std::clamp(width, 0, kPictureSideLimit);
  height = std::clamp(height, 0, kPictureSideLimit);
  if (int64_t{width} * height > kPicturePixelLimit)
    height = static_cast<int>(kPicturePixelLimit / std::max(width, 1));
  cairo_surface_t* old = w->picture;
  if (old != nullptr && cairo_image_surface_get_width(old) == width &&
      cairo_image_surface_get_height(old) == height) {
    return;
  }
  cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(picture);
    return;  // keep the old picture: drawing outside it is dropped
  }
  cairo_t* cr = cairo_create(picture);
  cairo_set_source_rgb(cr, GetRValue(w->background) / 255.0, GetGValue(w->background) / 255.0,
                       GetBValue(w->background) / 255.0);
  cairo_paint(cr);
  if (old != nullptr) {
    cairo_set_source_surface(cr, old, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(old);
  }
  cairo_destroy(cr);
  w->picture = picture;
  invalidate(w, nullptr);
}

void addDamage(WindowRecord* w, const RECT& rect) {
  if (w->damaged) {
    unite(w->damageRect, rect);
  } else {
    w->damageRect = rect;
    w->damaged = true;
  }
}

void invalidate(WindowRecord* w, const RECT* rect) {
  RECT area = rect != nullptr ? *rect : RECT{0, 0, w->width, w->height};
  if (!clipToClient(w, area)) return;
  if (w->invalid) {
    unite(w->invalidRect, area);
  } else {
    w->invalidRect = area;
    w->invalid = true;
  }
}

bool messagesOwed() {
  return anyWindow([](const WindowRecord* w) {
    return w->sizePending || w->movePending || w->damaged || paintOwed(w);
  });
}

void deliverOwedMessages() {
  // The common case, at every pass of a busy loop: nothing is owed.
  if (!messagesOwed()) return;
  const std::vector<uintptr_t> ids = liveWindowIds();
  for (uintptr_t id : ids) {
    WindowRecord* w = findWindow(reinterpret_cast<HWND>(id));
    if (w != nullptr && w->movePending) {
      w->movePending = false;
      sendToWindow(w, WM_MOVE, 0, MAKELPARAM(w->x, w->y));
    }
    w = findWindow(reinterpret_cast<HWND>(id));
    if (w != nullptr && w->sizePending) {
      w->sizePending = false;
      w->sentWidth = w->width;
      w->sentHeight = w->height;
      const WPARAM kind = w->minimized   ? SIZE_MINIMIZED
                          : w->maximized ? SIZE_MAXIMIZED
                                         : SIZE_RESTORED;
      sendToWindow(w, WM_SIZE, kind, MAKELPARAM(w->width, w->height));
    }
  }
  // Each window is painted at most once a peek, so a paint that invalidates again cannot loop.
  for (uintptr_t id : ids) {
    WindowRecord* w = findWindow(reinterpret_cast<HWND>(id));
    if (w != nullptr && paintOwed(w)) sendToWindow(w, WM_PAINT, 0, 0);
  }
  for (uintptr_t id : liveWindowIds()) {
    WindowRecord* w = findWindow(reinterpret_cast<HWND>(id));
    if (w == nullptr || !w->damaged) continue;
    w->damaged = false;
    RECT area = w->damageRect;
    if (w->widget != nullptr && clipToClient(w, area)) {
      gtk_widget_queue_draw_area(w->widget, area.left, area.top, area.right - area.left,
                                 area.bottom - area.top);
    }
  }
}

}  // namespace vexa::platform::desktop
