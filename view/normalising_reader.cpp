#include "view/normalising_reader.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "platform/sjis_char.h"

namespace vexa {
namespace {

// One group per line, members separated by tabs, canonical form first.
const char* groupSource() {
  return " \t　\n"
         "!\t！\n"
         "\"\t”\n"
         "#\t＃\n"
         "$\t＄\n"
         "%\t％\n"
         "&\t＆\n"
         "'\t’\n"
         "(\t（\n"
         ")\t）\n"
         "*\t＊\n"
         "+\t＋\n"
         ",\t，\n"
         "-\t－\tｰ\tー\n"
         ".\t．\n"
         "/\t／\n"
         ":\t：\n"
         ";\t；\n"
         "<\t＜\n"
         "=\t＝\n"
         ">\t＞\n"
         "?\t？\n"
         "@\t＠\n"
         "[\t［\n"
         "\\\t￥\n"
         "]\t］\n"
         "^\t＾\n"
         "_\t＿\n"
         "`\t‘\n"
         "{\t｛\n"
         "|\t｜\n"
         "}\t｝\n"
         "~\t～\n"
         "0\t０\n"
         "1\t１\n"
         "2\t２\n"
         "3\t３\n"
         "4\t４\n"
         "5\t５\n"
         "6\t６\n"
         "7\t７\n"
         "8\t８\n"
         "9\t９\n"
         "a\tA\tａ\tＡ\n"
         "b\tB\tｂ\tＢ\n"
         "c\tC\tｃ\tＣ\n"
         "d\tD\tｄ\tＤ\n"
         "e\tE\tｅ\tＥ\n"
         "f\tF\tｆ\tＦ\n"
         "g\tG\tｇ\tＧ\n"
         "h\tH\tｈ\tＨ\n"
         "i\tI\tｉ\tＩ\n"
         "j\tJ\tｊ\tＪ\n"
         "k\tK\tｋ\tＫ\n"
         "l\tL\tｌ\tＬ\n"
         "m\tM\tｍ\tＭ\n"
         "n\tN\tｎ\tＮ\n"
         "o\tO\tｏ\tＯ\n"
         "p\tP\tｐ\tＰ\n"
         "q\tQ\tｑ\tＱ\n"
         "r\tR\tｒ\tＲ\n"
         "s\tS\tｓ\tＳ\n"
         "t\tT\tｔ\tＴ\n"
         "u\tU\tｕ\tＵ\n"
         "v\tV\tｖ\tＶ\n"
         "w\tW\tｗ\tＷ\n"
         "x\tX\tｘ\tＸ\n"
         "y\tY\tｙ\tＹ\n"
         "z\tZ\tｚ\tＺ\n"
         "あ\tア\tｱ\tぁ\tァ\tｧ\n"
         "い\tイ\tｲ\tぃ\tィ\tｨ\n"
         "う\tウ\tｳ\tぅ\tゥ\tｩ\n"
         "え\tエ\tｴ\tぇ\tェ\tｪ\n"
         "お\tオ\tｵ\tぉ\tォ\tｫ\n"
         "ヴ\tｳﾞ\tｩﾞ\n"
         "か\tカ\tｶ\n"
         "き\tキ\tｷ\n"
         "く\tク\tｸ\n"
         "け\tケ\tｹ\n"
         "こ\tコ\tｺ\n"
         "が\tガ\tｶﾞ\n"
         "ぎ\tギ\tｷﾞ\n"
         "ぐ\tグ\tｸﾞ\n"
         "げ\tゲ\tｹﾞ\n"
         "ご\tゴ\tｺﾞ\n"
         "さ\tサ\tｻ\n"
         "し\tシ\tｼ\n"
         "す\tス\tｽ\n"
         "せ\tセ\tｾ\n"
         "そ\tソ\tｿ\n"
         "ざ\tザ\tｻﾞ\n"
         "じ\tジ\tｼﾞ\tι゛\tιﾞ\n"
         "ず\tズ\tｽﾞ\n"
         "ぜ\tゼ\tｾﾞ\n"
         "ぞ\tゾ\tｿﾞ\n"
         "た\tタ\tﾀ\n"
         "ち\tチ\tﾁ\n"
         "つ\tツ\tﾂ\tっ\tｯ\n"
         "て\tテ\tﾃ\n"
         "と\tト\tﾄ\n"
         "だ\tダ\tﾀﾞ\n"
         "ぢ\tヂ\tﾁﾞ\n"
         "づ\tヅ\tﾂﾞ\tｯﾞ\n"
         "で\tデ\tﾃﾞ\n"
         "ど\tド\tﾄﾞ\n"
         "な\tナ\tﾅ\n"
         "に\tニ\tﾆ\n"
         "ぬ\tヌ\tﾇ\n"
         "ね\tネ\tﾈ\n"
         "の\tノ\tﾉ\n"
         "は\tハ\tﾊ\n"
         "ひ\tヒ\tﾋ\n"
         "ふ\tフ\tﾌ\n"
         "へ\tヘ\tﾍ\n"
         "ほ\tホ\tﾎ\n"
         "ば\tバ\tﾊﾞ\n"
         "び\tビ\tﾋﾞ\n"
         "ぶ\tブ\tﾌﾞ\n"
         "べ\tベ\tﾍﾞ\n"
         "ぼ\tボ\tﾎﾞ\n"
         "ぱ\tパ\tﾊﾟ\n"
         "ぴ\tピ\tﾋﾟ\n"
         "ぷ\tプ\tﾌﾟ\n"
         "ぺ\tペ\tﾍﾟ\n"
         "ぽ\tポ\tﾎﾟ\n"
         "ま\tマ\tﾏ\n"
         "み\tミ\tﾐ\n"
         "む\tム\tﾑ\n"
         "め\tメ\tﾒ\n"
         "も\tモ\tﾓ\n"
         "や\tヤ\tﾔ\tゃ\tャ\tｬ\n"
         "ゆ\tユ\tﾕ\tゅ\tュ\tｭ\n"
         "よ\tヨ\tﾖ\tょ\tョ\tｮ\n"
         "ら\tラ\tﾗ\n"
         "り\tリ\tﾘ\n"
         "る\tル\tﾙ\n"
         "れ\tレ\tﾚ\n"
         "ろ\tロ\tﾛ\n"
         "わ\tワ\tﾜ\tゎ\tヮ\n"
         "ゐ\tヰ\n"
         "ゑ\tヱ\n"
         "を\tヲ\tｦ\n"
         "ん\tン\tﾝ\n"
         ""_sjis;
}

// A Shift_JIS character at text[0..available).
uint32_t charLength(const unsigned char* text, size_t available) {
  return static_cast<uint32_t>(
      sjisCharLength(std::string_view(reinterpret_cast<const char*>(text), available)));
}

uint16_t charCode(const unsigned char* text, uint32_t length) {
  return length == 2 ? static_cast<uint16_t>(text[0] * 256 + text[1]) : text[0];
}

struct Entry {
  std::string bytes;
  uint16_t code;
};

// Per first byte, the table's entries longest first (table order among equals), so the longest
// match is the first one that fits.
class NormalisationTable {
 public:
  NormalisationTable() {
    std::string_view source = groupSource();
    size_t lineStart = 0;
    while (lineStart < source.size()) {
      size_t lineEnd = source.find('\n', lineStart);
      if (lineEnd == std::string_view::npos) lineEnd = source.size();
      addGroup(source.substr(lineStart, lineEnd - lineStart));
      lineStart = lineEnd + 1;
    }
    for (auto& candidates : byFirstByte_) {
      std::stable_sort(candidates.begin(), candidates.end(), [](const Entry& a, const Entry& b) {
        return a.bytes.size() > b.bytes.size();
      });
    }
  }

