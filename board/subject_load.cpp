#include "board/subject_load.h"

#include <string_view>

#include "board/line_reader.h"

namespace vexa {

ListLoad loadThreadList(DownloadClient& client, BoardState& board, const ListLineStep& step) {
  TextBuffer host, path;
  board.getAddress(host, path);
  path.append("subject.txt");
  if (client.download(host.text(), path.text())) return ListLoad::Failed;

  LineReader reader(client.body());
  std::string_view line;
  uint32_t number = 0;
  while (reader.next(line)) {
    ++number;
    if (step(number)) return ListLoad::Abandoned;
    LockGuard guard(board.lock(), 0);
    board.threads().mergeLine(line, number, client.host().currentTime());
  }
  board.finishThreadList();
  return ListLoad::Loaded;
}

}  // namespace vexa
