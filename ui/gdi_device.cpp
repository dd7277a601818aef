#include "ui/gdi_device.h"

#include "platform/desktop/host_windows.h"

namespace vexa::ui {

namespace P = vexa::platform;

bool GdiDevice::Initialise(void* owner, int32_t, int32_t) {
  if (owner_ != nullptr || owner == nullptr) return true;
  back_ = std::make_unique<GdiCanvas>(nullptr, 1, 1);
  if (back_->Open()) {
    back_.reset();
    return true;
  }
  owner_ = owner;
  return false;
}

void GdiDevice::Shutdown() {
  back_.reset();
  owner_ = nullptr;
}

Canvas* GdiDevice::BeginPaint(bool) {
  if (back_ == nullptr || window_ == nullptr) return nullptr;
  P::RECT client;
  if (!P::GetClientRect(window_, &client)) return nullptr;
  Rect size{0, 0, client.right - client.left, client.bottom - client.top};
  if (size.width() <= 0 || size.height() <= 0) return nullptr;
  if (size.width() != back_->width() || size.height() != back_->height()) {
    // A bitmap that cannot be made leaves the old, smaller one: the pass still draws into it.
    back_->Resize(size);
  }
  back_->SetClip(nullptr);
  back_->FillRect(Rect{0, 0, back_->width(), back_->height()}, kBackground);
  return back_.get();
}

void GdiDevice::EndPaint() {
  if (back_ == nullptr || window_ == nullptr) return;
  GdiCanvas front(window_, 0, 0);
  if (front.Open()) return;
  back_->BlitTo(front, Point{0, 0}, nullptr);
}

}  // namespace vexa::ui
