#pragma once

#include <cstdint>
#include <string_view>

#include "base/text_buffer.h"
#include "view/buffer_writer.h"
#include "view/page_sink.h"
#include "view/post_record.h"
#include "view/thread_record.h"

namespace vexa {

// Writes one HTML page at a time and hands it whole to a PageSink. Open, write the pieces, close.
// Used on the GUI thread by whichever task renders; the sink is borrowed and must outlive the
// writer.
class PageWriter {
 public:
  explicit PageWriter(PageSink& sink) : sink_(sink) {}
  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;

  // Empties the page.
  void openPage();
  // Hands the page to the sink. Returns true (failed) when memory ran out while writing; the
  // sink then gets nothing rather than a cut page.
  bool closePage();

  // The style sheet and the body start; the hover rule makes reply and ID pop-ups open.
  void writeHead(bool withHoverRule);
  void writeEnd();
  // One link line of the thread list, without a line end.
  void writeThreadLine(const ThreadRecord& record);
  // One post line with its line end; nothing for a hidden post.
  void writePostLine(const PostRecord& record);
  void write(std::string_view text);
  // The bytes written since the page was opened.
  uint32_t length() const { return out_.length(); }

 private:
  PageSink& sink_;
  TextBuffer page_;
  BufferWriter out_{page_};
};

// Writes text for use inside a double-quoted href. Bytes that would end the attribute, start a
// tag or change the meaning of the link on its way back (", %, &, <, >, blanks and control
// bytes) are percent-encoded; the link handler decodes them, so the text comes back unchanged.
void appendLinkText(BufferWriter& out, std::string_view text);

// Writes text as HTML text: a raw "<" becomes "&lt;" so text from the server cannot open tags.
// Everything else, entities included, is written as given.
void appendSafeText(BufferWriter& out, std::string_view text);

}  // namespace vexa
