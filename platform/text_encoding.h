#pragma once

#include <string>
#include <string_view>

namespace vexa::platform {

// Shift_JIS (code page 932, with its NEC and IBM extensions) to UTF-8. Bytes that are not valid
// CP932, and a double-byte character cut off at the end, each become U+FFFD; the conversion
// always goes on to the end of the input. Safe to call from any thread.
std::string cp932ToUtf8(std::string_view text);

// UTF-8 to CP932. A character CP932 cannot hold, and any malformed UTF-8 sequence, becomes '?'.
std::string utf8ToCp932(std::string_view text);

}  // namespace vexa::platform
