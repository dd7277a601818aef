#include "platform/user_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "tests/platform/test_support.h"

namespace vexa::platform {
namespace {

TEST(UserFoldersTest, FindUserDirReadsOnlyTheTwoForms) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // file text, home, folder (null: none)
      {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/u", "/home/u/Desktop"},
      {"  \tXDG_DESKTOP_DIR = \"/d/\"\r\n", "/h", "/d"},
      {"XDG_DESKTOP_DIR=\"/\"", "/h", "/"},
      {"XDG_DESKTOP_DIR=\"$HOME/a \\\"b\\\" \\$c\"", "/h", "/h/a \"b\" $c"},
      {"XDG_DESKTOP_DIR=\"/a\"\nXDG_DESKTOP_DIR=\"/b\"\nXDG_DESKTOP_DIR=\"c\"", "/h", "/b"},
      {"XDG_DESKTOP_DIRX=\"/m\"\n# XDG_DESKTOP_DIR=\"/m\"", "/h", nullptr},
      {"XDG_DESKTOP_DIR=/d\nXDG_DESKTOP_DIR \"/d\"\nXDG_DESKTOP_DIR=\"/d", "/h", nullptr},
      {"XDG_DESKTOP_DIR=\"$HOMEX/d\"\nXDG_DESKTOP_DIR=\"$HOME/d\"", "", nullptr},
  };
  for (const auto& [text, home, expected] : cases) {
    std::string out = "stale";
    EXPECT_EQ(findUserDir(text, "XDG_DESKTOP_DIR", home, out), expected == nullptr) << text;
    EXPECT_EQ(out, expected ? expected : "") << text;
  }
}

TEST(UserFoldersTest, UserDirsFileFallbacksAndHostileFiles) {
  test::TempDir dir;
  test::ScopedEnv home("HOME", "/home/u"), config("XDG_CONFIG_HOME", dir.path.c_str());
  const std::string file = dir.path + "/user-dirs.dirs";
  auto folders = [] {
    std::string desktop, documents;
    EXPECT_FALSE(desktopFolder(desktop) || documentsFolder(documents));
    return desktop + " " + documents;
  };
  EXPECT_EQ(folders(), "/home/u/Desktop /home/u") << "no file: the answers of xdg-user-dir";
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  EXPECT_EQ(folders(), "/home/u/Desktop /home/u") << "a FIFO must neither block nor count";
  ASSERT_EQ(unlink(file.c_str()), 0);
  std::ofstream(file) << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"/srv/d\"\n";
  EXPECT_EQ(folders(), "/home/u/Schreibtisch /srv/d");
}

}  // namespace
}  // namespace vexa::platform
