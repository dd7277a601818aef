#pragma once

#include <cstdint>

#include "ui/painter.h"

namespace vexa::ui {

// The theme's paint programs. Each draws only inside its bounds, with the theme's styles.

// A flat panel: a fill and a one-pixel outline. Level < 0 is sunk, 0 plain, > 0 lit.
class PanelPainter : public Painter {
 public:
  explicit PanelPainter(int32_t level) : Painter(Rect{1, 1, 1, 1}), level_(level) {}
  void Draw() override;

 private:
  int32_t level_;
};

// A bevelled box: raised for a level > 0, flat for 0, pressed for < 0.
class BevelPainter : public Painter {
 public:
  explicit BevelPainter(int32_t level) : Painter(Rect{2, 2, 2, 2}), level_(level) {}
  void Draw() override;

 private:
  int32_t level_;
};

// A dot at a point inside the bounds.
class MarkerPainter : public Painter {
 public:
  MarkerPainter() : Painter(Rect{0, 0, 0, 0}) {}
  void Draw() override;
  Point point;
  Point mirrored;  // (x, -y)
};

// Small triangles pointing left, up, right and down for the set flags.
class ArrowPainter : public Painter {
 public:
  ArrowPainter() : Painter(Rect{2, 2, 2, 2}) {}
  void Draw() override;
  DirectionFlags flags;
};

// A scroll track with its thumb.
class ScrollPainter : public Painter {
 public:
  ScrollPainter() : Painter(Rect{1, 1, 1, 1}) {}
  void Draw() override;
  OrientedOutputs state;
};

// Lines on the sides whose value is 0 (left, top, right, bottom).
class EdgePainter : public Painter {
 public:
  EdgePainter() : Painter(Rect{1, 1, 1, 1}) {}
  void Draw() override;
  int32_t values[4] = {1, 1, 1, 1};
  bool present[4] = {false, false, false, false};
};

// A lamp (a two-bit value) or a gauge (a value out of a maximum); both pulse with the theme.
class IndicatorPainter : public Painter {
 public:
  explicit IndicatorPainter(bool gauge) : Painter(Rect{1, 1, 1, 1}), gauge_(gauge) {}
  void Draw() override;
  uint32_t lamp = 0;
  int32_t value = 0;
  int32_t maximum = 0;

 private:
  bool gauge_;
};

// A text box or a bare label: the text run, the selection between anchor and caret when the
// box has focus, and the caret.
class TextBoxPainter : public Painter {
 public:
  TextBoxPainter() : Painter(Rect{3, 2, 3, 2}) {}
  void Draw() override;
  TextBoxState state;
  int32_t selection = 0;
};

}  // namespace vexa::ui
