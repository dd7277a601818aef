#include "platform/desktop/input.h"

#include <gdk/gdkkeysyms.h>

#include <bitset>
#include <cstring>
#include <string>

#include "platform/desktop/window_record.h"
#include "platform/desktop/window_system.h"
#include "platform/text_encoding.h"

namespace vexa::platform {

using desktop::findWindow;
using desktop::WindowRecord;

namespace {

struct InputState {
  HWND capture = nullptr;
  HWND cursorWindow = nullptr;  // the window that last had a pointer event
  POINT cursorPos;              // screen coordinates
  HCURSOR cursor = nullptr;
  BYTE keys[256] = {};
  std::bitset<256> held;  // X key codes down, to tell an auto-repeat from a press
  GdkCursor* cursors[5] = {};
};

InputState& input() {
  static InputState state;
  return state;
}

constexpr uintptr_t kCursorIds[5] = {IDC_ARROW, IDC_IBEAM, IDC_SIZEWE, IDC_SIZENS, IDC_HAND};
constexpr const char* kCursorNames[5] = {"default", "text", "ew-resize", "ns-resize", "pointer"};

int cursorIndex(HCURSOR cursor) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(cursor);
  for (int i = 0; i < 5; ++i) {
    if (value == kCursorIds[i]) return i;
  }
  return -1;
}

GdkWindow* pointerWindowOf(WindowRecord* w) {
  if (w == nullptr || w->widget == nullptr) return nullptr;
  if (w->kind == desktop::WindowKind::Host) return gtk_layout_get_bin_window(GTK_LAYOUT(w->widget));
  return gtk_widget_get_window(w->widget);
}

void applyCursor() {
  InputState& state = input();
  HWND target = state.capture != nullptr ? state.capture : state.cursorWindow;
  GdkWindow* window = pointerWindowOf(findWindow(target));
  if (window == nullptr) return;
  const int index = cursorIndex(state.cursor);
  GdkCursor* cursor = nullptr;
  if (index >= 0) {
    if (state.cursors[index] == nullptr) {
      state.cursors[index] =
          gdk_cursor_new_from_name(gdk_window_get_display(window), kCursorNames[index]);
    }
    cursor = state.cursors[index];
  } else {
    if (state.cursors[0] == nullptr) {
      state.cursors[0] = gdk_cursor_new_from_name(gdk_window_get_display(window), "default");
    }
    cursor = state.cursor == nullptr
                 ? gdk_cursor_new_for_display(gdk_window_get_display(window), GDK_BLANK_CURSOR)
                 : state.cursors[0];
    gdk_window_set_cursor(window, cursor);
    if (state.cursor == nullptr) g_object_unref(cursor);
    return;
  }
  gdk_window_set_cursor(window, cursor);
}

void setKey(UINT vk, bool down) {
  BYTE& key = input().keys[vk & 0xFF];
  key = down ? static_cast<BYTE>(key | 0x80) : static_cast<BYTE>(key & 0x7F);
}

gunichar typedCharacter(const GdkEventKey* event) {
  switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
      return '\r';
    case GDK_KEY_BackSpace:
      return 8;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
      return '\t';
    case GDK_KEY_Escape:
      return 27;
    default:
      break;
  }
  gunichar c = gdk_keyval_to_unicode(event->keyval);
  if ((event->state & GDK_CONTROL_MASK) && c < 0x80 && g_ascii_isalpha(static_cast<char>(c))) {
    c = g_ascii_toupper(static_cast<char>(c)) - '@';  // Ctrl+A gives 1, as in Windows
  }
  return c;
}

// Up to two Shift_JIS bytes for one character; 0 when it has none.
int cp932Bytes(gunichar c, char out[2]) {
  if (c == 0) return 0;
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  char utf8[8] = {};
  const int length = g_unichar_to_utf8(c, utf8);
  const std::string converted = utf8ToCp932(std::string_view(utf8, length));
  if (converted.empty() || converted.size() > 2 || converted == "?") return 0;
  memcpy(out, converted.data(), converted.size());
  return static_cast<int>(converted.size());
}

}  // namespace

