#include "platform/desktop/app_bar.h"

#include <gtk/gtk.h>

#include <map>

#include "platform/desktop/app_bar_geometry.h"
#include "platform/desktop/window_record.h"
#include "platform/desktop/window_system.h"

// Xlib last: its macros (None, Status, ...) would clash with names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace vexa::platform {

using desktop::Strut;

namespace {

// Enough for any desktop; a longer client list is read only this far.
constexpr long kMostClients = 4096;

struct Bar {
  UINT callback = 0;
};

std::map<uintptr_t, Bar>& bars() {
  static std::map<uintptr_t, Bar> table;
  return table;
}

Display* xDisplay() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) return nullptr;
  return gdk_x11_display_get_xdisplay(display);
}

SIZE screenSize() {
  Display* display = xDisplay();
  if (display == nullptr) return SIZE{};
  Screen* screen = DefaultScreenOfDisplay(display);
  return SIZE{WidthOfScreen(screen), HeightOfScreen(screen)};
}

Window xWindowOf(const desktop::WindowRecord* w) {
  GdkWindow* window = w->top != nullptr ? gtk_widget_get_window(w->top) : nullptr;
  return window != nullptr ? gdk_x11_window_get_xid(window) : 0;
}

// Reads up to `most` 32-bit items of a property; the values land in `out`.
template <typename T>
bool readProperty(Display* display, Window window, Atom property, Atom type, long most,
                  std::vector<T>& out) {
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, property, 0, most, False, type,
                                        &actualType, &format, &count, &after, &data);
  out.clear();
  if (status == Success && data != nullptr && actualType == type && format == 32) {
    // Xlib hands 32-bit items over as longs.
    const long* items = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i) out.push_back(static_cast<T>(items[i]));
  }
  if (data != nullptr) XFree(data);
  return !out.empty();
}

// The strips reserved by every client the window manager lists, but `self`.
std::vector<Strut> otherStruts(Window self, SIZE screen) {
  std::vector<Strut> struts;
  Display* display = xDisplay();
  if (display == nullptr) return struts;
  const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
  const Atom partial = XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False);
  const Atom legacy = XInternAtom(display, "_NET_WM_STRUT", False);
  std::vector<Window> clients;
  readProperty(display, DefaultRootWindow(display), clientList, XA_WINDOW, kMostClients, clients);
  // A client may go away while it is read: its errors are ignored.
  GdkDisplay* gdkDisplay = gdk_display_get_default();
  gdk_x11_display_error_trap_push(gdkDisplay);
  std::vector<long> values;
  for (Window client : clients) {
    if (client == self) continue;
    if (readProperty(display, client, partial, XA_CARDINAL, 12, values) && values.size() == 12) {
      Strut s;
      std::copy(values.begin(), values.end(), s.begin());
      struts.push_back(s);
    } else if (readProperty(display, client, legacy, XA_CARDINAL, 4, values) &&
               values.size() == 4) {
      struts.push_back(desktop::strutFromEdges(values[0], values[1], values[2], values[3], screen));
    }
  }
  gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
  return struts;
}

void setStrut(Window window, const Strut& strut) {
  Display* display = xDisplay();
  const Atom partial = XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False);
  const Atom legacy = XInternAtom(display, "_NET_WM_STRUT", False);
  long values[12];
  std::copy(strut.begin(), strut.end(), values);
  XChangeProperty(display, window, partial, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(values), 12);
  XChangeProperty(display, window, legacy, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(values), 4);
  XFlush(display);
}

void removeStrut(Window window) {
  Display* display = xDisplay();
  XDeleteProperty(display, window, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False));
  XDeleteProperty(display, window, XInternAtom(display, "_NET_WM_STRUT", False));
  XFlush(display);
}

// Bars whose windows are gone: their X windows took the struts with them.
void dropDeadBars() {
  std::erase_if(bars(), [](const auto& entry) {
    return desktop::findWindow(reinterpret_cast<HWND>(entry.first)) == nullptr;
  });
}

void makeDock(desktop::WindowRecord* w) {
  GtkWindow* window = GTK_WINDOW(w->top);
  // The window manager reads the type when it maps the window; a mapped one is mapped again.
  const bool mapped = gtk_widget_get_mapped(w->top);
  if (mapped) gtk_widget_hide(w->top);
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DOCK);
  gtk_window_set_decorated(window, FALSE);
  gtk_window_set_skip_taskbar_hint(window, TRUE);
  gtk_window_set_skip_pager_hint(window, TRUE);
  gtk_window_stick(window);  // on every desktop, or only the first one would shrink
  gtk_widget_realize(w->top);
  if (mapped) gtk_widget_show(w->top);
}

}  // namespace

UINT_PTR SHAppBarMessage(DWORD message, APPBARDATA* data) {
  if (data == nullptr ||
      (data->cbSize != APPBARDATA_V1_SIZE && data->cbSize != sizeof(APPBARDATA))) {
    return 0;
  }
  if (!WindowSystemReady() || xDisplay() == nullptr) return 0;
  dropDeadBars();
  desktop::WindowRecord* w = desktop::findWindow(data->hWnd);
  if (w == nullptr || w->top == nullptr) return 0;
  const auto key = reinterpret_cast<uintptr_t>(data->hWnd);
  const bool registered = bars().count(key) != 0;
  switch (message) {
    case ABM_NEW:
      if (registered) return 0;
      makeDock(w);
      bars().emplace(key, Bar{data->uCallbackMessage});
      return 1;
    case ABM_REMOVE:
      if (!registered) return 0;
      removeStrut(xWindowOf(w));
      bars().erase(key);
      return 1;
    case ABM_QUERYPOS:
    case ABM_SETPOS: {
      if (!registered || data->uEdge > ABE_BOTTOM) return 0;
      const SIZE screen = screenSize();
      const Window self = xWindowOf(w);
      data->rc = desktop::clearOfStruts(data->rc, data->uEdge, otherStruts(self, screen), screen);
      if (message == ABM_SETPOS) {
        setStrut(self, desktop::strutForBar(data->rc, data->uEdge, screen));
      }
      return 1;
    }
    default:
      return 0;
  }
}

int GetSystemMetrics(int index) {
  if (!WindowSystemReady()) return 0;
  const SIZE screen = screenSize();
  switch (index) {
    case SM_CXSCREEN:
      return screen.cx;
    case SM_CYSCREEN:
      return screen.cy;
    default:
      return 0;
  }
}

}  // namespace vexa::platform
