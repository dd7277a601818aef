#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "platform/desktop/win_types.h"

// Inside the desktop layer only: the pictures an HICON stands for.
namespace vexa::platform::desktop {

// The icon's picture closest to `size` pixels (the smallest drawn one at least that big, else
// the biggest), with a new reference; null for a dead handle.
GdkPixbuf* iconPicture(HICON icon, int size);
// Every drawn size of the icon, each with a new reference (free with g_list_free_full and
// g_object_unref); null for a dead handle.
GList* iconPictures(HICON icon);

}  // namespace vexa::platform::desktop
