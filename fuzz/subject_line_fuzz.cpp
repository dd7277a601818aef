// subject.txt as a hostile server could send it: every line merged into the thread list, which is
// then sorted and searched for the successor of each full thread.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "board/line_reader.h"
#include "board/subject_line.h"
#include "board/thread_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexa;
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  ThreadList list;
  LineReader reader(body);
  std::string_view line;
  uint32_t number = 0;
  while (reader.next(line)) {
    SubjectLine parsed;
    if (parseSubjectLine(line, parsed) && (parsed.key.empty() || parsed.count == 0))
      __builtin_trap();
    ++number;
    list.mergeLine(line, number, number * 7);
  }
  list.sort();
  uint32_t position = 1;
  while (ThreadRecord* record = list.nextRecord(position)) {
    if (record->full()) list.findSuccessor(*record);
  }
  return 0;
}
