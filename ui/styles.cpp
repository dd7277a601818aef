#include "ui/styles.h"

#include <algorithm>

namespace vexa::ui {

void FillStyle::FillRect(const Rect& rect) {
  if (canvas_ != nullptr && !rect.empty()) canvas_->FillRect(rect, colour_);
}

void StrokeStyle::Bind(Canvas* canvas) {
  canvas_ = canvas;
  if (canvas_ == nullptr) return;
  canvas_->SelectPen(colour_);
  canvas_->SelectBrush(colour_);
}

void ShapeStyle::Bind(Canvas* canvas) {
  canvas_ = canvas;
  if (canvas_ == nullptr) return;
  canvas_->SelectPen(colour_);
  canvas_->SelectBrush(colour_);
}

void ShapeStyle::DrawShape(const Point* points, uint32_t count, int32_t mode) {
  if (canvas_ == nullptr || points == nullptr || count == 0) return;
  if (count == 1) {
    canvas_->SetPixel(points[0], pixelColour());
    return;
  }
  if (count == 2) {
    // GDI lines leave out their end point; set it so both ends show.
    canvas_->MoveTo(points[0]);
    canvas_->LineTo(points[1]);
    canvas_->SetPixel(points[1], pixelColour());
    return;
  }
  buffer_.assign(points, points + count);
  if (mode <= 0) {
    canvas_->Polygon(buffer_.data(), count);
    return;
  }
  canvas_->MoveTo(buffer_[0]);
  canvas_->PolylineTo(buffer_.data() + 1, count - 1);
  if (mode == 1) {
    canvas_->LineTo(buffer_[0]);
  } else {
    canvas_->SetPixel(buffer_[count - 1], pixelColour());
  }
}

void ShapeStyle::DrawEllipse(const Rect& rect) {
  if (canvas_ != nullptr) canvas_->Ellipse(rect);
}

void TextStyle::Bind(Canvas* canvas) {
  canvas_ = canvas;
  if (canvas_ != nullptr) canvas_->SelectFont(height_);
}

void TextStyle::DrawRun(const TextRun& run) {
  if (canvas_ == nullptr || run.text == nullptr || run.length == 0) return;
  canvas_->SetTextColour(colour_.PixelColour());
  canvas_->TextOut(run.origin, run.text, run.length);
}

void TextStyle::MeasureRun(Rect (&out)[3], const TextRun& run) {
  uint32_t length = run.text == nullptr ? 0 : run.length;
  // Positions past the text mean its end.
  uint32_t anchor = std::min(run.anchor, length);
  uint32_t caret = std::min(run.caret, length);
  uint32_t lengths[3] = {length, std::min(anchor, caret), std::max(anchor, caret)};
  for (int i = 0; i < 3; ++i) {
    int32_t width = 0;
    if (canvas_ != nullptr && lengths[i] > 0)
      width = canvas_->TextExtent(run.text, lengths[i]).width;
    out[i] = Rect{0, 0, width, height_};
  }
}

void ClipRegion::Bind(Canvas* canvas) {
  canvas_ = canvas;
  if (canvas_ != nullptr) canvas_->SetClip(hasRegion_ ? &region_ : nullptr);
}

void ClipRegion::SetClipRect(const Rect& rect) {
  region_ = rect;
  hasRegion_ = true;
  if (canvas_ != nullptr) canvas_->SetClip(&region_);
}

}  // namespace vexa::ui
