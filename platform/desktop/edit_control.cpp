#include "platform/desktop/edit_control.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/desktop/gdi_record.h"
#include "platform/desktop/window_record.h"
#include "platform/text_encoding.h"

namespace vexa::platform::desktop {

namespace {

// GTK's theme gives entries a tall minimum and wide padding; a Windows edit control is as high
// as its font plus a thin border.
constexpr const char* kEditStyle =
    "entry.vexa-edit { min-height: 0; min-width: 0; margin: 0; padding: 0 2px; "
    "border: 1px solid #7a7a7a; border-radius: 0; box-shadow: none; "
    "background: #ffffff; color: #000000; }";

gpointer tag(const WindowRecord* w) {
  return reinterpret_cast<gpointer>(w->id);
}

// A window manager never gives the keyboard to a dock window, so a click in one of its
// controls must take it for the window itself.
void focusTopLevel(GtkWidget* widget) {
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  if (!GTK_IS_WINDOW(top) || gtk_window_is_active(GTK_WINDOW(top))) return;
  GdkWindow* window = gtk_widget_get_window(top);
  if (window == nullptr || !GDK_IS_X11_WINDOW(window) || !gdk_window_is_viewable(window)) return;
  // The window may be mapped for GDK before the server has mapped it (a manager reparents it
  // first): the server then refuses the focus, which must not end the program.
  GdkDisplay* display = gdk_window_get_display(window);
  gdk_x11_display_error_trap_push(display);
  XSetInputFocus(GDK_WINDOW_XDISPLAY(window), GDK_WINDOW_XID(window), RevertToParent, CurrentTime);
  gdk_x11_display_error_trap_pop_ignored(display);
}

gboolean onEditPress(GtkWidget* widget, GdkEventButton*, gpointer) {
  focusTopLevel(widget);
  return FALSE;  // the entry places the caret as usual
}

gboolean onEditKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  const HWND handle = reinterpret_cast<HWND>(data);
  if (findWindow(handle) == nullptr) return FALSE;
  const KeyMessages messages = translateKeyEvent(event);
  bool reached = true;
  for (int i = 0; i < messages.count; ++i) {
    WindowRecord* w = findWindow(handle);
    if (w == nullptr) return TRUE;  // the hook destroyed the control: nothing left to type in
    const KeyMessage& m = messages.items[i];
    w->reachedEntry = false;
    noteMessageTaken(m.message, m.wParam, m.lParam);
    sendToWindow(w, m.message, m.wParam, m.lParam);
    w = findWindow(handle);
    if (w == nullptr) return TRUE;
    reached = reached && w->reachedEntry;
  }
  // A key every message of which reached the entry's own procedure is the entry's to handle.
  return reached ? FALSE : TRUE;
}

gboolean onEditFocus(GtkWidget*, GdkEventFocus* event, gpointer data) {
  WindowRecord* w = findWindow(reinterpret_cast<HWND>(data));
  if (w != nullptr) postToWindow(w, event->in ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
  return FALSE;
}

void applyFont(WindowRecord* w, HGDIOBJ handle) {
  GdiObject* font = findObject(handle, GdiKind::Font);
  if (font == nullptr || font->font == nullptr) return;
  PangoAttrList* attributes = pango_attr_list_new();
  pango_attr_list_insert(attributes, pango_attr_font_desc_new(font->font));
  gtk_entry_set_attributes(GTK_ENTRY(w->widget), attributes);
  pango_attr_list_unref(attributes);
}

}  // namespace

void installEditStyle() {
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kEditStyle, -1, nullptr);
  if (GdkScreen* screen = gdk_screen_get_default()) {
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  g_object_unref(provider);
}

void setUpEditWidget(WindowRecord* w, int x, int y, int width, int height) {
  GtkWidget* entry = gtk_entry_new();
  g_object_ref_sink(entry);
  w->widget = entry;
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
  gtk_style_context_add_class(gtk_widget_get_style_context(entry), "vexa-edit");
  g_signal_connect(entry, "key-press-event", G_CALLBACK(onEditKey), tag(w));
  g_signal_connect(entry, "key-release-event", G_CALLBACK(onEditKey), tag(w));
  g_signal_connect(entry, "button-press-event", G_CALLBACK(onEditPress), nullptr);
  g_signal_connect(entry, "focus-in-event", G_CALLBACK(onEditFocus), tag(w));
  g_signal_connect(entry, "focus-out-event", G_CALLBACK(onEditFocus), tag(w));
  w->x = x;
  w->y = y;
  w->width = std::max(width, 0);
  w->height = std::max(height, 0);
  placeChildWidget(w);
}

int editTextLength(WindowRecord* w) {
  return static_cast<int>(editText(w).size());
}

std::string editText(WindowRecord* w) {
  return utf8ToCp932(gtk_entry_get_text(GTK_ENTRY(w->widget)));
}

void setEditText(WindowRecord* w, const std::string& cp932) {
  gtk_entry_set_text(GTK_ENTRY(w->widget), cp932ToUtf8(cp932).c_str());
}

LRESULT editProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = findWindow(window);
  if (w == nullptr || w->widget == nullptr) return 0;
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      w->reachedEntry = true;
      return 0;
    case WM_SETFONT:
      applyFont(w, reinterpret_cast<HGDIOBJ>(wParam));
      if (lParam != 0) gtk_widget_queue_draw(w->widget);
      return 0;
    case WM_SETTEXT:
      setEditText(w, lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
      return 1;
    case WM_GETTEXTLENGTH:
      return editTextLength(w);
    case WM_GETTEXT:
      return copyText(editText(w), reinterpret_cast<char*>(lParam), static_cast<int>(wParam));
    case EM_SETSEL: {
      const int start = static_cast<int>(static_cast<intptr_t>(wParam));
      const int end = static_cast<int>(lParam);
      gtk_editable_select_region(GTK_EDITABLE(w->widget), start, end < 0 ? -1 : end);
      return 0;
    }
    case EM_LIMITTEXT:
      gtk_entry_set_max_length(GTK_ENTRY(w->widget),
                               static_cast<gint>(std::min<WPARAM>(wParam, 65535)));
      return 0;
    default:
      return 0;
  }
}

}  // namespace vexa::platform::desktop

namespace vexa::platform {

HWND SetFocus(HWND window) {
  const HWND previous = GetFocus();
  desktop::WindowRecord* w = desktop::findWindow(window);
  if (w != nullptr && w->widget != nullptr) {
    desktop::focusTopLevel(w->widget);
    gtk_widget_grab_focus(w->widget);
  }
  return previous;
}

HWND GetFocus() {
  for (uintptr_t id : desktop::liveWindowIds()) {
    desktop::WindowRecord* w = desktop::findWindow(reinterpret_cast<HWND>(id));
    if (w != nullptr && w->widget != nullptr && gtk_widget_has_focus(w->widget)) {
      return w->handle();
    }
  }
  return nullptr;
}

}  // namespace vexa::platform
