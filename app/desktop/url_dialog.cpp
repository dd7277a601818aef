#include "app/desktop/url_dialog.h"

#include "base/sjis.h"
#include "base/text_functions.h"
#include "platform/desktop/host_windows.h"

namespace vexa {

namespace P = platform;

std::string UrlDialog::caption(const std::string& title, int pane) {
  if (pane == 1) return title + " ペイン１で再生するURLを入力"_sjis;
  if (pane == 2) return title + " ペイン２で再生するURLを入力"_sjis;
  return "error";
}

void UrlDialog::open(P::HWND owner, int pane, const std::string& title) {
  if (window_ != nullptr) return;
  pane_ = pane;
  title_ = title;
  window_ = P::CreateDialogParamA(P::GetModuleHandleA(nullptr), P::MAKEINTRESOURCEA(106), owner,
                                  Procedure, reinterpret_cast<P::LPARAM>(this));
}

void UrlDialog::close() {
  if (window_ == nullptr) return;
  P::HWND window = window_;
  window_ = nullptr;
  P::DestroyWindow(window);
}

P::INT_PTR UrlDialog::Procedure(P::HWND window, P::UINT message, P::WPARAM wParam,
                                P::LPARAM lParam) {
  if (message == P::WM_INITDIALOG) {
    auto* self = reinterpret_cast<UrlDialog*>(lParam);
    P::SetWindowLongPtrA(window, P::GWLP_USERDATA, lParam);
    P::SetWindowTextA(window, caption(self->title_, self->pane_).c_str());
    return 1;
  }
  auto* self = reinterpret_cast<UrlDialog*>(P::GetWindowLongPtrA(window, P::GWLP_USERDATA));
  if (self == nullptr) return 0;
  if (message == P::WM_COMMAND) {
    self->command(static_cast<int>(wParam & 0xFFFF));
    return 1;
  }
  return 0;
}

void UrlDialog::command(int id) {
  if (id == P::IDOK) {
    char text[256] = {};
    P::GetDlgItemTextA(window_, 1002, text, sizeof text);
    const std::string url(trimBlanksAndLineEnds(text));
    const int pane = pane_;
    close();
    if (!url.empty()) play_(pane, url);
  } else if (id == P::IDCANCEL) {
    close();
  }
}

}  // namespace vexa
