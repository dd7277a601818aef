#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/desktop/device_context.h"
#include "platform/desktop/gdi_objects.h"

namespace vexa::platform {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(10, 20, 200);

// A memory DC over a white bitmap; everything here runs without a display.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(dc_, width, height);
    old_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, width, height};
    HBRUSH white = CreateSolidBrush(kWhite);
    FillRect(dc_, &all, white);
    DeleteObject(white);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  // The picture as rows of characters: '.' for white, '#' for anything else.
  std::vector<std::string> rows() const {
    std::vector<std::string> out;
    for (int y = 0; y < height_; ++y) {
      std::string row;
      for (int x = 0; x < width_; ++x) row += GetPixel(dc_, x, y) == kWhite ? '.' : '#';
      out.push_back(row);
    }
    return out;
  }
  int inked() const {
    int n = 0;
    for (const std::string& row : rows())
      n += static_cast<int>(std::count(row.begin(), row.end(), '#'));
    return n;
  }

 private:
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

struct Selected {
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, old_);
    DeleteObject(object_);
  }
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ old_;
};

struct PictureCase {
  const char* name;
  std::function<void(HDC)> draw;
  std::vector<std::string> expected;
};

TEST(GdiDrawing, PixelsAreWhereGdiPutsThem) {
  const PictureCase cases[] = {
      {"a line leaves out its end point",
       [](HDC dc) {
         MoveToEx(dc, 1, 1, nullptr);
         LineTo(dc, 5, 1);
       },
       {"......", ".####.", "......"}},
      {"a diagonal line",
       [](HDC dc) {
         MoveToEx(dc, 0, 0, nullptr);
         LineTo(dc, 3, 3);
       },
       {"#.....", ".#....", "..#..."}},
      {"a line backwards",
       [](HDC dc) {
         MoveToEx(dc, 5, 2, nullptr);
         LineTo(dc, 1, 2);
       },
       {"......", "......", "..####"}},
      {"a polyline closes on its start",
       [](HDC dc) {
         MoveToEx(dc, 0, 0, nullptr);
         const POINT points[] = {{5, 0}, {5, 2}, {0, 2}, {0, 0}};
         PolylineTo(dc, points, 4);
       },
       {"######", "#....#", "######"}},
      {"a rectangle's outline excludes right and bottom",
       [](HDC dc) { Rectangle(dc, 1, 0, 5, 3); },
       {".####.", ".#..#.", ".####."}},
      {"a fill excludes right and bottom",
       [](HDC dc) {
         RECT r{2, 1, 4, 3};
         HBRUSH ink = CreateSolidBrush(kInk);
         FillRect(dc, &r, ink);
         DeleteObject(ink);
       },
       {"......", "..##..", "..##.."}},
      {"a fill far outside is cut to the bitmap",
       [](HDC dc) {
         RECT r{-2000000000, 1, 2000000000, 2};
         HBRUSH ink = CreateSolidBrush(kInk);
         FillRect(dc, &r, ink);
         DeleteObject(ink);
       },
       {"......", "######", "......"}},
      {"an inverted rectangle fills nothing",
       [](HDC dc) {
         RECT r{4, 2, 1, 0};
         HBRUSH ink = CreateSolidBrush(kInk);
         FillRect(dc, &r, ink);
         DeleteObject(ink);
       },
       {"......", "......", "......"}},
      {"a line of two billion pixels is cut to the bitmap",
       [](HDC dc) {
         MoveToEx(dc, -1000000000, 1, nullptr);
         LineTo(dc, 1000000000, 1);
       },
       {"......", "######", "......"}},
      {"a clip region keeps drawing inside it",
       [](HDC dc) {
         HRGN clip = CreateRectRgn(1, 0, 3, 3);
         SelectClipRgn(dc, clip);
         DeleteObject(clip);
         MoveToEx(dc, 0, 1, nullptr);
         LineTo(dc, 6, 1);
         SelectClipRgn(dc, nullptr);
         SetPixel(dc, 5, 2, kInk);
       },
       {"......", ".##...", ".....#"}},
      {"pixels outside are refused",
       [](HDC dc) {
         EXPECT_EQ(SetPixel(dc, 6, 0, kInk), CLR_INVALID);
         EXPECT_EQ(SetPixel(dc, -1, 0, kInk), CLR_INVALID);
         EXPECT_EQ(SetPixel(dc, 0, 0, kInk), kInk);
       },
       {"#.....", "......", "......"}},
  };
  for (const PictureCase& c : cases) {
    Canvas canvas(6, 3);
    c.draw(canvas.dc());
    EXPECT_EQ(canvas.rows(), c.expected) << c.name;
  }
}

TEST(GdiDrawing, ShapesStayInsideTheirBounds) {
  Canvas canvas(12, 10);
  Selected brush(canvas.dc(), CreateSolidBrush(kInk));
  Ellipse(canvas.dc(), 2, 1, 10, 9);
  const std::vector<std::string> rows = canvas.rows();
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 10 && y >= 1 && y < 9;
      if (!inside) {
        EXPECT_EQ(rows[y][x], '.') << x << "," << y;
      }
    }
  }
  EXPECT_EQ(rows[5][6], '#') << "the middle is filled";
  EXPECT_EQ(rows[1][2], '.') << "the corners of the box are not";

  Canvas triangle(8, 8);
  Selected fill(triangle.dc(), CreateSolidBrush(kInk));
  Selected pen(triangle.dc(), CreatePen(PS_NULL, 0, 0));
  const POINT points[] = {{0, 0}, {8, 0}, {0, 8}};
  Polygon(triangle.dc(), points, 3);
  const std::vector<std::string> t = triangle.rows();
  EXPECT_EQ(t[0], "########");
  EXPECT_EQ(t[7], "#.......");
  EXPECT_EQ(GetPixel(triangle.dc(), 7, 7), kWhite);
}

