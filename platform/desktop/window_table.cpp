#include <algorithm>
#include <memory>
#include <unordered_map>

#include "platform/clock.h"
#include "platform/desktop/window_record.h"

namespace vexa::platform::desktop {

namespace {

struct Table {
  std::unordered_map<uintptr_t, std::unique_ptr<WindowRecord>> windows;
  uintptr_t nextId = 0x10000;  // away from small numbers a caller might pass by mistake
  MessageQueue* queue = nullptr;
  DWORD messageTime = 0;
};

Table& table() {
  static Table instance;
  return instance;
}

}  // namespace

WindowRecord* findWindow(HWND handle) {
  auto& windows = table().windows;
  auto found = windows.find(reinterpret_cast<uintptr_t>(handle));
  if (found == windows.end() || found->second->destroying) return nullptr;
  return found->second.get();
}

WindowRecord* addWindow() {
  auto record = std::make_unique<WindowRecord>();
  record->id = table().nextId;
  table().nextId += 0x10;
  WindowRecord* raw = record.get();
  table().windows.emplace(raw->id, std::move(record));
  return raw;
}

void forgetWindow(WindowRecord* w) {
  if (table().queue != nullptr) table().queue->removeMessagesFor(w);
  table().windows.erase(w->id);
}

std::vector<uintptr_t> liveWindowIds() {
  std::vector<uintptr_t> ids;
  ids.reserve(table().windows.size());
  for (const auto& [id, record] : table().windows) ids.push_back(id);
  // Creation order, so parents are served before their children.
  std::sort(ids.begin(), ids.end());
  return ids;
}

bool anyWindow(bool (*test)(const WindowRecord*)) {
  for (const auto& [id, record] : table().windows) {
    if (!record->destroying && test(record.get())) return true;
  }
  return false;
}

MessageQueue* boundQueue() {
  return table().queue;
}
void setBoundQueue(MessageQueue* queue) {
  table().queue = queue;
}

void setMessageTime(DWORD time) {
  table().messageTime = time;
}

LRESULT sendToWindow(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam) {
  const DWORD saved = table().messageTime;
  table().messageTime = tickMs();
  const HWND handle = w->handle();
  if (message == WM_PAINT) ++w->painting;
  const LRESULT result = w->procedure == nullptr ? DefWindowProcA(handle, message, wParam, lParam)
                                                 : w->procedure(handle, message, wParam, lParam);
  // The procedure may have destroyed its window.
  if (message == WM_PAINT) {
    if (WindowRecord* still = findWindow(handle)) --still->painting;
  }
  table().messageTime = saved;
  return result;
}

bool postToWindow(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam) {
  MessageQueue* queue = table().queue;
  if (queue == nullptr) return false;
  return !queue->post(w, message, wParam, lParam);
}

intptr_t WindowRecord::windowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  // A destroyed window's posted messages were dropped with it; one being destroyed gets none.
  if (destroying) return 0;
  noteMessageTaken(message, wParam, lParam);
  return sendToWindow(this, message, wParam, lParam);
}

}  // namespace vexa::platform::desktop

namespace vexa::platform {

DWORD GetMessageTime() {
  return desktop::table().messageTime;
}

}  // namespace vexa::platform
