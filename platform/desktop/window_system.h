#pragma once

#include <string>

#include "platform/message_queue.h"

// The connection to the desktop: GTK 3 on its X11 backend, driven by the GUI thread's own loop.
//
// Threads: every function of the desktop layer (this header, windows, input, GDI, the edit
// control) is called on the GUI thread, the thread that called InitWindowSystem and runs the
// queue's loop; window procedures run there too, inside MessageQueue::peek (sent messages) or
// MessageQueue::dispatch (posted ones). Nothing here is safe from another thread.
//
// The loop: InitWindowSystem installs an EventHook on the queue. Each peek lets GLib handle what
// is ready without blocking (a bounded amount, so a flood of events cannot hold the loop), then
// sends the window messages Windows sends rather than posts: WM_SIZE and WM_MOVE for windows
// whose geometry changed, then WM_PAINT for windows with an invalid area. Pointer, key,
// activation and close messages are posted to the queue in the order they happened. A wait
// sleeps in poll(2) on GLib's descriptors (the X connection) and the queue's wake-up descriptor
// together, for no longer than GLib's next timeout, so window-system events wake it at once and
// an idle window costs no wake-ups.
namespace vexa::platform {

struct WindowSystemOptions {
  // Where the display is; empty: $DISPLAY.
  std::string display;
};

enum class WindowSystemError {
  None,
  NoDisplay,      // GTK could not open the display
  FontAlias,      // the shipped font alias could not be loaded (windows still work)
  NoJapaneseFont  // the Japanese face resolves to a font without Japanese glyphs
};

// Opens the display and binds the desktop to `queue` (borrowed; it must outlive the window
// system). Sets GDK_BACKEND=x11 and GDK_GL=disable before GTK starts, and loads the font alias
// that maps "ＭＳ Ｐゴシック" and "MS PGothic" to IPAPGothic before any text is laid out.
// NoDisplay leaves nothing initialised; FontAlias and NoJapaneseFont leave a working window
// system whose Japanese text may be drawn in another face. Calling it again is allowed only
// after ShutdownWindowSystem.
WindowSystemError InitWindowSystem(MessageQueue& queue, const WindowSystemOptions& options = {});

// Destroys every window that is left and unhooks the queue. GTK itself cannot be shut down;
// the display stays open until the process ends.
void ShutdownWindowSystem();

bool WindowSystemReady();

// The family fontconfig and Pango pick for a face given in Shift_JIS, in UTF-8 (for checks and
// logs).
std::string ResolvedFontFamily(const std::string& faceCp932);

// Handles everything the window system has ready now and sends pending size and paint messages,
// as one peek of the queue does. For tests and for start-up code that wants a window drawn
// before the loop runs.
void PumpWindowSystem();

}  // namespace vexa::platform
