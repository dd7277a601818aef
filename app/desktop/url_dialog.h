#pragma once

#include <functional>
#include <string>

#include "platform/desktop/dialogs.h"

namespace vexa {

// The modeless dialog where an address for pane 1 or 2 is typed. One at a time.
class UrlDialog {
 public:
  // `play` gets the pane and the trimmed address (Shift_JIS) when "再生" is pressed.
  explicit UrlDialog(std::function<void(int pane, const std::string& urlCp932)> play)
      : play_(std::move(play)) {}
  ~UrlDialog() { close(); }
  UrlDialog(const UrlDialog&) = delete;
  UrlDialog& operator=(const UrlDialog&) = delete;

  // Opens the dialog for a pane under `owner` titled after `title` (Shift_JIS); nothing when it
  // is open already.
  void open(platform::HWND owner, int pane, const std::string& title);
  void close();
  bool isOpen() const { return window_ != nullptr; }
  platform::HWND window() const { return window_; }

  // The caption for a pane: the title and what to type, "error" for another pane.
  static std::string caption(const std::string& title, int pane);

 private:
  static platform::INT_PTR Procedure(platform::HWND window, platform::UINT message,
                                     platform::WPARAM wParam, platform::LPARAM lParam);
  void command(int id);

  std::function<void(int, const std::string&)> play_;
  platform::HWND window_ = nullptr;
  int pane_ = 1;
  std::string title_;
};

}  // namespace vexa
