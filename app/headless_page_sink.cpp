#include "app/headless_page_sink.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "app/headless_page_text.h"

namespace vexa {

HeadlessPageSink::HeadlessPageSink(FILE* out, FILE* errors, std::string pagesDir)
    : out_(out), errors_(errors), pagesDir_(std::move(pagesDir)) {}

bool HeadlessPageSink::prepare(std::string& error) {
  if (pagesDir_.empty()) return false;
  std::error_code code;
  std::filesystem::create_directories(pagesDir_, code);
  if (!code && std::filesystem::is_directory(pagesDir_, code)) return false;
  error = "cannot keep pages in '" + pagesDir_ +
          "': " + (code ? code.message() : std::string("not a folder"));
  return true;
}

void HeadlessPageSink::showPage(const TextBuffer& page) {
  ++pageCount_;
  const std::string_view bytes(page.text(), page.length());
  if (!pagesDir_.empty()) {
    char name[32];
    std::snprintf(name, sizeof name, "/%04u.html", pageCount_);
    const std::string path = pagesDir_ + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    bool failed = file == nullptr;
    int reason = errno;
    if (file != nullptr) {
      failed = std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size();
      reason = errno;
      // Buffered bytes may only fail to reach the disk when the file is closed.
      if (std::fclose(file) != 0 && !failed) {
        failed = true;
        reason = errno;
      }
    }
    if (failed) {
      writeFailed_ = true;
      std::fprintf(errors_, "vexa: cannot write %s: %s\n", path.c_str(), std::strerror(reason));
      std::fflush(errors_);
    }
  }
  std::fprintf(out_, "--- page %u ---\n", pageCount_);
  for (const std::string& line : pageTextLines(bytes)) {
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
  }
  std::fflush(out_);
}

}  // namespace vexa
