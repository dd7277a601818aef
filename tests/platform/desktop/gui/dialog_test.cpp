#include "platform/desktop/dialogs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/desktop/edit_control.h"
#include "platform/text_encoding.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

// What the dialog procedure saw.
struct DialogLog {
  std::vector<Seen> seen;
  LPARAM init = 0;
  bool visibleAtInit = true;
  std::vector<int> commands;
  std::string textAtOk;
};
DialogLog* dialogLog = nullptr;

INT_PTR dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (dialogLog == nullptr) return 0;
  dialogLog->seen.push_back(Seen{message, wParam, lParam});
  if (message == WM_INITDIALOG) {
    dialogLog->init = lParam;
    dialogLog->visibleAtInit = IsWindowVisible(dialog) != 0;
    SetWindowTextA(dialog, utf8ToCp932("vexa ペイン１で再生するURLを入力").c_str());
    return 1;
  }
  if (message == WM_COMMAND) {
    dialogLog->commands.push_back(LOWORD(wParam));
    if (LOWORD(wParam) == IDOK) {
      char buffer[256];
      const UINT length = GetDlgItemTextA(dialog, kUrlDialogEdit, buffer, sizeof buffer);
      dialogLog->textAtOk.assign(buffer, length);
    }
    return 1;
  }
  return 0;
}

// Typing into a dialog needs it to have the focus: the managed run starts openbox.
class WindowManagerDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Desktop::get().ready()) GTEST_SKIP() << "no display";
    if (getenv("VEXA_WINDOW_MANAGER") == nullptr) GTEST_SKIP() << "no window manager";
    dialogLog = &log_;
  }
  void TearDown() override {
    dialogLog = nullptr;
    Desktop::get().drain();
  }
  Desktop& desktop() { return Desktop::get(); }
  bool activated(HWND dialog) {
    (void)dialog;
    for (const Seen& s : log_.seen) {
      if (s.message == WM_ACTIVATE && s.wParam == WA_ACTIVE) return true;
    }
    return false;
  }
  DialogLog log_;
};

TEST_F(WindowManagerDialogTest, KeysAndButtonsSendTheirCommands) {
  TestWindow owner(0, 0, 300, 600, WS_POPUP);
  ShowWindow(owner.handle, SW_SHOW);
  struct Case {
    const char* name;
    const char* typed;  // xdotool type, then the keys
    const char* keys;
    int command;
    const char* text;
  };
  const Case cases[] = {
      {"Enter in the edit", "mms://127.0.0.1/live", "Return", IDOK, "mms://127.0.0.1/live"},
      {"Escape", "abc", "Escape", IDCANCEL, nullptr},
      {"the close button (the window manager's close)", "", "alt+F4", IDCANCEL, nullptr},
      {"Tab to the play button and Space", "x", "Tab space", IDOK, "x"},
      {"Tab twice to cancel and Enter", "x", "Tab Tab Return", IDCANCEL, nullptr},
      {"Shift+Tab back to the edit and Enter", "y", "Tab shift+Tab Return", IDOK, "y"},
  };
  for (const Case& c : cases) {
    log_ = DialogLog{};
    HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(kUrlDialog), owner.handle,
                                     &dialogProcedure, 0x1234);
    ASSERT_NE(dialog, nullptr) << c.name;
    EXPECT_EQ(log_.init, 0x1234);
    EXPECT_FALSE(log_.visibleAtInit) << "initialised before it shows";
    EXPECT_TRUE(IsWindowVisible(dialog));
    ASSERT_NE(GetDlgItem(dialog, kUrlDialogEdit), nullptr);
    ASSERT_TRUE(desktop().runUntil([&] { return activated(dialog); })) << c.name;
    if (*c.typed != '\0') {
      ASSERT_TRUE(desktop().xdotoolWhileRunning(std::string("type '") + c.typed + "'"));
    }
    ASSERT_TRUE(desktop().xdotoolWhileRunning(std::string("key ") + c.keys));
    ASSERT_TRUE(desktop().runUntil([&] { return !log_.commands.empty(); })) << c.name;
    desktop().drain();
    ASSERT_EQ(log_.commands.size(), 1u) << c.name;
    EXPECT_EQ(log_.commands[0], c.command) << c.name;
    if (c.text != nullptr) {
      EXPECT_EQ(log_.textAtOk, c.text) << c.name;
    }
    EXPECT_TRUE(IsWindow(dialog)) << "only DestroyWindow closes it";
    if (const char* shots = getenv("VEXA_SCREENSHOTS"); shots != nullptr && c.command == IDOK) {
      std::system(("import -window root " + std::string(shots) + "/dialog.png").c_str());
    }
    EXPECT_TRUE(DestroyWindow(dialog));
    desktop().drain();
  }
}

TEST_F(WindowManagerDialogTest, TextIsShiftJisAndBounded) {
  HWND dialog =
      CreateDialogParamA(nullptr, MAKEINTRESOURCEA(kUrlDialog), nullptr, &dialogProcedure, 0);
  ASSERT_NE(dialog, nullptr) << "no owner is allowed";
  const std::string address = utf8ToCp932("mms://例え.jp/ライブ");
  ASSERT_TRUE(SetDlgItemTextA(dialog, kUrlDialogEdit, address.c_str()));
  char buffer[256];
  EXPECT_EQ(GetDlgItemTextA(dialog, kUrlDialogEdit, buffer, sizeof buffer), address.size());
  EXPECT_EQ(std::string(buffer), address);
  // Room for "mms://" and half of "例": the half stays out.
  EXPECT_EQ(GetDlgItemTextA(dialog, kUrlDialogEdit, buffer, 8), 6u);
  EXPECT_EQ(std::string(buffer), "mms://");
  EXPECT_EQ(GetDlgItemTextA(dialog, 999, buffer, sizeof buffer), 0u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(GetDlgItemTextA(nullptr, kUrlDialogEdit, buffer, sizeof buffer), 0u);
  DestroyWindow(dialog);
  EXPECT_EQ(GetDlgItem(dialog, kUrlDialogEdit), nullptr);
}

INT_PTR destroyingProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) DestroyWindow(dialog);
  return 0;
}

TEST_F(WindowManagerDialogTest, RefusesWhatItCannotMake) {
  TestWindow owner(0, 0, 100, 100, WS_POPUP);
  struct Case {
    const char* name;
    const char* resource;
    HWND owner;
    DLGPROC procedure;
  };
  const Case cases[] = {
      {"another resource", MAKEINTRESOURCEA(102), owner.handle, &dialogProcedure},
      {"a named resource", "url", owner.handle, &dialogProcedure},
      {"no procedure", MAKEINTRESOURCEA(kUrlDialog), owner.handle, nullptr},
      {"a dead owner", MAKEINTRESOURCEA(kUrlDialog), reinterpret_cast<HWND>(uintptr_t{0x5550}),
       &dialogProcedure},
      {"destroyed while initialised", MAKEINTRESOURCEA(kUrlDialog), owner.handle,
       &destroyingProcedure},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CreateDialogParamA(nullptr, c.resource, c.owner, c.procedure, 0), nullptr) << c.name;
  }
}

}  // namespace
}  // namespace vexa::test
