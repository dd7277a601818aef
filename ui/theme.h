#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "ui/colour.h"
#include "ui/host_services.h"
#include "ui/kind_tag.h"
#include "ui/painter.h"
#include "ui/styles.h"

namespace vexa::ui {

class GraphicsDevice;
class Canvas;
class PanelPainter;
class BevelPainter;
class MarkerPainter;
class ArrowPainter;
class ScrollPainter;
class EdgePainter;
class IndicatorPainter;
class TextBoxPainter;

constexpr int kPulseFrames = 30;

// A painter configured by an accessor, with the theme it came from; null when either is.
struct PainterHandle {
  Theme* theme = nullptr;
  Painter* painter = nullptr;
  explicit operator bool() const { return painter != nullptr; }
  Painter* operator->() const { return painter; }
};

// The look of a host's widgets: a grey palette, a thirty-frame pulse, and thirteen painters.
class Theme : public Tagged, public ObjectFactory {
 public:
  static constexpr int32_t kPaletteSize = 8;
  static constexpr uint8_t kPalette[kPaletteSize] = {0, 238, 170, 204, 255, 221, 187, 153};
  // The pulse brightness k_i and the grey ramp g_i.
  static std::array<uint8_t, kPulseFrames> PulseBrightness();
  static std::array<uint8_t, kPulseFrames> GreyRamp();

  Theme();
  ~Theme() override;
  int32_t KindTag() const override { return kind::kTheme; }

  // Binds the theme to its owner and makes its styles; true on failure, and a second call
  // fails. The device may be null (styles are then plain objects).
  bool Initialise(void* owner, int32_t, int32_t, GraphicsDevice* device = nullptr);
  void Shutdown();
  bool initialised() const { return owner_ != nullptr; }

  // The window's client rectangle to the rectangle the widget root lays out in.
  void AdjustContentRect(Rect& out, const Rect& rect) const { out = rect; }
  // Painter programs in caller storage, 780 bytes.
  static constexpr uint32_t kProgramSize = 780;
  Tagged* Create(void* buffer, uint32_t& size, void* requester, int32_t kind) override;

  // The look interface: accessors 1 to 12.
  PainterHandle PainterA();
  PainterHandle PainterB();
  PainterHandle PainterC();
  PainterHandle Panel(int32_t level);
  PainterHandle Bevel(int32_t level);
  PainterHandle Marker(Point point);
  PainterHandle Arrow(const DirectionState& state);
  PainterHandle Scroll(const OrientedState& state);
  PainterHandle Edges(const DirectionState& state);
  PainterHandle Lamp(uint32_t value);
  PainterHandle Gauge(int32_t value, int32_t maximum);
  PainterHandle TextBox(const TextBoxState& state);

  // The canvas painters draw on during a paint pass.
  void SetCanvas(Canvas* canvas) { canvas_ = canvas; }
  Canvas* canvas() const { return canvas_; }
  // The state value painters ask for (the level of the last panel or bevel accessor).
  int32_t StateValue() const { return stateValue_; }

  // The pulse animation's current frame, 0 to 29.
  void SetPulseFrame(int32_t frame);
  int32_t pulseFrame() const { return pulseFrame_; }

  // Styles, for the painters.
  FillStyle& Fill(int paletteIndex) { return *fills_[paletteIndex]; }
  ShapeStyle& Shape(int paletteIndex) { return *shapes_[paletteIndex]; }
  TextStyle& Text() { return *text_; }
  FillStyle& PulseFill(int array, int frame) { return *pulse_[array][frame]; }
  FillStyle& RampFill(int frame) { return *ramp_[frame]; }
  const Colour& PulseColour(int array, int frame) const { return pulseColours_[array][frame]; }
  const Colour& RampColour(int frame) const { return rampColours_[frame]; }
  static constexpr int32_t kFontHeight = 12;

 private:
  PainterHandle Hand(Painter* painter);

  void* owner_ = nullptr;
  Canvas* canvas_ = nullptr;
  int32_t stateValue_ = 0;
  int32_t pulseFrame_ = 0;

  Colour pulseColours_[3][kPulseFrames];
  Colour rampColours_[kPulseFrames];
  std::unique_ptr<FillStyle> fills_[kPaletteSize];
  std::unique_ptr<ShapeStyle> shapes_[kPaletteSize];
  std::unique_ptr<TextStyle> text_;
  std::unique_ptr<FillStyle> pulse_[3][kPulseFrames];
  std::unique_ptr<FillStyle> ramp_[kPulseFrames];

  std::unique_ptr<PanelPainter> panels_[3];
  std::unique_ptr<BevelPainter> bevels_[3];
  std::unique_ptr<MarkerPainter> marker_;
  std::unique_ptr<ArrowPainter> arrow_;
  std::unique_ptr<ScrollPainter> scroll_;
  std::unique_ptr<EdgePainter> edges_;
  std::unique_ptr<IndicatorPainter> lamp_;
  std::unique_ptr<IndicatorPainter> gauge_;
  std::unique_ptr<TextBoxPainter> textBox_;
};

}  // namespace vexa::ui
