// Feeds arbitrary header fields to the cookie handler over a real cookie store, then checks the
// store: names trimmed and never empty, strictly ordered (so one entry per name, letter case
// ignored), and a request composed from it that keeps its own lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/cookie_handler.h"
#include "net/cookie_store.h"
#include "net/request_composer.h"

namespace {

class StoreJar : public vexa::CookieJar {
 public:
  bool nextCookie(const char** name, uint32_t* nameLength, const char** value,
                  uint32_t* valueLength, uint32_t index) override {
    walk = index == 0 ? store.first() : store.after(walk);
    if (walk == nullptr) return false;
    *name = walk->name.text();
    *nameLength = walk->name.length();
    *value = walk->value.text();
    *valueLength = walk->value.length();
    return true;
  }
  void setCookie(const char* name, const char* value, const char* attribute) override {
    if (attribute == nullptr) store.set(name, value);
  }
  vexa::CookieStore store;
  const vexa::CookieEntry* walk = nullptr;
};

class Profile : public vexa::RequestProfile {
 public:
  const char* httpVersion() override { return "1.1"; }
  const char* acceptValue() override { return nullptr; }
  const char* acceptLanguageValue() override { return nullptr; }
  const char* acceptCharsetValue() override { return nullptr; }
  const char* userAgentValue() override { return nullptr; }
  void notify(vexa::TransferContext&, int32_t) override {}
};

bool blank(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  StoreJar jar;
  static const char* const kNames[] = {"Set-Cookie", "set-cookie", "Cookie", "COOKIE", "X-Other"};
  while (provider.remaining_bytes() > 0) {
    const char* name = kNames[provider.ConsumeIntegralInRange<size_t>(0, 4)];
    std::string value = provider.ConsumeRandomLengthString(2048);
    // A field value comes from one header line: it holds no line end.
    for (char& byte : value) {
      if (byte == '\r' || byte == '\n') byte = ' ';
    }
    vexa::handleCookieField(name, value.c_str(), jar);
  }

  const vexa::CookieEntry* previous = nullptr;
  for (const vexa::CookieEntry* entry = jar.store.first(); entry; entry = jar.store.after(entry)) {
    const char* text = entry->name.text();
    uint32_t length = entry->name.length();
    if (length == 0 || blank(text[0]) || blank(text[length - 1])) std::abort();
    if (std::strchr(text, ';') != nullptr) std::abort();
    if (previous != nullptr &&
        vexa::compareNames(previous->name.text(), previous->name.length(), text, length) >= 0) {
      std::abort();
    }
    previous = entry;
  }

  vexa::StreamBuffer out;
  out.openForWriting("send");
  Profile profile;
  vexa::RequestText request;
  request.host = "h";
  request.path = "/";
  vexa::composeRequest(out, profile, &jar, request);
  // The request keeps its own lines: request line, Host, maybe Cookie, Connection, the end.
  std::string text(out.data(), out.size());
  size_t lineEnds = 0;
  size_t bareEnds = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
      ++lineEnds;
      ++at;
    } else if (text[at] == '\r' || text[at] == '\n') {
      ++bareEnds;
    }
  }
  bool cookieLine = text.find("\r\nCookie: ") != std::string::npos;
  if (bareEnds != 0 || lineEnds != (cookieLine ? 5u : 4u)) std::abort();
  return 0;
}
