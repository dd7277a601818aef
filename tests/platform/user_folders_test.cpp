#include "platform/user_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/platform/test_support.h"

namespace vexa::platform {
namespace {

TEST(UserFoldersTest, FindUserDirReadsTheTwoForms) {
  struct Case {
    const char* name;
    const char* text;
    const char* home;
    const char* expected;  // null: not found
  } cases[] = {
      {"home relative", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/u", "/home/u/Desktop"},
      {"absolute, trailing slash dropped", "XDG_DESKTOP_DIR=\"/d/\"", "/h", "/d"},
      {"home itself", "XDG_DESKTOP_DIR=\"$HOME/\"", "/home/u", "/home/u"},
      {"root stays", "XDG_DESKTOP_DIR=\"/\"", "/h", "/"},
      {"blanks around, crlf", "  \tXDG_DESKTOP_DIR = \"/d\"\r\n", "/h", "/d"},
      {"escapes undone", "XDG_DESKTOP_DIR=\"$HOME/a \\\"b\\\" \\$c\"", "/h", "/h/a \"b\" $c"},
      {"last valid line wins",
       "XDG_DESKTOP_DIR=\"/a\"\nXDG_DESKTOP_DIR=\"/b\"\nXDG_DESKTOP_DIR=\"c\"", "/h", "/b"},
      {"longer key is not ours", "XDG_DESKTOP_DIRX=\"/m\"\n", "/h", nullptr},
      {"comment", "# XDG_DESKTOP_DIR=\"/m\"\n", "/h", nullptr},
      {"unquoted", "XDG_DESKTOP_DIR=/d", "/h", nullptr},
      {"unclosed quote", "XDG_DESKTOP_DIR=\"/d", "/h", nullptr},
      {"other variable", "XDG_DESKTOP_DIR=\"$HOMEX/d\"", "/h", nullptr},
      {"home unknown", "XDG_DESKTOP_DIR=\"$HOME/d\"", "", nullptr},
      {"no equals", "XDG_DESKTOP_DIR \"/d\"", "/h", nullptr},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    EXPECT_EQ(findUserDir(c.text, "XDG_DESKTOP_DIR", c.home, out), c.expected == nullptr) << c.name;
    EXPECT_EQ(out, c.expected ? c.expected : "") << c.name;
  }
}

TEST(UserFoldersTest, UserDirsFileFallbacksAndHostileFiles) {
  test::TempDir dir;
  test::ScopedEnv home("HOME", "/home/someone"), config("XDG_CONFIG_HOME", dir.path.c_str());
  const std::string file = dir.path + "/user-dirs.dirs";
  std::string out;
  auto expectFolders = [&out](const char* desktop, const char* documents) {
    EXPECT_FALSE(desktopFolder(out));
    EXPECT_EQ(out, desktop);
    EXPECT_FALSE(documentsFolder(out));
    EXPECT_EQ(out, documents);
  };
  // Without the file the answers are those of xdg-user-dir.
  expectFolders("/home/someone/Desktop", "/home/someone");
  // A FIFO would block a plain open and read; a directory cannot be read at all.
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  expectFolders("/home/someone/Desktop", "/home/someone");
  ASSERT_EQ(unlink(file.c_str()), 0);
  ASSERT_EQ(mkdir(file.c_str(), 0700), 0);
  expectFolders("/home/someone/Desktop", "/home/someone");
  ASSERT_EQ(rmdir(file.c_str()), 0);
  std::ofstream(file)
      << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"/srv/docs\"\n";
  expectFolders("/home/someone/Schreibtisch", "/srv/docs");
}

TEST(UserFoldersTest, AppDataFolder) {
  test::ScopedEnv home("HOME", "/home/u"), dataHome("XDG_DATA_HOME", "/data/home");
  std::string out;
  for (const char* value :
       {"/data/home", "relative/ignored", "", static_cast<const char*>(nullptr)}) {
    dataHome.set(value);
    EXPECT_FALSE(appDataFolder(out));
    EXPECT_EQ(out, value && value[0] == '/' ? value : "/home/u/.local/share");
  }
}

TEST(UserFoldersTest, CurrentDirectoryThatWasRemovedFails) {
  test::TempDir dir;
  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  std::string out;
  ASSERT_EQ(chdir(dir.path.c_str()), 0);
  EXPECT_FALSE(currentDirectory(out));
  EXPECT_EQ(out, dir.path);
  // A removed current directory has no name: the look-up fails instead of lying.
  ASSERT_EQ(rmdir(dir.path.c_str()), 0);
  EXPECT_TRUE(currentDirectory(out));
  EXPECT_EQ(out, "");
  ASSERT_EQ(chdir(saved), 0);
}

}  // namespace
}  // namespace vexa::platform
