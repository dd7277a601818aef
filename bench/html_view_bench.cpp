// The post view's costs without a display: one page replacement (parse, layout at the bar's
// width, paint of the visible part into an image surface) for the busiest pages the program
// writes, a hover's relayout, and hostile pages of a megabyte.
//
//   build/bench/bench/html_view_bench
//
// The busiest page is the stream-link page of a full thread: 1000 posts, each with a reply
// anchor whose pop-up holds the post it answers, and a stream link, written by the page writer.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <string>
#include <string_view>

#include "base/sjis.h"
#include "platform/desktop/html_page.h"
#include "view/body_converter.h"
#include "view/page_writer.h"
#include "view/post_views.h"

namespace vexa {
namespace {

using platform::desktop::HtmlPage;

constexpr int kWidth = 300;
constexpr int kHeight = 800;

struct KeepPage : PageSink {
  std::string page;
  void showPage(const TextBuffer& shown) override { page = shown.text(); }
};

// A full thread as the board sends it, its bodies converted as the parser converts them.
PostList fullThread() {
  static const char* const kLines[] = {
      "今日の配信は最高でした。みんなありがとう！「また来週」って言ってたね。",
      "ｷﾀ━━━━(ﾟ∀ﾟ)━━━━!! ﾊﾝｶｸｶﾀｶﾅもちゃんと折り返すかな？ <br> ｗｗｗｗｗ",
      "English words stay together: internationalization is long. でも日本語は一文字ずつ。",
      "実況はこちら <br> 音が少し遅れてる気がする <br> 気のせいかな",
  };
  PostList posts;
  for (uint32_t n = 1; n <= kThreadFullCount; ++n) {
    std::string body;
    if (n > 1) {
      const uint32_t target = n - 1 - (n * 7) % std::min<uint32_t>(n - 1, 20);
      body += "<a href=\"../test/read.cgi/live/1234567890/" + std::to_string(target) +
              "\" target=\"_blank\">&gt;&gt;" + std::to_string(target) + "</a> ";
    }
    body += kLines[n % 4];
    body += " mms://stream.example.com/live" + std::to_string(n % 10);
    auto record = makePostRecord(n);
    record->visible = true;
    const std::string id = "ID" + std::to_string(n % 97) + "xYz";
    record->id.assign(id.c_str());
    convertBody(*record, platform::utf8ToCp932(body), posts);
    posts.append(std::move(record));
  }
  return posts;
}

const std::string& streamLinkPage() {
  static const std::string page = [] {
    PostList posts = fullThread();
    StreamLinkList links;
    links.rebuild(posts);
    KeepPage sink;
    PageWriter writer(sink);
    renderStreamLinks(writer, links, 0);
    return sink.page;
  }();
  return page;
}

const std::string& latestBatchPage() {
  static const std::string page = [] {
    PostList posts = fullThread();
    KeepPage sink;
    PageWriter writer(sink);
    renderLatestBatch(writer, posts, 0);
    return sink.page;
  }();
  return page;
}

// A busy board's list: two thousand threads.
const std::string& threadListPage() {
  static const std::string page = [] {
    KeepPage sink;
    PageWriter writer(sink);
    writer.openPage();
    writer.writeHead(false);
    for (uint32_t i = 0; i < 2000; ++i) {
      ThreadRecord record;
      record.postCount = (i * 37) % 1001;
      record.speed = 1.0 / (i + 1);
      const std::string key = std::to_string(1700000000 + i) + ".dat";
      record.key.assign(key.c_str());
      const std::string title =
          "【実況】番組名その" + std::to_string(i) + " ★" + std::to_string(i % 9 + 1);
      record.title.assign(platform::utf8ToCp932(title).c_str());
      writer.writeThreadLine(record);
    }
    writer.writeEnd();
    writer.closePage();
    return sink.page;
  }();
  return page;
}

struct Canvas {
  Canvas() {
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cr = cairo_create(surface);
  }
  ~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  cairo_surface_t* surface;
  cairo_t* cr;
};

void replace(benchmark::State& state, const std::string& page) {
  HtmlPage html;
  Canvas canvas;
  for (auto _ : state) {
    html.load(page);
    html.layout(kWidth, kHeight);
    html.draw(canvas.cr, 0, 0, 0, kWidth, kHeight);
    cairo_surface_flush(canvas.surface);
    benchmark::DoNotOptimize(html.height());
  }
  state.counters["page_KB"] = page.size() / 1024.0;
  state.counters["height_px"] = html.height();
  state.counters["widths_cached"] = static_cast<double>(html.container().cachedWidths());
}

void BM_ReplaceStreamLinkPageOf1000Posts(benchmark::State& state) {
  replace(state, streamLinkPage());
}
BENCHMARK(BM_ReplaceStreamLinkPageOf1000Posts)->Unit(benchmark::kMillisecond);

void BM_ReplaceThreadListOf2000Threads(benchmark::State& state) {
  replace(state, threadListPage());
}
BENCHMARK(BM_ReplaceThreadListOf2000Threads)->Unit(benchmark::kMillisecond);

void BM_ReplaceLatestBatch(benchmark::State& state) {
  replace(state, latestBatchPage());
}
BENCHMARK(BM_ReplaceLatestBatch)->Unit(benchmark::kMillisecond);

// The phases of one replacement of the busiest page, apart.
void BM_PhasesOfTheBusiestPage(benchmark::State& state) {
  const std::string& page = streamLinkPage();
  HtmlPage html;
  Canvas canvas;
  const int phase = static_cast<int>(state.range(0));
  html.load(page);
  html.layout(kWidth, kHeight);
  for (auto _ : state) {
    if (phase == 0) html.load(page);
    if (phase <= 1) html.layout(kWidth, kHeight);
    html.draw(canvas.cr, 0, 0, 0, kWidth, kHeight);
    cairo_surface_flush(canvas.surface);
  }
  state.SetLabel(phase == 0 ? "parse+layout+paint" : phase == 1 ? "layout+paint" : "paint");
}
BENCHMARK(BM_PhasesOfTheBusiestPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A pop-up opening and closing on the busiest page: each is a new layout.
void BM_HoverRelayoutOnTheBusiestPage(benchmark::State& state) {
  HtmlPage html;
  html.load(streamLinkPage());
  html.layout(kWidth, kHeight);
  int ax = -1;
  int ay = -1;
  for (int y = 0; y < kHeight && ax < 0; ++y) {
    for (int x = 0; x < kWidth; x += 2) {
      if (html.linkAt(x, y, x, y) == "#") {
        ax = x;
        ay = y;
        break;
      }
    }
  }
  if (ax < 0) {
    state.SkipWithError("no reply anchor");
    return;
  }
  for (auto _ : state) {
    html.mouseOver(ax, ay, ax, ay);
    html.layout(kWidth, kHeight);
    html.mouseLeave();
    html.layout(kWidth, kHeight);
  }
  state.SetLabel("open and close = two layouts");
}
BENCHMARK(BM_HoverRelayoutOnTheBusiestPage)->Unit(benchmark::kMillisecond);

// Hostile pages of about a megabyte: what no page writer makes, but litehtml must survive.
std::string hostile(int kind, size_t kSize) {
  std::string body;
  switch (kind) {
    case 0:  // one word without a break opportunity
      body.assign(kSize, 'x');
      break;
    case 1:  // full-width characters: every one a word
      while (body.size() < kSize) body += "あ"_sjis;
      break;
    case 2:  // links
      while (body.size() < kSize) body += "<a href=\"#\">x</a>";
      break;
    case 3:  // line breaks
      while (body.size() < kSize) body += "<br>";
      break;
    case 4:  // nested inline elements, eight deep around every word
      while (body.size() < kSize)
        body += "<b><i><b><i><b><i><b><i>text</i></b></i></b></i></b></i></b> ";
      break;
    default:  // pop-ups that all open at once
      while (body.size() < kSize)
        body += "<a href=\"#\">x<span style=\"position:absolute\">p</span></a>";
      break;
  }
  return "<html><body>" + body + "</body></html>";
}

void BM_HostileMegabyte(benchmark::State& state) {
  static const char* const kNames[] = {"one long word", "full-width text",  "links",
                                       "line breaks",   "words eight deep", "open pop-ups"};
  const std::string page =
      hostile(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)) << 10);
  replace(state, page);
  state.SetLabel(kNames[state.range(0)]);
}
// A megabyte of each, and a quarter of one to show the cost grows in proportion.
BENCHMARK(BM_HostileMegabyte)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 5, 1), {256, 1024}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
}  // namespace vexa

BENCHMARK_MAIN();
