#pragma once

#include <pango/pango.h>

#include "platform/desktop/gdi_record.h"

// Inside the desktop layer only: the one Pango context and layout that all GDI text goes
// through (created on first use, after the font alias is loaded).
namespace vexa::platform::desktop {

// Sets the font's size from a LOGFONTA height (> 0 cell height, < 0 character height) and
// measures its ascent, descent and average width.
void sizeFont(GdiObject& font, LONG height);

// A single-line layout of Shift_JIS text in `font` (null: the stock font). Borrowed, valid until
// the next call.
PangoLayout* layoutText(GdiObject* font, const char* text, int length);

}  // namespace vexa::platform::desktop
