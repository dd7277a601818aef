#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Which of the desktop's top-level windows the foreign-window element takes in.
namespace vexa::media {

// The three kinds of window taken in, in the order they are stacked.
enum class ForeignSlot { Main, Playlist, Generic };
constexpr int kForeignSlotCount = 3;

// Class names, compared exactly and case-sensitively.
constexpr std::string_view kForeignClassNames[kForeignSlotCount] = {"Winamp v1.x", "Winamp PE",
                                                                    "Winamp Gen"};

// The class part of a raw WM_CLASS property ("instance\0class\0"): the second string, without
// its terminator. Empty when the property holds no second string (a malformed or missing one).
std::string_view ClassPartOfWmClass(std::string_view raw);

struct TopLevelWindow {
  uint64_t id = 0;
  std::string_view className;  // empty when unreadable
  bool visible = false;
};

// For each slot, the id of the last visible window of its class in `windows` (enumeration
// order), or 0.
struct ForeignMatch {
  uint64_t ids[kForeignSlotCount] = {0, 0, 0};
  uint64_t main() const { return ids[0]; }
};
ForeignMatch MatchForeignWindows(const std::vector<TopLevelWindow>& windows);

}  // namespace vexa::media
