#pragma once

#include <cstdint>
#include <functional>

#include "board/board_state.h"
#include "net/download_client.h"

namespace vexa {

// How a load of the thread list ended.
enum class ListLoad {
  Loaded,     // downloaded, merged and sorted
  Failed,     // the download failed; the client's status line says why unless it is quiet
  Abandoned,  // the task gave up between two lines: the lines merged so far stay, unsorted
};

// Called once per line of subject.txt, before the line is merged, with its 1-based number. It
// writes the task's status line if any, yields the task's fiber once and says whether to give
// up; it is the only place a load waits, so a cancel is seen within one line.
using ListLineStep = std::function<bool(uint32_t number)>;

// Downloads the board's subject.txt through `client` (on that client's fiber) and merges it
// line by line into the board's thread list, then sorts the list. Both board tasks use it: the
// list task for its foreground load, the watch task for the quiet refresh before each poll,
// each with its own connection.
ListLoad loadThreadList(DownloadClient& client, BoardState& board, const ListLineStep& step);

}  // namespace vexa
