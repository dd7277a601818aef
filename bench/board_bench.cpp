// The board protocol's parsing costs: a full thread of 1000 posts into records with their body
// HTML, a subject.txt merge with its sort, and the successor search over a long list.

#include <benchmark/benchmark.h>

#include <string>

#include "base/sjis.h"
#include "board/line_reader.h"
#include "board/thread_list.h"
#include "board/thread_posts.h"
#include "view/ng_id_list.h"

namespace vexa {
namespace {

// About 300 bytes a post: an ID, line breaks with blanks, a reply anchor and a stream address.
std::string thousandPostDat() {
  std::string dat;
  for (int n = 1; n <= 1000; ++n) {
    std::string line = std::string("名無しさん"_sjis) + "<>sage<>2024/01/01(" + "月"_sjis +
                       ") 12:34:56.78 ID:AbCd" + std::to_string(n % 37) + "x0<> ";
    line += "実況の書き込みです。番組が始まりました"_sjis;
    line += " <br>  <br> ";
    if (n > 1) {
      line += "<a href=\"../test/read.cgi/live/1700000000/" + std::to_string(n - 1) +
              "\" target=\"_blank\">&gt;&gt;" + std::to_string(n - 1) + "</a> ";
    }
    line += "これは面白い展開ですね、次も楽しみです"_sjis;
    line += " <br> http://example.com/live/stream" + std::to_string(n) + " <br> ";
    line += "わろた"_sjis;
    line += " <>\n";
    dat += line;
  }
  return dat;
}

void BM_ParseThousandPostDat(benchmark::State& state) {
  const std::string dat = thousandPostDat();
  NgIdList ngIds;
  ngIds.add("AbCd5x0");
  for (auto _ : state) {
    ThreadPosts thread;
    thread.beginFullLoad();
    LineReader reader(dat);
    std::string_view line;
    uint32_t number = 0;
    while (reader.next(line)) thread.addLine(line, ++number, ngIds);
    thread.finishLoad();
    benchmark::DoNotOptimize(thread.posts().size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(dat.size()));
  state.counters["dat_bytes"] = static_cast<double>(dat.size());
}
BENCHMARK(BM_ParseThousandPostDat)->Unit(benchmark::kMillisecond);

std::string subjectText(int threads, int round) {
  std::string text;
  for (int n = 0; n < threads; ++n) {
    text += std::to_string(1700000000 + n) + ".dat<>" + std::string("実況スレ Part"_sjis) +
            std::to_string(n) + " (" + std::to_string(1 + (n * 7 + round * 3) % 1000) + ")\n";
  }
  return text;
}

void BM_MergeAndSortSubject(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const std::string first = subjectText(threads, 0);
  const std::string second = subjectText(threads, 1);
  for (auto _ : state) {
    ThreadList list;
    int64_t now = 1700000000;
    for (const std::string* text : {&first, &second}) {
      LineReader reader(*text);
      std::string_view line;
      uint32_t number = 0;
      while (reader.next(line)) list.mergeLine(line, ++number, now);
      list.sort();
      now += 30;
    }
    benchmark::DoNotOptimize(list.size());
  }
}
BENCHMARK(BM_MergeAndSortSubject)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

void BM_SuccessorSearch(benchmark::State& state) {
  ThreadList list;
  const std::string text = subjectText(static_cast<int>(state.range(0)), 0);
  LineReader reader(text);
  std::string_view line;
  uint32_t number = 0;
  while (reader.next(line)) list.mergeLine(line, ++number, 0);
  list.mergeLine("1.dat<>" + std::string("実況スレ Part"_sjis) + "99999 (1000)", ++number, 0);
  ThreadRecord* current = list.findByKey("1.dat");
  for (auto _ : state) benchmark::DoNotOptimize(list.findSuccessor(*current));
}
BENCHMARK(BM_SuccessorSearch)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vexa

BENCHMARK_MAIN();
