#include "net/request_composer.h"

#include <cstdio>
#include <cstring>

namespace vexa {

namespace {

class Writer {
 public:
  explicit Writer(StreamBuffer& out) : out_(out) {}

  Writer& bytes(const char* text, uint32_t length) {
    if (length > 0 && out_.append(text, length)) failed_ = true;
    return *this;
  }
  Writer& text(const char* text) {
    return bytes(text ? text : "", static_cast<uint32_t>(std::strlen(text ? text : "")));
  }
  Writer& field(const char* name, const char* value) {
    if (value == nullptr) return *this;
    return text(name).text(": ").text(value).text("\r\n");
  }
  bool failed() const { return failed_; }

 private:
  StreamBuffer& out_;
  bool failed_ = false;
};

// The jar reports lengths; an embedded NUL still ends the text.
uint32_t cutAtNul(const char* text, uint32_t length) {
  if (text == nullptr) return 0;
  const void* nul = std::memchr(text, '\0', length);
  return nul ? static_cast<uint32_t>(static_cast<const char*>(nul) - text) : length;
}

void writeCookieLine(Writer& writer, CookieJar& cookies) {
  bool any = false;
  for (uint32_t index = 0;; ++index) {
    const char* name = nullptr;
    const char* value = nullptr;
    uint32_t nameLength = 0;
    uint32_t valueLength = 0;
    if (!cookies.nextCookie(&name, &nameLength, &value, &valueLength, index)) break;
    nameLength = cutAtNul(name, nameLength);
    valueLength = cutAtNul(value, valueLength);
    if (nameLength == 0 || valueLength == 0) break;
    if (!any) writer.text("Cookie:");
    any = true;
    writer.text(" ").bytes(name, nameLength).text("=").bytes(value, valueLength).text(";");
  }
  if (any) writer.text("\r\n");
}

}  // namespace

bool composeRequest(StreamBuffer& out, RequestProfile& profile, CookieJar* cookies,
                    const RequestText& request) {
  bool post = request.contentType != nullptr && request.body != nullptr && request.bodyLength != 0;
  Writer writer(out);
  writer.text(post ? "POST" : "GET").text(" ").text(request.path).text(" HTTP/");
  writer.text(profile.httpVersion()).text("\r\n");
  writer.field("Host", request.host ? request.host : "");
  writer.field("Accept", profile.acceptValue());
  writer.field("Accept-Language", profile.acceptLanguageValue());
  writer.field("Accept-Charset", profile.acceptCharsetValue());
  writer.field("User-Agent", profile.userAgentValue());
  writer.field("Referer", request.referer);
  if (cookies != nullptr) writeCookieLine(writer, *cookies);
  if (post) {
    char length[16];
    std::snprintf(length, sizeof length, "%u", static_cast<unsigned>(request.bodyLength));
    writer.field("Content-Type", request.contentType);
    writer.field("Content-Length", length);
  }
  writer.field("Connection", "close");
  writer.text("\r\n");
  if (post) writer.bytes(request.body, request.bodyLength);
  return writer.failed();
}

}  // namespace vexa
