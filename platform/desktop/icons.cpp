#include <cairo.h>
#include <gdk/gdk.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/desktop/gdi_record.h"
#include "platform/desktop/icon_record.h"
#include "platform/desktop/icons.h"

namespace vexa::platform::desktop {

struct IconPicture {
  unsigned short id;
  int size;
  const unsigned char* bytes;
  size_t length;
};
extern const IconPicture kIconPictures[];
extern const size_t kIconPictureCount;

namespace {

struct IconRecord {
  std::vector<GdkPixbuf*> pictures;  // owned, smallest first
};

struct IconTable {
  std::map<uintptr_t, IconRecord> icons;
  uintptr_t nextId = 0x20000;
};

IconTable& table() {
  static IconTable instance;
  return instance;
}

IconRecord* findIcon(HICON icon) {
  auto found = table().icons.find(reinterpret_cast<uintptr_t>(icon));
  return found == table().icons.end() ? nullptr : &found->second;
}

GdkPixbuf* decode(const IconPicture& picture) {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
  if (loader == nullptr) return nullptr;
  GdkPixbuf* pixbuf = nullptr;
  if (gdk_pixbuf_loader_write(loader, picture.bytes, picture.length, nullptr) &&
      gdk_pixbuf_loader_close(loader, nullptr)) {
    pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
    if (pixbuf != nullptr) g_object_ref(pixbuf);
  } else {
    gdk_pixbuf_loader_close(loader, nullptr);
  }
  g_object_unref(loader);
  return pixbuf;
}

void release(IconRecord& record) {
  for (GdkPixbuf* p : record.pictures) g_object_unref(p);
  record.pictures.clear();
}

}  // namespace

GdkPixbuf* iconPicture(HICON icon, int size) {
  IconRecord* record = findIcon(icon);
  if (record == nullptr || record->pictures.empty()) return nullptr;
  GdkPixbuf* best = record->pictures.back();
  for (GdkPixbuf* p : record->pictures) {
    if (gdk_pixbuf_get_width(p) >= size) {
      best = p;
      break;
    }
  }
  return GDK_PIXBUF(g_object_ref(best));
}

GList* iconPictures(HICON icon) {
  IconRecord* record = findIcon(icon);
  if (record == nullptr) return nullptr;
  GList* list = nullptr;
  for (GdkPixbuf* p : record->pictures) list = g_list_append(list, g_object_ref(p));
  return list;
}

}  // namespace vexa::platform::desktop

namespace vexa::platform {

using desktop::IconRecord;

HANDLE LoadImageA(HINSTANCE, const char* name, UINT type, int cx, int cy, UINT) {
  if (type != IMAGE_ICON || !IS_INTRESOURCE(name) || cx < 0 || cy < 0 || cx > 256 || cy > 256) {
    return nullptr;
  }
  const auto id = static_cast<unsigned short>(reinterpret_cast<uintptr_t>(name));
  IconRecord record;
  for (size_t i = 0; i < desktop::kIconPictureCount; ++i) {
    const desktop::IconPicture& picture = desktop::kIconPictures[i];
    if (picture.id != id) continue;
    GdkPixbuf* pixbuf = desktop::decode(picture);
    if (pixbuf == nullptr) {
      desktop::release(record);
      return nullptr;
    }
    record.pictures.push_back(pixbuf);  // the table lists sizes smallest first
  }
  if (record.pictures.empty()) return nullptr;
  if (cx > 0 || cy > 0) {
    // One size asked for: the nearest drawn one, scaled to it.
    const int width = cx > 0 ? cx : cy;
    const int height = cy > 0 ? cy : cx;
    GdkPixbuf* source = record.pictures.back();
    for (GdkPixbuf* p : record.pictures) {
      if (gdk_pixbuf_get_width(p) >= width) {
        source = p;
        break;
      }
    }
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(source, width, height, GDK_INTERP_BILINEAR);
    desktop::release(record);
    if (scaled == nullptr) return nullptr;
    record.pictures.push_back(scaled);
  }
  desktop::IconTable& icons = desktop::table();
  const uintptr_t handle = icons.nextId;
  icons.nextId += 0x10;
  icons.icons.emplace(handle, std::move(record));
  return reinterpret_cast<HANDLE>(handle);
}

BOOL DestroyIcon(HICON icon) {
  auto& icons = desktop::table().icons;
  auto found = icons.find(reinterpret_cast<uintptr_t>(icon));
  if (found == icons.end()) return 0;
  desktop::release(found->second);
  icons.erase(found);
  return 1;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH, UINT flags) {
  if (cx < 0 || cy < 0 || (flags & DI_NORMAL) == 0) return 0;
  desktop::DrawTarget target;
  if (!desktop::drawTargetOf(desktop::findDc(dc), target)) return 0;
  GdkPixbuf* picture = desktop::iconPicture(icon, std::max(cx, cy));
  if (picture == nullptr) return 0;
  const int width = cx > 0 ? cx : gdk_pixbuf_get_width(picture);
  const int height = cy > 0 ? cy : gdk_pixbuf_get_height(picture);
  RECT drawn{x, y, x + width, y + height};
  if (desktop::intersectRect(drawn, target.clip)) {
    cairo_t* cr = cairo_create(target.surface);
    cairo_rectangle(cr, drawn.left, drawn.top, drawn.right - drawn.left, drawn.bottom - drawn.top);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, static_cast<double>(width) / gdk_pixbuf_get_width(picture),
                static_cast<double>(height) / gdk_pixbuf_get_height(picture));
    gdk_cairo_set_source_pixbuf(cr, picture, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    desktop::finishDrawing(target, drawn);
  }
  g_object_unref(picture);
  return 1;
}

}  // namespace vexa::platform
