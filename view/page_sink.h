#pragma once

#include "base/text_buffer.h"

namespace vexa {

// Whatever displays generated pages: the browser view in the window, the page dump of the
// headless front end, or a test double. Called on the GUI thread, from the task that closed the
// page; the page is Shift_JIS HTML and replaces whatever was shown before.
class PageSink {
 public:
  virtual ~PageSink() = default;
  virtual void showPage(const TextBuffer& page) = 0;
};

}  // namespace vexa
