#include "net/cookie_handler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/cookie_store.h"

namespace vexa {
namespace {

// Records every call the handler makes.
class RecordingJar : public CookieJar {
 public:
  bool nextCookie(const char**, uint32_t*, const char**, uint32_t*, uint32_t) override {
    return false;
  }
  void setCookie(const char* name, const char* value, const char* attribute) override {
    calls.push_back(std::string(name) + "|" + (value ? value : "<null>") + "|" +
                    (attribute ? attribute : "<null>"));
  }
  std::vector<std::string> calls;
};

TEST(CookieHandler, SplitsFieldsIntoPairsAndAttributes) {
  struct Case {
    const char* name;
    const char* field;
    const char* value;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {"pair with attributes",
       "Set-Cookie",
       "A=1; path=/; expires=Thu, 01-Jan-1970 00:00:00 GMT",
       {"A|1|<null>", "A|/|path", "A|Thu, 01-Jan-1970 00:00:00 GMT|expires"}},
      {"value keeps later equals signs", "Set-Cookie", "x=a=b", {"x|a=b|<null>"}},
      {"bare name", "Set-Cookie", "flag", {"flag|<null>|<null>"}},
      {"empty name still reaches the jar", "Set-Cookie", "=v", {"|v|<null>"}},
      {"blanks trimmed around parts and halves",
       "set-cookie",
       " \t a = 1 \r\n;  secure ",
       {"a|1|<null>", "a||secure"}},
      {"empty parts skipped", "SET-COOKIE", ";; ;a=1;;", {"a|1|<null>"}},
      {"request cookie field too", "Cookie", "s=2", {"s|2|<null>"}},
      {"other fields ignored", "Set-Cookie2", "a=1", {}},
      {"prefix is not the name", "Set-Cooki", "a=1", {}},
      {"empty value", "Set-Cookie", "", {}},
      {"empty value after equals", "Set-Cookie", "a=", {"a||<null>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingJar jar;
    handleCookieField(c.field, c.value, jar);
    EXPECT_EQ(jar.calls, c.calls);
  }
}

class StoreJar : public CookieJar {
 public:
  bool nextCookie(const char**, uint32_t*, const char**, uint32_t*, uint32_t) override {
    return false;
  }
  void setCookie(const char* name, const char* value, const char* attribute) override {
    if (attribute == nullptr) store.set(name, value);
  }
  CookieStore store;
};

std::string contents(const CookieStore& store) {
  std::string out;
  for (const CookieEntry* entry = store.first(); entry; entry = store.after(entry)) {
    out += std::string(entry->name.text()) + "=" + entry->value.text() + ";";
  }
  return out;
}

TEST(CookieHandler, FeedsTheStore) {
  StoreJar jar;
  handleCookieField("Set-Cookie", "A=1; path=/; expires=Thu, 01-Jan-1970 00:00:00 GMT", jar);
  EXPECT_EQ(contents(jar.store), "A=1;");
  handleCookieField("Set-Cookie", "a=2", jar);
  EXPECT_EQ(contents(jar.store), "A=2;") << "letter case does not make a new cookie";
  handleCookieField("Set-Cookie", "=v", jar);
  EXPECT_EQ(contents(jar.store), "A=2;");
  handleCookieField("Set-Cookie", "A", jar);
  EXPECT_EQ(contents(jar.store), "A=;") << "a bare name empties the value";
  handleCookieField("Set-Cookie", "x=a=b", jar);
  EXPECT_EQ(contents(jar.store), "A=;x=a=b;");
}

}  // namespace
}  // namespace vexa
