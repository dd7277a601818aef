#include "platform/desktop/dialogs.h"

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/desktop/app_bar.h"
#include "platform/desktop/window_record.h"
#include "platform/desktop/window_system.h"
#include "resources/dialog_url.h"

namespace vexa::platform {

using desktop::WindowRecord;

namespace {

constexpr const char* kDialogClass = "#32770";

struct Dialog {
  DLGPROC procedure = nullptr;
  // The controls in Tab order: the edit control's window, or a button (borrowed from the
  // dialog's layout, which lives as long as the entry).
  struct Stop {
    HWND edit = nullptr;
    GtkWidget* button = nullptr;
  };
  std::vector<Stop> stops;
};

std::map<uintptr_t, Dialog>& dialogs() {
  static std::map<uintptr_t, Dialog> table;
  return table;
}

gpointer tag(HWND dialog) {
  return reinterpret_cast<gpointer>(dialog);
}

void postCommand(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

LRESULT dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = dialogs().find(reinterpret_cast<uintptr_t>(window));
  // Messages of its creation come before the procedure is bound, as WM_CREATE never reaches a
  // dialog procedure.
  if (found == dialogs().end()) return DefWindowProcA(window, message, wParam, lParam);
  const DLGPROC procedure = found->second.procedure;
  if (message == WM_NCDESTROY) {
    dialogs().erase(found);
    procedure(window, message, wParam, lParam);
    return 0;
  }
  const INT_PTR handled = procedure(window, message, wParam, lParam);
  if (handled != 0 || !IsWindow(window)) return handled;
  // The close button asks the same as the cancel button; only DestroyWindow closes.
  if (message == WM_CLOSE) return dialogProcedure(window, WM_COMMAND, IDCANCEL, 0);
  if (message == WM_COMMAND) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

bool registerDialogClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA dialogClass;
  dialogClass.lpfnWndProc = &dialogProcedure;
  dialogClass.lpszClassName = kDialogClass;
  dialogClass.background = RGB(246, 245, 244);
  registered = RegisterClassA(dialogClass) != 0;
  return registered;
}

void onButtonClicked(GtkButton* button, gpointer data) {
  postCommand(static_cast<HWND>(data),
              GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "vexa-control")));
}

GtkWidget* widgetOf(const Dialog::Stop& stop) {
  if (stop.button != nullptr) return stop.button;
  WindowRecord* edit = desktop::findWindow(stop.edit);
  return edit != nullptr ? edit->widget : nullptr;
}

// Tab and Shift+Tab move among the controls (the edit control keeps the keys it is given).
void moveFocus(HWND dialog, GtkWidget* top, bool forward) {
  auto found = dialogs().find(reinterpret_cast<uintptr_t>(dialog));
  if (found == dialogs().end() || found->second.stops.empty()) return;
  const std::vector<Dialog::Stop>& stops = found->second.stops;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(top));
  const int count = static_cast<int>(stops.size());
  int at = -1;
  for (int i = 0; i < count; ++i) {
    if (widgetOf(stops[static_cast<size_t>(i)]) == focus) at = i;
  }
  const int next = at < 0 ? 0 : (at + (forward ? 1 : count - 1)) % count;
  const Dialog::Stop& stop = stops[static_cast<size_t>(next)];
  if (stop.edit != nullptr) {
    SetFocus(stop.edit);
  } else {
    gtk_widget_grab_focus(stop.button);
  }
}

// Seen before the focused control: Escape cancels; Enter presses the default button, unless a
// button has the focus (then Enter presses that one, as GTK does).
gboolean onKeyPress(GtkWidget* top, GdkEventKey* event, gpointer data) {
  const auto dialog = static_cast<HWND>(data);
  if (event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_ISO_Left_Tab ||
      event->keyval == GDK_KEY_KP_Tab) {
    const bool back = event->keyval == GDK_KEY_ISO_Left_Tab || (event->state & GDK_SHIFT_MASK) != 0;
    moveFocus(dialog, top, !back);
    return TRUE;
  }
  if (event->keyval == GDK_KEY_Escape) {
    postCommand(dialog, IDCANCEL);
    return TRUE;
  }
  if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter ||
      event->keyval == GDK_KEY_ISO_Enter) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(top));
    if (focus != nullptr && GTK_IS_BUTTON(focus)) return FALSE;
    postCommand(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

WindowRecord* topLevelOf(HWND window) {
  WindowRecord* w = desktop::findWindow(window);
  while (w != nullptr && w->parent != nullptr) w = w->parent;
  return w != nullptr && w->top != nullptr ? w : nullptr;
}

// Centred on the owner (or the screen), kept on the screen.
POINT placeDialog(HWND owner, int width, int height) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT around{0, 0, screenWidth, screenHeight};
  if (owner != nullptr) GetWindowRect(owner, &around);
  POINT at{around.left + (around.right - around.left - width) / 2,
           around.top + (around.bottom - around.top - height) / 2};
  at.x = std::clamp<LONG>(at.x, 0, std::max(0, screenWidth - width));
  at.y = std::clamp<LONG>(at.y, 0, std::max(0, screenHeight - height));
  return at;
}

}  // namespace

