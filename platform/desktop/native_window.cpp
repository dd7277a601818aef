#include "platform/desktop/native_window.h"

#include <gdk/gdkx.h>

#include "platform/desktop/window_record.h"

namespace vexa::platform {

uint64_t NativeWindowId(HWND window) {
  desktop::WindowRecord* w = desktop::findWindow(window);
  if (!w || w->kind != desktop::WindowKind::Host || !w->widget) return 0;
  gtk_widget_realize(w->widget);
  GdkWindow* gdkWindow = GTK_IS_LAYOUT(w->widget) ? gtk_layout_get_bin_window(GTK_LAYOUT(w->widget))
                                                  : gtk_widget_get_window(w->widget);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return 0;
  if (!gdk_window_ensure_native(gdkWindow)) return 0;
  return GDK_WINDOW_XID(gdkWindow);
}

}  // namespace vexa::platform
