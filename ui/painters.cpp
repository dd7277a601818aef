#include "ui/painters.h"

#include <algorithm>

#include "ui/canvas.h"
#include "ui/theme.h"

namespace vexa::ui {

namespace {

// Palette indices.
constexpr int kBlack = 0;
constexpr int kGrey238 = 1;
constexpr int kGrey170 = 2;
constexpr int kGrey204 = 3;
constexpr int kWhite = 4;
constexpr int kGrey221 = 5;
constexpr int kGrey187 = 6;
constexpr int kGrey153 = 7;

void Fill(Theme& theme, Canvas* canvas, int grey, const Rect& rect) {
  FillStyle& fill = theme.Fill(grey);
  fill.Bind(canvas);
  fill.FillRect(rect);
}

void Outline(Theme& theme, Canvas* canvas, int grey, const Rect& r) {
  if (r.width() < 1 || r.height() < 1) return;
  ShapeStyle& shape = theme.Shape(grey);
  shape.Bind(canvas);
  Point points[4] = {
      {r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
  shape.DrawShape(points, 4, 1);
}

void Line(Theme& theme, Canvas* canvas, int grey, Point a, Point b) {
  ShapeStyle& shape = theme.Shape(grey);
  shape.Bind(canvas);
  Point points[2] = {a, b};
  shape.DrawShape(points, 2, 0);
}

int LevelIndex(int32_t level) {
  return level < 0 ? 0 : level == 0 ? 1 : 2;
}

}  // namespace

void PanelPainter::Draw() {
  if (owner_ == nullptr || canvas_ == nullptr || bounds_.empty()) return;
  static constexpr int kFill[3] = {kGrey187, kGrey238, kWhite};
  Fill(*owner_, canvas_, kFill[LevelIndex(level_)], bounds_);
  Outline(*owner_, canvas_, kGrey153, bounds_);
}

void BevelPainter::Draw() {
  if (owner_ == nullptr || canvas_ == nullptr) return;
  int32_t state = owner_->StateValue();
  if (canvas_->BeginDraw(state < 0)) return;
  static constexpr int kFill[3] = {kGrey204, kGrey221, kGrey238};
  static constexpr int kLight[3] = {kGrey153, kGrey238, kWhite};
  static constexpr int kDark[3] = {kWhite, kGrey187, kGrey153};
  int index = LevelIndex(level_);
  Fill(*owner_, canvas_, kFill[index], bounds_);
  Rect r = bounds_;
  r.right -= 1;
  r.bottom -= 1;
  r.left += 1;
  r.top += 1;
  r.right -= 1;
  r.bottom -= 1;
  if (r.right >= r.left && r.bottom >= r.top) {
    Point topLeft[3] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
    ShapeStyle& light = owner_->Shape(kLight[index]);
    light.Bind(canvas_);
    light.DrawShape(topLeft, 3, 2);
    Point bottomRight[3] = {{r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    ShapeStyle& dark = owner_->Shape(kDark[index]);
    dark.Bind(canvas_);
    dark.DrawShape(bottomRight, 3, 2);
  }
  canvas_->EndDraw();
}

void MarkerPainter::Draw() {
  if (owner_ == nullptr || canvas_ == nullptr) return;
  Point c{bounds_.left + point.x, bounds_.top + point.y};
  Rect dot{c.x - 2, c.y - 2, c.x + 3, c.y + 3};
  if (dot.left < bounds_.left || dot.top < bounds_.top || dot.right > bounds_.right ||
      dot.bottom > bounds_.bottom)
    return;
  ShapeStyle& shape = owner_->Shape(kGrey153);
  shape.Bind(canvas_);
  shape.DrawEllipse(dot);
}

void ArrowPainter::Draw() {
  if (owner_ == nullptr || canvas_ == nullptr) return;
  Rect r{bounds_.left + insets_.left, bounds_.top + insets_.top, bounds_.right - insets_.right,
         bounds_.bottom - insets_.bottom};
  int32_t half = std::min(r.width(), r.height()) / 2;
  if (half < 2) return;
  Point c{r.left + r.width() / 2, r.top + r.height() / 2};
  int32_t s = half / 2;
  const Point triangles[4][3] = {
      {{c.x - s, c.y}, {c.x + s, c.y - s}, {c.x + s, c.y + s}},  // left
      {{c.x, c.y - s}, {c.x + s, c.y + s}, {c.x - s, c.y + s}},  // up
      {{c.x + s, c.y}, {c.x - s, c.y + s}, {c.x - s, c.y - s}},  // right
      {{c.x, c.y + s}, {c.x - s, c.y - s}, {c.x + s, c.y - s}},  // down
  };
  ShapeStyle& shape = owner_->Shape(kBlack);
  shape.Bind(canvas_);
  for (int i = 0; i < 4; ++i) {
    if (flags.d[i]) shape.DrawShape(triangles[i], 3, 0);
  }
}

void ScrollPainter::Draw() {
  if (owner_ == nullptr || canvas_ == nullptr || bounds_.empty()) return;
  Fill(*owner_, canvas_, kGrey238, bounds_);
  Outline(*owner_, canvas_, kGrey187, bounds_);
  int32_t position = state.vertical ? state.verticalPosition : state.horizontalPosition;
  if (position < 0) return;
  constexpr int32_t kThumb = 8;
  Rect thumb = bounds_;
  if (state.vertical) {
    thumb.top = std::min(bounds_.top + position, bounds_.bottom - kThumb);
    thumb.bottom = thumb.top + kThumb;
  } else {
    thumb.left = std::min(bounds_.left + position, bounds_.right - kThumb);
    thumb.right = thumb.left + kThumb;
  }
  thumb = Intersect(thumb, bounds_);
  Fill(*owner_, canvas_, state.forward ? kGrey170 : kGrey187, thumb);
}

void EdgePainter::Draw() {
  if (owner_ == nullptr || canvas_ == nullptr || bounds_.empty()) return;
  const Rect& b = bounds_;
  const Point ends[4][2] = {
      {{b.left, b.top}, {b.left, b.bottom - 1}},
      {{b.left, b.top}, {b.right - 1, b.top}},
      {{b.right - 1, b.top}, {b.right - 1, b.bottom - 1}},
      {{b.left, b.bottom - 1}, {b.right - 1, b.bottom - 1}},
  };
  for (int i = 0; i < 4; ++i) {
    // A value of 0 marks the side the direction points at.
    if (values[i] == 0) Line(*owner_, canvas_, kGrey153, ends[i][0], ends[i][1]);
  }
}

void IndicatorPainter::Draw() {
  if (owner_ == nullptr || canvas_ == nullptr || bounds_.empty()) return;
  int frame = owner_->pulseFrame();
  if (!gauge_) {
    // 0 off, 1 on, 2 pulsing, 3 pulsing bright.
    if (lamp == 0) {
      Fill(*owner_, canvas_, kGrey187, bounds_);
    } else if (lamp == 1) {
      Fill(*owner_, canvas_, kWhite, bounds_);
    } else {
      FillStyle& fill = owner_->PulseFill(lamp == 2 ? 0 : 1, frame);
      fill.Bind(canvas_);
      fill.FillRect(bounds_);
    }
    Outline(*owner_, canvas_, kGrey153, bounds_);
    return;
  }
  Fill(*owner_, canvas_, kGrey238, bounds_);
  if (maximum > 0 && value > 0) {
    int64_t width = static_cast<int64_t>(bounds_.width()) * std::min(value, maximum) / maximum;
    Rect done = bounds_;
    done.right = bounds_.left + static_cast<int32_t>(width);
    FillStyle& fill = owner_->RampFill(frame);
    fill.Bind(canvas_);
    fill.FillRect(done);
  }
  Outline(*owner_, canvas_, kGrey153, bounds_);
}

void TextBoxPainter::Draw() {
  if (owner_ == nullptr || canvas_ == nullptr || bounds_.empty()) return;
  if (state.framed) {
    Fill(*owner_, canvas_, kWhite, bounds_);
    Outline(*owner_, canvas_, state.focus ? kBlack : kGrey153, bounds_);
  }
  TextStyle& text = owner_->Text();
  text.Bind(canvas_);
  Rect widths[3];
  text.MeasureRun(widths, state.run);
  TextRun run = state.run;
  int32_t x = state.align == 0 ? bounds_.left + (bounds_.width() - widths[0].width()) / 2
                               : bounds_.left + state.align;
  int32_t y = bounds_.top + (bounds_.height() - text.height()) / 2 + state.padding;
  run.origin = Point{x, y};
  canvas_->SetClip(&bounds_);
  if (selection != 0 && widths[2].right > widths[1].right) {
    Fill(*owner_, canvas_, kGrey170,
         Rect{x + widths[1].right, y, x + widths[2].right, y + text.height()});
  }
  text.Bind(canvas_);
  text.DrawRun(run);
  if (state.focus) {
    int32_t caretX = x + (selection > 0 ? widths[2].right : widths[1].right);
    Line(*owner_, canvas_, kBlack, Point{caretX, y}, Point{caretX, y + text.height() - 1});
  }
  canvas_->SetClip(nullptr);
}

}  // namespace vexa::ui
