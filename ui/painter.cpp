#include "ui/painter.h"

#include "ui/canvas.h"
#include "ui/theme.h"

namespace vexa::ui {

void Painter::Acquire(Theme* owner) {
  owner_ = owner;
  canvas_ = owner != nullptr ? owner->canvas() : nullptr;
  Size size;
  if (canvas_ != nullptr && !canvas_->GetSize(size)) bounds_ = Rect{0, 0, size.width, size.height};
}

void Painter::Release() {
  canvas_ = nullptr;
}

Rect Painter::Fit(Size size) {
  if (canvas_ == nullptr) return Rect{};
  Rect rect{0, 0, size.width < 0 ? 0 : size.width, size.height < 0 ? 0 : size.height};
  canvas_->Resize(rect);
  bounds_ = rect;
  return rect;
}

DirectionFlags DirectionOutputs(const DirectionState& state) {
  uint32_t s = state.side & 3;
  bool f = state.flag;
  DirectionFlags out;
  out.d[0] = (s == 1 && !f) || (s == 3 && f);
  out.d[1] = (s == 0 && f) || (s == 2 && !f);
  out.d[2] = (s == 1 && f) || (s == 3 && !f);
  out.d[3] = (s == 0 && !f) || (s == 3 && f);
  return out;
}

OrientedOutputs OrientedOutputsOf(const OrientedState& state) {
  uint32_t m = state.mode & 3;
  int32_t e = state.hide ? -1 : state.p1;
  OrientedOutputs out;
  out.odd = (state.mode & 1) != 0;
  out.forward = state.flag ? (m == 0 || m == 3) : (m == 1 || m == 2);
  out.vertical = m > 1;
  out.horizontal = !out.vertical;
  out.startMissing = out.vertical ? state.p2 < 0 : state.p1 < 0;
  out.endMissing = out.vertical ? state.p1 < 0 : state.p2 < 0;
  out.hidden = state.hide ? 1 : 0;
  out.horizontalPosition = out.vertical ? -1 : e;
  out.verticalPosition = out.vertical ? e : -1;
  return out;
}

int32_t SelectionDirection(const TextBoxState& state) {
  if (!state.focus) return 0;
  return state.run.anchor >= state.run.caret ? -1 : 1;
}

}  // namespace vexa::ui
