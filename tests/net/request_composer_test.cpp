#include "net/request_composer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vexa {
namespace {

class FixedProfile : public RequestProfile {
 public:
  const char* httpVersion() override { return "1.1"; }
  const char* acceptValue() override { return accept; }
  const char* acceptLanguageValue() override { return language; }
  const char* acceptCharsetValue() override { return charset; }
  const char* userAgentValue() override { return agent; }
  void notify(TransferContext&, int32_t) override {}

  const char* accept = "text/*";
  const char* language = "ja,en-us;q=0.7,en;q=0.3";
  const char* charset = "Shift_JIS,utf-8;q=0.7,*;q=0.7";
  const char* agent = "Monazilla/1.00 (vexa/0.1.0)";
};

// A jar over a fixed list of (name, value) pairs, reported with the given lengths.
class ListJar : public CookieJar {
 public:
  explicit ListJar(std::vector<std::pair<std::string, std::string>> entries)
      : entries_(std::move(entries)) {}
  bool nextCookie(const char** name, uint32_t* nameLength, const char** value,
                  uint32_t* valueLength, uint32_t index) override {
    position_ = index == 0 ? 0 : position_ + 1;
    if (position_ >= entries_.size()) return false;
    *name = entries_[position_].first.data();
    *nameLength = static_cast<uint32_t>(entries_[position_].first.size());
    *value = entries_[position_].second.data();
    *valueLength = static_cast<uint32_t>(entries_[position_].second.size());
    return true;
  }
  void setCookie(const char*, const char*, const char*) override {}

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
  size_t position_ = 0;
};

std::string compose(RequestProfile& profile, CookieJar* jar, const RequestText& request) {
  StreamBuffer out;
  out.openForWriting("send");
  EXPECT_FALSE(composeRequest(out, profile, jar, request));
  return std::string(out.data(), out.size());
}

const char* const kFixedHeaders =
    "Accept: text/*\r\n"
    "Accept-Language: ja,en-us;q=0.7,en;q=0.3\r\n"
    "Accept-Charset: Shift_JIS,utf-8;q=0.7,*;q=0.7\r\n"
    "User-Agent: Monazilla/1.00 (vexa/0.1.0)\r\n";

TEST(RequestComposer, WritesTheCookieLineInJarOrderUpToTheFirstEmptyEntry) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> cookies;
    std::string line;  // the Cookie line, or empty for none
  };
  const std::vector<Case> cases = {
      {"no cookies", {}, ""},
      {"one", {{"a", "1"}}, "Cookie: a=1;\r\n"},
      {"two", {{"a", "1"}, {"b", "2"}}, "Cookie: a=1; b=2;\r\n"},
      {"first value empty", {{"a", ""}, {"b", "2"}}, ""},
      {"third value empty",
       {{"a", "1"}, {"b", "2"}, {"c", ""}, {"d", "4"}},
       "Cookie: a=1; b=2;\r\n"},
      {"empty name stops", {{"a", "1"}, {"", "2"}, {"c", "3"}}, "Cookie: a=1;\r\n"},
      {"embedded nul cuts", {{std::string("n\0m", 3), std::string("v\0w", 3)}}, "Cookie: n=v;\r\n"},
      {"nul first makes it empty", {{"a", std::string("\0w", 2)}}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FixedProfile profile;
    ListJar jar(c.cookies);
    RequestText request;
    request.host = "example.com";
    request.path = "/dir/file.txt";
    std::string expected = std::string("GET /dir/file.txt HTTP/1.1\r\nHost: example.com\r\n") +
                           kFixedHeaders + c.line + "Connection: close\r\n\r\n";
    EXPECT_EQ(compose(profile, &jar, request), expected);
  }
}

TEST(RequestComposer, PostOnlyWithTypeBodyAndLength) {
  struct Case {
    const char* name;
    const char* contentType;
    const char* body;
    uint32_t bodyLength;
    bool post;
  };
  const std::vector<Case> cases = {
      {"all three", "application/x-www-form-urlencoded", "a=1&b=2", 7, true},
      {"no type", nullptr, "a=1&b=2", 7, false},
      {"no body", "text/plain", nullptr, 7, false},
      {"zero length", "text/plain", "a=1", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FixedProfile profile;
    RequestText request;
    request.host = "h";
    request.path = "/p";
    request.contentType = c.contentType;
    request.body = c.body;
    request.bodyLength = c.bodyLength;
    std::string expected = c.post ? std::string("POST /p HTTP/1.1\r\nHost: h\r\n") + kFixedHeaders +
                                        "Content-Type: " + c.contentType +
                                        "\r\nContent-Length: 7\r\nConnection: close\r\n\r\na=1&b=2"
                                  : std::string("GET /p HTTP/1.1\r\nHost: h\r\n") + kFixedHeaders +
                                        "Connection: close\r\n\r\n";
    EXPECT_EQ(compose(profile, nullptr, request), expected);
  }
}

TEST(RequestComposer, OmitsNullValuesAndCopiesTheRestAsGiven) {
  FixedProfile profile;
  profile.accept = nullptr;
  profile.language = nullptr;
  profile.charset = nullptr;
  profile.agent = nullptr;
  ListJar jar(std::vector<std::pair<std::string, std::string>>{{"k", "v"}});
  RequestText request;
  request.host = "127.0.0.1:8080";  // the port stays in Host as given
  request.path = "/a b?c=%41";      // not encoded or checked
  request.referer = "http://r/";
  EXPECT_EQ(compose(profile, &jar, request),
            "GET /a b?c=%41 HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nReferer: http://r/\r\n"
            "Cookie: k=v;\r\nConnection: close\r\n\r\n");
}

TEST(RequestComposer, PostBodyIsSentUnchangedWithItsDecimalLength) {
  FixedProfile profile;
  profile.accept = profile.language = profile.charset = profile.agent = nullptr;
  std::string body(1234, '\0');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i);
  RequestText request;
  request.host = "h";
  request.path = "/";
  request.contentType = "application/octet-stream";
  request.body = body.data();
  request.bodyLength = static_cast<uint32_t>(body.size());
  EXPECT_EQ(compose(profile, nullptr, request),
            "POST / HTTP/1.1\r\nHost: h\r\nContent-Type: application/octet-stream\r\n"
            "Content-Length: 1234\r\nConnection: close\r\n\r\n" +
                body);
}

}  // namespace
}  // namespace vexa