  const Entry* longestMatch(const char* position, const char* end) const {
    size_t available = static_cast<size_t>(end - position);
    for (const Entry& entry : byFirstByte_[static_cast<unsigned char>(*position)]) {
      if (entry.bytes.size() <= available &&
          std::equal(entry.bytes.begin(), entry.bytes.end(), position)) {
        return &entry;
      }
    }
    return nullptr;
  }

 private:
  void addGroup(std::string_view line) {
    if (line.empty()) return;
    auto canonical = reinterpret_cast<const unsigned char*>(line.data());
    uint16_t code = charCode(canonical, charLength(canonical, line.size()));
    size_t start = 0;
    while (start <= line.size()) {
      size_t stop = line.find('\t', start);
      if (stop == std::string_view::npos) stop = line.size();
      std::string_view member = line.substr(start, stop - start);
      if (!member.empty()) {
        byFirstByte_[static_cast<unsigned char>(member[0])].push_back({std::string(member), code});
      }
      start = stop + 1;
    }
  }

  std::array<std::vector<Entry>, 256> byFirstByte_;
};

const NormalisationTable& table() {
  static const NormalisationTable instance;
  return instance;
}

}  // namespace

NormalisedChar readNormalised(const char* position, const char* end) {
  if (position >= end) return {};
  if (const Entry* entry = table().longestMatch(position, end)) {
    return {entry->code, static_cast<uint32_t>(entry->bytes.size())};
  }
  auto bytes = reinterpret_cast<const unsigned char*>(position);
  uint32_t length = charLength(bytes, static_cast<size_t>(end - position));
  return {charCode(bytes, length), length};
}

size_t findNormalised(std::string_view text, std::string_view word) {
  if (word.empty()) return 0;
  // Each side is read once; the search then compares codes only.
  struct Read {
    uint16_t code;
    size_t offset;
  };
  auto readAll = [](std::string_view bytes) {
    std::vector<Read> result;
    result.reserve(bytes.size());
    const char* end = bytes.data() + bytes.size();
    for (const char* p = bytes.data(); p < end;) {
      NormalisedChar c = readNormalised(p, end);
      result.push_back({c.code, static_cast<size_t>(p - bytes.data())});
      p += c.length;
    }
    return result;
  };
  std::vector<Read> wanted = readAll(word);
  std::vector<Read> chars = readAll(text);
  if (chars.size() < wanted.size()) return kNotFound;
  for (size_t start = 0; start + wanted.size() <= chars.size(); ++start) {
    size_t matched = 0;
    while (matched < wanted.size() && chars[start + matched].code == wanted[matched].code) {
      ++matched;
    }
    if (matched == wanted.size()) return chars[start].offset;
  }
  return kNotFound;
}

}  // namespace vexa
