#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// The words typed into the thread-name filter: "+word" must occur, "-word" must not, and of the
// other words at least one must occur. Words are compared under normalisation, so full-width and
// half-width forms, letter case and the kana forms of one sound count as the same.
class TitleFilter {
 public:
  // Parses the filter text (Shift_JIS): trimmed, split at runs of ASCII and full-width spaces.
  void apply(std::string_view text);

  // True when the title passes; every title passes when no word was given.
  bool matches(std::string_view title) const;

  bool noFilter() const { return required_.empty() && optional_.empty() && excluded_.empty(); }
  const std::vector<std::string>& required() const { return required_; }
  const std::vector<std::string>& optional() const { return optional_; }
  const std::vector<std::string>& excluded() const { return excluded_; }

 private:
  std::vector<std::string> required_;
  std::vector<std::string> optional_;
  std::vector<std::string> excluded_;
};

}  // namespace vexa
