#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

// Keeps a copy of every page shown as DIR/0001.html, DIR/0002.html, ... Each file is written
// under a new name in the folder and then renamed into place, so a link planted at a page's name
// is replaced, never followed.
class PageFolder {
 public:
  explicit PageFolder(std::string dir) : dir_(std::move(dir)) {}

  bool enabled() const { return !dir_.empty(); }
  // Makes the folder when it is missing. True (failed) when pages cannot be kept there; `error`
  // then says why.
  bool prepare(std::string& error);
  // Writes the next page. An empty text on success, else why it failed; `path` is the page's
  // file either way.
  std::string keep(std::string_view bytes, std::string& path);

  uint32_t count() const { return count_; }

 private:
  std::string dir_;
  uint32_t count_ = 0;
};

}  // namespace vexa
