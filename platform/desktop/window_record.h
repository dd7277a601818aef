#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/desktop/host_windows.h"
#include "platform/message_queue.h"

// Inside the desktop layer only: what one window is made of, and the table that gives handles.
namespace vexa::platform::desktop {

enum class WindowKind { Host, Edit };

struct WindowRecord : MessageTarget {
  uintptr_t id = 0;
  WindowKind kind = WindowKind::Host;
  WNDPROC procedure = nullptr;
  LONG_PTR userData = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  int controlId = 0;
  WindowRecord* parent = nullptr;  // borrowed; the parent outlives its children
  std::vector<WindowRecord*> children;
  COLORREF background = RGB(255, 255, 255);
  std::string text;  // Shift_JIS; for an edit control the entry holds the text instead

  // GTK: `top` is the GtkWindow of a top-level window (null for a child); `widget` is the
  // client area (a GtkLayout) or the GtkEntry. Both are owned: a reference is held on each.
  GtkWidget* top = nullptr;
  GtkWidget* widget = nullptr;

  // Geometry: the client rectangle the window system last gave, and the position asked for.
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool visible = false;  // as ShowWindow left it
  bool maximized = false;
  bool minimized = false;
  bool sizePending = false;  // WM_SIZE to send at the next peek
  bool movePending = false;  // WM_MOVE to send at the next peek
  int sentWidth = -1;        // the size the last WM_SIZE told
  int sentHeight = -1;
  int screenX = 0;
  int screenY = 0;

  // The retained picture of a host window's client area, and what is owed on it.
  cairo_surface_t* picture = nullptr;
  bool invalid = false;
  RECT invalidRect;
  bool damaged = false;  // drawn on since last put on screen
  RECT damageRect;

  int painting = 0;  // WM_PAINT handlers of this window on the stack
  bool trackingLeave = false;
  bool destroyStarted = false;  // DestroyWindow is on the stack for it: a second call is refused
  bool destroying = false;      // past WM_NCDESTROY: the handle no longer names it
  // Edit controls: set when a key's message reached the entry's own procedure.
  bool reachedEntry = false;
  bool inKeyHook = false;

  HWND handle() const { return reinterpret_cast<HWND>(id); }
  // Posted messages arrive here through MessageQueue::dispatch.
  intptr_t windowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
};

// The window table. Handles are never reused within a run.
WindowRecord* findWindow(HWND handle);
WindowRecord* addWindow();           // a fresh record with its id; owned by the table
void forgetWindow(WindowRecord* w);  // frees the record
std::vector<uintptr_t> liveWindowIds();
// True when `test` holds for some live window; allocates nothing.
bool anyWindow(bool (*test)(const WindowRecord*));

MessageQueue* boundQueue();
void setBoundQueue(MessageQueue* queue);

// Sends a message through the window's current procedure, keeping the message time.
LRESULT sendToWindow(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam);
bool postToWindow(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam);

// The sent messages owed to windows: sizes and moves first, then paints; damage put on screen.
void deliverOwedMessages();
bool messagesOwed();

// Host windows
bool paintOwed(const WindowRecord* w);
void setUpHostWidgets(WindowRecord* w, int x, int y, int width, int height, const char* title);
void setUpEditWidget(WindowRecord* w, int x, int y, int width, int height);
void placeChildWidget(WindowRecord* w);
void destroyWidgets(WindowRecord* w);
void resizePicture(WindowRecord* w, int width, int height);
void addDamage(WindowRecord* w, const RECT& rect);
void invalidate(WindowRecord* w, const RECT* rect);

// The messages one GDK key event becomes: the key message, then WM_CHAR (or WM_SYSCHAR) for
// each Shift_JIS byte it types.
struct KeyMessage {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
struct KeyMessages {
  KeyMessage items[3];
  int count = 0;
};
KeyMessages translateKeyEvent(const GdkEventKey* event);

// Input state kept across windows.
void inputForgetWindow(WindowRecord* w);
void noteMessageTaken(UINT message, WPARAM wParam, LPARAM lParam);
void noteCursorWindow(WindowRecord* w, double rootX, double rootY);
void connectInputSignals(WindowRecord* w);
void connectEditKeySignals(WindowRecord* w);
LRESULT editProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void setMessageTime(DWORD time);

// Copies whole characters of `text` into `buffer` of `size` bytes with a NUL; returns the bytes.
int copyText(const std::string& text, char* buffer, int size);

// The look of edit controls (GTK's style for entries, made to fit a single-line control).
void installEditStyle();

// Text in edit controls (UTF-8 inside GTK).
int editTextLength(WindowRecord* w);
std::string editText(WindowRecord* w);
void setEditText(WindowRecord* w, const std::string& cp932);

}  // namespace vexa::platform::desktop
