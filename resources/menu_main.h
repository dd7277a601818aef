#pragma once

// Menu 102, "main": the pop-up of the tray icon and the bar's icon button. Labels in UTF-8 (they
// go to the desktop as they are); an id of 0 is a separator.
namespace vexa::resources {

struct MenuEntry {
  unsigned id;
  const char* label;
};

constexpr unsigned kMainMenuId = 102;
constexpr const char* kMainMenuName = "main";
constexpr MenuEntry kMainMenuPopup[] = {
    {40007, "ペイン1に直接入力"},
    {40006, "ペイン2に直接入力"},
    {0, nullptr},
    {40001, "ペイン数を切り替え"},
    {40003, "ペインを入れ替え"},
    {40002, "左右切り替え"},
    {0, nullptr},
    {40000, "終了"},
};

}  // namespace vexa::resources
