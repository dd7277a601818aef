#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <stdlib.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "platform/desktop/menus.h"
#include "platform/desktop/tray_icon.h"
#include "platform/text_encoding.h"
#include "tests/platform/desktop/gui/shell_rig.h"

namespace vexa::test {
namespace {

constexpr UINT kTrayId = 1129;
constexpr UINT kTrayMessage = 1129;

NOTIFYICONDATAA trayRecord(HWND window, HICON icon) {
  NOTIFYICONDATAA data;
  data.cbSize = NOTIFYICONDATAA_V3_SIZE;
  data.hWnd = window;
  data.uID = kTrayId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = icon;
  const std::string tip = utf8ToCp932("vexa/テスト");
  tip.copy(data.szTip, sizeof data.szTip - 1);
  return data;
}

// Runs xdotool on another thread; the caller's loop (a menu's, or the queue's) goes on.
class Background {
 public:
  void xdotool(const std::string& arguments) {
    join();
    thread_ = std::thread(
        [arguments] { std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()); });
  }
  ~Background() { join(); }
  void join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

class WindowManagerTrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Desktop::get().ready()) GTEST_SKIP() << "no display";
    if (getenv("VEXA_WINDOW_MANAGER") == nullptr) GTEST_SKIP() << "no window manager";
  }
  Desktop& desktop() { return Desktop::get(); }
  bool trayOwned() { return XGetSelectionOwner(xDisplay(), xAtom("_NET_SYSTEM_TRAY_S0")) != 0; }
  size_t trayNotes(const WindowLog& log, LPARAM kind) {
    size_t n = 0;
    for (const Seen& s : log.seen) {
      n += s.message == kTrayMessage && s.wParam == kTrayId && s.lParam == kind;
    }
    return n;
  }
};

