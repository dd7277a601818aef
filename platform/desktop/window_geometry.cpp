#include <algorithm>

#include "platform/desktop/host_windows.h"
#include "platform/desktop/window_record.h"

namespace vexa::platform {

using desktop::findWindow;
using desktop::WindowRecord;

namespace {

RECT clientRect(const WindowRecord* w) {
  return RECT{0, 0, w->width, w->height};
}

bool intersect(RECT& a, const RECT& b) {
  a.left = std::max(a.left, b.left);
  a.top = std::max(a.top, b.top);
  a.right = std::min(a.right, b.right);
  a.bottom = std::min(a.bottom, b.bottom);
  return a.left < a.right && a.top < a.bottom;
}

// The client origin in root-window coordinates.
POINT screenOrigin(const WindowRecord* w) {
  POINT origin;
  GdkWindow* window = w->widget != nullptr ? gtk_widget_get_window(w->widget) : nullptr;
  if (w->kind == desktop::WindowKind::Host && w->widget != nullptr) {
    GdkWindow* bin = gtk_layout_get_bin_window(GTK_LAYOUT(w->widget));
    if (bin != nullptr) window = bin;
  }
  if (window != nullptr) {
    gint x = 0;
    gint y = 0;
    gdk_window_get_origin(window, &x, &y);
    origin.x = x;
    origin.y = y;
    if (w->kind == desktop::WindowKind::Edit) {
      GtkAllocation allocation;
      gtk_widget_get_allocation(w->widget, &allocation);
      if (!gtk_widget_get_has_window(w->widget)) {
        origin.x += allocation.x;
        origin.y += allocation.y;
      }
    }
  } else if (w->top != nullptr) {
    origin.x = w->x;
    origin.y = w->y;
  }
  return origin;
}

}  // namespace

BOOL ShowWindow(HWND window, int command) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  const BOOL wasVisible = w->visible ? 1 : 0;
  GtkWidget* outer = w->top != nullptr ? w->top : w->widget;
  switch (command) {
    case SW_HIDE:
      w->visible = false;
      gtk_widget_hide(outer);
      return wasVisible;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
      w->visible = true;
      if (w->top != nullptr) {
        gtk_widget_show(outer);
        gtk_window_iconify(GTK_WINDOW(w->top));
      }
      break;
    case SW_SHOWMAXIMIZED:
      w->visible = true;
      if (w->top != nullptr) {
        gtk_window_maximize(GTK_WINDOW(w->top));
        gtk_widget_show(outer);
      }
      break;
    case SW_RESTORE:
      w->visible = true;
      if (w->top != nullptr) {
        gtk_window_unmaximize(GTK_WINDOW(w->top));
        gtk_window_deiconify(GTK_WINDOW(w->top));
      }
      break;
    default:
      w->visible = true;
      break;
  }
  desktop::placeChildWidget(w);
  if (w->top != nullptr) gtk_widget_show(w->top);
  return wasVisible;
}

BOOL IsWindowVisible(HWND window) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  for (const WindowRecord* p = w; p != nullptr; p = p->parent) {
    if (!p->visible) return 0;
  }
  return 1;
}

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr || placement == nullptr) return 0;
  placement->showCmd = w->minimized   ? SW_SHOWMINIMIZED
                       : w->maximized ? SW_SHOWMAXIMIZED
                                      : SW_SHOWNORMAL;
  RECT rect;
  GetWindowRect(window, &rect);
  placement->rcNormalPosition = rect;
  return 1;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr || rect == nullptr) return 0;
  *rect = clientRect(w);
  return 1;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr || rect == nullptr) return 0;
  const POINT origin = screenOrigin(w);
  *rect = RECT{origin.x, origin.y, origin.x + w->width, origin.y + w->height};
  return 1;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr || point == nullptr) return 0;
  const POINT origin = screenOrigin(w);
  point->x += origin.x;
  point->y += origin.y;
  return 1;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr || point == nullptr) return 0;
  const POINT origin = screenOrigin(w);
  point->x -= origin.x;
  point->y -= origin.y;
  return 1;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) {
  return rect != nullptr ? 1 : 0;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (w->top != nullptr) {
    // GTK refuses a zero-sized top-level window.
    width = std::max(width, 1);
    height = std::max(height, 1);
    gtk_window_move(GTK_WINDOW(w->top), x, y);
    gtk_window_resize(GTK_WINDOW(w->top), width, height);
    return 1;
  }
  // A child changes at once, as in Windows: WM_SIZE and WM_MOVE are sent before this returns,
  // and GTK places the widget at its next layout.
  const bool moved = x != w->x || y != w->y;
  const bool sized = width != w->width || height != w->height;
  w->x = x;
  w->y = y;
  w->width = width;
  w->height = height;
  desktop::placeChildWidget(w);
  const HWND handle = w->handle();
  if (sized && w->kind == desktop::WindowKind::Host) {
    desktop::resizePicture(w, width, height);
    desktop::sendToWindow(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
  }
  w = findWindow(handle);
  if (w != nullptr && moved) desktop::sendToWindow(w, WM_MOVE, 0, MAKELPARAM(x, y));
  return 1;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  desktop::invalidate(w, rect);
  return 1;
}

BOOL ValidateRect(HWND window, const RECT* rect) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  if (rect == nullptr) {
    w->invalid = false;
    return 1;
  }
  // Only a rectangle that covers the whole invalid area validates it; a region of several
  // rectangles is not kept, so a partial validation keeps the whole bounding box invalid.
  RECT covered = w->invalidRect;
  if (w->invalid && rect->left <= covered.left && rect->top <= covered.top &&
      rect->right >= covered.right && rect->bottom >= covered.bottom) {
    w->invalid = false;
  }
  return 1;
}

BOOL UpdateWindow(HWND window) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  if (w->invalid && w->painting == 0) {
    RECT area = w->invalidRect;
    if (!intersect(area, clientRect(w))) {
      w->invalid = false;
      return 1;
    }
    desktop::sendToWindow(w, WM_PAINT, 0, 0);
  }
  return 1;
}

}  // namespace vexa::platform
