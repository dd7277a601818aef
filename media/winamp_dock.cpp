#include "media/winamp_dock.h"

#include <vector>

#include "platform/desktop/host_windows.h"

namespace vexa::media {
namespace {

using namespace platform;

constexpr const char* kSlotClass = "VexaForeignSlot";

// A slot destroyed with its parent, before the element lets go, would take the foreign window
// down with it: X destroys every window inside. So the slot gives it back on its way out.
LRESULT SlotProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    auto* back = reinterpret_cast<WinampDock::Hosted*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (back && back->window) GiveBackForeignWindow(back->window, back->wasAt);
    if (back) *back = WinampDock::Hosted();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterSlotClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA windowClass;
  windowClass.lpfnWndProc = SlotProc;
  windowClass.lpszClassName = kSlotClass;
  windowClass.background = RGB(0, 0, 0);
  registered = RegisterClassA(windowClass) != 0;
  return registered;
}

}  // namespace

WinampDock::~WinampDock() {
  release();
}

bool WinampDock::embed(HWND parent) {
  release();
  std::vector<ForeignWindow> found = ListForeignWindows();
  std::vector<TopLevelWindow> candidates;
  candidates.reserve(found.size());
  for (const ForeignWindow& w : found) {
    candidates.push_back({w.id, ClassPartOfWmClass(w.wmClass), w.viewable});
  }
  ForeignMatch match = MatchForeignWindows(candidates);
  if (match.main() == 0 || !RegisterSlotClass()) return false;
  for (int i = 0; i < kForeignSlotCount; ++i) {
    if (match.ids[i] == 0) continue;
    for (const ForeignWindow& w : found) {
      if (w.id != match.ids[i]) continue;
      bool hosted = host(slots_[i], parent, w);
      if (!hosted && i == 0) {
        release();
        return false;
      }
    }
  }
  place(0, 0);
  return true;
}

bool WinampDock::host(Slot& slot, HWND parent, const ForeignWindow& window) {
  slot.host = CreateWindowExA(0, kSlotClass, "", WS_CHILD | WS_VISIBLE, 0, 0, window.width,
                              window.height, parent, nullptr, nullptr, nullptr);
  if (!slot.host) return false;
  if (!TakeInForeignWindow(window.id, slot.host, &slot.hosted.wasAt)) {
    DestroyWindow(slot.host);
    slot = Slot();
    return false;
  }
  slot.hosted.window = window.id;
  SetWindowLongPtrA(slot.host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&slot.hosted));
  slot.width = window.width;
  slot.height = window.height;
  return true;
}

void WinampDock::release() {
  for (Slot& slot : slots_) {
    // The slot's WM_DESTROY gives the window back first.
    if (slot.host && IsWindow(slot.host)) DestroyWindow(slot.host);
    if (slot.hosted.window) GiveBackForeignWindow(slot.hosted.window, slot.hosted.wasAt);
    slot = Slot();
  }
}

int WinampDock::height() const {
  int sum = 0;
  for (const Slot& slot : slots_) sum += slot.height;
  return sum;
}

void WinampDock::place(int x, int y) {
  for (const Slot& slot : slots_) {
    if (!slot.host) continue;
    MoveWindow(slot.host, x, y, kWidth, slot.height, 1);
    y += slot.height;
  }
}

}  // namespace vexa::media
