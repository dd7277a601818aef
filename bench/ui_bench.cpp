// The toolkit's costs: a full paint of the tool strip and the filter window, a relayout of a
// strip of 100 children, and the idle cost of an open host window.
//
//   scripts/with-display.sh ui_bench      the paint and idle runs need a display (Xvfb will do)
//   ui_bench --benchmark_filter=Relayout  the layout alone needs none
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/desktop/window_system.h"
#include "platform/message_queue.h"
#include "tests/ui/demo/demo_window.h"
#include "ui/strip_container.h"
#include "ui/widget_root.h"

namespace vexa::ui {
namespace {

// A leaf of fixed size.
class Block : public Widget {
 public:
  explicit Block(Size size) : size_(size) {}
  void OnRootChanged(WidgetRoot* const&) override {}
  void OnRootSignal(const Event&) override {}
  void OnRefresh(const Event&) override {}
  void OnPointerRetest(const Event&) override {}
  void OnPointer(const Event&) override {}
  void OnKey(const Event&) override {}
  void Arrange(const Event&) override {}
  void Measure(Size& out, const Event&) override { out = size_; }
  void Paint(const Event&) override {}

 private:
  Size size_;
};

void BM_RelayoutStripOf100(benchmark::State& state) {
  WidgetRoot root;
  StripContainer strip;
  root.SetContent(&strip);
  std::vector<std::unique_ptr<Block>> blocks;
  for (int i = 0; i < 100; ++i) {
    blocks.push_back(std::make_unique<Block>(Size{20 + i % 7, 18}));
    strip.Append(blocks.back().get());
  }
  strip.SetAnchor(40);
  Rect rect{0, 0, 800, 24};
  for (auto _ : state) {
    root.Layout(&rect);
    benchmark::DoNotOptimize(blocks.back()->bounds());
  }
}
BENCHMARK(BM_RelayoutStripOf100);

platform::MessageQueue& Queue() {
  static platform::MessageQueue queue;
  return queue;
}

bool Display() {
  static bool ready = platform::InitWindowSystem(Queue()) != platform::WindowSystemError::NoDisplay;
  return ready;
}

void Pump(uint32_t ms) {
  uint32_t start = platform::tickMs();
  while (platform::tickMs() - start < ms) {
    platform::WindowMessage message;
    if (Queue().peek(message)) {
      platform::MessageQueue::dispatch(message);
    } else {
      Queue().wait(10);
    }
  }
}

// WM_PAINT of the demonstration window: the tool strip and the filter window drawn into the
// back buffer and copied to the window.
void BM_FullPaintToolStripAndFilter(benchmark::State& state) {
  if (!Display()) {
    state.SkipWithError("no display");
    return;
  }
  demo::DemoWindow demo(Queue(), Rect{20, 20, 380, 90});
  if (demo.Open()) {
    state.SkipWithError("window did not open");
    return;
  }
  Pump(200);
  for (auto _ : state) {
    WindowMessage paint{demo.window().hwnd(), wm::kPaint, 0, 0, 0, 0};
    demo.host().HandleMessage(paint);
  }
}
BENCHMARK(BM_FullPaintToolStripAndFilter)->Unit(benchmark::kMicrosecond);

// The CPU an open, idle window costs while the loop waits for messages, and how often the loop
// wakes: measured over the seconds given (30 by default), as a fraction of one core.
void BM_IdleOpenWindow(benchmark::State& state) {
  if (!Display()) {
    state.SkipWithError("no display");
    return;
  }
  demo::DemoWindow demo(Queue(), Rect{20, 20, 380, 90});
  if (demo.Open()) {
    state.SkipWithError("window did not open");
    return;
  }
  Pump(300);
  const uint32_t seconds = static_cast<uint32_t>(state.range(0));
  for (auto _ : state) {
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    uint64_t wakeups = 0;
    uint32_t start = platform::tickMs();
    while (platform::tickMs() - start < seconds * 1000) {
      platform::WindowMessage message;
      if (Queue().peek(message)) {
        platform::MessageQueue::dispatch(message);
      } else {
        // The loop of an idle run: wait without a limit beyond the measurement's end.
        Queue().wait(static_cast<int32_t>(seconds * 1000 - (platform::tickMs() - start)));
      }
      ++wakeups;
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    auto micros = [](const timeval& t) { return t.tv_sec * 1000000.0 + t.tv_usec; };
    double cpu = micros(after.ru_utime) - micros(before.ru_utime) + micros(after.ru_stime) -
                 micros(before.ru_stime);
    state.counters["cpu_percent"] = 100.0 * cpu / (seconds * 1e6);
    state.counters["wakeups_per_s"] = static_cast<double>(wakeups) / seconds;
  }
}
BENCHMARK(BM_IdleOpenWindow)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace vexa::ui

BENCHMARK_MAIN();
