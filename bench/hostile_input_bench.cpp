// What a hostile board costs the parsers: pages and data files built to hit the worst case of
// each pass (a write form of tens of thousands of hidden inputs, bodies of long digit runs, a list
// page full of "&", posts packed with reply anchors to one large post). Each should grow linearly
// with its argument; the pop-up case also reports the peak memory of the process and the size of
// the page it writes (run it alone, with --benchmark_filter, for a meaningful peak).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "app/headless_page_text.h"
#include "board/thread_posts.h"
#include "board/write_form.h"
#include "view/ng_id_list.h"
#include "view/page_sink.h"
#include "view/page_writer.h"

namespace vexa {
namespace {

// A thread page whose form holds `inputs` hidden inputs, half of them without a name, closed at
// the very end of the page.
std::string hiddenInputPage(int64_t inputs) {
  std::string page =
      "<a href=\"../\">back</a><form method=post action=\"../test/bbs.cgi\">"
      "<input type=submit value=\"post\" name=\"submit\">";
  for (int64_t i = 0; i < inputs; ++i) {
    page += i % 2 ? "<input type=hidden value=v>" : "<input type=hidden name=key value=12>";
  }
  page += "</form>";
  return page;
}

void BM_WriteFormHiddenInputs(benchmark::State& state) {
  const std::string page = hiddenInputPage(state.range(0));
  for (auto _ : state) {
    WriteForm form;
    benchmark::DoNotOptimize(parseWriteForm(page, 0, form));
  }
  state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
}
BENCHMARK(BM_WriteFormHiddenInputs)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(190000)
    ->Unit(benchmark::kMillisecond);

std::string datLine(const std::string& body) {
  return "name<>sage<>2024/01/01 00:00:00 ID:abc<> " + body + " <>\n";
}

// `lines` posts whose bodies are each one run of 4,000 digits.
void BM_RefreshDigitRuns(benchmark::State& state) {
  std::string dat;
  for (int64_t i = 0; i < state.range(0); ++i) dat += datLine(std::string(4000, '7'));
  NgIdList ngIds;
  for (auto _ : state) {
    ThreadPosts posts;
    benchmark::DoNotOptimize(posts.refresh(dat, ngIds));
  }
}
BENCHMARK(BM_RefreshDigitRuns)->Arg(10)->Arg(999)->Unit(benchmark::kMillisecond);

// A list page of `bytes` bytes whose titles are made of "&".
void BM_PageTextAmpersands(benchmark::State& state) {
  std::string page = "<html><body>\r\n";
  const std::string line = "<a href=\"thread:1.dat\">" + std::string(4000, '&') + " (5)</a><br>";
  while (page.size() < static_cast<size_t>(state.range(0))) page += line;
  page += "</body></html>\r\n";
  for (auto _ : state) benchmark::DoNotOptimize(pageTextLines(page));
}
BENCHMARK(BM_PageTextAmpersands)->Arg(40000)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

class CountingSink : public PageSink {
 public:
  void showPage(const TextBuffer& page) override { bytes = page.length(); }
  size_t bytes = 0;
};

double peakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Post 1 is a line of 4,000 "<" (16 KB of HTML); every later post is a line packed with reply
// anchors to it. The argument is the number of posts.
void BM_PopupFlood(benchmark::State& state) {
  std::string dat = datLine(std::string(4000, '<'));
  const std::string anchor = "<a href=\"../test/read.cgi/b/1/1\">1</a>";
  std::string packed;
  while (packed.size() + anchor.size() < 4000) packed += anchor;
  for (int64_t i = 1; i < state.range(0); ++i) dat += datLine(packed);
  NgIdList ngIds;
  size_t pageBytes = 0;
  for (auto _ : state) {
    ThreadPosts posts;
    posts.refresh(dat, ngIds);
    CountingSink sink;
    PageWriter writer(sink);
    writer.openPage();
    writer.writeHead(true);
    for (uint32_t n = posts.posts().size() - 14; n <= posts.posts().size(); ++n) {
      writer.writePostLine(*posts.posts().at(n));
    }
    writer.writeEnd();
    writer.closePage();
    pageBytes = sink.bytes;
  }
  state.counters["dat_MB"] = static_cast<double>(dat.size()) / 1e6;
  state.counters["page_MB"] = static_cast<double>(pageBytes) / 1e6;
  state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_PopupFlood)->Arg(50)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vexa

BENCHMARK_MAIN();
