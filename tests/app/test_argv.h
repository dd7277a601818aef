#pragma once

#include <string>
#include <vector>

namespace vexa {

// An argument vector as main() receives it: "vexa", the given arguments, then a null pointer.
struct TestArgv {
  explicit TestArgv(std::vector<std::string> args) : strings(std::move(args)) {
    strings.insert(strings.begin(), "vexa");
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(strings.size()); }
  char** argv() { return pointers.data(); }

  std::vector<std::string> strings;
  std::vector<char*> pointers;
};

}  // namespace vexa
