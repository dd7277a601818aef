#include "net/cookie_handler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

// Records every call the handler makes.
class RecordingJar : public CookieJar {
 public:
  bool nextCookie(const char**, uint32_t*, const char**, uint32_t*, uint32_t) override {
    return false;
  }
  void setCookie(const char* name, const char* value, const char* attribute) override {
    calls.push_back(std::string(name) + "|" + (value ? value : "-") + "|" +
                    (attribute ? attribute : "-"));
  }
  std::vector<std::string> calls;
};

TEST(CookieHandler, SplitsFieldsIntoPairsAndAttributes) {
  struct Case {
    const char* field;
    const char* value;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {"Set-Cookie", "A=1; path=/; max-age=0", {"A|1|-", "A|/|path", "A|0|max-age"}},
      {"Set-Cookie", "x=a=b", {"x|a=b|-"}},
      {"Set-Cookie", "flag", {"flag|-|-"}},
      {"Set-Cookie", "=v", {"|v|-"}},
      {"set-cookie", " \t a = 1 \r\n;  secure ", {"a|1|-", "a||secure"}},
      {"SET-COOKIE", ";; ;a=1;;", {"a|1|-"}},
      {"Cookie", "s=2", {"s|2|-"}},
      {"Set-Cookie2", "a=1", {}},
      {"Set-Cooki", "a=1", {}},
      {"Set-Cookie", "", {}},
      {"Set-Cookie", "a=", {"a||-"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + ": " + c.value);
    RecordingJar jar;
    handleCookieField(c.field, c.value, jar);
    EXPECT_EQ(jar.calls, c.calls);
  }
}

}  // namespace
}  // namespace vexa
