#include "ui/theme.h"

#include <cmath>
#include <new>
#include <numbers>

#include "ui/graphics_device.h"
#include "ui/painters.h"

namespace vexa::ui {

std::array<uint8_t, kPulseFrames> Theme::PulseBrightness() {
  std::array<uint8_t, kPulseFrames> k{};
  for (int i = 0; i < kPulseFrames; ++i) {
    // Truncation after adding one half rounds to nearest.
    double v = std::sin(i * std::numbers::pi / 29) * (255 - 136) + 136 + 0.5;
    k[i] = static_cast<uint8_t>(static_cast<int32_t>(v));
  }
  return k;
}

std::array<uint8_t, kPulseFrames> Theme::GreyRamp() {
  std::array<uint8_t, kPulseFrames> g{};
  for (int i = 0; i < kPulseFrames; ++i) {
    double c = std::cos(i * std::numbers::pi / 29) * (221 - 136) / 2.0 + 136 + (221 - 136) / 2.0;
    g[i] = static_cast<uint8_t>(static_cast<int32_t>(c + 0.5));
  }
  return g;
}

Theme::Theme() {
  auto k = PulseBrightness();
  auto g = GreyRamp();
  static constexpr uint8_t kPulsed[3] = {204, 255, 153};
  for (int i = 0; i < kPulseFrames; ++i) {
    for (int a = 0; a < 3; ++a)
      pulseColours_[a][i] = Scale(Colour::Grey(kPulsed[a]), k[i]).WithAlpha(0xFF);
    rampColours_[i] = Colour::Grey(g[i]);
  }
  panels_[0] = std::make_unique<PanelPainter>(-1);
  panels_[1] = std::make_unique<PanelPainter>(0);
  panels_[2] = std::make_unique<PanelPainter>(1);
  bevels_[0] = std::make_unique<BevelPainter>(-1);
  bevels_[1] = std::make_unique<BevelPainter>(0);
  bevels_[2] = std::make_unique<BevelPainter>(1);
  marker_ = std::make_unique<MarkerPainter>();
  arrow_ = std::make_unique<ArrowPainter>();
  scroll_ = std::make_unique<ScrollPainter>();
  edges_ = std::make_unique<EdgePainter>();
  lamp_ = std::make_unique<IndicatorPainter>(false);
  gauge_ = std::make_unique<IndicatorPainter>(true);
  textBox_ = std::make_unique<TextBoxPainter>();
}

Theme::~Theme() {
  Shutdown();
}

namespace {

template <typename T>
bool MakeInto(std::unique_ptr<T>& slot, GraphicsDevice* device, const StyleDescriptor& d) {
  std::unique_ptr<Style> style = device != nullptr ? device->CreateStyle(d) : MakeStyle(d);
  if (style == nullptr || style->KindTag() != d.kind) return true;
  slot.reset(static_cast<T*>(style.release()));
  return false;
}

}  // namespace

bool Theme::Initialise(void* owner, int32_t, int32_t, GraphicsDevice* device) {
  if (owner_ != nullptr || owner == nullptr) return true;
  bool failed = false;
  for (int i = 0; i < kPaletteSize; ++i) {
    Colour grey = Colour::Grey(kPalette[i]);
    failed |= MakeInto(fills_[i], device, {kind::kFillStyle, grey, 0});
    failed |= MakeInto(shapes_[i], device, {kind::kShapeStyle, grey, 0});
  }
  failed |= MakeInto(text_, device, {kind::kTextStyle, Colour::Grey(0), kFontHeight});
  for (int i = 0; i < kPulseFrames; ++i) {
    for (int a = 0; a < 3; ++a)
      failed |= MakeInto(pulse_[a][i], device, {kind::kFillStyle, pulseColours_[a][i], 0});
    failed |= MakeInto(ramp_[i], device, {kind::kFillStyle, rampColours_[i], 0});
  }
  if (failed) {
    Shutdown();
    return true;
  }
  owner_ = owner;
  return false;
}

void Theme::Shutdown() {
  for (auto& s : fills_) s.reset();
  for (auto& s : shapes_) s.reset();
  text_.reset();
  for (auto& row : pulse_)
    for (auto& s : row) s.reset();
  for (auto& s : ramp_) s.reset();
  owner_ = nullptr;
  canvas_ = nullptr;
}

Tagged* Theme::Create(void* buffer, uint32_t& size, void*, int32_t kind) {
  if (kind != Painter::kKind) {
    size = 0;
    return nullptr;
  }
  static_assert(sizeof(BevelPainter) <= kProgramSize);
  if (buffer == nullptr || size < kProgramSize) {
    size = kProgramSize;
    return nullptr;
  }
  return new (buffer) BevelPainter(1);
}

void Theme::SetPulseFrame(int32_t frame) {
  pulseFrame_ = ((frame % kPulseFrames) + kPulseFrames) % kPulseFrames;
}

PainterHandle Theme::Hand(Painter* painter) {
  // Without styles nothing can be drawn: an uninitialised theme hands out no painters.
  if (painter == nullptr || owner_ == nullptr) return PainterHandle{};
  painter->Acquire(this);
  return PainterHandle{this, painter};
}

PainterHandle Theme::PainterA() {
  return Hand(panels_[0].get());
}
PainterHandle Theme::PainterB() {
  return Hand(panels_[1].get());
}
PainterHandle Theme::PainterC() {
  return Hand(panels_[2].get());
}

PainterHandle Theme::Panel(int32_t level) {
  stateValue_ = level;
  return Hand(panels_[level < 0 ? 0 : level == 0 ? 1 : 2].get());
}

PainterHandle Theme::Bevel(int32_t level) {
  stateValue_ = level;
  return Hand(bevels_[level < 0 ? 0 : level == 0 ? 1 : 2].get());
}

PainterHandle Theme::Marker(Point point) {
  marker_->point = point;
  marker_->mirrored = Point{point.x, -point.y};
  return Hand(marker_.get());
}

PainterHandle Theme::Arrow(const DirectionState& state) {
  arrow_->flags = DirectionOutputs(state);
  return Hand(arrow_.get());
}

PainterHandle Theme::Scroll(const OrientedState& state) {
  scroll_->state = OrientedOutputsOf(state);
  return Hand(scroll_.get());
}

PainterHandle Theme::Edges(const DirectionState& state) {
  DirectionFlags flags = DirectionOutputs(state);
  for (int i = 0; i < 4; ++i) {
    edges_->values[i] = flags.d[i] ? 0 : 1;
    edges_->present[i] = edges_->values[i] != 0;
  }
  return Hand(edges_.get());
}

PainterHandle Theme::Lamp(uint32_t value) {
  lamp_->lamp = value & 3;
  return Hand(lamp_.get());
}

PainterHandle Theme::Gauge(int32_t value, int32_t maximum) {
  gauge_->value = value;
  gauge_->maximum = maximum;
  return Hand(gauge_.get());
}

PainterHandle Theme::TextBox(const TextBoxState& state) {
  textBox_->state = state;
  textBox_->selection = SelectionDirection(state);
  return Hand(textBox_.get());
}

}  // namespace vexa::ui
