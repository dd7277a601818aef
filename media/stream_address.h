#pragma once

#include <string>
#include <string_view>

// The addresses a player pane hands to the player, and the second try of an "mms://" address.
namespace vexa::media {

// The address the player is given for `utf8`. Network addresses (a scheme followed by "://")
// are percent-encoded where a request line could not carry them as they are: spaces, control
// bytes and bytes from 0x80 up. Anything else (a local path) keeps its bytes, less the control
// bytes, which no file name the user typed needs and which a NUL would cut short. An empty
// address stays empty: the player is still asked and reports the failure.
std::string PlayerAddress(std::string_view utf8);

// For an address whose scheme is "mms" (in any case): the same address with the scheme
// "http" and the same rest; empty for every other address. Posts' stream links are "mms://"
// followed by whatever address the post held, which today is usually a plain HTTP stream.
std::string HttpRetryAddress(std::string_view address);

// The player's reason for a failure, as one line: line breaks and other control bytes become
// spaces, runs of spaces one space, no space at either end, at most `limit` bytes (never cutting
// a UTF-8 sequence).
std::string OneLineReason(std::string_view text, size_t limit = 200);

}  // namespace vexa::media
