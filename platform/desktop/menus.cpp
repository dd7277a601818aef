#include "platform/desktop/menus.h"

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop/window_record.h"
#include "platform/desktop/window_system.h"
#include "platform/text_encoding.h"
#include "resources/menu_main.h"

// Xlib last: its macros (None, Status, ...) would clash with names above.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

namespace vexa::platform {

namespace {

struct MenuRecord;

struct MenuItem {
  UINT id = 0;
  std::string label;  // UTF-8
  UINT state = 0;     // MF_GRAYED, MF_DISABLED
  bool separator = false;
  std::unique_ptr<MenuRecord> popup;
};

struct MenuRecord {
  uintptr_t handle = 0;
  std::vector<MenuItem> items;
};

struct MenuTable {
  std::map<uintptr_t, MenuRecord*> menus;  // every live menu and pop-up; owned by their roots
  uintptr_t nextId = 0x30000;
};

MenuTable& table() {
  static MenuTable instance;
  return instance;
}

MenuRecord* findMenu(HMENU menu) {
  auto found = table().menus.find(reinterpret_cast<uintptr_t>(menu));
  return found == table().menus.end() ? nullptr : found->second;
}

std::unique_ptr<MenuRecord> newMenu() {
  auto menu = std::make_unique<MenuRecord>();
  menu->handle = table().nextId;
  table().nextId += 0x10;
  table().menus.emplace(menu->handle, menu.get());
  return menu;
}

void forget(MenuRecord* menu) {
  for (MenuItem& item : menu->items) {
    if (item.popup) forget(item.popup.get());
  }
  table().menus.erase(menu->handle);
}

// The item named by command (searching pop-ups, depth first) or by position.
MenuItem* findItem(MenuRecord* menu, UINT item, UINT flags) {
  if (menu == nullptr) return nullptr;
  if (flags & MF_BYPOSITION) return item < menu->items.size() ? &menu->items[item] : nullptr;
  for (MenuItem& entry : menu->items) {
    if (entry.popup) {
      if (MenuItem* inner = findItem(entry.popup.get(), item, flags)) return inner;
    } else if (!entry.separator && entry.id == item) {
      return &entry;
    }
  }
  return nullptr;
}

// The menus a root owns stay in the table while the root lives; a root is any menu no item
// holds as its pop-up.
std::vector<std::unique_ptr<MenuRecord>>& roots() {
  static std::vector<std::unique_ptr<MenuRecord>> owned;
  return owned;
}

// One pop-up menu at a time: what it chose and whether it closed.
struct PopupRun {
  UINT chosen = 0;
  bool closed = false;
  HWND owner = nullptr;
  GtkWidget* menu = nullptr;
};
PopupRun* running = nullptr;

void onItemActivate(GtkMenuItem* item, gpointer data) {
  auto* run = static_cast<PopupRun*>(data);
  run->chosen = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "vexa-command"));
}

void onDeactivate(GtkMenuShell*, gpointer data) {
  static_cast<PopupRun*>(data)->closed = true;
}

gboolean onWatch(gpointer data) {
  auto* run = static_cast<PopupRun*>(data);
  // The owner died or the program is asked to end: the menu goes.
  if (!IsWindow(run->owner) || MessageQueue::signalQuitPending()) {
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(run->menu));
    run->closed = true;
  }
  return G_SOURCE_CONTINUE;
}

GtkWidget* buildMenu(const MenuRecord& record, PopupRun* run) {
  GtkWidget* menu = gtk_menu_new();
  for (const MenuItem& item : record.items) {
    GtkWidget* widget = nullptr;
    if (item.separator) {
      widget = gtk_separator_menu_item_new();
    } else {
      widget = gtk_menu_item_new_with_label(item.label.c_str());
      gtk_widget_set_sensitive(widget, (item.state & (MF_GRAYED | MF_DISABLED)) == 0);
      if (item.popup) {
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), buildMenu(*item.popup, run));
      } else {
        g_object_set_data(G_OBJECT(widget), "vexa-command", GUINT_TO_POINTER(item.id));
        g_signal_connect(widget, "activate", G_CALLBACK(onItemActivate), run);
      }
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), widget);
  }
  return menu;
}

