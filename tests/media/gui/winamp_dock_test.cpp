#include "media/winamp_dock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/desktop/native_window.h"
#include "tests/media/gui/pane_rig.h"

extern char** environ;

namespace vexa::media {
namespace {

using namespace vexa::platform;
using test::PaneRig;
using test::TopWindow;

pid_t Spawn(const std::vector<std::string>& words, int* stdinFd = nullptr) {
  std::vector<char*> argv;
  for (const auto& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipeFds[2] = {-1, -1};
  if (stdinFd && pipe(pipeFds) == 0) {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
  }
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (stdinFd) {
    close(pipeFds[0]);
    *stdinFd = pipeFds[1];
  }
  return pid;
}

void Reap(pid_t pid, int stdinFd = -1) {
  if (stdinFd >= 0) close(stdinFd);
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}

// The client windows of a class part, as the desktop lists them now.
std::vector<ForeignWindow> OfClass(std::string_view classPart) {
  std::vector<ForeignWindow> out;
  for (auto& w : ListForeignWindows()) {
    if (ClassPartOfWmClass(w.wmClass) == classPart) out.push_back(w);
  }
  return out;
}

class WinampDockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PaneRig::get().ready()) GTEST_SKIP() << "no display";
    // A window manager of its own, so windows sit in frames as on a desktop.
    if (!wm_) {
      wm_ = Spawn({"openbox", "--sm-disable"});
      ASSERT_GT(wm_, 0);
      // Windows mapped before the manager runs would stay unframed.
      ASSERT_TRUE(PaneRig::get().runUntil([] {
        return std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window") ==
               0;
      }));
    }
  }
  static void TearDownTestSuite() {
    Reap(wm_);
    wm_ = 0;
  }
  // Starts the foreign client and waits until the window manager manages its visible windows.
  void startClient(const std::vector<std::string>& specs, size_t visible) {
    std::vector<std::string> words{"/usr/bin/python3",
                                   VEXA_SOURCE_DIR "/tests/media/gui/foreign_client.py"};
    words.insert(words.end(), specs.begin(), specs.end());
    client_ = Spawn(words, &clientIn_);
    ASSERT_GT(client_, 0);
    ASSERT_TRUE(PaneRig::get().runUntil([&] {
      size_t n = 0;
      for (auto& w : ListForeignWindows()) {
        n += w.viewable && ForeignParent(w.id) != DesktopRoot() &&
             ClassPartOfWmClass(w.wmClass).substr(0, 6) == "Winamp";
      }
      return n >= visible;
    }));
  }
  void TearDown() override { Reap(client_, clientIn_); }

  static inline pid_t wm_ = 0;
  pid_t client_ = 0;
  int clientIn_ = -1;
};

TEST_F(WinampDockTest, TakesInTheVisibleOnesAndGivesThemBack) {
  ASSERT_NO_FATAL_FAILURE(
      startClient({"Winamp v1.x:275x116", "Winamp PE:275x200", "Winamp Gen:275x90:hidden",
                   "winamp pe:275x50", "XTerm:300x300"},
                  2));
  uint64_t main = OfClass("Winamp v1.x").at(0).id;
  uint64_t playlist = OfClass("Winamp PE").at(0).id;
  uint64_t hidden = OfClass("Winamp Gen").at(0).id;
  TopWindow top;
  {
    WinampDock dock;
    ASSERT_TRUE(dock.embed(top.handle));
    EXPECT_EQ(dock.width(), 275);
    EXPECT_EQ(dock.height(), 116 + 200);
    EXPECT_EQ(dock.hosted(ForeignSlot::Main), main);
    EXPECT_EQ(dock.hosted(ForeignSlot::Playlist), playlist);
    EXPECT_EQ(dock.hosted(ForeignSlot::Generic), 0u);
    EXPECT_EQ(ForeignParent(main), NativeWindowId(dock.slotWindow(ForeignSlot::Main)));
    EXPECT_EQ(ForeignParent(playlist), NativeWindowId(dock.slotWindow(ForeignSlot::Playlist)));
    EXPECT_TRUE(PaneRig::get().runUntil([&] { return ForeignViewable(main); }));
    EXPECT_FALSE(ForeignViewable(hidden));
    RECT r;
    GetClientRect(dock.slotWindow(ForeignSlot::Playlist), &r);
    EXPECT_EQ(r.bottom, 200);
  }
  // Given back to the desktop (the window manager frames them again), mapped.
  for (uint64_t w : {main, playlist}) {
    EXPECT_TRUE(PaneRig::get().runUntil([&] {
      uint64_t parent = ForeignParent(w);
      return parent != 0 && ForeignViewable(w) && parent != NativeWindowId(top.handle);
    })) << w;
  }
}

TEST_F(WinampDockTest, WithoutAVisibleMainWindowNothingIsTakenIn) {
  ASSERT_NO_FATAL_FAILURE(startClient({"Winamp v1.x:275x116:hidden", "Winamp PE:275x200"}, 1));
  TopWindow top;
  WinampDock dock;
  EXPECT_FALSE(dock.embed(top.handle));
  EXPECT_EQ(dock.height(), 0);
  uint64_t playlist = OfClass("Winamp PE").at(0).id;
  EXPECT_TRUE(ForeignViewable(playlist));
}

TEST_F(WinampDockTest, DestroyingTheParentFirstStillGivesThemBack) {
  ASSERT_NO_FATAL_FAILURE(startClient({"Winamp v1.x:275x116"}, 1));
  uint64_t main = OfClass("Winamp v1.x").at(0).id;
  WinampDock dock;
  {
    TopWindow top;
    ASSERT_TRUE(dock.embed(top.handle));
  }
  EXPECT_NE(ForeignParent(main), 0u) << "the foreign window was destroyed with its host";
  EXPECT_TRUE(PaneRig::get().runUntil([&] { return ForeignViewable(main); }));
}

TEST_F(WinampDockTest, AKilledHostLeavesTheWindowsOnTheDesktop) {
  ASSERT_NO_FATAL_FAILURE(startClient({"Winamp v1.x:275x116", "Winamp Gen:275x60"}, 2));
  uint64_t main = OfClass("Winamp v1.x").at(0).id;
  uint64_t generic = OfClass("Winamp Gen").at(0).id;
  const uint64_t frames[2] = {ForeignParent(main), ForeignParent(generic)};
  pid_t demo = Spawn({VEXA_MEDIA_DEMO, "--foreign", "--audio-off"});
  ASSERT_GT(demo, 0);
  // Taken in: neither in its frame nor on the root any more.
  bool taken = PaneRig::get().runUntil([&] {
    uint64_t a = ForeignParent(main), b = ForeignParent(generic);
    return a != frames[0] && a != DesktopRoot() && a != 0 && b != frames[1] && b != DesktopRoot() &&
           b != 0;
  });
  kill(demo, SIGKILL);
  waitpid(demo, nullptr, 0);
  ASSERT_TRUE(taken);
  for (uint64_t w : {main, generic}) {
    EXPECT_TRUE(PaneRig::get().runUntil([&] { return ForeignViewable(w); })) << w;
    EXPECT_NE(ForeignParent(w), 0u) << w;
  }
}

}  // namespace
}  // namespace vexa::media
