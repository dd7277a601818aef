#pragma once

#include <cstdint>

#include "ui/geometry.h"
#include "ui/kind_tag.h"
#include "ui/styles.h"

namespace vexa::ui {

class Canvas;
class Theme;

// One kind of visual element's paint program. The theme owns its painters and configures one
// at each accessor call; a widget sets the bounds and lets it draw on the pass's canvas.
class Painter : public Tagged {
 public:
  // Theme-made objects are asked for under this kind.
  static constexpr int32_t kKind = -2;
  int32_t KindTag() const override { return kKind; }

  // Remembers the owner's canvas and takes its size as bounds.
  void Acquire(Theme* owner);
  void Release();
  virtual void Draw() = 0;
  // Bounds from a size; the canvas is resized to it. Empty without a canvas.
  Rect Fit(Size size);
  Rect GetBounds() const { return bounds_; }
  Rect GetMinimumSize() const {
    return Rect{0, 0, insets_.left + insets_.right, insets_.top + insets_.bottom};
  }
  // Left, top, right, bottom.
  Rect GetInsets() const { return insets_; }
  void SetBounds(const Rect& rect) { bounds_ = rect; }

 protected:
  explicit Painter(Rect insets) : insets_(insets) {}
  Theme* owner_ = nullptr;
  Canvas* canvas_ = nullptr;
  Rect bounds_;
  Rect insets_;
};

// The direction state of accessors 7 and 9: a flag byte and a side (low two bits).
struct DirectionState {
  bool flag = false;
  uint32_t side = 0;
};
struct DirectionFlags {
  bool d[4] = {false, false, false, false};
};
DirectionFlags DirectionOutputs(const DirectionState& state);

// The oriented two-position state of accessor 8.
struct OrientedState {
  bool flag = false;
  uint32_t mode = 0;
  bool hide = false;
  int32_t p1 = 0;
  int32_t p2 = 0;
};
// The nine values a scroll painter receives.
struct OrientedOutputs {
  bool odd = false;      // mode & 1
  bool forward = false;  // the flag and the mode agree on the direction
  bool vertical = false;
  bool horizontal = false;
  bool startMissing = false;
  bool endMissing = false;
  int32_t hidden = 0;
  int32_t horizontalPosition = -1;
  int32_t verticalPosition = -1;
  bool operator==(const OrientedOutputs&) const = default;
};
OrientedOutputs OrientedOutputsOf(const OrientedState& state);

// The text-box state of accessor 12.
struct TextBoxState {
  bool focus = false;
  uint8_t framed = 0;   // copied as is: non-zero draws the box around the text
  int32_t align = 0;    // 0 centres the text, otherwise it starts this many pixels in
  int32_t padding = 0;  // vertical offset of the text from the centre line
  TextRun run;
  bool hasPair = false;
  int32_t pair[2] = {0, 0};
};
// 0 without focus, -1 when anchor >= caret, +1 when anchor < caret.
int32_t SelectionDirection(const TextBoxState& state);

}  // namespace vexa::ui
