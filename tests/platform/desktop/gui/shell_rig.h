#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "platform/desktop/native_window.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

// Xlib last: its macros clash with names in the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

extern char** environ;

namespace vexa::test {

inline Display* xDisplay() {
  return gdk_x11_display_get_xdisplay(gdk_display_get_default());
}

// A CARDINAL or WINDOW list property, or empty.
inline std::vector<long> xProperty(Window window, const char* name, Atom type = XA_CARDINAL) {
  Display* display = xDisplay();
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  gdk_x11_display_error_trap_push(gdk_display_get_default());
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, type,
                         &actual, &format, &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    const long* items = reinterpret_cast<const long*>(data);
    values.assign(items, items + count);
  }
  gdk_x11_display_error_trap_pop_ignored(gdk_display_get_default());
  if (data != nullptr) XFree(data);
  return values;
}

inline std::vector<long> rootProperty(const char* name) {
  return xProperty(DefaultRootWindow(xDisplay()), name);
}

// The X window of a top-level test window (its GTK toplevel).
inline Window xWindowOf(HWND window) {
  GdkWindow* client = gdk_x11_window_lookup_for_display(
      gdk_display_get_default(), static_cast<Window>(NativeWindowId(window)));
  return client != nullptr ? GDK_WINDOW_XID(gdk_window_get_toplevel(client)) : 0;
}

inline Atom xAtom(const char* name) {
  return XInternAtom(xDisplay(), name, False);
}

// A helper process the test starts and ends (by its own id).
class Helper {
 public:
  explicit Helper(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Helper() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

}  // namespace vexa::test
