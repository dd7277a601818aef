#include "board/board_settings.h"

#include "base/sjis.h"

namespace vexa {

std::string boardTitleOf(const BoardSettings& settings) {
  return settings.boardTitle.empty() ? std::string("ホロメキ"_sjis) : settings.boardTitle;
}

}  // namespace vexa