HWND SetCapture(HWND window) {
  InputState& state = input();
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return nullptr;
  const HWND previous = state.capture;
  if (previous == window) return previous;
  GdkWindow* gdkWindow = pointerWindowOf(w);
  if (gdkWindow != nullptr && gdk_window_is_viewable(gdkWindow)) {
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(gdkWindow));
    gdk_seat_grab(seat, gdkWindow, GDK_SEAT_CAPABILITY_ALL_POINTING, FALSE, nullptr, nullptr,
                  nullptr, nullptr);
  }
  state.capture = window;
  if (WindowRecord* old = findWindow(previous)) {
    desktop::sendToWindow(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  }
  return previous;
}

BOOL ReleaseCapture() {
  InputState& state = input();
  const HWND holder = state.capture;
  if (holder == nullptr) return 1;
  state.capture = nullptr;
  if (GdkDisplay* display = gdk_display_get_default()) {
    gdk_seat_ungrab(gdk_display_get_default_seat(display));
  }
  if (WindowRecord* old = findWindow(holder)) desktop::sendToWindow(old, WM_CAPTURECHANGED, 0, 0);
  return 1;
}

HWND GetCapture() {
  InputState& state = input();
  if (state.capture != nullptr && findWindow(state.capture) == nullptr) state.capture = nullptr;
  return state.capture;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (track == nullptr) return 0;
  WindowRecord* w = findWindow(track->hwndTrack);
  if (w == nullptr) return 0;
  if (track->dwFlags & TME_LEAVE) w->trackingLeave = (track->dwFlags & TME_CANCEL) == 0;
  return 1;
}

BOOL GetCursorPos(POINT* point) {
  if (point == nullptr) return 0;
  *point = input().cursorPos;
  // Where the pointer is now: a click on the tray icon or elsewhere reaches no window of ours.
  GdkDisplay* display = gdk_display_get_default();
  if (WindowSystemReady() && display != nullptr) {
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    gint x = 0;
    gint y = 0;
    if (pointer != nullptr) {
      gdk_device_get_position(pointer, nullptr, &x, &y);
      point->x = x;
      point->y = y;
    }
  }
  return 1;
}

HCURSOR LoadCursorA(HINSTANCE instance, const char* name) {
  if (instance != nullptr) return nullptr;
  HCURSOR cursor = reinterpret_cast<HCURSOR>(const_cast<char*>(name));
  return cursorIndex(cursor) >= 0 ? cursor : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  InputState& state = input();
  const HCURSOR previous = state.cursor;
  if (cursor != nullptr && cursorIndex(cursor) < 0) return previous;
  state.cursor = cursor;
  applyCursor();
  return previous;
}

BOOL GetKeyboardState(BYTE state[256]) {
  if (state == nullptr) return 0;
  memcpy(state, input().keys, 256);
  return 1;
}

short GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  const BYTE key = input().keys[virtualKey];
  return static_cast<short>(((key & 0x80) ? 0x8000 : 0) | (key & 1));
}

int ToAscii(UINT, UINT scanCode, const BYTE state[256], WORD* out, UINT) {
  if (out == nullptr || state == nullptr) return 0;
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return 0;
  int modifiers = 0;
  if (state[VK_SHIFT] & 0x80) modifiers |= GDK_SHIFT_MASK;
  if (state[VK_CAPITAL] & 1) modifiers |= GDK_LOCK_MASK;
  if (state[VK_CONTROL] & 0x80) modifiers |= GDK_CONTROL_MASK;
  GdkEventKey event{};
  if (!gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(display), scanCode & 0xFF,
                                           static_cast<GdkModifierType>(modifiers), 0,
                                           &event.keyval, nullptr, nullptr, nullptr)) {
    return 0;
  }
  event.state = static_cast<guint>(modifiers);
  char bytes[2] = {};
  const int count = cp932Bytes(typedCharacter(&event), bytes);
  auto* target = reinterpret_cast<BYTE*>(out);
  for (int i = 0; i < count; ++i) target[i] = static_cast<BYTE>(bytes[i]);
  return count;
}

}  // namespace vexa::platform

