#include "app/headless_page_sink.h"

#include <utility>

#include "app/headless_page_text.h"
#include "app/usage.h"

namespace vexa {

HeadlessPageSink::HeadlessPageSink(FILE* out, FILE* errors, std::string pagesDir)
    : out_(out), errors_(errors), folder_(std::move(pagesDir)) {}

bool HeadlessPageSink::prepare(std::string& error) {
  return folder_.prepare(error);
}

void HeadlessPageSink::showPage(const TextBuffer& page) {
  ++pageCount_;
  const std::string_view bytes(page.text(), page.length());
  if (folder_.enabled()) {
    std::string path;
    const std::string error = folder_.keep(bytes, path);
    if (!error.empty()) {
      writeFailed_ = true;
      std::fprintf(errors_, "vexa: cannot write %s: %s\n", shownArgument(path).c_str(),
                   error.c_str());
      std::fflush(errors_);
    }
  }
  if (outputFailed_) return;
  std::string text = "--- page " + std::to_string(pageCount_) + " ---\n";
  for (const std::string& line : pageTextLines(bytes)) {
    text += line;
    text += '\n';
  }
  if (std::fwrite(text.data(), 1, text.size(), out_) != text.size() || std::fflush(out_) != 0) {
    outputFailed_ = true;
  }
}

bool HeadlessPageSink::flushOutput() {
  if (std::fflush(out_) != 0) outputFailed_ = true;
  return outputFailed_;
}

}  // namespace vexa
