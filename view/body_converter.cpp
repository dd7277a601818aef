#include "view/body_converter.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "base/text_functions.h"
#include "platform/sjis_char.h"
#include "view/buffer_writer.h"
#include "view/display_markup.h"
#include "view/page_writer.h"

namespace vexa {
namespace {

constexpr std::string_view kBreak = "<br>";
constexpr std::string_view kAnchorStart = "<a href=\"../test/read.cgi/";
constexpr std::string_view kAnchorEnd = "</a>";
constexpr std::string_view kNbsp = "&nbsp;";
// Display elements (bold, italic, colour) open at once; deeper ones stay text.
constexpr size_t kMaxOpenTags = 8;

std::string_view closingTag(DisplayElement element) {
  switch (element) {
    case DisplayElement::Bold:
      return "</b>";
    case DisplayElement::Italic:
      return "</i>";
    default:
      return "</font>";
  }
}

// The referenced body bytes one post may pull into its pop-ups. An ordinary post quotes a few
// posts of a few hundred bytes; this keeps a whole thread of hostile posts under 100 MB.
constexpr size_t kMaxPopupSource = 64 * 1024;

bool isAddressChar(unsigned char byte) {
  if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
      (byte >= '0' && byte <= '9')) {
    return true;
  }
  switch (byte) {
    case '.':
    case ',':
    case ':':
    case ';':
    case '+':
    case '-':
    case '=':
    case '&':
    case '?':
    case '%':
    case '/':
    case '~':
    case '_':
      return true;
    default:
      return false;
  }
}

bool isDigit(char byte) {
  return byte >= '0' && byte <= '9';
}

size_t addressRun(std::string_view text, size_t from) {
  size_t end = from;
  while (end < text.size() && isAddressChar(static_cast<unsigned char>(text[end]))) ++end;
  return end - from;
}

// The length of a line break ("<br>", or "<br />" as boards of today write it) at `position`.
size_t breakLength(std::string_view body, size_t position) {
  if (startsWithAt(body, position, kBreak)) return kBreak.size();
  if (startsWithAt(body, position, "<br />")) return 6;
  return 0;
}

// After a "<br>": swallows every run of blanks that is followed by another "<br>".
size_t skipBreaks(std::string_view body, size_t position, std::string_view wideSpace) {
  for (;;) {
    size_t probe = position;
    for (;;) {
      if (probe < body.size() && body[probe] == ' ') {
        ++probe;
      } else if (startsWithAt(body, probe, wideSpace)) {
        probe += wideSpace.size();
      } else if (startsWithAt(body, probe, kNbsp)) {
        probe += kNbsp.size();
      } else {
        break;
      }
    }
    const size_t length = breakLength(body, probe);
    if (length == 0) return position;
    position = probe + length;
  }
}

// The leading digits of text, saturating well above any post number.
uint32_t leadingNumber(std::string_view text) {
  uint32_t value = 0;
  for (char byte : text) {
    if (!isDigit(byte)) break;
    value = value * 10 + static_cast<uint32_t>(byte - '0');
    if (value > 100000000u) return 100000000u;
  }
  return value;
}

// Removes every section from `open` through the next `close` (or to the end), in place.
void removeSections(std::string& text, std::string_view open, std::string_view close) {
  size_t write = 0;
  size_t read = 0;
  for (;;) {
    size_t start = text.find(open, read);
    if (start == std::string::npos) break;
    std::memmove(text.data() + write, text.data() + read, start - read);
    write += start - read;
    size_t end = text.find(close, start + open.size());
    read = end == std::string::npos ? text.size() : end + close.size();
  }
  std::memmove(text.data() + write, text.data() + read, text.size() - read);
  text.resize(write + text.size() - read);
}

// A cheap look at the first two bytes, so most positions skip the address rules.
bool mayStartAddress(std::string_view text, size_t position) {
  char byte = text[position];
  if (isDigit(byte)) return true;
  if (byte != 'h' && byte != 't' && byte != 'm') return false;
  if (position + 1 >= text.size()) return false;
  char next = text[position + 1];
  return next == (byte == 'm' ? 'm' : 't');
}

// A stream address found at the start of a text: `length` source bytes, of which `target` is
// what follows "mms://" (or "https://") in the link. length 0 means no address.
struct StreamAddress {
  uint32_t length = 0;
  std::string_view target;
  bool secure = false;  // written as an https address: linked as one, not as a stream
};

// Recognises "http://", "ttp://", "mms://", "https://" and "ttps://" followed by address
// characters, or a dotted quad of four digit groups with an optional tail of address characters.
StreamAddress recogniseAddress(std::string_view text) {
  if (text.empty()) return {};
  static const struct {
    std::string_view text;
    bool secure;
  } kSchemes[] = {
      {"http://", false}, {"ttp://", false}, {"mms://", false},
      {"https://", true}, {"ttps://", true},
  };
  for (const auto& scheme : kSchemes) {
    if (text[0] != scheme.text[0]) continue;
    if (!startsWithAt(text, 0, scheme.text)) continue;
    size_t run = addressRun(text, scheme.text.size());
    if (run == 0) return {};
    return {static_cast<uint32_t>(scheme.text.size() + run), text.substr(scheme.text.size(), run),
            scheme.secure};
  }
  size_t position = 0;
  for (int group = 0; group < 4; ++group) {
    size_t start = position;
    while (position < text.size() && isDigit(text[position])) ++position;
    if (position == start) return {};
    if (group < 3) {
      if (position >= text.size() || text[position] != '.') return {};
      ++position;
    }
  }
  size_t length = position + addressRun(text, position);
  return {static_cast<uint32_t>(length), text.substr(0, length)};
}

// The body of a referenced post as a pop-up shows it: every "<span"..."</span>" section, every
// "<a href=\"...>" tag and every "</a>" removed, so pop-ups go only one level deep.
void stripForPopup(std::string_view html, std::string& result) {
  result.assign(html);
  removeSections(result, "<span", "</span>");
  removeSections(result, "<a href=\"", ">");
  removeSections(result, kAnchorEnd, "");  // an empty close removes just the opening text
}

class BodyConverter {
 public:
  BodyConverter(PostRecord& record, std::string_view body, const PostList& posts)
      : record_(record),
        body_(body),
        posts_(posts),
        out_(record.body, static_cast<uint32_t>(body.size() < 0x7FFF0000u ? body.size() + 32 : 0)),
        wideSpace_("　"_sjis) {}

