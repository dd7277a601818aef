#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "platform/desktop/device_context.h"
#include "platform/desktop/gdi_objects.h"
#include "platform/desktop/window_system.h"

namespace vexa::platform {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

HFONT makeFont(const char* faceCp932, LONG height, BYTE charset = SHIFTJIS_CHARSET) {
  LOGFONTA logical;
  logical.lfHeight = height;
  logical.lfCharSet = charset;
  strncpy(logical.lfFaceName, faceCp932, LF_FACESIZE - 1);
  return CreateFontIndirectA(&logical);
}

// A white memory DC with a font selected; everything here runs without a display.
class TextCanvas {
 public:
  TextCanvas(HFONT font, int width = 120, int height = 40)
      : font_(font), width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(dc_, width, height);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    oldFont_ = SelectObject(dc_, font_);
    clear();
    SetBkMode(dc_, TRANSPARENT);
  }
  ~TextCanvas() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteObject(font_);
    DeleteDC(dc_);
  }
  void clear() {
    RECT all{0, 0, width_, height_};
    HBRUSH white = CreateSolidBrush(kWhite);
    FillRect(dc_, &all, white);
    DeleteObject(white);
  }
  HDC dc() const { return dc_; }
  std::vector<COLORREF> pixels() const {
    std::vector<COLORREF> out;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) out.push_back(GetPixel(dc_, x, y));
    }
    return out;
  }
  // The box around every pixel that is not white: left, top, right, bottom (exclusive).
  RECT ink() const {
    RECT box{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (GetPixel(dc_, x, y) == kWhite) continue;
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    }
    return box;
  }
  std::vector<COLORREF> draw(const char* text, int length, int x = 4, int y = 4) {
    clear();
    TextOutA(dc_, x, y, text, length);
    return pixels();
  }
  int width(const char* text, int length) const {
    SIZE size;
    GetTextExtentPoint32A(dc_, text, length, &size);
    return size.cx;
  }

 private:
  HFONT font_;
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ oldBitmap_;
  HGDIOBJ oldFont_;
};

TEST(JapaneseFace, TheWindowsNamesResolveToTheIpaFonts) {
  struct FaceCase {
    const char* face;
    const char* family;
  };
  const FaceCase cases[] = {
      {"ＭＳ Ｐゴシック"_sjis, "IPAPGothic"},
      {"MS PGothic", "IPAPGothic"},
      {"ＭＳ ゴシック"_sjis, "IPAGothic"},
      {"MS Gothic", "IPAGothic"},
  };
  for (const FaceCase& c : cases) EXPECT_EQ(ResolvedFontFamily(c.face), c.family) << c.face;
}

TEST(JapaneseFace, IsDrawnInTheJapaneseFontAndNeverALatinOne) {
  const char* text = "スレ検索 ABC"_sjis;
  const int length = static_cast<int>(strlen(text));
  TextCanvas windowsName(makeFont("ＭＳ Ｐゴシック"_sjis, 14));
  TextCanvas ipa(makeFont("IPAPGothic", 14));
  const std::vector<COLORREF> drawn = windowsName.draw(text, length);
  EXPECT_EQ(drawn, ipa.draw(text, length)) << "the same pixels as IPAPGothic itself";
  EXPECT_GT(windowsName.ink().right - windowsName.ink().left, 50);

  // A Latin face asked for with the Japanese character set becomes the Japanese face.
  TextCanvas latinJapanese(makeFont("DejaVu Sans", 14));
  EXPECT_EQ(latinJapanese.draw(text, length), drawn);
  TextCanvas latin(makeFont("DejaVu Sans", 14, ANSI_CHARSET));
  EXPECT_NE(latin.width("ABCDEFGH", 8), windowsName.width("ABCDEFGH", 8))
      << "without it the face is kept";
}

TEST(TextOut, InvalidShiftJisShowsReplacementCharacters) {
  TextCanvas canvas(makeFont("ＭＳ Ｐゴシック"_sjis, 16));
  const std::vector<COLORREF> cutLead = canvas.draw("\x82", 1);
  const RECT cutInk = canvas.ink();
  EXPECT_GT(cutInk.right, cutInk.left) << "something is shown";
  EXPECT_EQ(canvas.draw("\xFF", 1), cutLead) << "the same mark for every bad byte";
  EXPECT_NE(canvas.draw("\x82\xA0", 2), cutLead) << "a valid character is itself";
  EXPECT_EQ(canvas.width("ab\x82", 3), canvas.width("ab", 2) + canvas.width("\xFF", 1));
}

