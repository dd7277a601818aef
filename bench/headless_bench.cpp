// How long `vexa --headless` takes from the click on a thread to that thread's first page, for a
// 1000-post thread served by the demo board over loopback. The time runs from the watch task's
// first status line (written in the first slice after the click) to the page's text on standard
// output; the whole run (menu, list, thread) is reported beside it.
//
// Run from the build tree: bench/headless_bench expects the program at ../app/vexa.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "tools/demo_board_launcher.h"

namespace {

std::string sourceDir() {
  std::string file = __FILE__;  // .../bench/headless_bench.cpp
  for (int i = 0; i < 2; ++i) file = file.substr(0, file.rfind('/'));
  return file;
}

std::string programPath() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "vexa";
  std::string path(self, static_cast<size_t>(n));
  path = path.substr(0, path.rfind('/'));  // .../bench
  return path.substr(0, path.rfind('/')) + "/app/vexa";
}

void BM_ClickToFirstPage(benchmark::State& state) {
  vexa::demo::DemoBoard board;
  if (board.start(sourceDir(), {"--seed", "1", "--step", "0"})) {
    state.SkipWithError("the demo board did not start");
    return;
  }
  using Clock = std::chrono::steady_clock;
  double totalRun = 0;
  for (auto _ : state) {
    vexa::demo::ChildProcess vexa;
    const auto started = Clock::now();
    if (vexa.start({programPath(), "--headless", "--menu-host", board.address(), "--thread",
                    "1699996000.dat", "--polls", "0"})) {
      state.SkipWithError("vexa did not start");
      return;
    }
    vexa.closeInput();
    Clock::time_point clicked{}, shown{};
    while (vexa.pump(1000)) {
      if (clicked == Clock::time_point{} && vexa.err.find("[watch]") != std::string::npos) {
        clicked = Clock::now();
      }
      if (shown == Clock::time_point{} && vexa.out.find("--- page 2 ---") != std::string::npos) {
        shown = Clock::now();
      }
    }
    if (vexa.wait() != 0 || clicked == Clock::time_point{} || shown == Clock::time_point{}) {
      state.SkipWithError("the run failed");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(shown - clicked).count());
    totalRun += std::chrono::duration<double>(Clock::now() - started).count();
  }
  state.counters["whole_run_ms"] =
      benchmark::Counter(totalRun * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ClickToFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
