#include "media/stream_address.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"

namespace vexa::media {
namespace {

using namespace std::string_literals;

TEST(PlayerAddress, EncodesWhatARequestLineCannotCarry) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"http://127.0.0.1:8080/live.asx", "http://127.0.0.1:8080/live.asx"},
      {"mms://host/a b", "mms://host/a%20b"},
      {"http://host/a\tb\r\nGET /x", "http://host/a%09b%0D%0AGET%20/x"},
      {"http://host/\x7f", "http://host/%7F"},
      {"http://host/x\0y"s, "http://host/x%00y"},
      {"http://host/実況", "http://host/%E5%AE%9F%E6%B3%81"},
      // Reserved characters of URLs keep their meaning.
      {"http://h/p?a=1&b=%41#f", "http://h/p?a=1&b=%41#f"},
      // Not a network address: kept as typed, less control bytes.
      {"/home/me/my song.wav", "/home/me/my song.wav"},
      {"/tmp/a\nb\0c"s, "/tmp/abc"},
      {"C:実況", "C:実況"},
      {"://no-scheme x", "://no-scheme x"},
      {"1http://x y", "1http://x y"},
  };
  for (const auto& c : cases) EXPECT_EQ(PlayerAddress(c.in), c.out) << c.in;
}

TEST(PlayerAddress, ShiftJisAddressesArriveAsUtf8) {
  // 実況 in code page 932, and the wave dash that only CP932 maps to U+FF5E.
  std::string sjis = "mms://host/\x8e\xc0\x8b\xb5\x81\x60";
  EXPECT_EQ(PlayerAddress(platform::cp932ToUtf8(sjis)), "mms://host/%E5%AE%9F%E6%B3%81%EF%BD%9E");
  // A double-byte character cut at the end never reaches the player as a raw byte.
  std::string cut = PlayerAddress(platform::cp932ToUtf8("http://h/\x8e"));
  for (char c : cut) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << cut;
}

TEST(HttpRetryAddress, OnlyMmsAddressesGetASecondTry) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"mms://127.0.0.1:8080/x", "http://127.0.0.1:8080/x"},
      {"MMS://Host/Path?Q", "http://Host/Path?Q"},
      {"mms://", "http://"},
      {"mms://host/a%20b", "http://host/a%20b"},
      {"http://host/x", ""},
      {"mmsh://host/x", ""},
      {"rtsp://host/x", ""},
      {"mms:/host", ""},
      {"xmms://host", ""},
      {"", ""},
      {"/local/mms://x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(HttpRetryAddress(c.in), c.out) << c.in;
}

TEST(OneLineReason, FoldsBreaksAndBoundsLength) {
  const struct {
    std::string in;
    size_t limit;
    std::string out;
  } cases[] = {
      {"Failed to open http://x/.\n", 200, "Failed to open http://x/."},
      {"  a\r\n\r\n b \t c  ", 200, "a b c"},
      {"\n\n", 200, ""},
      {"abcdef", 4, "abcd"},
      {"ab cdef", 3, "ab"},
      {"ab実況", 4, "ab"},  // never half a character
      {"ab実況", 5, "ab実"},
  };
  for (const auto& c : cases) EXPECT_EQ(OneLineReason(c.in, c.limit), c.out) << c.in;
  std::string hostile(8 << 20, 'x');
  EXPECT_EQ(OneLineReason(hostile).size(), 200u);
}

}  // namespace
}  // namespace vexa::media