TEST(GdiDrawing, BitBltCopiesWhatTheSourceHas) {
  Canvas source(4, 2);
  SetPixel(source.dc(), 0, 0, kInk);
  SetPixel(source.dc(), 3, 1, kInk);

  struct BlitCase {
    const char* name;
    int x, y, width, height, sourceX, sourceY;
    std::vector<std::string> expected;
  };
  const BlitCase cases[] = {
      {"whole", 1, 1, 4, 2, 0, 0, {"......", ".#....", "....#."}},
      {"part", 0, 0, 2, 2, 2, 0, {"......", ".#....", "......"}},
      {"source partly outside", 0, 0, 6, 3, -2, -1, {"......", "..#...", ".....#"}},
      {"target partly outside", -3, -1, 6, 3, 0, 0, {"#.....", "......", "......"}},
      {"negative size", 0, 0, -4, 2, 0, 0, {"......", "......", "......"}},
  };
  for (const BlitCase& c : cases) {
    Canvas target(6, 3);
    BitBlt(target.dc(), c.x, c.y, c.width, c.height, source.dc(), c.sourceX, c.sourceY, SRCCOPY);
    EXPECT_EQ(target.rows(), c.expected) << c.name;
  }

  // Within one bitmap, overlapping in both directions, the picture moves intact.
  Canvas same(6, 4);
  SetPixel(same.dc(), 0, 0, kInk);
  SetPixel(same.dc(), 1, 1, kInk);
  BitBlt(same.dc(), 1, 1, 5, 3, same.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(same.rows(), (std::vector<std::string>{"#.....", ".#....", "..#...", "......"}));
  BitBlt(same.dc(), 0, 0, 5, 3, same.dc(), 1, 1, SRCCOPY);
  EXPECT_EQ(same.rows(), (std::vector<std::string>{"#.....", ".#....", "......", "......"}));
  EXPECT_FALSE(BitBlt(same.dc(), 0, 0, 1, 1, same.dc(), 0, 0, 0x00EE0086)) << "SRCPAINT";
  EXPECT_FALSE(BitBlt(same.dc(), 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY)) << "no source";
}

TEST(GdiObjects, SelectionRulesAndHandleChecks) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, kInk);
  HGDIOBJ stockPen = SelectObject(dc, pen);
  ASSERT_NE(stockPen, nullptr);
  EXPECT_FALSE(DeleteObject(pen)) << "selected";
  EXPECT_FALSE(DeleteObject(stockPen)) << "stock";
  EXPECT_EQ(SelectObject(dc, stockPen), pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen)) << "gone";
  EXPECT_EQ(SelectObject(dc, pen), nullptr) << "a dead handle is refused";

  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ first = SelectObject(dc, bitmap);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(SelectObject(other, bitmap), nullptr) << "one DC at a time";
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(SelectObject(screen, bitmap), nullptr) << "only memory DCs hold bitmaps";
  EXPECT_EQ(SetPixel(screen, 0, 0, kInk), CLR_INVALID) << "the screen DC draws nothing";
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(bitmap)) << "free once its DC is gone";
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(SetPixel(dc, 0, 0, kInk), CLR_INVALID);
  DeleteDC(other);

  HRGN region = CreateRectRgn(5, 5, 1, 2);
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
  EXPECT_TRUE(box.left == 1 && box.top == 2 && box.right == 5 && box.bottom == 5);
  EXPECT_TRUE(PtInRegion(region, 1, 2));
  EXPECT_FALSE(PtInRegion(region, 5, 4)) << "right edge excluded";
  EXPECT_FALSE(PtInRegion(region, 4, 5)) << "bottom edge excluded";
  EXPECT_FALSE(PtInRegion(reinterpret_cast<HRGN>(pen), 1, 2)) << "not a region";
  DeleteObject(region);
}

TEST(GdiObjects, BitmapSizesAHostileCallerMightAskFor) {
  struct SizeCase {
    int width;
    int height;
    bool made;
  };
  const SizeCase cases[] = {{0, 0, true},          {1, 1, true},         {2000, 1000, true},
                            {-1, 5, false},        {5, -1, false},       {40000, 1, false},
                            {20000, 20000, false}, {32767, 32767, false}};
  for (const SizeCase& c : cases) {
    HBITMAP bitmap = CreateCompatibleBitmap(nullptr, c.width, c.height);
    EXPECT_EQ(bitmap != nullptr, c.made) << c.width << "x" << c.height;
    if (bitmap == nullptr) continue;
    BITMAP info;
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, c.width);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{-10, -10, 100000, 100000};
    HBRUSH brush = CreateSolidBrush(kInk);
    FillRect(dc, &all, brush);  // an empty bitmap takes it without harm
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
}

}  // namespace
}  // namespace vexa::platform
