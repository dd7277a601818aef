#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/page_folder.h"
#include "view/page_sink.h"

namespace vexa {

// The headless stand-in for the browser view: every page is printed as readable text and, when a
// folder is given, kept there byte for byte as 0001.html, 0002.html, ... Each page file is
// written under a new name in the folder and then renamed into place, so a link planted at a
// page's name is replaced, never followed. Called on the GUI thread (from whichever task closed
// the page).
class HeadlessPageSink : public PageSink {
 public:
  // `out` receives the text; `errors` the messages about pages that could not be kept.
  HeadlessPageSink(FILE* out, FILE* errors, std::string pagesDir);

  // Makes the folder when it is missing. True (failed) when pages cannot be kept there; `error`
  // then says why.
  bool prepare(std::string& error);

  void showPage(const TextBuffer& page) override;

  uint32_t pageCount() const { return pageCount_; }
  // True once a page could not be written to the folder.
  bool writeFailed() const { return writeFailed_; }
  // True once the text could not be written to `out` (a full disk, a closed pipe).
  bool outputFailed() const { return outputFailed_; }
  // Flushes `out`; true when that or an earlier write to it failed.
  bool flushOutput();

 private:
  FILE* out_;
  FILE* errors_;
  PageFolder folder_;
  uint32_t pageCount_ = 0;
  bool writeFailed_ = false;
  bool outputFailed_ = false;
};

}  // namespace vexa
