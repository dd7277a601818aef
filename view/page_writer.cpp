#include "view/page_writer.h"

#include <cmath>

namespace vexa {
namespace {

constexpr std::string_view kHead =
    "<html><head><style type=\"text/css\">\r\n"
    "body{color:#000;background-color:#EEE;}\r\n"
    "a{color:#00F;}\r\n"
    "a:hover{position:relative;text-decoration:none;}\r\n"
    ".popup{display:none;position:absolute;top:0em;left:0em;font-size:9pt;}\r\n";
constexpr std::string_view kHoverRule =
    "a:hover .popup{display:block;padding:1px;color:#000;background-color:#EEE;"
    "border:#000 solid 1px;}\r\n";
constexpr std::string_view kBodyStart = "</style></head><body>\r\n";
constexpr std::string_view kPageEnd = "</body></html>\r\n";

// Posts per second times 10000, truncated, as the list shows it; the low 32 bits are written.
uint32_t speedFigure(double speed) {
  double scaled = std::trunc(speed * 10000.0);
  // Out of the 64-bit range (only from a broken clock or count) the figure saturates.
  if (!(scaled < 9223372036854775807.0)) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(scaled)));
}

bool needsLinkEncoding(unsigned char byte) {
  return byte <= 0x20 || byte == 0x7F || byte == '"' || byte == '%' || byte == '&' || byte == '<' ||
         byte == '>';
}

}  // namespace

void appendLinkText(BufferWriter& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  size_t runStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (!needsLinkEncoding(byte)) continue;
    out.append(text.substr(runStart, i - runStart));
    char escaped[3] = {'%', kHex[byte >> 4], kHex[byte & 15]};
    out.append(std::string_view(escaped, 3));
    runStart = i + 1;
  }
  out.append(text.substr(runStart));
}

void appendSafeText(BufferWriter& out, std::string_view text) {
  size_t runStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '<') continue;
    out.append(text.substr(runStart, i - runStart));
    out.append("&lt;");
    runStart = i + 1;
  }
  out.append(text.substr(runStart));
}

void PageWriter::openPage() {
  out_.restart();
}

bool PageWriter::closePage() {
  if (out_.failed()) {
    out_.restart();
    return true;
  }
  sink_.showPage(page_);
  return false;
}

void PageWriter::writeHead(bool withHoverRule) {
  out_.append(kHead);
  if (withHoverRule) out_.append(kHoverRule);
  out_.append(kBodyStart);
}

void PageWriter::writeEnd() {
  out_.append(kPageEnd);
}

void PageWriter::write(std::string_view text) {
  out_.append(text);
}

void PageWriter::writeThreadLine(const ThreadRecord& record) {
  out_.append("<a href=\"thread:");
  appendLinkText(out_, record.key.text());
  out_.append("\">");
  appendSafeText(out_, record.title.text());
  out_.append(" (");
  out_.appendDecimal(record.postCount);
  if (record.speed > 0) {
    out_.appendChar('/');
    out_.appendDecimal(speedFigure(record.speed));
  }
  out_.append(")</a><br>");
}

void PageWriter::writePostLine(const PostRecord& record) {
  if (!record.visible) return;
  std::string_view id = record.id.text();
  out_.append("[<a href=\"ngid:");
  appendLinkText(out_, id);
  out_.append("\">");
  out_.appendDecimal(record.number);
  out_.append("<span class=\"popup\">");
  appendSafeText(out_, id);
  out_.append("</span></a>]");
  out_.append(record.body.text());
  out_.append("<br>\r\n");
}

}  // namespace vexa