TEST_F(WindowManagerTrayTest, IconEmbedsWhenTheTrayComesAndReportsClicks) {
  ASSERT_FALSE(trayOwned()) << "no tray before the test starts one";
  TestWindow owner(600, 400, 200, 100, WS_POPUP);
  HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(kIconNormal));
  NOTIFYICONDATAA data = trayRecord(owner.handle, icon);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data)) << "added without a tray";
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data)) << "the same id twice";
  data.uVersion = NOTIFYICON_VERSION;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_SETVERSION, &data));
  NOTIFYICONIDENTIFIER identifier;
  identifier.hWnd = owner.handle;
  identifier.uID = kTrayId;
  RECT at;
  EXPECT_EQ(Shell_NotifyIconGetRect(&identifier, &at), E_FAIL) << "not embedded yet";

  Helper tray({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
               "100", "--height", "24", "--SetDockType", "true", "--transparent", "false"});
  ASSERT_TRUE(tray.started());
  // Embedded, then given its place and size by the tray.
  ASSERT_TRUE(desktop().runUntil([&] {
    return Shell_NotifyIconGetRect(&identifier, &at) == S_OK && at.right - at.left >= 16 &&
           at.top >= 0;
  })) << "the icon embeds once the tray is there: "
      << at.left << "," << at.top << " " << at.right << "," << at.bottom;
  EXPECT_GT(at.right - at.left, 0);
  EXPECT_LE(at.bottom, 24 + 8) << "in the tray at the top";
  const int x = (at.left + at.right) / 2;
  const int y = (at.top + at.bottom) / 2;
  if (getenv("VEXA_SCREENSHOTS")) std::system("import -window root /tmp/shots/tray.png");
  ASSERT_TRUE(desktop().runUntil([&] {
    return countScreenPixels(at.left, at.top, at.right - at.left, at.bottom - at.top,
                             [](COLORREF c) {
                               // The normal icon's blue.
                               return GetBValue(c) > 150 && GetRValue(c) < 120;
                             }) > 10;
  })) << "the icon is drawn in the tray at "
      << at.left << "," << at.top << " " << at.right << "," << at.bottom;

  // A left click is reported as such, never as the context menu.
  ASSERT_TRUE(movePointer(x, y));
  ASSERT_TRUE(desktop().xdotoolWhileRunning("click 1"));
  ASSERT_TRUE(desktop().runUntil([&] { return trayNotes(owner.log, WM_LBUTTONUP) > 0; }));
  EXPECT_EQ(trayNotes(owner.log, WM_CONTEXTMENU), 0u);
  // The menu comes when the button comes up: its release cannot choose an item.
  ASSERT_TRUE(desktop().xdotoolWhileRunning("mousedown 3"));
  XSync(xDisplay(), False);  // the press has reached us
  while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
  desktop().drain();
  EXPECT_EQ(trayNotes(owner.log, WM_CONTEXTMENU), 0u);
  ASSERT_TRUE(desktop().xdotoolWhileRunning("mouseup 3"));
  ASSERT_TRUE(desktop().runUntil([&] { return trayNotes(owner.log, WM_CONTEXTMENU) == 1; }));

  // The blink partner replaces the picture; the other fields stay.
  HICON blink = LoadIconA(nullptr, MAKEINTRESOURCEA(kIconBlink));
  NOTIFYICONDATAA change = data;
  change.uFlags = NIF_ICON;
  change.hIcon = blink;
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &change));
  ASSERT_TRUE(desktop().runUntil([&] {
    return countScreenPixels(at.left, at.top, at.right - at.left, at.bottom - at.top,
                             [](COLORREF c) {
                               // The blink icon's amber.
                               return GetRValue(c) > 200 && GetGValue(c) > 140 && GetBValue(c) < 80;
                             }) > 10;
  })) << "the blink icon is drawn";

  if (const char* shots = getenv("VEXA_SCREENSHOTS")) {
    // For a person to look at: the menu open beside the tray.
    HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMainMenu));
    Background keys;
    guint timer = g_timeout_add(
        300,
        [](gpointer dir) -> gboolean {
          std::system(("import -window root " + std::string(static_cast<const char*>(dir)) +
                       "/menu.png; xdotool key Escape")
                          .c_str());
          return G_SOURCE_REMOVE;
        },
        const_cast<char*>(shots));
    EnableMenuItem(menu, 40003, MF_BYCOMMAND | MF_GRAYED);
    TrackPopupMenuEx(GetSubMenu(menu, 0), 0x1A8, x, at.bottom, owner.handle, nullptr);
    g_source_remove(timer);
    DestroyMenu(menu);
  }

  EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &change));
  EXPECT_EQ(Shell_NotifyIconGetRect(&identifier, &at), E_FAIL);
  ASSERT_TRUE(desktop().runUntil([&] {
    return countScreenPixels(at.left, at.top, at.right - at.left, at.bottom - at.top,
                             [](COLORREF c) { return GetRValue(c) > 200 && GetBValue(c) < 80; }) ==
           0;
  })) << "the icon left the tray";
  DestroyIcon(icon);
  DestroyIcon(blink);
}

TEST_F(WindowManagerTrayTest, BadRecordsAreRefused) {
  TestWindow owner(600, 400, 200, 100, WS_POPUP);
  struct Case {
    const char* name;
    DWORD message;
    std::function<void(NOTIFYICONDATAA&)> spoil;
  };
  const Case cases[] = {
      {"zero size", NIM_ADD, [](NOTIFYICONDATAA& d) { d.cbSize = 0; }},
      {"no window", NIM_ADD, [](NOTIFYICONDATAA& d) { d.hWnd = nullptr; }},
      {"a dead icon handle", NIM_ADD,
       [](NOTIFYICONDATAA& d) { d.hIcon = reinterpret_cast<HICON>(uintptr_t{0x999990}); }},
      {"modify before add", NIM_MODIFY, [](NOTIFYICONDATAA&) {}},
      {"delete before add", NIM_DELETE, [](NOTIFYICONDATAA&) {}},
      {"version before add", NIM_SETVERSION, [](NOTIFYICONDATAA& d) { d.uVersion = 3; }},
      {"an unknown message", 9, [](NOTIFYICONDATAA&) {}},
  };
  for (const Case& c : cases) {
    NOTIFYICONDATAA data = trayRecord(owner.handle, nullptr);
    data.uFlags = NIF_MESSAGE | NIF_TIP;
    c.spoil(data);
    if (std::string(c.name) == "a dead icon handle") data.uFlags |= NIF_ICON;
    EXPECT_FALSE(Shell_NotifyIconA(c.message, &data)) << c.name;
  }
  // A tip that fills its field without a NUL and ends in half a character.
  NOTIFYICONDATAA data = trayRecord(owner.handle, nullptr);
  data.uFlags = NIF_TIP;
  memset(data.szTip, 'a', sizeof data.szTip);
  data.szTip[127] = '\x82';
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  data.uVersion = 4;
  EXPECT_FALSE(Shell_NotifyIconA(NIM_SETVERSION, &data)) << "only versions 0 and 3";
  // The window goes first: the icon goes with it.
  DestroyWindow(owner.handle);
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &data));
}