GdkGravity menuCorner(UINT flags) {
  const bool right = (flags & TPM_RIGHTALIGN) != 0;
  const bool bottom = (flags & TPM_BOTTOMALIGN) != 0;
  if (right && bottom) return GDK_GRAVITY_SOUTH_EAST;
  if (right) return GDK_GRAVITY_NORTH_EAST;
  if (bottom) return GDK_GRAVITY_SOUTH_WEST;
  return GDK_GRAVITY_NORTH_WEST;
}

Display* xDisplay() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) return nullptr;
  return gdk_x11_display_get_xdisplay(display);
}

bool keyDown(Display* display, const char keys[32], KeySym symbol) {
  const KeyCode code = XKeysymToKeycode(display, symbol);
  return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

}  // namespace

HMENU LoadMenuA(HINSTANCE, const char* name) {
  if (!IS_INTRESOURCE(name) || reinterpret_cast<uintptr_t>(name) != kMainMenu) return nullptr;
  std::unique_ptr<MenuRecord> root = newMenu();
  MenuItem holder;
  holder.label = resources::kMainMenuName;
  holder.popup = newMenu();
  for (const resources::MenuEntry& entry : resources::kMainMenuPopup) {
    MenuItem item;
    item.id = entry.id;
    item.separator = entry.id == 0;
    if (entry.label != nullptr) item.label = entry.label;
    holder.popup->items.push_back(std::move(item));
  }
  root->items.push_back(std::move(holder));
  const auto handle = reinterpret_cast<HMENU>(root->handle);
  roots().push_back(std::move(root));
  return handle;
}

BOOL DestroyMenu(HMENU menu) {
  auto& owned = roots();
  for (auto it = owned.begin(); it != owned.end(); ++it) {
    if ((*it)->handle != reinterpret_cast<uintptr_t>(menu)) continue;
    // A menu on screen keeps its record until it closes: the owner of the loop frees nothing.
    if (running != nullptr) return 0;
    forget(it->get());
    owned.erase(it);
    return 1;
  }
  return 0;  // unknown, or a pop-up its menu owns
}

HMENU GetSubMenu(HMENU menu, int position) {
  MenuRecord* record = findMenu(menu);
  if (record == nullptr || position < 0 || static_cast<size_t>(position) >= record->items.size()) {
    return nullptr;
  }
  const MenuItem& item = record->items[static_cast<size_t>(position)];
  return item.popup ? reinterpret_cast<HMENU>(item.popup->handle) : nullptr;
}

int GetMenuItemCount(HMENU menu) {
  MenuRecord* record = findMenu(menu);
  return record != nullptr ? static_cast<int>(record->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  MenuRecord* record = findMenu(menu);
  if (record == nullptr || position < 0 || static_cast<size_t>(position) >= record->items.size()) {
    return static_cast<UINT>(-1);
  }
  const MenuItem& item = record->items[static_cast<size_t>(position)];
  return item.popup || item.separator ? static_cast<UINT>(-1) : item.id;
}

int EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* entry = findItem(findMenu(menu), item, flags);
  if (entry == nullptr) return -1;
  const int previous = static_cast<int>(entry->state & (MF_GRAYED | MF_DISABLED));
  entry->state = (entry->state & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  MenuItem* entry = findItem(findMenu(menu), item, flags);
  if (entry == nullptr) return static_cast<UINT>(-1);
  return entry->state | (entry->separator ? MF_SEPARATOR : 0) | (entry->popup ? MF_POPUP : 0);
}

int GetMenuStringA(HMENU menu, UINT item, char* buffer, int size, UINT flags) {
  MenuItem* entry = findItem(findMenu(menu), item, flags);
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  if (entry == nullptr) return 0;
  return desktop::copyText(utf8ToCp932(entry->label), buffer, size);
}

UINT TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, void*) {
  MenuRecord* record = findMenu(menu);
  if (record == nullptr || running != nullptr || !IsWindow(owner) || !WindowSystemReady()) {
    return 0;
  }
  PopupRun run;
  run.owner = owner;
  run.menu = g_object_ref_sink(buildMenu(*record, &run));
  g_signal_connect(run.menu, "deactivate", G_CALLBACK(onDeactivate), &run);
  gtk_widget_show_all(run.menu);
  running = &run;

  GdkWindow* root = gdk_get_default_root_window();
  const GdkRectangle at{x, y, 1, 1};
  g_object_set(run.menu, "anchor-hints", GDK_ANCHOR_FLIP | GDK_ANCHOR_SLIDE | GDK_ANCHOR_RESIZE,
               nullptr);
  // The menu is asked for from a window message, long after the click: GTK needs an event to
  // know which pointer and keyboard to grab, so it is given one of the present moment.
  GdkEvent* trigger = gdk_event_new(GDK_BUTTON_RELEASE);
  trigger->button.window = GDK_WINDOW(g_object_ref(root));
  trigger->button.time = GDK_CURRENT_TIME;
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  if (seat != nullptr) gdk_event_set_device(trigger, gdk_seat_get_pointer(seat));
  gtk_menu_popup_at_rect(GTK_MENU(run.menu), root, &at, GDK_GRAVITY_NORTH_WEST, menuCorner(flags),
                         trigger);
  gdk_event_free(trigger);
  // A menu that could not take the pointer is not shown and never closes by itself.
  if (!gtk_widget_get_visible(run.menu)) run.closed = true;
  const guint watch = g_timeout_add(100, onWatch, &run);
  GMainContext* context = g_main_context_default();
  while (!run.closed) g_main_context_iteration(context, TRUE);
  g_source_remove(watch);
  running = nullptr;
  gtk_widget_destroy(run.menu);
  g_object_unref(run.menu);

  const UINT chosen = run.chosen;
  if (flags & TPM_RETURNCMD) return chosen;
  if (chosen != 0 && (flags & TPM_NONOTIFY) == 0 && IsWindow(owner)) {
    PostMessageA(owner, WM_COMMAND, chosen, 0);
  }
  return 1;
}

