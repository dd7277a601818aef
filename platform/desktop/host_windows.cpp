#include "platform/desktop/host_windows.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "platform/desktop/icon_record.h"
#include "platform/desktop/window_record.h"
#include "platform/desktop/window_system.h"
#include "platform/sjis_char.h"
#include "platform/text_encoding.h"

namespace vexa::platform {

using desktop::findWindow;
using desktop::WindowKind;
using desktop::WindowRecord;

namespace {

struct ClassRecord {
  WNDPROC procedure = nullptr;
  COLORREF background = RGB(255, 255, 255);
  ATOM atom = 0;
};

std::map<std::string, ClassRecord>& classes() {
  static std::map<std::string, ClassRecord> registered;
  return registered;
}

ATOM nextAtom = 0xC000;

bool isEditClass(const char* name) {
  return name != nullptr && strcasecmp(name, "Edit") == 0;
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA& windowClass) {
  const char* name = windowClass.lpszClassName;
  if (name == nullptr || *name == '\0' || isEditClass(name)) return 0;
  if (classes().count(name) != 0) return 0;
  if (nextAtom == 0xFFFF) return 0;
  ClassRecord record{windowClass.lpfnWndProc, windowClass.background, nextAtom++};
  classes().emplace(name, record);
  return record.atom;
}

BOOL UnregisterClassA(const char* className, HINSTANCE) {
  if (className == nullptr) return 0;
  return classes().erase(className) != 0 ? 1 : 0;
}

HINSTANCE GetModuleHandleA(const char*) {
  return reinterpret_cast<HINSTANCE>(uintptr_t{0x400000});
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menuOrId, HINSTANCE,
                     void* param) {
  if (!WindowSystemReady() || className == nullptr) return nullptr;
  const bool edit = isEditClass(className);
  ClassRecord hostClass;
  if (!edit) {
    auto found = classes().find(className);
    if (found == classes().end()) return nullptr;
    hostClass = found->second;
  }
  WindowRecord* parentRecord = nullptr;
  if (parent != nullptr) {
    parentRecord = findWindow(parent);
    if (parentRecord == nullptr || parentRecord->kind != WindowKind::Host) return nullptr;
  }
  const bool child = (style & WS_CHILD) != 0;
  if ((child || edit) && parentRecord == nullptr) return nullptr;

  if (x == CW_USEDEFAULT || width < 1) {
    x = 0;
    y = 0;
    width = child || edit ? 0 : 320;
    height = child || edit ? 0 : 240;
  }
  WindowRecord* w = desktop::addWindow();
  w->kind = edit ? WindowKind::Edit : WindowKind::Host;
  w->procedure = edit ? &desktop::editProcedure : hostClass.procedure;
  w->background = hostClass.background;
  w->style = style;
  w->exStyle = exStyle;
  w->controlId = child || edit ? static_cast<int>(reinterpret_cast<uintptr_t>(menuOrId)) : 0;
  w->parent = child || edit ? parentRecord : nullptr;
  if (w->parent != nullptr) w->parent->children.push_back(w);
  if (edit) {
    desktop::setUpEditWidget(w, x, y, width, height);
    if (title != nullptr) desktop::setEditText(w, title);
  } else {
    if (title != nullptr) w->text = title;
    desktop::setUpHostWidgets(w, x, y, width, height, title);
  }

  CREATESTRUCTA create;
  create.lpCreateParams = param;
  create.hwndParent = parent;
  create.hMenu = menuOrId;
  create.x = x;
  create.y = y;
  create.cx = width;
  create.cy = height;
  create.style = style;
  create.dwExStyle = exStyle;
  const HWND handle = w->handle();
  if (desktop::sendToWindow(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (findWindow(handle) == nullptr) return nullptr;  // destroyed itself while being created
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL DestroyWindow(HWND window) {
  WindowRecord* w = findWindow(window);
  // A procedure that destroys its window again from WM_DESTROY must not free it under us.
  if (w == nullptr || w->destroyStarted) return 0;
  w->destroyStarted = true;
  // WM_DESTROY to the window first, then to its children, as Windows does.
  desktop::sendToWindow(w, WM_DESTROY, 0, 0);
  for (;;) {
    auto next = std::find_if(w->children.begin(), w->children.end(),
                             [](const WindowRecord* child) { return !child->destroyStarted; });
    if (next == w->children.end()) break;
    DestroyWindow((*next)->handle());
  }
  // Children still being destroyed further up the stack outlive their parent's record.
  for (WindowRecord* child : w->children) child->parent = nullptr;
  w->children.clear();
  desktop::inputForgetWindow(w);
  desktop::sendToWindow(w, WM_NCDESTROY, 0, 0);
  w->destroying = true;
  if (w->parent != nullptr) std::erase(w->parent->children, w);
  desktop::destroyWidgets(w);
  desktop::forgetWindow(w);
  return 1;
}

BOOL IsWindow(HWND window) {
  return findWindow(window) != nullptr ? 1 : 0;
}

HWND GetParent(HWND window) {
  WindowRecord* w = findWindow(window);
  return w != nullptr && w->parent != nullptr ? w->parent->handle() : nullptr;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->procedure);
    case GWLP_USERDATA:
      return w->userData;
    case GWLP_ID:
      return w->controlId;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(w->exStyle);
    default:
      return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  const LONG_PTR previous = GetWindowLongPtrA(window, index);
  switch (index) {
    case GWLP_WNDPROC:
      w->procedure = reinterpret_cast<WNDPROC>(value);
      break;
    case GWLP_USERDATA:
      w->userData = value;
      break;
    case GWLP_ID:
      w->controlId = static_cast<int>(value);
      break;
    case GWL_STYLE:
      w->style = static_cast<DWORD>(value);
      break;
    case GWL_EXSTYLE:
      w->exStyle = static_cast<DWORD>(value);
      break;
    default:
      return 0;
  }
  return previous;
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  if (procedure == nullptr) return 0;
  return procedure(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      ValidateRect(window, nullptr);
      return 0;
    case WM_SETTEXT:
      w->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
      if (w->top != nullptr) {
        const std::string title = cp932ToUtf8(w->text);
        gtk_window_set_title(GTK_WINDOW(w->top), title.c_str());
      }
      return 1;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_GETTEXT:
      return desktop::copyText(w->text, reinterpret_cast<char*>(lParam), static_cast<int>(wParam));
    case WM_SETICON: {
      // One picture list serves both kinds: the window manager picks its sizes from it.
      if (w->top == nullptr || (wParam != ICON_SMALL && wParam != ICON_BIG)) return 0;
      GList* pictures = desktop::iconPictures(reinterpret_cast<HICON>(lParam));
      gtk_window_set_icon_list(GTK_WINDOW(w->top), pictures);
      g_list_free_full(pictures, g_object_unref);
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  return desktop::sendToWindow(w, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr) {
    MessageQueue* queue = desktop::boundQueue();
    return queue != nullptr && !queue->post(nullptr, message, wParam, lParam) ? 1 : 0;
  }
  WindowRecord* w = findWindow(window);
  if (w == nullptr) return 0;
  return desktop::postToWindow(w, message, wParam, lParam) ? 1 : 0;
}

BOOL SetWindowTextA(HWND window, const char* text) {
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : ""))
             ? 1
             : 0;
}

int GetWindowTextA(HWND window, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size),
                                       reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND window) {
  return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
}

int GetDlgCtrlID(HWND window) {
  WindowRecord* w = findWindow(window);
  return w != nullptr ? w->controlId : 0;
}

}  // namespace vexa::platform

namespace vexa::platform::desktop {

int copyText(const std::string& text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const size_t room = static_cast<size_t>(size) - 1;
  size_t length = 0;
  // Whole characters only: a lead byte whose trail byte does not fit stays out.
  while (length < text.size()) {
    const size_t step = isSjisLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
    if (length + step > room || length + step > text.size()) break;
    length += step;
  }
  memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

}  // namespace vexa::platform::desktop
