#include "board/thread_list_task.h"

#include <string>

#include "base/sjis.h"
#include "board/board_menu.h"
#include "board/board_viewer.h"
#include "board/subject_load.h"

namespace vexa {

namespace {

std::string numberedLine(const char* before, uint64_t number, const char* after) {
  std::string line = before;
  line += std::to_string(number);
  line += after;
  return line;
}

}  // namespace

ThreadListTask::ThreadListTask(BoardViewer& viewer, DownloadHost& host, PageSink& browser)
    : DownloadClient(host), viewer_(viewer), writer_(browser) {
  setStatus("- thread list standby -");
}

void ThreadListTask::run() {
  if (acquireBoardAddress()) return;
  if (loadList()) return;
  if (renderThreadList()) return;
  viewer_.setViewerState(ViewerState::ListShown);
}

void ThreadListTask::fail(const char* line) {
  setStatus(line);
  viewer_.setViewerState(ViewerState::Idle);
}

bool ThreadListTask::acquireBoardAddress() {
  BoardState& board = viewer_.boardState();
  if (board.addressKnown()) return false;
  setStatus("- bbsmenu.html へ接続 -"_sjis);
  yieldBusy();
  const BoardSettings& settings = viewer_.settings();
  if (download(settings.menuHost.c_str(), BoardSettings::kMenuPath)) {
    if (!cancelRequested()) viewer_.setViewerState(ViewerState::Idle);
    return true;
  }
  setStatus("- 実況板のアドレスを抽出 -"_sjis);
  yieldBusy();
  if (cancelRequested()) return true;
  const std::string title = boardTitleOf(settings);
  const std::string quoted = "\"" + title + "\"";
  std::string_view link;
  switch (findBoardLink(body(), title, link)) {
    case MenuLinkResult::TitleMissing:
      fail((quoted + "が見つかりません"_sjis).c_str());
      return true;
    case MenuLinkResult::AddressMissing:
      fail((quoted + "のアドレスが見つかりません"_sjis).c_str());
      return true;
    case MenuLinkResult::Found:
      break;
  }
  TextBuffer host, boardPath;
  if (splitBoardLink(link, host, boardPath)) {
    fail((quoted + "のホストが見つかりません"_sjis).c_str());
    return true;
  }
  board.setAddress(host.text(), boardPath.text());
  return false;
}

bool ThreadListTask::loadList() {
  const ListLineStep step = [this](uint32_t number) {
    setStatus(numberedLine("- subject.txt ", number, " 行目を解析 -"_sjis).c_str());
    yieldBusy();
    return cancelRequested();
  };
  switch (loadThreadList(*this, viewer_.boardState(), step)) {
    case ListLoad::Loaded:
      return false;
    case ListLoad::Failed:
      if (!cancelRequested()) viewer_.setViewerState(ViewerState::Idle);
      return true;
    case ListLoad::Abandoned:
      break;
  }
  return true;
}

bool ThreadListTask::renderThreadList() {
  BoardState& board = viewer_.boardState();
  TextBuffer filterText;
  viewer_.readFilterText(filterText);
  board.applyFilter(filterText.text());

  writer_.openPage();
  writer_.writeHead(false);
  uint32_t position = 1;
  for (;;) {
    {
      LockGuard guard(board.lock(), 0);
      ThreadRecord* record = board.threads().nextRecord(position);
      if (!record) break;
      if (board.matchesFilter(record->title.text())) writer_.writeThreadLine(*record);
    }
    setStatus(numberedLine("- subject.txt ", position, " 行目を描画 -"_sjis).c_str());
    yieldBusy();
    if (cancelRequested()) return true;
  }
  writer_.writeEnd();
  writer_.closePage();
  return false;
}

}  // namespace vexa
