#include "platform/desktop/window_system.h"

#include <fontconfig/fontconfig.h>
#include <poll.h>
#include <stdlib.h>

#include <map>
#include <vector>

#include "platform/clock.h"
#include "platform/desktop/font_faces.h"
#include "platform/desktop/window_record.h"
#include "platform/text_encoding.h"

namespace vexa::platform {

namespace {

// How long one peek may spend handling window-system events before the loop gets its turn.
constexpr uint32_t kPumpBudgetMs = 4;
constexpr int kPumpMostEvents = 256;

void pumpGlib() {
  GMainContext* context = g_main_context_default();
  const uint32_t start = tickMs();
  for (int i = 0; i < kPumpMostEvents && g_main_context_iteration(context, FALSE); ++i) {
    if (tickMs() - start >= kPumpBudgetMs) break;
  }
}

int combineTimeouts(int ours, int glib) {
  if (ours < 0) return glib;
  if (glib < 0) return ours;
  return ours < glib ? ours : glib;
}

class GtkEventHook : public EventHook {
 public:
  void processPending() override {
    pumpGlib();
    desktop::deliverOwedMessages();
  }

  void waitFor(int timeoutMs, int wakeFd) override {
    if (desktop::messagesOwed()) return;
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context)) {
      pollfd only{wakeFd, POLLIN, 0};
      poll(&only, 1, timeoutMs);
      return;
    }
    gint priority = 0;
    g_main_context_prepare(context, &priority);
    gint glibTimeout = -1;
    gint count = 0;
    for (;;) {
      count = g_main_context_query(context, priority, &glibTimeout, fds_.data(),
                                   static_cast<gint>(fds_.size()));
      if (static_cast<size_t>(count) < fds_.size()) break;
      fds_.resize(static_cast<size_t>(count) + 8);
    }
    fds_[count] = GPollFD{wakeFd, G_IO_IN, 0};
    // EINTR only ends the wait early; the loop looks again.
    g_poll(fds_.data(), static_cast<guint>(count) + 1, combineTimeouts(timeoutMs, glibTimeout));
    if (g_main_context_check(context, priority, fds_.data(), count)) {
      g_main_context_dispatch(context);
    }
    g_main_context_release(context);
  }

 private:
  std::vector<GPollFD> fds_ = std::vector<GPollFD>(16);
};

struct SystemState {
  bool ready = false;
  bool gtkStarted = false;
  MessageQueue* queue = nullptr;
  GtkEventHook hook;
};

SystemState& system() {
  static SystemState state;
  return state;
}

}  // namespace

WindowSystemError InitWindowSystem(MessageQueue& queue, const WindowSystemOptions& options) {
  SystemState& state = system();
  if (state.ready) return WindowSystemError::None;
  // Before GTK starts: only X11 (docking, embedding and the tray are X11 notions), and no GL,
  // whose libraries cost tens of megabytes for nothing drawn here.
  setenv("GDK_BACKEND", "x11", 1);
  setenv("GDK_GL", "disable", 1);
  if (!options.display.empty()) setenv("DISPLAY", options.display.c_str(), 1);
  const bool aliasLoaded = desktop::loadFontAlias();
  if (!state.gtkStarted) {
    gdk_set_allowed_backends("x11");
    int argc = 0;
    if (!gtk_init_check(&argc, nullptr)) return WindowSystemError::NoDisplay;
    state.gtkStarted = true;
    desktop::installEditStyle();
  }
  state.queue = &queue;
  desktop::setBoundQueue(&queue);
  queue.setEventHook(&state.hook);
  state.ready = true;
  if (!aliasLoaded) return WindowSystemError::FontAlias;
  if (!desktop::resolveFace("ＭＳ Ｐゴシック").japanese) {
    return WindowSystemError::NoJapaneseFont;
  }
  return WindowSystemError::None;
}

void ShutdownWindowSystem() {
  SystemState& state = system();
  if (!state.ready) return;
  for (uintptr_t id : desktop::liveWindowIds()) {
    // Top-level windows take their children with them.
    HWND handle = reinterpret_cast<HWND>(id);
    if (desktop::findWindow(handle) != nullptr && GetParent(handle) == nullptr) {
      DestroyWindow(handle);
    }
  }
  for (uintptr_t id : desktop::liveWindowIds()) DestroyWindow(reinterpret_cast<HWND>(id));
  pumpGlib();
  state.queue->setEventHook(nullptr);
  desktop::setBoundQueue(nullptr);
  state.queue = nullptr;
  state.ready = false;
}

bool WindowSystemReady() {
  return system().ready;
}

void PumpWindowSystem() {
  if (!system().ready) return;
  system().hook.processPending();
}

std::string ResolvedFontFamily(const std::string& faceCp932) {
  return desktop::resolveFace(cp932ToUtf8(faceCp932)).family;
}

}  // namespace vexa::platform

namespace vexa::platform::desktop {

bool loadFontAlias() {
  // Once per process, before the first face is resolved: fontconfig keeps what it was told.
  static const bool loaded = [] {
    FcConfig* config = FcConfigGetCurrent();
    if (config == nullptr) return false;
    return FcConfigParseAndLoadFromMemory(
               config, reinterpret_cast<const FcChar8*>(kJapaneseFacesConf), FcTrue) == FcTrue;
  }();
  return loaded;
}

const FaceChoice& resolveFace(const std::string& faceUtf8) {
  loadFontAlias();
  static std::map<std::string, FaceChoice> cache;
  if (auto found = cache.find(faceUtf8); found != cache.end()) return found->second;
  FaceChoice choice;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceUtf8.c_str()));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  if (match != nullptr) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name != nullptr) {
      choice.family = reinterpret_cast<const char*>(name);
    }
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch) {
      // Hiragana, katakana and a common kanji.
      choice.japanese = FcCharSetHasChar(charset, 0x3042) && FcCharSetHasChar(charset, 0x30A2) &&
                        FcCharSetHasChar(charset, 0x6F22);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  // Faces come from the program's own code, but keep the cache bounded all the same.
  if (cache.size() >= 64) cache.clear();
  return cache.emplace(faceUtf8, choice).first->second;
}

}  // namespace vexa::platform::desktop
