#pragma once

#include "net/cookie_jar.h"

namespace vexa {

// Feeds one header field to the jar. Only fields named "Cookie" or "Set-Cookie" (ASCII case
// ignored) act: the value is split at ";", each part trimmed of spaces, tabs, CR and LF, empty
// parts skipped. The first part is name=value (split at its first "=") or a bare name with an
// empty value; the later parts are attributes, handed on under the cookie's name and ignored.
void handleCookieField(const char* name, const char* value, CookieJar& jar);

}  // namespace vexa
