#include <algorithm>
#include <memory>
#include <unordered_map>

#include "platform/desktop/gdi_record.h"

namespace vexa::platform {

using desktop::GdiObject;

namespace {

struct GdiTable {
  std::unordered_map<uintptr_t, std::unique_ptr<GdiObject>> objects;
  std::unordered_map<uintptr_t, std::unique_ptr<desktop::DeviceContext>> dcs;
  uintptr_t nextId = 0x1000000;
};

GdiTable& table() {
  static GdiTable instance;
  return instance;
}

}  // namespace

BOOL DeleteObject(HGDIOBJ handle) {
  GdiObject* object = desktop::findObject(handle);
  if (object == nullptr || object->stock || object->selections > 0) return 0;
  table().objects.erase(reinterpret_cast<uintptr_t>(handle));
  return 1;
}

}  // namespace vexa::platform

namespace vexa::platform::desktop {

GdiObject* findObject(HGDIOBJ handle) {
  auto& objects = table().objects;
  auto found = objects.find(reinterpret_cast<uintptr_t>(handle));
  return found == objects.end() ? nullptr : found->second.get();
}

GdiObject* findObject(HGDIOBJ handle, GdiKind kind) {
  GdiObject* object = findObject(handle);
  return object != nullptr && object->kind == kind ? object : nullptr;
}

HGDIOBJ addObject(GdiObject*& created, GdiKind kind) {
  auto object = std::make_unique<GdiObject>();
  object->kind = kind;
  created = object.get();
  const uintptr_t id = table().nextId;
  table().nextId += 0x10;
  table().objects.emplace(id, std::move(object));
  return reinterpret_cast<HGDIOBJ>(id);
}

DeviceContext* findDc(HDC handle) {
  auto& dcs = table().dcs;
  auto found = dcs.find(reinterpret_cast<uintptr_t>(handle));
  return found == dcs.end() ? nullptr : found->second.get();
}

HDC addDc(DeviceContext*& created, DcKind kind) {
  auto dc = std::make_unique<DeviceContext>();
  dc->kind = kind;
  created = dc.get();
  const uintptr_t id = table().nextId;
  table().nextId += 0x10;
  table().dcs.emplace(id, std::move(dc));
  return reinterpret_cast<HDC>(id);
}

void removeDc(HDC handle) {
  table().dcs.erase(reinterpret_cast<uintptr_t>(handle));
}

bool intersectRect(RECT& a, const RECT& b) {
  a.left = std::max(a.left, b.left);
  a.top = std::max(a.top, b.top);
  a.right = std::min(a.right, b.right);
  a.bottom = std::min(a.bottom, b.bottom);
  return a.left < a.right && a.top < a.bottom;
}

bool drawTargetOf(DeviceContext* dc, DrawTarget& target) {
  if (dc == nullptr) return false;
  if (dc->kind == DcKind::Window) {
    WindowRecord* w = findWindow(dc->window);
    if (w == nullptr || w->picture == nullptr) return false;
    target.surface = w->picture;
    target.window = w;
    target.clip = RECT{0, 0, std::min(w->width, cairo_image_surface_get_width(w->picture)),
                       std::min(w->height, cairo_image_surface_get_height(w->picture))};
    if (dc->painting && !intersectRect(target.clip, dc->paintClip)) return false;
  } else if (dc->kind == DcKind::Memory) {
    GdiObject* bitmap = findObject(dc->bitmap, GdiKind::Bitmap);
    if (bitmap == nullptr) return false;
    target.surface = bitmap->surface;
    target.window = nullptr;
    target.clip = RECT{0, 0, cairo_image_surface_get_width(bitmap->surface),
                       cairo_image_surface_get_height(bitmap->surface)};
  } else {
    return false;
  }
  if (dc->clipped && !intersectRect(target.clip, dc->clip)) return false;
  return target.clip.left < target.clip.right && target.clip.top < target.clip.bottom;
}

void finishDrawing(DrawTarget& target, const RECT& drawn) {
  if (drawn.left >= drawn.right || drawn.top >= drawn.bottom) return;
  cairo_surface_mark_dirty_rectangle(target.surface, drawn.left, drawn.top,
                                     drawn.right - drawn.left, drawn.bottom - drawn.top);
  if (target.window != nullptr) addDamage(target.window, drawn);
}

}  // namespace vexa::platform::desktop
