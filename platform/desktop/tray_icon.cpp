// GtkStatusIcon is the one XEmbed tray client GTK 3 has; it is deprecated, not gone.
#define GDK_DISABLE_DEPRECATION_WARNINGS
#include "platform/desktop/tray_icon.h"

#include <gtk/gtk.h>

#include <cstring>
#include <map>
#include <utility>

#include "platform/desktop/host_windows.h"
#include "platform/desktop/icon_record.h"
#include "platform/desktop/window_record.h"
#include "platform/desktop/window_system.h"
#include "platform/sjis_char.h"
#include "platform/text_encoding.h"

namespace vexa::platform {

namespace {

struct TrayIcon {
  HWND window = nullptr;
  UINT id = 0;
  UINT callback = 0;
  bool hasCallback = false;
  UINT version = 0;
  HICON icon = nullptr;
  GtkStatusIcon* status = nullptr;   // owned
  GtkWidget* ownerWidget = nullptr;  // the window's GTK window, watched for its end
};

using Key = std::pair<uintptr_t, UINT>;

std::map<Key, TrayIcon*>& icons() {
  static std::map<Key, TrayIcon*> table;
  return table;
}

Key keyOf(HWND window, UINT id) {
  return {reinterpret_cast<uintptr_t>(window), id};
}

bool validSize(DWORD size) {
  return size == NOTIFYICONDATAA_V3_SIZE || size == sizeof(NOTIFYICONDATAA);
}

// The tip field up to its NUL or its end, without a cut double-byte character, in UTF-8.
std::string tipText(const char (&field)[128]) {
  size_t length = strnlen(field, sizeof field);
  size_t whole = 0;
  while (whole < length) {
    const size_t step = isSjisLeadByte(static_cast<unsigned char>(field[whole])) ? 2 : 1;
    if (whole + step > length) break;
    whole += step;
  }
  return cp932ToUtf8(std::string(field, whole));
}

// The notifications reach the window through the queue, as the shell posts them.
void notify(TrayIcon* icon, UINT mouseMessage) {
  if (!icon->hasCallback || !IsWindow(icon->window)) return;
  PostMessageA(icon->window, icon->callback, icon->id, static_cast<LPARAM>(mouseMessage));
}

void contextMenu(TrayIcon* icon) {
  notify(icon, icon->version >= NOTIFYICON_VERSION ? WM_CONTEXTMENU : WM_RBUTTONUP);
}

// Clicks are reported when the button comes up, as the shell does: a menu opened for a right
// click must not see that click's release.
gboolean onButtonPress(GtkStatusIcon*, GdkEventButton* event, gpointer) {
  return event->button == 1 || event->button == 3;  // no "activate" or "popup-menu" for them
}

gboolean onButtonRelease(GtkStatusIcon*, GdkEventButton* event, gpointer data) {
  auto* icon = static_cast<TrayIcon*>(data);
  if (event->button == 1) notify(icon, WM_LBUTTONUP);
  if (event->button == 3) contextMenu(icon);
  return event->button == 1 || event->button == 3;
}

// The keyboard's menu key on the icon.
void onPopupMenu(GtkStatusIcon*, guint, guint, gpointer data) {
  contextMenu(static_cast<TrayIcon*>(data));
}

// The tray decides the icon's size; give it the drawn picture that fits best.
gboolean onSizeChanged(GtkStatusIcon* status, gint size, gpointer data) {
  auto* icon = static_cast<TrayIcon*>(data);
  GdkPixbuf* picture = desktop::iconPicture(icon->icon, size > 0 ? size : 16);
  if (picture == nullptr) return FALSE;
  gtk_status_icon_set_from_pixbuf(status, picture);
  g_object_unref(picture);
  return TRUE;
}

bool setIcon(TrayIcon* icon, HICON handle) {
  const int size = gtk_status_icon_get_size(icon->status);
  GdkPixbuf* picture = desktop::iconPicture(handle, size > 0 ? size : 16);
  if (picture == nullptr) return false;
  icon->icon = handle;
  gtk_status_icon_set_from_pixbuf(icon->status, picture);
  g_object_unref(picture);
  return true;
}

void apply(TrayIcon* icon, const NOTIFYICONDATAA& data) {
  if (data.uFlags & NIF_MESSAGE) {
    icon->callback = data.uCallbackMessage;
    icon->hasCallback = true;
  }
  if (data.uFlags & NIF_TIP) {
    const std::string tip = tipText(data.szTip);
    gtk_status_icon_set_tooltip_text(icon->status, tip.empty() ? nullptr : tip.c_str());
  }
}

void drop(std::map<Key, TrayIcon*>::iterator entry) {
  TrayIcon* icon = entry->second;
  icons().erase(entry);
  if (icon->ownerWidget != nullptr) {
    g_signal_handlers_disconnect_by_data(icon->ownerWidget, icon);
  }
  g_signal_handlers_disconnect_by_data(icon->status, icon);
  gtk_status_icon_set_visible(icon->status, FALSE);
  g_object_unref(icon->status);
  delete icon;
}

// The icon leaves the tray with its window, whether or not NIM_DELETE came first.
void onOwnerDestroyed(GtkWidget*, gpointer data) {
  auto* icon = static_cast<TrayIcon*>(data);
  icon->ownerWidget = nullptr;  // being destroyed: nothing to disconnect from
  for (auto it = icons().begin(); it != icons().end(); ++it) {
    if (it->second == icon) {
      drop(it);
      return;
    }
  }
}

// Icons of windows that are gone go with them, as the shell drops them at its next look.
void dropDeadIcons() {
  for (auto it = icons().begin(); it != icons().end();) {
    auto next = std::next(it);
    if (!IsWindow(it->second->window)) drop(it);
    it = next;
  }
}

}  // namespace

BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
  if (data == nullptr || !validSize(data->cbSize) || !WindowSystemReady()) return 0;
  dropDeadIcons();
  auto found = icons().find(keyOf(data->hWnd, data->uID));
  switch (message) {
    case NIM_ADD: {
      if (found != icons().end() || !IsWindow(data->hWnd)) return 0;
      auto* icon = new TrayIcon;
      icon->window = data->hWnd;
      icon->id = data->uID;
      icon->status = gtk_status_icon_new();
      if ((data->uFlags & NIF_ICON) && !setIcon(icon, data->hIcon)) {
        g_object_unref(icon->status);
        delete icon;
        return 0;
      }
      apply(icon, *data);
      g_signal_connect(icon->status, "popup-menu", G_CALLBACK(onPopupMenu), icon);
      g_signal_connect(icon->status, "button-press-event", G_CALLBACK(onButtonPress), icon);
      g_signal_connect(icon->status, "button-release-event", G_CALLBACK(onButtonRelease), icon);
      g_signal_connect(icon->status, "size-changed", G_CALLBACK(onSizeChanged), icon);
      if (desktop::WindowRecord* w = desktop::findWindow(data->hWnd)) {
        icon->ownerWidget = w->top != nullptr ? w->top : w->widget;
        if (icon->ownerWidget != nullptr) {
          g_signal_connect(icon->ownerWidget, "destroy", G_CALLBACK(onOwnerDestroyed), icon);
        }
      }
      icons().emplace(keyOf(data->hWnd, data->uID), icon);
      return 1;
    }
    case NIM_MODIFY: {
      if (found == icons().end()) return 0;
      TrayIcon* icon = found->second;
      if ((data->uFlags & NIF_ICON) && !setIcon(icon, data->hIcon)) return 0;
      apply(icon, *data);
      return 1;
    }
    case NIM_DELETE:
      if (found == icons().end()) return 0;
      drop(found);
      return 1;
    case NIM_SETVERSION:
      if (found == icons().end()) return 0;
      if (data->uVersion != 0 && data->uVersion != NOTIFYICON_VERSION) return 0;
      found->second->version = data->uVersion;
      return 1;
    default:
      return 0;
  }
}

HRESULT Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* rect) {
  if (identifier == nullptr || rect == nullptr || !WindowSystemReady()) return E_FAIL;
  auto found = icons().find(keyOf(identifier->hWnd, identifier->uID));
  if (found == icons().end()) return E_FAIL;
  GtkStatusIcon* status = found->second->status;
  GdkRectangle area;
  // A tray gives an icon its size a moment after it embeds it.
  if (!gtk_status_icon_is_embedded(status) ||
      !gtk_status_icon_get_geometry(status, nullptr, &area, nullptr) || area.width <= 1 ||
      area.height <= 1) {
    return E_FAIL;
  }
  *rect = RECT{area.x, area.y, area.x + area.width, area.y + area.height};
  return S_OK;
}

}  // namespace vexa::platform
