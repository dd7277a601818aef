#include "platform/instance_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vexa::platform {

namespace {
bool isAbsolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

std::string joinPath(const char* folder, const std::string& leaf) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.back() != '/') path += '/';
  return path + leaf;
}
}  // namespace

std::vector<std::string> InstanceGuard::candidatePaths(const char* name, const char* runtimeDir,
                                                       const char* tempDir, unsigned userId) {
  std::vector<std::string> paths;
  // The runtime folder is private to the user; the temp folder is shared, hence the user id.
  if (isAbsolute(runtimeDir)) paths.push_back(joinPath(runtimeDir, name));
  paths.push_back(joinPath(isAbsolute(tempDir) ? tempDir : "/tmp",
                           std::string(name) + "-" + std::to_string(userId)));
  return paths;
}

InstanceGuard::Result InstanceGuard::acquire(const char* name) {
  Result result = Result::Failed;
  for (const std::string& path :
       candidatePaths(name, std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"), geteuid())) {
    result = acquirePath(path);
    if (result != Result::Failed) break;
  }
  return result;
}

InstanceGuard::Result InstanceGuard::acquirePath(const std::string& path) {
  release();
  const int fd =
      open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK, 0600);
  if (fd < 0) return Result::Failed;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
    close(fd);
    return Result::Failed;
  }
  int locked;
  do {
    locked = flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int error = errno;
    close(fd);
    return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::Failed;
  }
  fd_ = fd;
  path_ = path;
  return Result::Acquired;
}

void InstanceGuard::release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  path_.clear();
}

}  // namespace vexa::platform
