#include "platform/media/foreign_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <unistd.h>

#include "platform/desktop/native_window.h"

namespace vexa::platform {
namespace {

Display* XDisplay() {
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return nullptr;
  return gdk_x11_display_get_xdisplay(display);
}

// A window gone meanwhile makes Xlib report an error; the calls below check their results
// instead, so errors are trapped rather than fatal.
struct TrapErrors {
  explicit TrapErrors(GdkDisplay* d) : display(d) { gdk_x11_display_error_trap_push(display); }
  ~TrapErrors() { gdk_x11_display_error_trap_pop_ignored(display); }
  GdkDisplay* display;
};

std::vector<Window> Children(Display* display, Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  std::vector<Window> out;
  if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
    out.assign(children, children + count);
  }
  if (children) XFree(children);
  return out;
}

bool HasWmState(Display* display, Window window, Atom wmState) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  int rc = XGetWindowProperty(display, window, wmState, 0, 0, False, AnyPropertyType, &type,
                              &format, &items, &after, &data);
  if (data) XFree(data);
  return rc == Success && type != None;
}

// The client window in a root child: itself when it has WM_STATE, else the first descendant
// that has it, a few levels down (window managers nest their frames); a window no manager has
// taken (a withdrawn or override-redirect one) stands for itself.
Window ClientOf(Display* display, Window top, Atom wmState) {
  std::vector<Window> level{top};
  for (int depth = 0; depth < 4 && !level.empty(); ++depth) {
    std::vector<Window> next;
    for (Window w : level) {
      if (HasWmState(display, w, wmState)) return w;
      std::vector<Window> children = Children(display, w);
      next.insert(next.end(), children.begin(), children.end());
      if (next.size() > 4096) break;
    }
    level.swap(next);
  }
  return top;
}

std::string WmClass(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string out;
  // 256 bytes, as much as a class name buffer holds.
  if (XGetWindowProperty(display, window, XA_WM_CLASS, 0, 64, False, XA_STRING, &type, &format,
                         &items, &after, &data) == Success &&
      data && format == 8) {
    out.assign(reinterpret_cast<char*>(data), items);
  }
  if (data) XFree(data);
  return out;
}

}  // namespace

std::vector<ForeignWindow> ListForeignWindows() {
  std::vector<ForeignWindow> out;
  Display* display = XDisplay();
  if (!display) return out;
  TrapErrors trap(gdk_display_get_default());
  Atom wmState = XInternAtom(display, "WM_STATE", False);
  for (Window top : Children(display, DefaultRootWindow(display))) {
    Window client = ClientOf(display, top, wmState);
    ForeignWindow window;
    window.id = client;
    window.wmClass = WmClass(display, client);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, client, &attributes)) {
      window.viewable = attributes.map_state == IsViewable;
      window.width = attributes.width;
      window.height = attributes.height;
    }
    out.push_back(std::move(window));
  }
  return out;
}

bool TakeInForeignWindow(uint64_t id, HWND slot, ForeignPlace* wasAt) {
  Display* display = XDisplay();
  uint64_t slotId = NativeWindowId(slot);
  if (!display || !slotId) return false;
  TrapErrors trap(gdk_display_get_default());
  auto window = static_cast<Window>(id);
  Window root = DefaultRootWindow(display);
  Window child = 0;
  int x = 0, y = 0;
  XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
  if (wasAt) *wasAt = {x, y};
  XAddToSaveSet(display, window);
  XWithdrawWindow(display, window, DefaultScreen(display));
  XSync(display, False);
  // The window manager lets go of the window (back on the root) before it can be moved; a
  // bounded wait of at most half a second, once per window at embedding.
  for (int i = 0; i < 50 && ForeignParent(id) != root; ++i) usleep(10000);
  XReparentWindow(display, window, static_cast<Window>(slotId), 0, 0);
  XMapWindow(display, window);
  XSync(display, False);
  return ForeignParent(id) == slotId;
}

void GiveBackForeignWindow(uint64_t id, const ForeignPlace& place) {
  Display* display = XDisplay();
  if (!display) return;
  TrapErrors trap(gdk_display_get_default());
  auto window = static_cast<Window>(id);
  XReparentWindow(display, window, DefaultRootWindow(display), place.x, place.y);
  XMapWindow(display, window);
  XRemoveFromSaveSet(display, window);
  XSync(display, False);
}

uint64_t ForeignParent(uint64_t id) {
  Display* display = XDisplay();
  if (!display) return 0;
  TrapErrors trap(gdk_display_get_default());
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, static_cast<Window>(id), &root, &parent, &children, &count)) return 0;
  if (children) XFree(children);
  return parent;
}

uint64_t DesktopRoot() {
  Display* display = XDisplay();
  return display ? DefaultRootWindow(display) : 0;
}

bool ForeignViewable(uint64_t id) {
  Display* display = XDisplay();
  if (!display) return false;
  TrapErrors trap(gdk_display_get_default());
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, static_cast<Window>(id), &attributes) &&
         attributes.map_state == IsViewable;
}

}  // namespace vexa::platform
