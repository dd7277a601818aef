#include "view/body_converter.h"

#include <gtest/gtest.h>

#include <string>

#include "view_test_support.h"

namespace vexa {
namespace {

using test::makePost;

// Posts 1..15 exist; 12 is "twelve", 3 is hidden, 5 carries pop-up and link markup of its own.
PostList samplePosts() {
  PostList posts;
  for (uint32_t n = 1; n <= 15; ++n) {
    std::string body = "post" + std::to_string(n);
    if (n == 1) body = "first<br>post";
    if (n == 12) body = "twelve";
    if (n == 5) {
      body =
          "x<a href=\"#\">&gt;&gt;1<span class=\"popup\">first<br>post</span></a> "
          "<a href=\"mms://a.b/c\">http://a.b/c</a>y";
    }
    posts.append(makePost(n, "id" + std::to_string(n), body, n != 3));
  }
  return posts;
}

#define ANCHOR(target) "<a href=\"../test/read.cgi/live/1234567890/" target "\" target=\"_blank\">"

struct BodyCase {
  const char* name;
  const char* input;
  const char* expected;
  bool streamLink;
};

class BodyConversionTest : public testing::TestWithParam<BodyCase> {};

TEST_P(BodyConversionTest, Converts) {
  const BodyCase& c = GetParam();
  PostList posts = samplePosts();
  auto record = makePostRecord(16);
  EXPECT_FALSE(convertBody(*record, c.input, posts));
  EXPECT_EQ(std::string(record->body.text()), c.expected);
  EXPECT_EQ(record->hasStreamLink, c.streamLink);
}

INSTANTIATE_TEST_SUITE_P(
    LineBreaks, BodyConversionTest,
    testing::Values(
        BodyCase{"BlanksBetweenBreaksCollapse", "a<br> <br>&nbsp;<br>b", "a<br>b", false},
        BodyCase{"BlankBeforeTextStays", "a<br> b", "a<br> b", false},
        BodyCase{"BoardSpacingKept", "a <br> <br> b", "a <br> b", false},
        BodyCase{"WideSpaceIsABlank", "a<br>\x81\x40<br>b", "a<br>b", false},
        BodyCase{"MixedBlanks", "a<br>\x81\x40 &nbsp; <br><br>b", "a<br>b", false},
        BodyCase{"NbspBeforeTextStays", "a<br>&nbsp;b", "a<br>&nbsp;b", false},
        BodyCase{"TrailingBreaks", "a<br><br>", "a<br>", false},
        BodyCase{"OnlyBreak", "<br>", "<br>", false},
        BodyCase{"CutBreakIsText", "a<br", "a&lt;br", false}, BodyCase{"Empty", "", "", false},
        BodyCase{"EntitiesUntouched", "&gt;&lt;&amp;&quot;", "&gt;&lt;&amp;&quot;", false}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Addresses, BodyConversionTest,
    testing::Values(
        BodyCase{"Http", "see http://example.com/live end",
                 "see <a href=\"mms://example.com/live\">http://example.com/live</a> end", true},
        BodyCase{"TtpKeepsVisibleText", "ttp://example/x",
                 "<a href=\"mms://example/x\">ttp://example/x</a>", true},
        BodyCase{"Mms", "mms://media.example.jp/s",
                 "<a href=\"mms://media.example.jp/s\">mms://media.example.jp/s</a>", true},
        BodyCase{"EveryAddressCharacter", "http://a.b,c:d;e+f-g=h&amp;i?j%k/l~m_n",
                 "<a href=\"mms://a.b,c:d;e+f-g=h&amp;i?j%k/l~m_n\">"
                 "http://a.b,c:d;e+f-g=h&amp;i?j%k/l~m_n</a>",
                 true},
        BodyCase{"RunStopsAtTag", "http://a.b/<br>next",
                 "<a href=\"mms://a.b/\">http://a.b/</a><br>next", true},
        BodyCase{"RunStopsAtQuote", "http://a.b/\"x", "<a href=\"mms://a.b/\">http://a.b/</a>\"x",
                 true},
        BodyCase{"DottedQuadWithPortAndPath", "192.168.0.1:8080/live now",
                 "<a href=\"mms://192.168.0.1:8080/live\">192.168.0.1:8080/live</a> now", true},
        BodyCase{"BareDottedQuad", "at 10.0.0.7", "at <a href=\"mms://10.0.0.7\">10.0.0.7</a>",
                 true},
        BodyCase{"ThreeGroupsAreNoAddress", "ver 1.2.3 ok", "ver 1.2.3 ok", false},
        BodyCase{"TrailingDotIsNoQuad", "1.2.3. x", "1.2.3. x", false},
        BodyCase{"SchemeAloneIsNoAddress", "http:// x", "http:// x", false},
        BodyCase{"UpperCaseSchemeIsText", "HTTP://a.b", "HTTP://a.b", false},
        BodyCase{"TwoAddresses", "mms://a http://b",
                 "<a href=\"mms://a\">mms://a</a> <a href=\"mms://b\">http://b</a>", true},
        // ド is 0x83 0x68: its trail byte is an "h" that must not start "http://".
        BodyCase{"TrailByteIsNotAnH", "\x83\x68ttp://x", "\x83\x68<a href=\"mms://x\">ttp://x</a>",
                 true},
        BodyCase{"TrailByteIsNotAnM", "\x83\x6Dms://x", "\x83\x6Dms://x", false}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    ReplyAnchors, BodyConversionTest,
    testing::Values(
        BodyCase{"PopUpOfReferencedPost", ANCHOR("1") "&gt;&gt;1</a> hi",
                 "<a href=\"#\">&gt;&gt;1<span class=\"popup\">first<br>post</span></a> hi", false},
        BodyCase{"RangeUsesItsStart", ANCHOR("12-15") "&gt;&gt;12-15</a>",
                 "<a href=\"#\">&gt;&gt;12-15<span class=\"popup\">twelve</span></a>", false},
        BodyCase{"PastTheLastPostIsDead", ANCHOR("16") "&gt;&gt;16</a>x",
                 "<a href=\"#\">&gt;&gt;16</a>x", false},
        BodyCase{"ZeroIsDead", ANCHOR("0") "&gt;&gt;0</a>", "<a href=\"#\">&gt;&gt;0</a>", false},
        BodyCase{"HugeNumberIsDead", ANCHOR("99999999999999999999") "&gt;&gt;9</a>",
                 "<a href=\"#\">&gt;&gt;9</a>", false},
        BodyCase{"HiddenPostStillPopsUp", ANCHOR("3") "&gt;&gt;3</a>",
                 "<a href=\"#\">&gt;&gt;3<span class=\"popup\">post3</span></a>", false},
        BodyCase{"PopUpStripsOneLevel", ANCHOR("5") "&gt;&gt;5</a>",
                 "<a href=\"#\">&gt;&gt;5<span class=\"popup\">x&gt;&gt;1 http://a.b/cy</span></a>",
                 false},
        BodyCase{"TwoAnchors", ANCHOR("1") "&gt;&gt;1</a>" ANCHOR("12") "&gt;&gt;12</a>",
                 "<a href=\"#\">&gt;&gt;1<span class=\"popup\">first<br>post</span></a>"
                 "<a href=\"#\">&gt;&gt;12<span class=\"popup\">twelve</span></a>",
                 false},
        BodyCase{"NoNumberInTarget", "<a href=\"../test/read.cgi/live\">&gt;&gt;1</a>",
                 "<a href=\"#\">&gt;&gt;1</a>", false},
        // A dead anchor's text is copied by the main loop, but never grows a nested link.
        BodyCase{"NoLinkInsideAnchorText", ANCHOR("99") "1.2.3.4</a> 1.2.3.4",
                 "<a href=\"#\">1.2.3.4</a> <a href=\"mms://1.2.3.4\">1.2.3.4</a>", true},
        BodyCase{"UnclosedAnchorClosedAtEnd", ANCHOR("1") "&gt;&gt;1 tail",
                 "<a href=\"#\">&gt;&gt;1 tail</a>", false},
        BodyCase{"TagWithoutEnd", "x<a href=\"../test/read.cgi/live/1/1", "x<a href=\"#\"></a>",
                 false},
        BodyCase{"AnchorTextCannotOpenTags", ANCHOR("12") "&gt;<b>12</a>",
                 "<a href=\"#\">&gt;&lt;b>12<span class=\"popup\">twelve</span></a>", false}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    ForeignMarkup, BodyConversionTest,
    testing::Values(BodyCase{"UnknownTagsAreText", "<b>bold</b>", "&lt;b>bold&lt;/b>", false},
                    BodyCase{"StrayCloseIsText", "a</a>b", "a&lt;/a>b", false},
                    BodyCase{"ForeignLinkIsText", "<a href=\"ngid:x\">y</a>",
                             "&lt;a href=\"ngid:x\">y&lt;/a>", false},
                    BodyCase{"RefreshIsText",
                             "<meta http-equiv=refresh content=\"0;url=thread:1.dat\">",
                             "&lt;meta http-equiv=refresh content=\"0;url=thread:1.dat\">", false},
                    BodyCase{"UpperCaseBreakIsText", "a<BR>b", "a&lt;BR>b", false}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

TEST(BodyConverterTest, SelfReferenceIsDead) {
  // While post 16 is converted it is not in the list yet.
  PostList posts = samplePosts();
  auto record = makePostRecord(16);
  convertBody(*record, ANCHOR("16") "&gt;&gt;16</a>", posts);
  EXPECT_STREQ(record->body.text(), "<a href=\"#\">&gt;&gt;16</a>");
}

TEST(BodyConverterTest, ReusedRecordStartsOver) {
  PostList posts;
  auto record = makePostRecord(1);
  convertBody(*record, "http://a", posts);
  EXPECT_TRUE(record->hasStreamLink);
  convertBody(*record, "plain", posts);
  EXPECT_STREQ(record->body.text(), "plain");
  EXPECT_FALSE(record->hasStreamLink);
}

TEST(BodyConverterTest, TextAfterNulIsDropped) {
  PostList posts;
  auto record = makePostRecord(1);
  convertBody(*record, std::string_view("ab\0http://x", 11), posts);
  EXPECT_STREQ(record->body.text(), "ab");
  EXPECT_FALSE(record->hasStreamLink);
}

struct StripCase {
  const char* name;
  const char* input;
  const char* expected;
};

class PopupStripTest : public testing::TestWithParam<StripCase> {};

TEST_P(PopupStripTest, Strips) {
  std::string result;
  stripForPopup(GetParam().input, result);
  EXPECT_EQ(result, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PopupStripTest,
    testing::Values(StripCase{"Plain", "a<br>b", "a<br>b"},
                    StripCase{"SpanRemoved", "a<span class=\"popup\">b</span>c", "ac"},
                    StripCase{"UnclosedSpanRunsToEnd", "a<span>b", "a"},
                    StripCase{"LinkTagsRemoved", "<a href=\"mms://x\">t</a>", "t"},
                    StripCase{"UnclosedLinkTagRunsToEnd", "a<a href=\"x", "a"},
                    StripCase{"LoneCloseRemoved", "a</a>b</a>", "ab"},
                    StripCase{"SpansBeforeLinks", "<a href=\"#\">1<span>x</span></a>2", "12"}),
    [](const testing::TestParamInfo<StripCase>& info) { return info.param.name; });

struct AddressCase {
  const char* name;
  const char* text;
  uint32_t length;
  const char* target;
};

class AddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(AddressTest, Recognises) {
  StreamAddress address = recogniseAddress(GetParam().text);
  EXPECT_EQ(address.length, GetParam().length);
  EXPECT_EQ(std::string(address.target), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressTest,
    testing::Values(
        AddressCase{"Http", "http://a/b c", 10, "a/b"}, AddressCase{"Ttp", "ttp://a/b", 9, "a/b"},
        AddressCase{"Mms", "mms://h:1", 9, "h:1"},
        AddressCase{"Quad", "1.22.333.4444:5 x", 15, "1.22.333.4444:5"},
        AddressCase{"QuadMissingGroup", "1.2..4", 0, ""},
        AddressCase{"QuadCutShort", "1.2.3.", 0, ""}, AddressCase{"NotAtStart", " http://a", 0, ""},
        AddressCase{"Nothing", "", 0, ""}, AddressCase{"HttpsIsNoScheme", "https://a", 0, ""}),
    [](const testing::TestParamInfo<AddressCase>& info) { return info.param.name; });

}  // namespace
}  // namespace vexa
