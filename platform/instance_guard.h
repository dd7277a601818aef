#pragma once

#include <string>
#include <vector>

namespace vexa::platform {

// Keeps one interactive process per user: an exclusive flock(2) on a lock file, held for as long
// as the guard lives. The kernel drops the lock when the process dies, however it dies, so a
// crash never leaves a stale guard. The descriptor is close-on-exec, so helper processes we
// start cannot keep the lock alive after us. GUI thread only.
class InstanceGuard {
 public:
  enum class Result { Acquired, HeldElsewhere, Failed };

  InstanceGuard() = default;
  ~InstanceGuard() { release(); }
  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;

  // Tries the lock file `name` in $XDG_RUNTIME_DIR, then the temp folder's `name`-<uid>.
  Result acquire(const char* name);
  // Tries one lock file. A file that is not a regular file owned by us is refused (Failed):
  // someone else's file must not be able to keep us from starting.
  Result acquirePath(const std::string& path);
  void release();

  bool held() const { return fd_ >= 0; }
  // The lock file in use while held.
  const std::string& path() const { return path_; }

  // The lock files to try, in order, for the given environment values (null or relative
  // folders are ignored; the temp folder defaults to /tmp).
  static std::vector<std::string> candidatePaths(const char* name, const char* runtimeDir,
                                                 const char* tempDir, unsigned userId);

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace vexa::platform
