#include "board/write_form.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vexa {

TEST(WriteFormTest, ReadsActionSubmitAndHiddenFieldsWithExactSearches) {
  // The form is searched from "MARK" on, or from the start without one. Expected: the action,
  // then each field as name=value in name order (case ignored), or "failed".
  const std::string form = "<form method=post action=a><input type=submit name=s value=v>";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<form method=post action=x><input type=submit name=n value=1></form>MARK"
       "<form method=POST>no</form><form method=post action=\"../test/bbs.cgi\">"
       "<input type=submit value=\"Write\" name=\"submit\"><input type=hidden name=key value=123>"
       "<input type=hidden name=bbs value=live><textarea name=MESSAGE></textarea></form>"
       "<input type=hidden name=late value=1>",
       "/test/bbs.cgi bbs=live key=123 submit=%57%72%69%74%65"},
      {form + "<input type=hidden name=Time value=1><input type=hidden name=TIME value=2></form>",
       "a s=v Time=2"},
      {form + "<input type=hidden name=Message value=\"a+\x8F\x91\"></form>",
       "a Message=%61%2B%8F%91 s=v"},
      // An input without a value is skipped; the value of a later tag does not count.
      {form + "<input type=hidden name=x><input type=hidden name=y value=2></form><b value=3>",
       "a s=v y=2"},
      {"<form method=post action=  b.cgi><input type=submit name= s value= \" v\t\"></form>",
       "b.cgi s=v"},
      {"<form method=post action=><input type=submit name=\"  \" value=v></form>", ""},
      {"<form method=post action=\"abc><input type=submit name=s value=v>",
       "abc><input type=submit name=s value=v> s=v"},
      {"<form method=POST action=a><input type=submit name=s value=v></form>", "failed"},
      {"<form method=post><input type=submit name=s value=v action=x></form>", "failed"},
      {"<form method=post action=a><input type=hidden name=k value=1></form>", "failed"},
      {"<form method=post action=a><input type=submit value=v></form>", "failed"},
      {"<form method=post action=x", "failed"},
      // A quoted value that runs past the tag's ">" is read once: an input inside it is text.
      {form + "<input type=hidden name=a value=\"x><input type=hidden name=b value=c>\">"
              "<input type=hidden name=d value=e></form>",
       "a a=x><input type=hidden name=b value=c> d=e s=v"},
      // A name or value outside its own tag does not count, even when a later tag has one.
      {form + "<input type=hidden value=1><input type=hidden name=n><b name=x value=y></form>",
       "a s=v"},
  };
  for (const auto& [page, expected] : cases) {
    WriteForm parsed;
    const size_t mark = page.find("MARK");
    std::string result = "failed";
    if (!parseWriteForm(page, mark == std::string::npos ? 0 : mark, parsed)) {
      result = parsed.action().text();
      for (uint32_t i = 0; i < parsed.fieldCount(); ++i) {
        result +=
            std::string(" ") + parsed.field(i).name.text() + "=" + parsed.field(i).value.text();
      }
    }
    EXPECT_EQ(result, expected) << page;
  }
  WriteForm parsed;
  EXPECT_TRUE(parseWriteForm(form + "</form>", form.size() + 8, parsed));  // a start past the end
}

TEST(WriteFormTest, AHostileFormKeepsItsFirstFieldsAndStopsGrowing) {
  // Hidden inputs with distinct names, in falling order so each would go to the front: the
  // submit input and the first names up to the cap are kept, later names are not.
  std::string page = "<form method=post action=a><input type=submit name=submit value=v>";
  for (int i = 999; i >= 0; --i) {
    page += "<input type=hidden name=n" + std::to_string(i) + " value=" + std::to_string(i) + ">";
  }
  page += "<input type=hidden name=n999 value=again></form>";
  WriteForm form;
  ASSERT_FALSE(parseWriteForm(page, 0, form));
  ASSERT_EQ(form.fieldCount(), WriteForm::kMaxFields);
  EXPECT_STREQ(form.find("n999")->value.text(), "again");  // a kept name still takes new values
  EXPECT_STREQ(form.find("n745")->value.text(), "745");
  EXPECT_EQ(form.find("n744"), nullptr);
  EXPECT_NE(form.find("submit"), nullptr);
}

}  // namespace vexa
