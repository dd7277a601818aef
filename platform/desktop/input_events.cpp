#include <algorithm>

#include "platform/desktop/input.h"
#include "platform/desktop/window_record.h"

namespace vexa::platform::desktop {

namespace {

gpointer tag(const WindowRecord* w) {
  return reinterpret_cast<gpointer>(w->id);
}

// The host window an event belongs to: only events on its own client window count, not ones
// that bubbled up from a child control.
WindowRecord* hostOf(GtkWidget* widget, GdkWindow* eventWindow, gpointer data) {
  WindowRecord* w = findWindow(reinterpret_cast<HWND>(data));
  if (w == nullptr || eventWindow != gtk_layout_get_bin_window(GTK_LAYOUT(widget))) return nullptr;
  return w;
}

WPARAM mouseKeys(guint state) {
  WPARAM keys = 0;
  if (state & GDK_BUTTON1_MASK) keys |= MK_LBUTTON;
  if (state & GDK_BUTTON3_MASK) keys |= MK_RBUTTON;
  if (state & GDK_BUTTON2_MASK) keys |= MK_MBUTTON;
  if (state & GDK_SHIFT_MASK) keys |= MK_SHIFT;
  if (state & GDK_CONTROL_MASK) keys |= MK_CONTROL;
  return keys;
}

LPARAM clientPoint(double x, double y) {
  // Coordinates of a captured pointer far outside stay within 16 signed bits.
  const int cx = static_cast<int>(std::clamp(x, -32768.0, 32767.0));
  const int cy = static_cast<int>(std::clamp(y, -32768.0, 32767.0));
  return MAKELPARAM(cx, cy);
}

gboolean onMotion(GtkWidget* widget, GdkEventMotion* event, gpointer data) {
  WindowRecord* w = hostOf(widget, event->window, data);
  if (w == nullptr) return FALSE;
  noteCursorWindow(w, event->x_root, event->y_root);
  postToWindow(w, WM_MOUSEMOVE, mouseKeys(event->state), clientPoint(event->x, event->y));
  return TRUE;
}

gboolean onButton(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  WindowRecord* w = hostOf(widget, event->window, data);
  // Double and triple clicks also arrive as plain presses; Windows without CS_DBLCLKS sends only
  // those.
  if (w == nullptr || (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE)) {
    return FALSE;
  }
  const bool press = event->type == GDK_BUTTON_PRESS;
  UINT message = 0;
  WPARAM bit = 0;
  switch (event->button) {
    case 1:
      message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      bit = MK_LBUTTON;
      break;
    case 2:
      message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
      bit = MK_MBUTTON;
      break;
    case 3:
      message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
      bit = MK_RBUTTON;
      break;
    default:
      return FALSE;
  }
  // The state GDK gives is the one before the event; Windows gives the one after it.
  WPARAM keys = mouseKeys(event->state);
  keys = press ? keys | bit : keys & ~bit;
  noteCursorWindow(w, event->x_root, event->y_root);
  postToWindow(w, message, keys, clientPoint(event->x, event->y));
  return TRUE;
}

gboolean onScroll(GtkWidget* widget, GdkEventScroll* event, gpointer data) {
  WindowRecord* w = hostOf(widget, event->window, data);
  if (w == nullptr) return FALSE;
  int delta = 0;
  if (event->direction == GDK_SCROLL_UP) delta = 120;
  if (event->direction == GDK_SCROLL_DOWN) delta = -120;
  if (delta == 0) return FALSE;
  const WPARAM wParam = mouseKeys(event->state) | static_cast<WPARAM>(static_cast<WORD>(delta))
                                                      << 16;
  postToWindow(w, WM_MOUSEWHEEL, wParam, clientPoint(event->x_root, event->y_root));
  return TRUE;
}

gboolean onLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer data) {
  WindowRecord* w = hostOf(widget, event->window, data);
  if (w == nullptr) return FALSE;
  if (w->trackingLeave) {
    w->trackingLeave = false;
    postToWindow(w, WM_MOUSELEAVE, 0, 0);
  }
  return FALSE;
}

gboolean onEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer data) {
  WindowRecord* w = hostOf(widget, event->window, data);
  if (w != nullptr) noteCursorWindow(w, event->x_root, event->y_root);
  return FALSE;
}

gboolean onKey(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  WindowRecord* w = findWindow(reinterpret_cast<HWND>(data));
  // Keys that a focused child control left unhandled bubble up here; they are not ours.
  if (w == nullptr || !gtk_widget_has_focus(widget)) return FALSE;
  const KeyMessages messages = translateKeyEvent(event);
  for (int i = 0; i < messages.count; ++i) {
    const KeyMessage& m = messages.items[i];
    postToWindow(w, m.message, m.wParam, m.lParam);
  }
  return TRUE;  // no GTK key bindings (focus moves on Tab) behind the window's back
}

gboolean onFocus(GtkWidget*, GdkEventFocus* event, gpointer data) {
  WindowRecord* w = findWindow(reinterpret_cast<HWND>(data));
  if (w != nullptr) postToWindow(w, event->in ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
  return FALSE;
}

}  // namespace

void connectInputSignals(WindowRecord* w) {
  GtkWidget* widget = w->widget;
  g_signal_connect(widget, "motion-notify-event", G_CALLBACK(onMotion), tag(w));
  g_signal_connect(widget, "button-press-event", G_CALLBACK(onButton), tag(w));
  g_signal_connect(widget, "button-release-event", G_CALLBACK(onButton), tag(w));
  g_signal_connect(widget, "scroll-event", G_CALLBACK(onScroll), tag(w));
  g_signal_connect(widget, "leave-notify-event", G_CALLBACK(onLeave), tag(w));
  g_signal_connect(widget, "enter-notify-event", G_CALLBACK(onEnter), tag(w));
  g_signal_connect(widget, "key-press-event", G_CALLBACK(onKey), tag(w));
  g_signal_connect(widget, "key-release-event", G_CALLBACK(onKey), tag(w));
  g_signal_connect(widget, "focus-in-event", G_CALLBACK(onFocus), tag(w));
  g_signal_connect(widget, "focus-out-event", G_CALLBACK(onFocus), tag(w));
}

}  // namespace vexa::platform::desktop
