#include "platform/user_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace vexa::platform {
namespace {

TEST(UserFoldersTest, FindUserDirReadsTheTwoForms) {
  struct Case {
    const char* name;
    const char* text;
    const char* key;
    const char* home;
    const char* expected;  // null: not found
  } cases[] = {
      {"home relative", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "XDG_DESKTOP_DIR", "/home/u",
       "/home/u/Desktop"},
      {"absolute", "XDG_DOCUMENTS_DIR=\"/data/docs\"\n", "XDG_DOCUMENTS_DIR", "/home/u",
       "/data/docs"},
      {"home itself", "XDG_DESKTOP_DIR=\"$HOME\"", "XDG_DESKTOP_DIR", "/home/u", "/home/u"},
      {"home slash", "XDG_DESKTOP_DIR=\"$HOME/\"", "XDG_DESKTOP_DIR", "/home/u", "/home/u"},
      {"trailing slash dropped", "XDG_DESKTOP_DIR=\"/d/\"", "XDG_DESKTOP_DIR", "/h", "/d"},
      {"root stays", "XDG_DESKTOP_DIR=\"/\"", "XDG_DESKTOP_DIR", "/h", "/"},
      {"blanks around", "  \tXDG_DESKTOP_DIR = \"/d\"", "XDG_DESKTOP_DIR", "/h", "/d"},
      {"escapes undone", "XDG_DESKTOP_DIR=\"$HOME/a \\\"b\\\" \\$c\"", "XDG_DESKTOP_DIR", "/h",
       "/h/a \"b\" $c"},
      {"japanese bytes kept", "XDG_DESKTOP_DIR=\"$HOME/\xe3\x83\x87\"", "XDG_DESKTOP_DIR", "/h",
       "/h/\xe3\x83\x87"},
      {"last wins", "XDG_DESKTOP_DIR=\"/a\"\nXDG_DESKTOP_DIR=\"/b\"\n", "XDG_DESKTOP_DIR", "/h",
       "/b"},
      {"invalid later line ignored", "XDG_DESKTOP_DIR=\"/a\"\nXDG_DESKTOP_DIR=\"rel\"\n",
       "XDG_DESKTOP_DIR", "/h", "/a"},
      {"other key", "XDG_MUSIC_DIR=\"/m\"\n", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"longer key is not ours", "XDG_DESKTOP_DIRX=\"/m\"\n", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"comment", "# XDG_DESKTOP_DIR=\"/m\"\n", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"relative", "XDG_DESKTOP_DIR=\"Desktop\"", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"unquoted", "XDG_DESKTOP_DIR=/d", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"unclosed quote", "XDG_DESKTOP_DIR=\"/d", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"other variable", "XDG_DESKTOP_DIR=\"$HOMEX/d\"", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"home unknown", "XDG_DESKTOP_DIR=\"$HOME/d\"", "XDG_DESKTOP_DIR", "", nullptr},
      {"empty file", "", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"no equals", "XDG_DESKTOP_DIR \"/d\"", "XDG_DESKTOP_DIR", "/h", nullptr},
      {"crlf line", "XDG_DESKTOP_DIR=\"/d\"\r\n", "XDG_DESKTOP_DIR", "/h", "/d"},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    const bool failed = findUserDir(c.text, c.key, c.home, out);
    EXPECT_EQ(failed, c.expected == nullptr) << c.name;
    EXPECT_EQ(out, c.expected ? c.expected : "") << c.name;
  }
}

// Sets environment variables for one test and puts the old values back afterwards.
class ScopedEnv {
 public:
  void set(const char* name, const char* value) {
    if (!saved_.contains(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    for (auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

class UserFoldersEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-folders-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string dir_;
  ScopedEnv env_;
};

TEST_F(UserFoldersEnvTest, UserDirsFileAndFallbacks) {
  env_.set("HOME", "/home/someone");
  env_.set("XDG_CONFIG_HOME", dir_.c_str());
  std::string out;

  // No user-dirs.dirs: the xdg-user-dir answers.
  EXPECT_FALSE(desktopFolder(out));
  EXPECT_EQ(out, "/home/someone/Desktop");
  EXPECT_FALSE(documentsFolder(out));
  EXPECT_EQ(out, "/home/someone");

  std::ofstream(dir_ + "/user-dirs.dirs")
      << "# written by a test\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
         "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n";
  EXPECT_FALSE(desktopFolder(out));
  EXPECT_EQ(out, "/home/someone/Schreibtisch");
  EXPECT_FALSE(documentsFolder(out));
  EXPECT_EQ(out, "/srv/docs");
}

TEST_F(UserFoldersEnvTest, HostileUserDirsFileIsNotRead) {
  env_.set("HOME", "/home/someone");
  env_.set("XDG_CONFIG_HOME", dir_.c_str());
  std::string out;
  // A FIFO would block a plain open and read; a directory cannot be read at all.
  ASSERT_EQ(mkfifo((dir_ + "/user-dirs.dirs").c_str(), 0600), 0);
  EXPECT_FALSE(desktopFolder(out));
  EXPECT_EQ(out, "/home/someone/Desktop");
  unlink((dir_ + "/user-dirs.dirs").c_str());
  ASSERT_EQ(mkdir((dir_ + "/user-dirs.dirs").c_str(), 0700), 0);
  EXPECT_FALSE(documentsFolder(out));
  EXPECT_EQ(out, "/home/someone");
}

TEST_F(UserFoldersEnvTest, AppDataFolder) {
  struct Case {
    const char* dataHome;
    const char* home;
    const char* expected;
  } cases[] = {
      {"/data/home", "/home/u", "/data/home"},
      {nullptr, "/home/u", "/home/u/.local/share"},
      {"relative/ignored", "/home/u", "/home/u/.local/share"},
      {"", "/home/u", "/home/u/.local/share"},
  };
  for (const Case& c : cases) {
    env_.set("XDG_DATA_HOME", c.dataHome);
    env_.set("HOME", c.home);
    std::string out;
    EXPECT_FALSE(appDataFolder(out));
    EXPECT_EQ(out, c.expected);
  }
}

TEST_F(UserFoldersEnvTest, CurrentDirectory) {
  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  std::string out;
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  EXPECT_FALSE(currentDirectory(out));
  EXPECT_EQ(out, dir_);
  // A current directory that was removed has no name: the look-up fails instead of lying.
  const std::string gone = dir_ + "/gone";
  ASSERT_EQ(mkdir(gone.c_str(), 0700), 0);
  ASSERT_EQ(chdir(gone.c_str()), 0);
  ASSERT_EQ(rmdir(gone.c_str()), 0);
  EXPECT_TRUE(currentDirectory(out));
  EXPECT_EQ(out, "");
  ASSERT_EQ(chdir(saved), 0);
}

}  // namespace
}  // namespace vexa::platform
