#include "board/board_state.h"

namespace vexa {

namespace {

void assignView(TextBuffer& buffer, std::string_view text) {
  buffer.assign(text.data(), static_cast<uint32_t>(text.size()));
}

}  // namespace

void BoardState::setAddress(std::string_view host, std::string_view boardPath) {
  LockGuard guard(lock_, 0);
  assignView(address_.host, host);
  assignView(address_.boardPath, boardPath);
}

void BoardState::getAddress(TextBuffer& host, TextBuffer& boardPath) {
  LockGuard guard(lock_, 0);
  host.assign(address_.host.text());
  boardPath.assign(address_.boardPath.text());
}

bool BoardState::addressKnown() {
  LockGuard guard(lock_, 0);
  return !address_.host.empty();
}

void BoardState::clearAddress() {
  LockGuard guard(lock_, 0);
  address_.host.clear();
  address_.boardPath.clear();
  current_ = nullptr;
  clearThreadPaths();
  threads_.clear();
}

void BoardState::clearThreadPaths() {
  keyBase_.clear();
  datPath_.clear();
  pagePath_.clear();
}

void BoardState::selectThread(std::string_view key) {
  LockGuard guard(lock_, 0);
  current_ = threads_.findByKey(key);
  clearThreadPaths();
  if (!current_) return;
  const std::string_view fullKey = current_->key.text();
  const std::string_view keyBase = fullKey.substr(0, fullKey.find('.'));
  assignView(keyBase_, keyBase);
  datPath_.assign(address_.boardPath.text());
  datPath_.append("dat/");
  datPath_.append(current_->key.text());
  pagePath_.assign("/test/read.cgi");
  pagePath_.append(address_.boardPath.text());
  pagePath_.append(keyBase_.text());
  pagePath_.append("/l1");
}

void BoardState::getDataAddress(TextBuffer& host, TextBuffer& datPath) {
  LockGuard guard(lock_, 0);
  host.assign(address_.host.text());
  datPath.assign(datPath_.text());
}

void BoardState::getPageAddress(TextBuffer& host, TextBuffer& pagePath) {
  LockGuard guard(lock_, 0);
  host.assign(address_.host.text());
  pagePath.assign(pagePath_.text());
}

ThreadRecord* BoardState::current() {
  LockGuard guard(lock_, 0);
  return current_;
}

void BoardState::finishThreadList() {
  LockGuard guard(lock_, 0);
  threads_.finishLoad(current_);
}

void BoardState::applyFilter(std::string_view text) {
  LockGuard guard(lock_, 0);
  assignView(filterText_, text);
  filter_.apply(text);
}

bool BoardState::matchesFilter(std::string_view title) {
  LockGuard guard(lock_, 0);
  return filter_.matches(title);
}

ThreadCheck BoardState::checkCurrentThread() {
  LockGuard guard(lock_, 0);
  if (!current_) return ThreadCheck::NoThread;
  if (!current_->full()) return ThreadCheck::Continue;
  ThreadRecord* successor = threads_.findSuccessor(*current_);
  if (!successor) {
    current_ = nullptr;
    clearThreadPaths();
    return ThreadCheck::NoThread;
  }
  // The successor's key is copied first: selectThread looks it up again by key.
  TextBuffer key;
  key.assign(successor->key.text());
  selectThread(key.text());
  return ThreadCheck::Switched;
}

}  // namespace vexa