// Pop-up menus: what a click, a key or the end of the owner does to TrackPopupMenuEx.
class WindowManagerMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Desktop::get().ready()) GTEST_SKIP() << "no display";
    if (getenv("VEXA_WINDOW_MANAGER") == nullptr) GTEST_SKIP() << "no window manager";
  }
};

// The shown menu's window and the item with a label, found from inside the menu's loop.
GtkWidget* shownMenu() {
  GList* windows = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* l = windows; l != nullptr; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (gtk_widget_get_mapped(w) && gtk_window_get_window_type(GTK_WINDOW(w)) == GTK_WINDOW_POPUP) {
      found = w;
    }
  }
  g_list_free(windows);
  return found;
}

GtkWidget* itemLabelled(GtkWidget* menuWindow, const char* label) {
  GtkWidget* menu = gtk_bin_get_child(GTK_BIN(menuWindow));
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  GtkWidget* found = nullptr;
  for (GList* l = items; l != nullptr; l = l->next) {
    if (GTK_IS_MENU_ITEM(l->data) &&
        g_strcmp0(gtk_menu_item_get_label(GTK_MENU_ITEM(l->data)), label) == 0) {
      found = GTK_WIDGET(l->data);
    }
  }
  g_list_free(items);
  return found;
}

struct MenuScript {
  std::function<void(GtkWidget* menuWindow)> act;
  GtkWidget* seenWindow = nullptr;
  GdkRectangle seenFrame{};
  Background background;
};

gboolean whenShown(gpointer data) {
  auto* script = static_cast<MenuScript*>(data);
  GtkWidget* window = shownMenu();
  if (window == nullptr) return G_SOURCE_CONTINUE;
  script->seenWindow = window;
  gdk_window_get_frame_extents(gtk_widget_get_window(window), &script->seenFrame);
  script->act(window);
  return G_SOURCE_REMOVE;
}

// A case whose keys missed the menu fails instead of leaving the menu open for ever.
gboolean closeShownMenu(gpointer) {
  if (GtkWidget* window = shownMenu()) {
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(gtk_bin_get_child(GTK_BIN(window))));
  }
  return G_SOURCE_CONTINUE;
}

std::string clickOn(GtkWidget* item) {
  GtkAllocation a;
  gtk_widget_get_allocation(item, &a);
  gint x = 0;
  gint y = 0;
  gdk_window_get_origin(gtk_widget_get_window(item), &x, &y);
  return "mousemove --sync " + std::to_string(x + a.x + a.width / 2) + " " +
         std::to_string(y + a.y + a.height / 2) + " click 1";
}