  bool run();

 private:
  size_t convertAnchor(size_t position);
  // Copies the display tag at `position` if the body may keep it there; its length, or 0.
  size_t keepDisplayTag(size_t position);
  void writeAddress(std::string_view source, const StreamAddress& address);

  PostRecord& record_;
  std::string_view body_;
  const PostList& posts_;
  BufferWriter out_;
  std::string_view wideSpace_;
  bool anchorOpen_ = false;
  size_t popupBudget_ = kMaxPopupSource;
  std::vector<DisplayElement> openTags_;  // display elements open in the output, innermost last
  size_t closeFrom_ = std::string_view::npos;  // where the last search for "</a>" began
  size_t closeFound_ = 0;                      // and what it found
  std::string popup_;
};

bool BodyConverter::run() {
  record_.hasStreamLink = false;
  size_t position = 0;
  size_t copyStart = 0;  // bytes copied unchanged are written in runs
  auto flush = [&](size_t upTo) { out_.append(body_.substr(copyStart, upTo - copyStart)); };
  while (position < body_.size()) {
    char byte = body_[position];
    if (byte == '<') {
      flush(position);
      if (const size_t length = breakLength(body_, position)) {
        position = skipBreaks(body_, position + length, wideSpace_);
        out_.append(kBreak);
      } else if (startsWithAt(body_, position, kAnchorStart)) {
        // A reply anchor the board left unclosed ends where the next one starts.
        if (anchorOpen_) out_.append(kAnchorEnd);
        position = convertAnchor(position + kAnchorStart.size());
      } else if (anchorOpen_ && startsWithAt(body_, position, kAnchorEnd)) {
        out_.append(kAnchorEnd);
        anchorOpen_ = false;
        position += kAnchorEnd.size();
      } else if (size_t length = anchorOpen_ ? 0 : keepDisplayTag(position)) {
        position += length;
      } else {
        out_.append("&lt;");
        ++position;
      }
      copyStart = position;
      continue;
    }
    if (!anchorOpen_ && mayStartAddress(body_, position)) {
      StreamAddress address = recogniseAddress(body_.substr(position));
      if (address.length != 0) {
        flush(position);
        writeAddress(body_.substr(position, address.length), address);
        position += address.length;
        copyStart = position;
        continue;
      }
      // A dotted quad tried from any later digit of this run would read the same run and fail
      // the same way, so the rest of the run is text: trying each digit would be quadratic.
      if (isDigit(byte)) {
        while (position < body_.size() && isDigit(body_[position])) ++position;
        continue;
      }
    }
    // A trail byte is never taken for the start of an address.
    position += sjisCharLength(body_, position);
  }
  flush(body_.size());
  if (anchorOpen_) out_.append(kAnchorEnd);
  // The body's markup ends with the body, so one post can never restyle the rest of the page.
  while (!openTags_.empty()) {
    out_.append(closingTag(openTags_.back()));
    openTags_.pop_back();
  }
  // Geometric growth can leave half the block unused, and a thread keeps a thousand bodies.
  TextBuffer& html = record_.body;
  const uint32_t length = out_.length();
  if (!out_.failed() && html.capacity() - length > 1024 && html.capacity() / 5 > length / 4) {
    html.reserve(length + 1, -1, true);
  }
  return out_.failed();
}

void BodyConverter::writeAddress(std::string_view source, const StreamAddress& address) {
  out_.append(address.secure ? "<a href=\"https://" : "<a href=\"mms://");
  out_.append(address.target);
  out_.append("\">");
  out_.append(source);
  out_.append(kAnchorEnd);
  record_.lastTarget.assign(address.target.data(), static_cast<uint32_t>(address.target.size()));
  record_.hasStreamLink = true;
}

size_t BodyConverter::keepDisplayTag(size_t position) {
  const DisplayTag tag = displayTagAt(body_.substr(position));
  if (tag.element == DisplayElement::None) return 0;
  if (tag.closing) {
    // Only the innermost open element may close: anything else would break the nesting.
    if (openTags_.empty() || openTags_.back() != tag.element) return 0;
    openTags_.pop_back();
  } else if (tag.element != DisplayElement::Rule) {
    if (openTags_.size() >= kMaxOpenTags) return 0;
    openTags_.push_back(tag.element);
  }
  out_.append(body_.substr(position, tag.length));
  return tag.length;
}

size_t BodyConverter::convertAnchor(size_t position) {
  // The target reads ../test/read.cgi/<board>/<key>/<number>"; a range like 12-15 uses 12. It is
  // looked for inside the opening tag only, so a body of many broken anchors is read once.
  const size_t tagEnd = body_.find('>', position);
  const std::string_view tag =
      body_.substr(0, tagEnd == std::string_view::npos ? body_.size() : tagEnd);
  std::string_view number;
  size_t afterBoard = tag.find('/', position);
  if (afterBoard != std::string_view::npos) {
    size_t afterKey = tag.find('/', afterBoard + 1);
    if (afterKey != std::string_view::npos) {
      size_t quote = tag.find('"', afterKey + 1);
      if (quote != std::string_view::npos) {
        number = tag.substr(afterKey + 1, quote - afterKey - 1);
      }
    }
  }
  position = tagEnd == std::string_view::npos ? body_.size() : tagEnd + 1;
  out_.append("<a href=\"#\">");
  anchorOpen_ = true;

  const char* referenced = nullptr;
  if (number.data() != nullptr && popupBudget_ > 0) {
    referenced = posts_.postBody(leadingNumber(number.substr(0, number.find('-'))));
  }
  // Anchors come in order, so a "</a>" found for an earlier one still serves while it lies ahead.
  if (closeFrom_ > position || (closeFound_ != std::string_view::npos && closeFound_ < position)) {
    closeFound_ = body_.find(kAnchorEnd, position);
    closeFrom_ = position;
  }
  const size_t close = closeFound_;
  if (referenced == nullptr || close == std::string_view::npos) return position;
  // Each pop-up costs the referenced body's length, read and (stripped) copied. Once one does not
  // fit in what is left, this anchor and every later one are dead links, as if the post were
  // missing: posts packed with anchors to a large post would otherwise take gigabytes.
  const std::string_view referencedHtml(referenced);
  if (referencedHtml.size() > popupBudget_) {
    popupBudget_ = 0;
    return position;
  }
  popupBudget_ -= referencedHtml.size();

  std::string_view text = body_.substr(position, close - position);
  record_.anchorText.assign(text.data(), static_cast<uint32_t>(text.size()));
  appendSafeText(out_, text);
  stripForPopup(referencedHtml, popup_);
  out_.append("<span class=\"popup\">");
  out_.append(popup_);
  out_.append("</span>");
  return close;
}

}  // namespace

bool convertBody(PostRecord& record, std::string_view body, const PostList& posts) {
  // The body is text: whatever follows a NUL could never be shown.
  body = body.substr(0, body.find('\0'));
  BodyConverter converter(record, body, posts);
  return converter.run();
}

}  // namespace vexa
