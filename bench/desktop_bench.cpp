// The desktop side's costs: painting a tool strip's worth of rectangles and Japanese labels,
// copying an off-screen picture, measuring text, and an idle loop with one open window.
//
//   scripts/with-display.sh build/bench/bench/desktop_bench                       everything
//   scripts/with-display.sh build/bench/bench/desktop_bench --benchmark_filter=-Idle
//
// The idle run (30 s, and 10 s with one polling task) reports, for the whole process, the CPU share
// of one core, the wake-ups a second (context switches of the GUI thread) and the proportional set
// size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "base/fiber_task.h"
#include "base/sjis.h"
#include "base/task_loop.h"
#include "platform/clock.h"
#include "platform/desktop/device_context.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/window_system.h"

namespace vexa {
namespace {

using namespace platform;

HFONT japaneseFont(LONG height) {
  LOGFONTA logical;
  logical.lfHeight = height;
  logical.lfCharSet = SHIFTJIS_CHARSET;
  strcpy(logical.lfFaceName, "ＭＳ Ｐゴシック"_sjis);
  return CreateFontIndirectA(&logical);
}

struct OffScreen {
  OffScreen(int width, int height) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, width, height);
    old = SelectObject(dc, bitmap);
  }
  ~OffScreen() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

// What a tool strip and a filter window take to paint: a background, three bevelled buttons
// (fills and lines), two labels and a title.
void BM_PaintStripOfThreeButtons(benchmark::State& state) {
  OffScreen canvas(300, 60);
  HFONT font = japaneseFont(14);
  HGDIOBJ oldFont = SelectObject(canvas.dc, font);
  HBRUSH face = CreateSolidBrush(RGB(212, 208, 200));
  HPEN light = CreatePen(PS_SOLID, 0, RGB(255, 255, 255));
  HPEN dark = CreatePen(PS_SOLID, 0, RGB(64, 64, 64));
  SetBkMode(canvas.dc, TRANSPARENT);
  const char* labels[] = {"スレ検索"_sjis, "番組表"_sjis, "スレ名フィルタ"_sjis};
  for (auto _ : state) {
    RECT all{0, 0, 300, 60};
    FillRect(canvas.dc, &all, face);
    for (int i = 0; i < 3; ++i) {
      const int left = 4 + i * 96;
      RECT button{left, 4, left + 90, 26};
      FillRect(canvas.dc, &button, face);
      SelectObject(canvas.dc, light);
      MoveToEx(canvas.dc, left, 25, nullptr);
      LineTo(canvas.dc, left, 4);
      LineTo(canvas.dc, left + 89, 4);
      SelectObject(canvas.dc, dark);
      LineTo(canvas.dc, left + 89, 25);
      LineTo(canvas.dc, left, 25);
      TextOutA(canvas.dc, left + 6, 8, labels[i], static_cast<int>(strlen(labels[i])));
    }
    benchmark::DoNotOptimize(GetPixel(canvas.dc, 10, 10));
  }
  SelectObject(canvas.dc, oldFont);
  DeleteObject(font);
  DeleteObject(face);
  DeleteObject(light);
  DeleteObject(dark);
}
BENCHMARK(BM_PaintStripOfThreeButtons)->Unit(benchmark::kMicrosecond);

void BM_BitBltBarPicture(benchmark::State& state) {
  OffScreen source(300, 1000);
  OffScreen target(300, 1000);
  for (auto _ : state) {
    BitBlt(target.dc, 0, 0, 300, 1000, source.dc, 0, 0, SRCCOPY);
  }
}
BENCHMARK(BM_BitBltBarPicture)->Unit(benchmark::kMicrosecond);

void BM_MeasureJapaneseLabel(benchmark::State& state) {
  OffScreen canvas(1, 1);
  HFONT font = japaneseFont(14);
  HGDIOBJ old = SelectObject(canvas.dc, font);
  const char* text = "スレ名フィルタ"_sjis;
  SIZE size;
  for (auto _ : state) {
    GetTextExtentPoint32A(canvas.dc, text, static_cast<int>(strlen(text)), &size);
    benchmark::DoNotOptimize(size);
  }
  SelectObject(canvas.dc, old);
  DeleteObject(font);
}
BENCHMARK(BM_MeasureJapaneseLabel)->Unit(benchmark::kMicrosecond);

// Figures of this process from /proc.
struct ProcessFigures {
  double cpuSeconds = 0;
  long switches = 0;  // voluntary and involuntary context switches: each is a wake-up
  long pssKb = 0;
};

long fieldAfter(const std::string& text, const std::string& name) {
  const size_t at = text.find(name);
  if (at == std::string::npos) return 0;
  return std::strtol(text.c_str() + at + name.size(), nullptr, 10);
}

ProcessFigures readFigures() {
  ProcessFigures figures;
  std::ifstream statFile("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
  // Fields 14 and 15 (utime, stime) follow the command name in parentheses.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  long utime = 0;
  long stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  figures.cpuSeconds =
      static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
  std::ifstream statusFile("/proc/self/status");
  std::string status((std::istreambuf_iterator<char>(statusFile)),
                     std::istreambuf_iterator<char>());
  figures.switches = fieldAfter(status, "\nvoluntary_ctxt_switches:") +
                     fieldAfter(status, "\nnonvoluntary_ctxt_switches:");
  std::ifstream rollupFile("/proc/self/smaps_rollup");
  std::string rollup((std::istreambuf_iterator<char>(rollupFile)),
                     std::istreambuf_iterator<char>());
  figures.pssKb = fieldAfter(rollup, "\nPss:");
  return figures;
}

LRESULT paintingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HBRUSH brush = CreateSolidBrush(RGB(212, 208, 200));
    FillRect(dc, &paint.rcPaint, brush);
    DeleteObject(brush);
    TextOutA(dc, 4, 4, "スレ検索"_sjis, 8);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A task that ends the run at a given tick, waiting meanwhile.
struct Stopper : FiberTask {
  TaskLoop* loop = nullptr;
  uint32_t at = 0;
  void run() override {
    while (!tickReached(tickMs(), at)) yieldUntil(at);
    loop->stop();
  }
};

// A task that polls (the plain yield) until told to stop: the loop then sleeps 1 ms a pass.
struct Poller : FiberTask {
  bool quit = false;
  void run() override {
    while (!quit) yield();
  }
};

// Thirty seconds (ten with a polling task) of a loop with one window open and nothing to do.
void runWindowLoop(benchmark::State& state, bool polling) {
  for (auto _ : state) {
    MessageQueue queue;
    if (InitWindowSystem(queue) == WindowSystemError::NoDisplay) {
      state.SkipWithError("no display");
      return;
    }
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &paintingProcedure;
    windowClass.lpszClassName = "vexa-bench";
    RegisterClassA(windowClass);
    HWND window = CreateWindowExA(0, "vexa-bench", "bench", WS_POPUP | WS_VISIBLE, 10, 10, 300, 600,
                                  nullptr, nullptr, nullptr, nullptr);
    // Let the window appear and settle before measuring.
    const uint32_t settle = tickMs() + 500;
    while (!tickReached(tickMs(), settle)) {
      WindowMessage message;
      if (queue.peek(message)) MessageQueue::dispatch(message);
      queue.wait(10);
    }
    TaskLoop loop(queue);
    Stopper stopper;
    stopper.loop = &loop;
    stopper.at = tickMs() + (polling ? 10000 : 30000);
    stopper.start(0);
    loop.addTask(&stopper);
    Poller poller;
    if (polling) {
      poller.start(0);
      loop.addTask(&poller);
    }
    const ProcessFigures before = readFigures();
    const auto wallStart = std::chrono::steady_clock::now();
    loop.run();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const ProcessFigures after = readFigures();
    state.SetIterationTime(wall);
    state.counters["cpu_percent"] = 100.0 * (after.cpuSeconds - before.cpuSeconds) / wall;
    state.counters["wakeups_per_s"] = static_cast<double>(after.switches - before.switches) / wall;
    state.counters["passes_per_s"] = static_cast<double>(loop.passes()) / wall;
    state.counters["pss_mb"] = static_cast<double>(after.pssKb) / 1024.0;
    poller.quit = true;
    if (polling) resume(&poller);
    DestroyWindow(window);
    ShutdownWindowSystem();
  }
}

void BM_IdleLoopWithOneWindowThirtySeconds(benchmark::State& state) {
  runWindowLoop(state, false);
}
BENCHMARK(BM_IdleLoopWithOneWindowThirtySeconds)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

void BM_PollingLoopWithOneWindowTenSeconds(benchmark::State& state) {
  runWindowLoop(state, true);
}
BENCHMARK(BM_PollingLoopWithOneWindowTenSeconds)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace vexa

BENCHMARK_MAIN();
