#include "app/page_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

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

bool PageFolder::prepare(std::string& error) {
  if (dir_.empty()) return false;
  std::error_code code;
  std::filesystem::create_directories(dir_, code);
  if (!code && std::filesystem::is_directory(dir_, code)) return false;
  error = "cannot keep pages in '" + shownArgument(dir_) +
          "': " + (code ? code.message() : std::string("not a folder"));
  return true;
}

std::string PageFolder::keep(std::string_view bytes, std::string& path) {
  ++count_;
  char name[32];
  std::snprintf(name, sizeof name, "/%04u.html", count_);
  path = dir_ + name;
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

}  // namespace vexa
