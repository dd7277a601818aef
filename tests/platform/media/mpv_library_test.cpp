#include "platform/media/mpv_library.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace vexa::platform {
namespace {

bool Mapped(const std::string& name) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(name) != std::string::npos) return true;
  }
  return false;
}

TEST(MpvLibraryTest, AnUnusableLibraryIsAnErrorWithItsReason) {
  const struct {
    const char* name;
    const char* expected;  // the start of the error
  } cases[] = {
      {"libvexa-no-such-player.so.2", "libvexa-no-such-player.so.2 cannot be loaded: "},
      {"/nonexistent/libmpv.so.2", "/nonexistent/libmpv.so.2 cannot be loaded: "},
      {"", "libmpv cannot be loaded: "},
      // Loads, but is not the player: the first missing function is named.
      {"libm.so.6", "libm.so.6 lacks mpv_client_api_version"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(MpvLibrary::Load(c.name, &error), nullptr) << c.name;
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << c.name << ": " << error;
    // The loader's own reason follows the colon.
    if (std::string(c.expected).back() == ' ') {
      EXPECT_GT(error.size(), std::string(c.expected).size()) << c.name;
    }
  }
  // Without a name or a place for the reason, still no crash.
  EXPECT_EQ(MpvLibrary::Load("libvexa-no-such-player.so.2", nullptr), nullptr);
  EXPECT_EQ(MpvLibrary::Load(nullptr, nullptr), nullptr);
}

TEST(MpvLibraryTest, TheInstalledPlayerLoadsOnlyWhenAskedAndOnce) {
  // Nothing maps the player before the first request: the program starts without it.
  EXPECT_FALSE(Mapped("libmpv.so")) << "libmpv is linked, not loaded on demand";
  std::string error;
  const MpvLibrary* first = MpvLibrary::Shared(&error);
  ASSERT_NE(first, nullptr) << error;
  EXPECT_TRUE(Mapped("libmpv.so"));
  EXPECT_EQ(MpvLibrary::Shared(nullptr), first);
  EXPECT_EQ(first->client_api_version() >> 16, MPV_CLIENT_API_VERSION >> 16);
  // The table works: a core can be made and destroyed without a window.
  mpv_handle* core = first->create();
  ASSERT_NE(core, nullptr);
  EXPECT_STREQ(first->error_string(MPV_ERROR_SUCCESS), "success");
  first->terminate_destroy(core);
}

}  // namespace
}  // namespace vexa::platform
