#include "board/write_form.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "board/tag_scanner.h"

namespace vexa {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

Fields fieldsOf(const WriteForm& form) {
  Fields fields;
  for (uint32_t i = 0; i < form.fieldCount(); ++i) {
    fields.emplace_back(form.field(i).name.text(), form.field(i).value.text());
  }
  return fields;
}

struct FormCase {
  const char* name;
  std::string page;
  bool failed;
  std::string action;
  Fields fields;
};

TEST(WriteFormTest, ParsesActionSubmitAndHiddenFields) {
  const std::vector<FormCase> cases = {
      {"typical form",
       "<form method=POST>no</form><form method=post action=\"../test/bbs.cgi\">"
       "<input type=submit value=\"Write\" name=\"submit\">"
       "<input type=hidden name=bbs value=live><input type=hidden name=key value=123>"
       "<textarea name=MESSAGE></textarea></form>",
       false,
       "/test/bbs.cgi",
       {{"bbs", "live"}, {"key", "123"}, {"submit", "%57%72%69%74%65"}}},
      {"hidden input after </form> not taken",
       "<form method=post action=./x.cgi><input type=submit name=s value=v></form>"
       "<input type=hidden name=late value=1>",
       false,
       "/x.cgi",
       {{"s", "v"}}},
      {"names differing in case make one field",
       "<form method=post action=a><input type=submit name=s value=v>"
       "<input type=hidden name=Time value=1><input type=hidden name=TIME value=2></form>",
       false,
       "a",
       {{"s", "v"}, {"Time", "2"}}},
      {"message field is percent-encoded, case ignored",
       "<form method=post action=a><input type=submit name=s value=v>"
       "<input type=hidden name=Message value=a+b></form>",
       false,
       "a",
       {{"Message", "%61%2B%62"}, {"s", "v"}}},
      {"input lacking a value is skipped",
       "<form method=post action=a><input type=submit name=s value=v>"
       "<input type=hidden name=x><input type=hidden name=y value=2></form>",
       false,
       "a",
       {{"s", "v"}, {"y", "2"}}},
      {"value of another tag does not count",
       "<form method=post action=a><input type=submit name=s value=v>"
       "<input type=hidden name=x></form><input value=far>",
       false,
       "a",
       {{"s", "v"}}},
      {"blank submit name creates no field",
       "<form method=post action=a><input type=submit name=\"  \" value=v></form>",
       false,
       "a",
       {}},
      {"spaces before values are skipped",
       "<form method=post action=  b.cgi><input type=submit name= s value= \" v \"></form>",
       false,
       "b.cgi",
       {{"s", "v"}}},
      {"empty action value at the tag end",
       "<form method=post action=><input type=submit name=s value=v></form>",
       false,
       "",
       {{"s", "v"}}},
      {"capital method not recognised",
       "<form method=POST action=a><input type=submit name=s value=v></form>",
       true,
       "",
       {}},
      {"no form", "<html>nothing</html>", true, "", {}},
      {"no action in the form tag",
       "<form method=post><input type=submit name=s value=v action=x></form>",
       true,
       "",
       {}},
      {"no submit input",
       "<form method=post action=a><input type=hidden name=k value=1></form>",
       true,
       "a",
       {}},
      {"submit without name",
       "<form method=post action=a><input type=submit value=v></form>",
       true,
       "a",
       {}},
      {"unterminated quote runs to the end",
       "<form method=post action=\"abc><input type=submit name=s value=v>",
       false,
       "abc><input type=submit name=s value=v>",
       {{"s", "v"}}},
      {"page cut inside the form tag", "<form method=post action=x", true, "x", {}},
  };
  for (const auto& c : cases) {
    WriteForm form;
    EXPECT_EQ(parseWriteForm(c.page, 0, form), c.failed) << c.name;
    if (c.failed) continue;
    EXPECT_STREQ(form.action().text(), c.action.c_str()) << c.name;
    EXPECT_EQ(fieldsOf(form), c.fields) << c.name;
  }
}

TEST(WriteFormTest, StartsAtTheGivenPosition) {
  const std::string page =
      "<form method=post action=first><input type=submit name=a value=1></form>"
      "MARK<form method=post action=second><input type=submit name=b value=2></form>";
  WriteForm form;
  ASSERT_FALSE(parseWriteForm(page, page.find("MARK"), form));
  EXPECT_STREQ(form.action().text(), "second");
  EXPECT_EQ(fieldsOf(form), (Fields{{"b", "2"}}));
}

TEST(WriteFormTest, PercentEncodesEveryByte) {
  // Two Shift_JIS characters ("書き") become twelve bytes.
  TextBuffer out;
  percentEncode("\x8F\x91\x82\xAB", out);
  EXPECT_STREQ(out.text(), "%8F%91%82%AB");
  percentEncode("aZ09 ~", out);
  EXPECT_STREQ(out.text(), "%61%5A%30%39%20%7E");
  percentEncode("", out);
  EXPECT_STREQ(out.text(), "");
}

TEST(WriteFormTest, KeepsNamesInTextOrderIgnoringCase) {
  WriteForm form;
  for (const char* name : {"b", "A", "_x", "9", "!", "{", ":", "\xA0", "Z", "a"}) {
    ASSERT_NE(form.findOrCreate(name), nullptr) << name;
  }
  std::vector<std::string> names;
  for (uint32_t i = 0; i < form.fieldCount(); ++i) names.push_back(form.field(i).name.text());
  EXPECT_EQ(names, (std::vector<std::string>{"!", ":", "_x", "{", "9", "A", "b", "Z", "\xA0"}));
  EXPECT_EQ(form.findOrCreate(" \t\r\n"), nullptr);
  EXPECT_EQ(form.findOrCreate(" b "), form.find("B"));
}

struct AttributeCase {
  const char* name;
  std::string page;
  std::string attribute;
  bool found;
  std::string value;
};

TEST(TagScannerTest, ReadsAttributesWithinTheTag) {
  const std::vector<AttributeCase> cases = {
      {"unquoted", "<input name=abc value=1>", "name=", true, "abc"},
      {"quoted with spaces", "<input name=\" a b \">", "name=", true, "a b"},
      {"value ends at >", "<input name=abc>rest", "name=", true, "abc"},
      {"value trimmed of tab", "<input name=\"x\t\">", "name=", true, "x"},
      {"value begins at the tag end", "<input name=>", "name=", true, ""},
      {"name only after the tag", "<input value=1><b name=x>", "name=", false, ""},
      {"name missing", "<input value=1>", "name=", false, ""},
      {"tag without end", "<input name=x", "name=", true, "x"},
  };
  for (const auto& c : cases) {
    TagSpan tag;
    ASSERT_TRUE(findTag(c.page, 0, "<input", tag)) << c.name;
    std::string_view value;
    EXPECT_EQ(readAttribute(c.page, tag, c.attribute, value), c.found) << c.name;
    EXPECT_EQ(value, c.value) << c.name;
  }
  TagSpan tag;
  EXPECT_FALSE(findTag("<input>", 8, "<input", tag));
  EXPECT_FALSE(findTag("<INPUT>", 0, "<input", tag));
}

}  // namespace
}  // namespace vexa