TEST_F(WindowManagerMenuTest, ReturnsTheCommandChosenOrNothing) {
  TestWindow owner(600, 400, 200, 100, WS_POPUP);
  ShowWindow(owner.handle, SW_SHOW);
  HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMainMenu));
  HMENU popup = GetSubMenu(menu, 0);
  EnableMenuItem(popup, 40003, MF_BYCOMMAND | MF_GRAYED);
  const std::string swap = "ペインを入れ替え";
  struct Case {
    const char* name;
    std::function<std::string(GtkWidget*)> keys;  // xdotool arguments, given the menu
    UINT expected;
  };
  const Case cases[] = {
      {"a click on an item",
       [](GtkWidget* m) { return clickOn(itemLabelled(m, "ペイン数を切り替え")); }, 40001},
      {"the last item", [](GtkWidget* m) { return clickOn(itemLabelled(m, "終了")); }, 40000},
      {"Escape", [](GtkWidget*) { return std::string("key Escape"); }, 0},
      {"a click on the greyed item, then Escape",
       [&](GtkWidget* m) { return clickOn(itemLabelled(m, swap.c_str())) + " key Escape"; }, 0},
      {"a click outside", [](GtkWidget*) { return std::string("mousemove --sync 50 50 click 1"); },
       0},
      {"the keyboard", [](GtkWidget*) { return std::string("key Down Down Return"); }, 40006},
  };
  for (const Case& c : cases) {
    MenuScript script;
    script.act = [&](GtkWidget* window) { script.background.xdotool(c.keys(window)); };
    ASSERT_TRUE(movePointer(900, 700));
    const guint watch = g_timeout_add(20, whenShown, &script);
    const guint safety = g_timeout_add(10000, closeShownMenu, nullptr);
    const UINT chosen =
        TrackPopupMenuEx(popup, TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_NONOTIFY | TPM_RETURNCMD,
                         900, 700, owner.handle, nullptr);
    if (script.seenWindow == nullptr) g_source_remove(watch);
    g_source_remove(safety);
    script.background.join();
    EXPECT_EQ(chosen, c.expected) << c.name;
    ASSERT_NE(script.seenWindow, nullptr) << c.name;
    // Right- and bottom-aligned to the point.
    EXPECT_EQ(script.seenFrame.x + script.seenFrame.width, 900) << c.name;
    EXPECT_EQ(script.seenFrame.y + script.seenFrame.height, 700) << c.name;
  }
  DestroyMenu(menu);
}

TEST_F(WindowManagerMenuTest, EndsWhenTheOwnerDiesOrAQuitSignalComes) {
  HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMainMenu));
  struct Case {
    const char* name;
    bool killOwner;
  };
  for (const Case& c : {Case{"owner destroyed", true}, Case{"quit signal", false}}) {
    auto owner = std::make_unique<TestWindow>(600, 400, 200, 100, WS_POPUP);
    MenuScript script;
    script.act = [&](GtkWidget*) {
      if (c.killOwner) {
        DestroyWindow(owner->handle);
      } else {
        MessageQueue::postQuitFromSignal();
      }
    };
    const guint watch = g_timeout_add(20, whenShown, &script);
    const UINT chosen =
        TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RETURNCMD, 100, 100, owner->handle, nullptr);
    if (script.seenWindow == nullptr) g_source_remove(watch);
    EXPECT_EQ(chosen, 0u) << c.name;
    EXPECT_NE(script.seenWindow, nullptr) << c.name;
    // The loop takes the signal's quit as usual.
    if (!c.killOwner) {
      WindowMessage message;
      ASSERT_TRUE(Desktop::get().runUntil(
          [&] { return Desktop::get().queue().peek(message) && message.message == WM_QUIT; }));
    }
  }
  EXPECT_EQ(TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RETURNCMD, 0, 0, nullptr, nullptr), 0u);
  DestroyMenu(menu);
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, nullptr, nullptr), 0u);
}

TEST_F(WindowManagerMenuTest, WithoutReturnCmdTheChoiceIsPostedToTheOwner) {
  TestWindow owner(600, 400, 200, 100, WS_POPUP);
  HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMainMenu));
  MenuScript script;
  script.act = [&](GtkWidget* m) {
    script.background.xdotool(clickOn(itemLabelled(m, "左右切り替え")));
  };
  g_timeout_add(20, whenShown, &script);
  const guint safety = g_timeout_add(10000, closeShownMenu, nullptr);
  EXPECT_EQ(TrackPopupMenuEx(GetSubMenu(menu, 0), 0, 300, 300, owner.handle, nullptr), 1u);
  g_source_remove(safety);
  script.background.join();
  ASSERT_TRUE(Desktop::get().runUntil([&] {
    const Seen* command = owner.log.last(WM_COMMAND);
    return command != nullptr && LOWORD(command->wParam) == 40002;
  }));
  EXPECT_EQ(script.seenFrame.x, 300) << "left- and top-aligned without the flags";
  EXPECT_EQ(script.seenFrame.y, 300);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace vexa::test
