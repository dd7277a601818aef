#include "app/headless_page_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "base/text_functions.h"
#include "platform/text_encoding.h"

namespace vexa {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";   // U+FFFD
constexpr std::string_view kInnerBreak = " \xE2\x8F\x8E ";  // " ⏎ "

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithNoCase(std::string_view text, size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (lower(text[at + i]) != lower(prefix[i])) return false;
  }
  return true;
}

size_t findNoCase(std::string_view text, std::string_view needle, size_t from) {
  for (size_t at = from; at + needle.size() <= text.size(); ++at) {
    if (startsWithNoCase(text, at, needle)) return at;
  }
  return std::string_view::npos;
}

void appendCodePoint(std::string& out, uint32_t cp) {
  // Controls (C0 but tab, DEL, C1), surrogates and values past Unicode are not passed on.
  if (cp == '\t') cp = ' ';
  if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) {
    out += kReplacement;
    return;
  }
  // Bidirectional controls would reorder the rest of the terminal line: shown, not obeyed.
  if ((cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069)) {
    char escaped[12];
    std::snprintf(escaped, sizeof escaped, "<U+%04X>", static_cast<unsigned>(cp));
    out += escaped;
    return;
  }
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Reads an entity at text[at] == '&'. On success appends its character and returns its length;
// returns 0 for anything that is not an entity this renderer knows (the '&' is then plain text).
size_t decodeEntity(std::string_view text, size_t at, std::string& out) {
  // Only the next 32 bytes can hold the ";": searching further for every "&" of a long page
  // would read it over and over.
  const size_t semicolon = text.substr(0, std::min(text.size(), at + 33)).find(';', at);
  if (semicolon == std::string_view::npos) return 0;
  const std::string_view name = text.substr(at + 1, semicolon - at - 1);
  static const struct {
    std::string_view name;
    uint32_t cp;
  } kNamed[] = {{"lt", '<'},   {"gt", '>'},    {"amp", '&'},
                {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
  for (const auto& named : kNamed) {
    if (name == named.name) {
      appendCodePoint(out, named.cp);
      return semicolon - at + 1;
    }
  }
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  uint32_t cp = 0;
  for (char c : digits) {
    const int digit = hexDigitValue(c);
    if (digit < 0 || (!hex && digit > 9)) return 0;
    cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    if (cp > 0x10FFFF) cp = 0x110000;  // stays out of range without overflowing
  }
  appendCodePoint(out, cp);
  return semicolon - at + 1;
}

// Links carry their text percent-encoded where it could break the attribute.
std::string percentDecoded(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 &&
        hexDigitValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The value of attribute `name` (e.g. "href") in the tag text, quoted or not; empty when absent.
std::string_view attribute(std::string_view tag, std::string_view name) {
  for (size_t at = findNoCase(tag, name, 0); at != std::string_view::npos;
       at = findNoCase(tag, name, at + 1)) {
    size_t p = at + name.size();
    const bool wordStart = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t');
    if (!wordStart || p >= tag.size() || tag[p] != '=') continue;
    ++p;
    if (p < tag.size() && (tag[p] == '"' || tag[p] == '\'')) {
      const size_t close = tag.find(tag[p], p + 1);
      return tag.substr(p + 1,
                        close == std::string_view::npos ? std::string_view::npos : close - p - 1);
    }
    size_t end = p;
    while (end < tag.size() && tag[end] != ' ' && tag[end] != '\t' && tag[end] != '>') ++end;
    return tag.substr(p, end - p);
  }
  return {};
}

class PageRenderer {
 public:
  explicit PageRenderer(std::string_view page) : page_(page) {}

  std::vector<std::string> run() {
    size_t at = 0;
    size_t end = page_.size();
    const size_t body = findNoCase(page_, "<body", 0);
    if (body != std::string_view::npos) {
      const size_t close = page_.find('>', body);
      at = close == std::string_view::npos ? end : close + 1;
      const size_t bodyEnd = findNoCase(page_, "</body", at);
      if (bodyEnd != std::string_view::npos) end = bodyEnd;
    }
    size_t runStart = at;
    while (at < end) {
      const unsigned char c = static_cast<unsigned char>(page_[at]);
      if (c != '<' && c != '&' && c >= 0x20 && c != 0x7F) {
        ++at;
        continue;
      }
      flushRun(runStart, at);
      if (c == '<') {
        at = tag(at, end);
      } else if (c == '&') {
        std::string decoded;
        const size_t length = decodeEntity(page_.substr(0, end), at, decoded);
        if (skipDepth_ == 0) line_ += length ? decoded : "&";
        at += length ? length : 1;
      } else if (c == '\r' || c == '\n') {
        finishLine();
        ++at;
      } else {
        if (skipDepth_ == 0) line_ += c == '\t' ? std::string_view(" ") : kReplacement;
        ++at;
      }
      runStart = at;
    }
    flushRun(runStart, end);
    finishLine();
    return std::move(lines_);
  }

 private:
  void flushRun(size_t from, size_t to) {
    if (to > from && skipDepth_ == 0) line_ += platform::cp932ToUtf8(page_.substr(from, to - from));
  }

  // Handles the tag at page_[at] == '<' and returns the position after it.
  size_t tag(size_t at, size_t end) {
    // The ">" found for an earlier "<" still serves while it lies ahead (a page of lone "<"
    // would otherwise be read to its end once for each of them).
    if (!closeKnown_ || close_ < at) {
      close_ = page_.find('>', at);
      closeKnown_ = true;
    }
    const size_t close = close_;
    if (close == std::string_view::npos || close >= end) {
      // A lone "<" is text.
      if (skipDepth_ == 0) line_ += '<';
      return at + 1;
    }
    const std::string_view tag = page_.substr(at, close - at + 1);
    const size_t next = close + 1;
    const bool closing = tag.size() > 1 && tag[1] == '/';
    const size_t nameStart = closing ? 2 : 1;
    size_t nameEnd = nameStart;
    while (nameEnd < tag.size() && ((lower(tag[nameEnd]) >= 'a' && lower(tag[nameEnd]) <= 'z') ||
                                    (tag[nameEnd] >= '0' && tag[nameEnd] <= '9'))) {
      ++nameEnd;
    }
    std::string name;
    for (size_t i = nameStart; i < nameEnd; ++i) name += lower(tag[i]);

    if (name == "span") {
      spanTag(closing, tag);
    } else if (skipDepth_ > 0) {
      // Inside a reply pop-up nothing else matters.
    } else if (name == "br") {
      const bool endsRecord = next >= end || page_[next] == '\r' || page_[next] == '\n' ||
                              startsWithAt(page_, next, "<a href=\"thread:");
      if (endsRecord) {
        finishLine();
      } else {
        line_ += kInnerBreak;
      }
    } else if (name == "a" && !closing) {
      const std::string_view href = attribute(tag, "href");
      if (startsWithAt(href, 0, "thread:")) {
        line_ += statusText(percentDecoded(href.substr(7)));
        line_ += ' ';
      }
      inNgLink_ = startsWithAt(href, 0, "ngid:");
    } else if (name == "a") {
      inNgLink_ = false;
    }
    return next;
  }

  void spanTag(bool closing, std::string_view tag) {
    if (skipDepth_ > 0) {
      skipDepth_ += closing ? -1 : 1;
      return;
    }
    if (closing) {
      if (idStart_ != std::string::npos && line_.size() == idStart_) {
        line_.resize(idStart_ - 4);  // an empty ID: drop " ID:" again
      }
      idStart_ = std::string::npos;
      return;
    }
    if (attribute(tag, "class") != "popup") return;
    if (inNgLink_) {
      // The pop-up of a post number holds the poster's ID: worth showing.
      line_ += " ID:";
      idStart_ = line_.size();
    } else {
      skipDepth_ = 1;
    }
  }

  void finishLine() {
    // Runs of spaces (the board puts them around every line break) shrink to one.
    std::string collapsed;
    for (char c : line_) {
      if (c != ' ' || collapsed.empty() || collapsed.back() != ' ') collapsed += c;
    }
    std::string_view text = collapsed;
    for (;;) {
      const size_t before = text.size();
      while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      if (text.size() >= 3 && text.substr(text.size() - 3) == kInnerBreak.substr(1, 3)) {
        text.remove_suffix(3);
      }
      if (text.size() >= 3 && text.substr(0, 3) == kInnerBreak.substr(1, 3)) text.remove_prefix(3);
      if (text.size() == before) break;
    }
    if (!text.empty()) lines_.emplace_back(text);
    line_.clear();
    inNgLink_ = false;
    idStart_ = std::string::npos;
  }

  std::string_view page_;
  size_t close_ = 0;  // the first ">" at or after the last "<" looked at (npos: none)
  bool closeKnown_ = false;
  std::vector<std::string> lines_;
  std::string line_;
  int skipDepth_ = 0;  // > 0 inside a reply pop-up
  bool inNgLink_ = false;
  size_t idStart_ = std::string::npos;
};

}  // namespace

std::vector<std::string> pageTextLines(std::string_view page) {
  return PageRenderer(page).run();
}

std::string statusText(std::string_view status) {
  std::string out;
  size_t runStart = 0;
  for (size_t at = 0; at <= status.size(); ++at) {
    const bool control =
        at < status.size() && (static_cast<unsigned char>(status[at]) < 0x20 || status[at] == 0x7F);
    if (at < status.size() && !control) continue;
    out += platform::cp932ToUtf8(status.substr(runStart, at - runStart));
    if (control) out += status[at] == '\t' ? std::string_view(" ") : kReplacement;
    runStart = at + 1;
  }
  return out;
}

}  // namespace vexa
