#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/desktop/app_bar.h"
#include "platform/desktop/dialogs.h"
#include "platform/desktop/icon_record.h"
#include "platform/desktop/icons.h"
#include "platform/desktop/menus.h"
#include "platform/desktop/tray_icon.h"
#include "platform/text_encoding.h"

// Menus, icons and records; none of it needs a display.
namespace vexa::platform {
namespace {

TEST(ShellRecords, FieldsHaveTheirWindowsSizesAndNeedADisplay) {
  NOTIFYICONDATAA tray;
  EXPECT_EQ(sizeof tray.szTip, 128u);
  EXPECT_EQ(sizeof tray.szInfo, 256u);
  EXPECT_EQ(sizeof tray.szInfoTitle, 64u);
  EXPECT_EQ(sizeof tray.guidItem, 16u);
  APPBARDATA bar;
  bar.cbSize = APPBARDATA_V1_SIZE;
  EXPECT_EQ(SHAppBarMessage(ABM_NEW, &bar), 0u) << "no window system";
  tray.cbSize = NOTIFYICONDATAA_V3_SIZE;
  EXPECT_EQ(Shell_NotifyIconA(NIM_ADD, &tray), 0) << "no window system";
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);
}

std::string menuText(HMENU menu, int position) {
  char buffer[64];
  GetMenuStringA(menu, static_cast<UINT>(position), buffer, sizeof buffer, MF_BYPOSITION);
  return cp932ToUtf8(buffer);
}

TEST(MainMenu, HoldsTheTrayCommandsInOrder) {
  HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMainMenu));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  struct Item {
    UINT id;
    const char* text;
  };
  const Item commands[] = {{40007, "ペイン1に直接入力"},  {40006, "ペイン2に直接入力"},
                           {40001, "ペイン数を切り替え"}, {40003, "ペインを入れ替え"},
                           {40002, "左右切り替え"},       {40000, "終了"}};
  size_t next = 0;
  int separators = 0;
  for (int i = 0; i < GetMenuItemCount(popup); ++i) {
    if (GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) {
      ++separators;
      continue;
    }
    ASSERT_LT(next, std::size(commands));
    EXPECT_EQ(GetMenuItemID(popup, i), commands[next].id) << i;
    EXPECT_EQ(menuText(popup, i), commands[next].text) << i;
    ++next;
  }
  EXPECT_EQ(next, std::size(commands));
  EXPECT_GE(separators, 1);
  EXPECT_EQ(GetMenuState(popup, 40000, MF_BYCOMMAND) & MF_SEPARATOR, 0u);
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_EQ(GetSubMenu(menu, 0), nullptr) << "the pop-up went with its menu";
  EXPECT_EQ(GetMenuItemCount(popup), -1);
  EXPECT_FALSE(DestroyMenu(menu));
}

TEST(MainMenu, UnknownNamesGiveNoMenu) {
  const char* names[] = {MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(0), "main", nullptr};
  for (const char* name : names) EXPECT_EQ(LoadMenuA(nullptr, name), nullptr);
}

TEST(MainMenu, EnablingReportsThePreviousState) {
  HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMainMenu));
  HMENU popup = GetSubMenu(menu, 0);
  struct Step {
    HMENU in;
    UINT item;
    UINT flags;
    int previous;
  };
  const Step steps[] = {
      {popup, 40003, MF_BYCOMMAND | MF_GRAYED, MF_ENABLED},
      {popup, 40003, MF_BYCOMMAND | MF_GRAYED, MF_GRAYED},
      {popup, 40003, MF_BYCOMMAND | MF_ENABLED, MF_GRAYED},
      {menu, 40003, MF_BYCOMMAND | MF_GRAYED, MF_ENABLED},  // found inside the pop-up
      {popup, 12345, MF_BYCOMMAND | MF_GRAYED, -1},
      {popup, 99, MF_BYPOSITION | MF_GRAYED, -1},
      {nullptr, 40003, MF_BYCOMMAND | MF_GRAYED, -1},
  };
  for (const Step& s : steps) EXPECT_EQ(EnableMenuItem(s.in, s.item, s.flags), s.previous);
  EXPECT_EQ(GetMenuState(popup, 40003, MF_BYCOMMAND), MF_GRAYED);
  // Each load is a menu of its own.
  HMENU other = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMainMenu));
  EXPECT_EQ(GetMenuState(GetSubMenu(other, 0), 40003, MF_BYCOMMAND), MF_ENABLED);
  DestroyMenu(other);
  DestroyMenu(menu);
}

