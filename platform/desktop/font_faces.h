#pragma once

#include <string>

// Inside the desktop layer only: how a face name becomes an installed family.
namespace vexa::platform::desktop {

// The shipped alias file (resources/fonts/japanese-faces.conf), compiled in.
extern const char kJapaneseFacesConf[];

struct FaceChoice {
  std::string family;     // UTF-8, as fontconfig names it
  bool japanese = false;  // the family has kana and common kanji
};

// Loads the alias into fontconfig once; false when it could not be parsed.
bool loadFontAlias();

// What fontconfig picks for a face given in UTF-8 (language "ja"). Cached per face.
const FaceChoice& resolveFace(const std::string& faceUtf8);

// The family used when a face resolves to a font without Japanese.
constexpr const char* kJapaneseFallbackFamily = "IPAPGothic";

}  // namespace vexa::platform::desktop
