#pragma once

#include <cstdint>

namespace vexa {

// Where a request takes its cookies from and a response puts them. Called on the download
// task's fiber only.
class CookieJar {
 public:
  virtual ~CookieJar() = default;

  // Index 0 starts a new walk and yields the first entry; any other index yields the entry after
  // the one yielded last. False when the store is empty or the walk is past its end. The
  // pointers stay valid until the store changes.
  virtual bool nextCookie(const char** name, uint32_t* nameLength, const char** value,
                          uint32_t* valueLength, uint32_t index) = 0;

  // Applies one name/value pair (a null value is the empty string). Does nothing unless
  // attributeName is null: attributes (path, expires, ...) are handed on but not kept.
  virtual void setCookie(const char* name, const char* value, const char* attributeName) = 0;
};

}  // namespace vexa