BOOL SetForegroundWindow(HWND window) {
  desktop::WindowRecord* w = desktop::findWindow(window);
  while (w != nullptr && w->parent != nullptr) w = w->parent;
  if (w == nullptr || w->top == nullptr) return 0;
  gtk_window_present(GTK_WINDOW(w->top));
  return 1;
}

SHORT GetAsyncKeyState(int virtualKey) {
  Display* display = WindowSystemReady() ? xDisplay() : nullptr;
  if (display == nullptr) return 0;
  bool down = false;
  if (virtualKey == static_cast<int>(VK_LBUTTON) || virtualKey == static_cast<int>(VK_RBUTTON) ||
      virtualKey == static_cast<int>(VK_MBUTTON)) {
    Window rootReturn = 0;
    Window childReturn = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &rootReturn, &childReturn, &rootX, &rootY,
                  &x, &y, &mask);
    const unsigned int button = virtualKey == static_cast<int>(VK_LBUTTON)   ? Button1Mask
                                : virtualKey == static_cast<int>(VK_RBUTTON) ? Button3Mask
                                                                             : Button2Mask;
    down = (mask & button) != 0;
  } else {
    char keys[32] = {};
    XQueryKeymap(display, keys);
    const auto either = [&](KeySym left, KeySym right) {
      return keyDown(display, keys, left) || keyDown(display, keys, right);
    };
    switch (virtualKey) {
      case VK_MENU:
        down = either(XK_Alt_L, XK_Alt_R) || keyDown(display, keys, XK_Meta_L);
        break;
      case VK_LMENU:
        down = keyDown(display, keys, XK_Alt_L);
        break;
      case VK_RMENU:
        down = keyDown(display, keys, XK_Alt_R);
        break;
      case VK_SHIFT:
        down = either(XK_Shift_L, XK_Shift_R);
        break;
      case VK_LSHIFT:
        down = keyDown(display, keys, XK_Shift_L);
        break;
      case VK_RSHIFT:
        down = keyDown(display, keys, XK_Shift_R);
        break;
      case VK_CONTROL:
        down = either(XK_Control_L, XK_Control_R);
        break;
      case VK_LCONTROL:
        down = keyDown(display, keys, XK_Control_L);
        break;
      case VK_RCONTROL:
        down = keyDown(display, keys, XK_Control_R);
        break;
      default:
        break;
    }
  }
  return down ? static_cast<SHORT>(0x8000) : 0;
}

}  // namespace vexa::platform
