#include "app/headless_page_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/headless_page_text.h"
#include "app/usage.h"

namespace vexa {

namespace {

// Writes all of `bytes` to `fd`; false on failure (errno says why).
bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

HeadlessPageSink::HeadlessPageSink(FILE* out, FILE* errors, std::string pagesDir)
    : out_(out), errors_(errors), pagesDir_(std::move(pagesDir)) {}

bool HeadlessPageSink::prepare(std::string& error) {
  if (pagesDir_.empty()) return false;
  std::error_code code;
  std::filesystem::create_directories(pagesDir_, code);
  if (!code && std::filesystem::is_directory(pagesDir_, code)) return false;
  error = "cannot keep pages in '" + shownArgument(pagesDir_) +
          "': " + (code ? code.message() : std::string("not a folder"));
  return true;
}

std::string HeadlessPageSink::keepPage(const std::string& path, std::string_view bytes) {
  // O_EXCL with O_NOFOLLOW: a name someone else holds, link or not, is never written through.
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = path + ".new" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return std::strerror(errno);
  bool failed = !writeAll(fd, bytes);
  int reason = errno;
  if (::close(fd) != 0 && !failed) {
    failed = true;
    reason = errno;
  }
  // rename() replaces whatever the name held, a link included, without following it.
  if (!failed && ::rename(temporary.c_str(), path.c_str()) != 0) {
    failed = true;
    reason = errno;
  }
  if (!failed) return {};
  ::unlink(temporary.c_str());
  return std::strerror(reason);
}

void HeadlessPageSink::showPage(const TextBuffer& page) {
  ++pageCount_;
  const std::string_view bytes(page.text(), page.length());
  if (!pagesDir_.empty()) {
    char name[32];
    std::snprintf(name, sizeof name, "/%04u.html", pageCount_);
    const std::string path = pagesDir_ + name;
    const std::string error = keepPage(path, bytes);
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