HWND CreateDialogParamA(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc,
                        LPARAM init) {
  if (!IS_INTRESOURCE(name) || reinterpret_cast<uintptr_t>(name) != kUrlDialog || proc == nullptr ||
      !WindowSystemReady() || !registerDialogClass()) {
    return nullptr;
  }
  WindowRecord* ownerTop = nullptr;
  if (owner != nullptr) {
    ownerTop = topLevelOf(owner);
    if (ownerTop == nullptr) return nullptr;
  }
  const int width = resources::kUrlDialogWidth;
  const int height = resources::kUrlDialogHeight;
  const POINT at = placeDialog(ownerTop != nullptr ? ownerTop->handle() : nullptr, width, height);
  const HWND dialog = CreateWindowExA(0, kDialogClass, "", WS_CAPTION | WS_SYSMENU, at.x, at.y,
                                      width, height, nullptr, nullptr, instance, nullptr);
  WindowRecord* w = desktop::findWindow(dialog);
  if (w == nullptr) return nullptr;
  GtkWindow* top = GTK_WINDOW(w->top);
  // Not resizable: the window then takes its content's size, which is the dialog's.
  gtk_widget_set_size_request(w->widget, width, height);
  gtk_window_set_resizable(top, FALSE);
  gtk_window_set_type_hint(top, GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_skip_taskbar_hint(top, TRUE);
  if (ownerTop != nullptr) gtk_window_set_transient_for(top, GTK_WINDOW(ownerTop->top));
  g_signal_connect(w->top, "key-press-event", G_CALLBACK(onKeyPress), tag(dialog));

  HWND first = nullptr;
  Dialog record{proc, {}};
  for (const resources::DialogControl& control : resources::kUrlDialogControls) {
    if (control.kind == resources::DialogControlKind::Edit) {
      const HWND edit = CreateWindowExA(
          0, kEditClassName, control.label, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
          control.x, control.y, control.width, control.height, dialog,
          reinterpret_cast<HMENU>(static_cast<uintptr_t>(control.id)), instance, nullptr);
      if (first == nullptr) first = edit;
      if (edit != nullptr) record.stops.push_back(Dialog::Stop{edit, nullptr});
      continue;
    }
    GtkWidget* button = gtk_button_new_with_label(control.label);
    g_object_set_data(G_OBJECT(button), "vexa-control", GINT_TO_POINTER(control.id));
    gtk_widget_set_size_request(button, control.width, control.height);
    gtk_layout_put(GTK_LAYOUT(w->widget), button, control.x, control.y);
    g_signal_connect(button, "clicked", G_CALLBACK(onButtonClicked), tag(dialog));
    gtk_widget_show(button);
    record.stops.push_back(Dialog::Stop{nullptr, button});
    if (control.kind == resources::DialogControlKind::DefaultButton) {
      gtk_widget_set_can_default(button, TRUE);
      gtk_window_set_default(top, button);
    }
  }

  dialogs()[reinterpret_cast<uintptr_t>(dialog)] = std::move(record);
  const LRESULT focusFirst =
      SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), init);
  if (!IsWindow(dialog)) return nullptr;
  ShowWindow(dialog, SW_SHOW);
  if (focusFirst != 0 && first != nullptr) SetFocus(first);
  return dialog;
}

HWND GetDlgItem(HWND dialog, int id) {
  WindowRecord* w = desktop::findWindow(dialog);
  if (w == nullptr) return nullptr;
  for (WindowRecord* child : w->children) {
    if (child->controlId == id) return child->handle();
  }
  return nullptr;
}

UINT GetDlgItemTextA(HWND dialog, int id, char* buffer, int size) {
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  const HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return 0;
  return static_cast<UINT>(GetWindowTextA(control, buffer, size));
}

BOOL SetDlgItemTextA(HWND dialog, int id, const char* text) {
  const HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? SetWindowTextA(control, text) : 0;
}

}  // namespace vexa::platform
