// A thread data file as a hostile server could send it: a full load with body conversion and NG
// hiding, then a refresh with the same bytes and with a cut copy.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "board/dat_line.h"
#include "board/line_reader.h"
#include "board/thread_posts.h"
#include "view/ng_id_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexa;
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  NgIdList ngIds;
  ngIds.add("");
  ngIds.add("abc");
  ThreadPosts thread;
  thread.beginFullLoad();
  LineReader reader(body);
  std::string_view line;
  uint32_t number = 0;
  while (reader.next(line)) {
    const DatLine fields = splitDatLine(line);
    if (!fields.complete && (!fields.id.empty() || !fields.body.empty())) __builtin_trap();
    if (thread.addLine(line, ++number, ngIds)) break;
  }
  thread.finishLoad();
  thread.refresh(body, ngIds);
  thread.refresh(body.substr(0, body.size() / 2), ngIds);
  return 0;
}
