#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include "platform/desktop/input.h"

namespace vexa::platform {
namespace {

struct KeyCase {
  const char* name;
  unsigned int keyval;
  UINT expected;
};

TEST(VirtualKeyFromKeyval, NamesTheKeyNotWhatItTyped) {
  const KeyCase cases[] = {
      {"lower letter", GDK_KEY_a, 'A'},
      {"upper letter", GDK_KEY_Z, 'Z'},
      {"digit", GDK_KEY_7, '7'},
      {"keypad digit", GDK_KEY_KP_3, VK_NUMPAD0 + 3},
      {"F1", GDK_KEY_F1, VK_F1},
      {"F12", GDK_KEY_F12, VK_F1 + 11},
      {"Return", GDK_KEY_Return, VK_RETURN},
      {"keypad Enter", GDK_KEY_KP_Enter, VK_RETURN},
      {"Escape", GDK_KEY_Escape, VK_ESCAPE},
      {"Tab", GDK_KEY_Tab, VK_TAB},
      {"Shift-Tab", GDK_KEY_ISO_Left_Tab, VK_TAB},
      {"BackSpace", GDK_KEY_BackSpace, VK_BACK},
      {"Delete", GDK_KEY_Delete, VK_DELETE},
      {"Insert", GDK_KEY_Insert, VK_INSERT},
      {"space", GDK_KEY_space, VK_SPACE},
      {"Up", GDK_KEY_Up, VK_UP},
      {"Down", GDK_KEY_Down, VK_DOWN},
      {"Left", GDK_KEY_Left, VK_LEFT},
      {"Right", GDK_KEY_Right, VK_RIGHT},
      {"keypad Left", GDK_KEY_KP_Left, VK_LEFT},
      {"left Shift", GDK_KEY_Shift_L, VK_SHIFT},
      {"right Control", GDK_KEY_Control_R, VK_CONTROL},
      {"Alt", GDK_KEY_Alt_L, VK_MENU},
      {"Caps Lock", GDK_KEY_Caps_Lock, VK_CAPITAL},
      {"minus", GDK_KEY_minus, VK_OEM_MINUS},
      {"Henkan", GDK_KEY_Henkan, VK_CONVERT},
      {"a shifted symbol has no key of its own", GDK_KEY_exclam, 0},
      {"a dead key", GDK_KEY_dead_acute, 0},
      {"nothing", GDK_KEY_VoidSymbol, 0},
      {"a kana key value", GDK_KEY_kana_A, 0},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(VirtualKeyFromKeyval(c.keyval), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace vexa::platform
