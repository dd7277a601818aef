#include "platform/user_folders.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace vexa::platform {

namespace {

// A user-dirs.dirs file is a few hundred bytes; anything much larger is not one.
constexpr size_t kUserDirsLimit = 64 * 1024;

bool isAbsolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

bool passwordEntry(struct passwd& entry, std::vector<char>& storage) {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  storage.resize(suggested > 0 ? static_cast<size_t>(suggested) : 4096);
  for (;;) {
    struct passwd* result = nullptr;
    const int error = getpwuid_r(geteuid(), &entry, storage.data(), storage.size(), &result);
    if (error == ERANGE && storage.size() < (1u << 20)) {
      storage.resize(storage.size() * 2);
      continue;
    }
    return error != 0 || result == nullptr;
  }
}

// Reads a small regular file whole. A FIFO or device in its place must not block or flood us.
bool readSmallFile(const std::string& path, std::string& out) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return true;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<size_t>(info.st_size) > kUserDirsLimit) {
    close(fd);
    return true;
  }
  out.clear();
  char chunk[4096];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(chunk, static_cast<size_t>(n));
    if (out.size() > kUserDirsLimit) break;
  }
  close(fd);
  return false;
}

bool userDir(std::string_view key, const char* fallbackLeaf, std::string& out) {
  out.clear();
  std::string home;
  if (homeFolder(home)) return true;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string path =
      (isAbsolute(configHome) ? std::string(configHome) : home + "/.config") + "/user-dirs.dirs";
  std::string text;
  if (!readSmallFile(path, text) && !findUserDir(text, key, home, out)) return false;
  out = home;
  if (fallbackLeaf != nullptr) out += fallbackLeaf;
  return false;
}

}  // namespace

bool homeFolder(std::string& out) {
  const char* home = std::getenv("HOME");
  if (isAbsolute(home)) {
    out = home;
    return false;
  }
  struct passwd entry;
  std::vector<char> storage;
  if (passwordEntry(entry, storage) || !isAbsolute(entry.pw_dir)) {
    out.clear();
    return true;
  }
  out = entry.pw_dir;
  return false;
}

bool findUserDir(std::string_view fileText, std::string_view key, std::string_view home,
                 std::string& out) {
  bool found = false;
  std::string value;
  size_t lineStart = 0;
  while (lineStart < fileText.size()) {
    size_t lineEnd = fileText.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = fileText.size();
    std::string_view line = fileText.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;

    size_t i = 0;
    auto skipBlanks = [&] {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    };
    skipBlanks();
    if (line.substr(i, key.size()) != key) continue;
    i += key.size();
    skipBlanks();
    if (i >= line.size() || line[i] != '=') continue;
    ++i;
    skipBlanks();
    if (i >= line.size() || line[i] != '"') continue;
    ++i;

    value.clear();
    std::string_view rest = line.substr(i);
    if (rest.starts_with("$HOME") && (rest.size() == 5 || rest[5] == '/' || rest[5] == '"')) {
      if (home.empty()) continue;
      value = home;
      i += 5;
    } else if (rest.empty() || rest[0] != '/') {
      continue;
    }
    bool closed = false;
    while (i < line.size()) {
      char c = line[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c == '\\' && i < line.size()) c = line[i++];
      value += c;
    }
    if (!closed) continue;
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    out = value;
    found = true;
  }
  if (!found) out.clear();
  return !found;
}

bool currentDirectory(std::string& out) {
  out.clear();
  char* path = getcwd(nullptr, 0);
  if (path == nullptr) return true;
  out = path;
  std::free(path);
  return false;
}

bool documentsFolder(std::string& out) {
  return userDir("XDG_DOCUMENTS_DIR", nullptr, out);
}

bool desktopFolder(std::string& out) {
  return userDir("XDG_DESKTOP_DIR", "/Desktop", out);
}

bool appDataFolder(std::string& out) {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (isAbsolute(dataHome)) {
    out = dataHome;
    return false;
  }
  if (homeFolder(out)) return true;
  out += "/.local/share";
  return false;
}

bool computerName(std::string& out) {
  out.clear();
  char name[HOST_NAME_MAX + 2] = {};
  if (gethostname(name, sizeof name - 1) != 0) return true;
  out = name;
  return false;
}

bool userName(std::string& out) {
  out.clear();
  struct passwd entry;
  std::vector<char> storage;
  if (passwordEntry(entry, storage) || entry.pw_name == nullptr) return true;
  out = entry.pw_name;
  return false;
}

}  // namespace vexa::platform