TEST(MainMenu, TextIsBoundedToWholeCharacters) {
  HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMainMenu));
  char buffer[4] = {'x', 'x', 'x', 'x'};
  // "終了" is four bytes in Shift_JIS: with room for three only the first character fits.
  EXPECT_EQ(GetMenuStringA(menu, 40000, buffer, 4, MF_BYCOMMAND), 2);
  EXPECT_EQ(cp932ToUtf8(buffer), "終");
  EXPECT_EQ(GetMenuStringA(menu, 1, buffer, 4, MF_BYCOMMAND), 0);
  EXPECT_EQ(buffer[0], '\0');
  DestroyMenu(menu);
}

TEST(Icons, EachIsDrawnAtTheShippedSizes) {
  for (WORD id : {kIconNormal, kIconSecond, kIconBlink}) {
    HICON icon = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(icon, nullptr) << id;
    for (int size : {16, 22, 48}) {
      GdkPixbuf* picture = desktop::iconPicture(icon, size);
      ASSERT_NE(picture, nullptr);
      EXPECT_EQ(gdk_pixbuf_get_width(picture), size) << id;
      EXPECT_EQ(gdk_pixbuf_get_height(picture), size) << id;
      EXPECT_TRUE(gdk_pixbuf_get_has_alpha(picture)) << "the tray's colour shows around it";
      g_object_unref(picture);
    }
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_EQ(desktop::iconPicture(icon, 16), nullptr);
  }
}

TEST(Icons, OnlyTheProgramsIconsLoad) {
  struct Case {
    const char* name;
    UINT type;
    int cx;
  };
  const Case cases[] = {{MAKEINTRESOURCEA(102), IMAGE_ICON, 0},
                        {MAKEINTRESOURCEA(101), 0, 0},
                        {MAKEINTRESOURCEA(101), IMAGE_ICON, -1},
                        {MAKEINTRESOURCEA(101), IMAGE_ICON, 100000},
                        {"vexa", IMAGE_ICON, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(LoadImageA(nullptr, c.name, c.type, c.cx, c.cx, 0), nullptr);
  HICON sized =
      static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(101), IMAGE_ICON, 32, 32, 0));
  GdkPixbuf* picture = desktop::iconPicture(sized, 16);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(picture), 32) << "one size was asked for";
  g_object_unref(picture);
  DestroyIcon(sized);
}

// The share of pixels whose colours differ clearly between two pictures of one size.
double differingShare(GdkPixbuf* a, GdkPixbuf* b) {
  const int size = gdk_pixbuf_get_width(a);
  const int channels = gdk_pixbuf_get_n_channels(a);
  int differing = 0;
  for (int y = 0; y < size; ++y) {
    const guchar* rowA = gdk_pixbuf_get_pixels(a) + y * gdk_pixbuf_get_rowstride(a);
    const guchar* rowB = gdk_pixbuf_get_pixels(b) + y * gdk_pixbuf_get_rowstride(b);
    for (int x = 0; x < size; ++x) {
      int distance = 0;
      for (int c = 0; c < 3; ++c)
        distance += std::abs(rowA[x * channels + c] - rowB[x * channels + c]);
      differing += distance > 96 ? 1 : 0;
    }
  }
  return static_cast<double>(differing) / (size * size);
}

TEST(Icons, TheBlinkPartnerAndTheSecondStateStandOut) {
  HICON normal = LoadIconA(nullptr, MAKEINTRESOURCEA(kIconNormal));
  HICON second = LoadIconA(nullptr, MAKEINTRESOURCEA(kIconSecond));
  HICON blink = LoadIconA(nullptr, MAKEINTRESOURCEA(kIconBlink));
  for (int size : {16, 22}) {
    GdkPixbuf* n = desktop::iconPicture(normal, size);
    GdkPixbuf* s = desktop::iconPicture(second, size);
    GdkPixbuf* b = desktop::iconPicture(blink, size);
    EXPECT_GT(differingShare(n, b), 0.3) << size;
    EXPECT_GT(differingShare(n, s), 0.3) << size;
    g_object_unref(n);
    g_object_unref(s);
    g_object_unref(b);
  }
  DestroyIcon(normal);
  DestroyIcon(second);
  DestroyIcon(blink);
}

}  // namespace
}  // namespace vexa::platform