TEST(TextOut, AlignmentBackgroundAndClipping) {
  TextCanvas canvas(makeFont("ＭＳ Ｐゴシック"_sjis, 16));
  HDC dc = canvas.dc();
  const char* text = "日本"_sjis;
  struct AlignCase {
    const char* name;
    UINT align;
    int x;
    int y;
    bool (*check)(const RECT& ink);
  };
  const AlignCase cases[] = {
      {"left top", TA_LEFT | TA_TOP, 50, 10,
       [](const RECT& r) { return r.left >= 50 && r.top >= 10; }},
      {"right", TA_RIGHT | TA_TOP, 50, 10,
       [](const RECT& r) { return r.right <= 50 && r.left < 30; }},
      {"centre", TA_CENTER | TA_TOP, 50, 10,
       [](const RECT& r) { return r.left < 50 && r.right > 50; }},
      {"bottom", TA_LEFT | TA_BOTTOM, 50, 30,
       [](const RECT& r) { return r.bottom <= 30 && r.top < 20; }},
      {"baseline", TA_LEFT | TA_BASELINE, 50, 25,
       [](const RECT& r) { return r.bottom <= 28 && r.top < 20; }},
  };
  for (const AlignCase& c : cases) {
    SetTextAlign(dc, c.align);
    canvas.draw(text, 4, c.x, c.y);
    EXPECT_TRUE(c.check(canvas.ink())) << c.name;
  }
  SetTextAlign(dc, TA_LEFT | TA_TOP);

  // An opaque background fills the text's cell: the font's height, the text's width.
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 200, 0));
  canvas.draw(text, 4, 10, 5);
  SIZE size;
  GetTextExtentPoint32A(dc, text, 4, &size);
  EXPECT_EQ(size.cy, 16) << "a positive height is the cell height";
  EXPECT_EQ(canvas.ink().left, 10);
  EXPECT_EQ(canvas.ink().top, 5);
  EXPECT_EQ(canvas.ink().right, 10 + size.cx);
  EXPECT_EQ(canvas.ink().bottom, 5 + 16);
  SetBkMode(dc, TRANSPARENT);

  canvas.clear();
  HRGN clip = CreateRectRgn(0, 0, 20, 40);
  SelectClipRgn(dc, clip);
  TextOutA(dc, 10, 5, text, 4);
  EXPECT_EQ(canvas.ink().right, 20) << "the clip holds for text";
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip);
  EXPECT_TRUE(TextOutA(dc, 0, 0, "", 0));
  EXPECT_FALSE(TextOutA(dc, 0, 0, "x", -1));
  EXPECT_FALSE(TextOutA(dc, 0, 0, nullptr, 3));
}

TEST(TextExtent, PrefixesGrowAndHeightsFollowTheLogicalFont) {
  TextCanvas canvas(makeFont("ＭＳ Ｐゴシック"_sjis, 14));
  const char* text = "スレ名 filter ﾌｨﾙﾀ"_sjis;
  const int length = static_cast<int>(strlen(text));
  // Prefixes that end between characters (carets never stop inside one).
  int previous = 0;
  for (int i = 0; i <= length;) {
    const int width = canvas.width(text, i);
    EXPECT_GE(width, previous) << "prefix of " << i << " bytes";
    previous = width;
    const auto lead = static_cast<unsigned char>(text[i]);
    i += (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
  }
  EXPECT_EQ(canvas.width(text, 0), 0);

  struct HeightCase {
    LONG height;
    int low;
    int high;
  };
  const HeightCase cases[] = {{14, 14, 14}, {12, 12, 12}, {-14, 14, 17}, {0, 12, 12}};
  for (const HeightCase& c : cases) {
    TextCanvas sized(makeFont("ＭＳ Ｐゴシック"_sjis, c.height));
    TEXTMETRICA metrics;
    ASSERT_TRUE(GetTextMetricsA(sized.dc(), &metrics));
    EXPECT_GE(metrics.tmHeight, c.low) << c.height;
    EXPECT_LE(metrics.tmHeight, c.high) << c.height;
    EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, metrics.tmHeight);
  }
  EXPECT_EQ(makeFont("ＭＳ Ｐゴシック"_sjis, 100000), nullptr) << "an absurd height";
}

}  // namespace
}  // namespace vexa::platform