namespace vexa::platform::desktop {

KeyMessages translateKeyEvent(const GdkEventKey* event) {
  KeyMessages result;
  InputState& state = input();
  const bool press = event->type == GDK_KEY_PRESS;
  const guint16 code = event->hardware_keycode;
  const bool repeat = press && state.held.test(code & 0xFF);
  state.held.set(code & 0xFF, press);

  // The code names the key, not what it typed: take the key value without modifiers, except on
  // the keypad, where Num Lock decides between digits and movement.
  guint keyval = event->keyval;
  const bool keypad = keyval >= GDK_KEY_KP_Space && keyval <= GDK_KEY_KP_9;
  if (!keypad) {
    guint base = 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
    if (gdk_keymap_translate_keyboard_state(keymap, code, static_cast<GdkModifierType>(0), 0, &base,
                                            nullptr, nullptr, nullptr)) {
      keyval = base;
    }
  }
  const UINT vk = VirtualKeyFromKeyval(keyval);
  const bool alt = (event->state & GDK_MOD1_MASK) != 0 || vk == VK_MENU;
  LPARAM lParam = 1 | static_cast<LPARAM>(code & 0xFF) << 16;
  if (alt) lParam |= KF_ALTDOWN_BIT;
  if (repeat || !press) lParam |= KF_REPEAT_BIT;
  if (!press) lParam |= KF_UP_BIT;
  const bool system = (event->state & GDK_MOD1_MASK) != 0 || vk == VK_MENU || vk == VK_F1 + 9;
  result.items[result.count++] =
      KeyMessage{press ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP),
                 vk, lParam};
  if (press) {
    char bytes[2] = {};
    const int count = cp932Bytes(typedCharacter(event), bytes);
    const bool altHeld = (event->state & GDK_MOD1_MASK) != 0;
    for (int i = 0; i < count; ++i) {
      result.items[result.count++] =
          KeyMessage{altHeld ? WM_SYSCHAR : WM_CHAR, static_cast<BYTE>(bytes[i]), lParam};
    }
  }
  return result;
}

void noteMessageTaken(UINT message, WPARAM wParam, LPARAM lParam) {
  InputState& state = input();
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (wParam == VK_CAPITAL && !(lParam & KF_REPEAT_BIT)) state.keys[VK_CAPITAL] ^= 1;
      setKey(static_cast<UINT>(wParam), true);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      setKey(static_cast<UINT>(wParam), false);
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      setKey(VK_LBUTTON, wParam & MK_LBUTTON);
      setKey(VK_RBUTTON, wParam & MK_RBUTTON);
      setKey(VK_MBUTTON, wParam & MK_MBUTTON);
      setKey(VK_SHIFT, wParam & MK_SHIFT);
      setKey(VK_CONTROL, wParam & MK_CONTROL);
      break;
    case WM_SETFOCUS:
      // Keys pressed while another window had the focus were never seen: start from the truth.
      if (GdkDisplay* display = gdk_display_get_default()) {
        GdkKeymap* keymap = gdk_keymap_get_for_display(display);
        const guint modifiers = gdk_keymap_get_modifier_state(keymap);
        setKey(VK_SHIFT, modifiers & GDK_SHIFT_MASK);
        setKey(VK_CONTROL, modifiers & GDK_CONTROL_MASK);
        setKey(VK_MENU, modifiers & GDK_MOD1_MASK);
        state.keys[VK_CAPITAL] = static_cast<BYTE>(
            (state.keys[VK_CAPITAL] & 0x80) | (gdk_keymap_get_caps_lock_state(keymap) ? 1 : 0));
      }
      break;
    default:
      break;
  }
}

void noteCursorWindow(WindowRecord* w, double rootX, double rootY) {
  InputState& state = input();
  const HWND previous = state.cursorWindow;
  state.cursorWindow = w->handle();
  state.cursorPos = POINT{static_cast<LONG>(rootX), static_cast<LONG>(rootY)};
  if (previous != state.cursorWindow) applyCursor();
}

void inputForgetWindow(WindowRecord* w) {
  InputState& state = input();
  if (state.capture == w->handle()) {
    state.capture = nullptr;
    if (GdkDisplay* display = gdk_display_get_default()) {
      gdk_seat_ungrab(gdk_display_get_default_seat(display));
    }
  }
  if (state.cursorWindow == w->handle()) state.cursorWindow = nullptr;
}

}  // namespace vexa::platform::desktop
