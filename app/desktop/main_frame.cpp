#include "app/desktop/main_frame.h"

#include "base/log_stream.h"
#include "base/sjis.h"
#include "platform/clock.h"
#include "platform/desktop/app_bar.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/input.h"
#include "platform/text_encoding.h"
#include "resources/version.h"

namespace vexa {

namespace P = platform;

namespace {

constexpr P::UINT kMenuRequest = 0x46E;
constexpr int kViewerId = 300;
constexpr int kPaneIds[2] = {303, 304};
constexpr int32_t kPaneHeightPerMille = 750;  // 4:3

// Commands of the tray menu.
enum MenuCommand : unsigned {
  kQuit = 40000,
  kTogglePaneCount = 40001,
  kToggleDockSide = 40002,
  kSwapPanes = 40003,
  kPane2Address = 40006,
  kPane1Address = 40007,
};

}  // namespace

MainFrame::MainFrame(P::MessageQueue& queue, const ViewerOptions& options)
    : TaskLoop(queue),
      options_(options),
      urlDialog_([this](int pane, const std::string& url) {
        if (pane == 2) setPaneCount(1);
        (pane == 2 ? pane2_ : pane1_)->play(url);
      }),
      pages_(options.pagesDir),
      browser_(*this, &pages_),
      panes_{media::PlayerPane(queue), media::PlayerPane(queue)},
      iconButton_([this] { showTrayMenu(true); }),
      blinker_(
          trayState_, [this](TrayIconKind kind) { showTrayIcon(kind); },
          [] { return P::tickMs(); }),
      filter_([this] { viewer_->searchThreads(); }),
      listStatus_(queue),
      watchStatus_(queue),
      paneSlots_{NativeChildWidget(0, kPaneHeightPerMille),
                 NativeChildWidget(0, kPaneHeightPerMille)} {
  // Ticking, and with it every task, starts once the bar is docked.
  setTicking(false);
  if (!options.menuHost.empty()) settings_.menuHost = options.menuHost;
  settings_.boardTitle = P::utf8ToCp932(options.board);
  BoardWindows windows;
  windows.browser = &browser_;
  windows.listStatus = &listStatus_;
  windows.watchStatus = &watchStatus_;
  windows.filter = &filterText_;
  windows.content = this;
  windows.observer = this;
  viewer_ = std::make_unique<BoardViewer>(settings_, *this, windows);
  viewer_->addTasks(*this);
  addTask(&blinker_);
}

MainFrame::~MainFrame() {
  urlDialog_.close();
  if (window_ && !windowDestroyed_) P::DestroyWindow(window_->hwnd());
  onWindowDestroyed();
  // The window goes before the widgets its root points at.
  if (window_) window_->host().root().SetContent(nullptr);
  window_.reset();
  for (P::HICON icon : icons_) {
    if (icon != nullptr) P::DestroyIcon(icon);
  }
  if (menu_ != nullptr) P::DestroyMenu(menu_);
}

bool MainFrame::run() {
  std::string error;
  if (pages_.prepare(error)) logLine(("WARNING: " + error).c_str());
  const bool failed = runToEnd(LoopRequest{0, -1});
  viewer_->finishTasks();
  if (failed) logLine("ERROR: fail to create main window (error occurs in initializing process).");
  return failed;
}

bool MainFrame::onStart() {
  window_ = std::make_unique<ui::DesktopHostWindow>(*this, "", ui::Rect{0, 0, kBarWidth, 600},
                                                    nullptr, ui::HostStyle{1, 1});
  if (window_->hwnd() == nullptr || window_->host().Open(ui::HostCreation{})) return true;
  rawMessage.Connect(&hook_);
  return onCreate();
}

bool MainFrame::onCreate() {
  P::HINSTANCE instance = P::GetModuleHandleA(nullptr);
  P::HWND window = hwnd();

  menu_ = P::LoadMenuA(instance, P::MAKEINTRESOURCEA(102));
  trayMenu_ = menu_ != nullptr ? P::GetSubMenu(menu_, 0) : nullptr;
  const int iconIds[3] = {101, 103, 105};
  for (int i = 0; i < 3; ++i) {
    icons_[i] = static_cast<P::HICON>(
        P::LoadImageA(instance, P::MAKEINTRESOURCEA(iconIds[i]), P::IMAGE_ICON, 0, 0, 0));
  }

  title_ = "vexa/" VEXA_PRODUCT_VERSION;
  P::SetWindowTextA(window, title_.c_str());
  P::SendMessageA(window, P::WM_SETICON, P::ICON_SMALL, reinterpret_cast<P::LPARAM>(icons_[0]));
  P::SendMessageA(window, P::WM_SETICON, P::ICON_BIG, reinterpret_cast<P::LPARAM>(icons_[0]));
  userAgent_ = "Monazilla/1.00 (" + title_ + ")";

  if (tray_.add(window, icons_[0], title_.c_str())) {
    logLine("ERROR: fail to register tasktray.");
    return true;
  }
  if (tray_.setVersion()) {
    logLine("ERROR: fail to set tasktray version");
    return true;
  }

  // The view window is the layout that fills the main window's client area.
  window_->host().root().SetContent(&layout_);

  // Alt held at start: take in the running player's windows.
  if (P::GetAsyncKeyState(P::VK_MENU) < 0) winampEnabled_ = true;

  pane1_ = &panes_[0];
  pane2_ = &panes_[1];
  trayState_ = TrayState::Normal;

  if (browser_.create(window, kViewerId)) return true;
  for (int i = 0; i < 2; ++i) {
    if (panes_[i].create(window, kPaneIds[i])) return true;
  }

  showTrayIcon(TrayIconKind::Normal);
  blinker_.start(0);

  if (editor_.create(window)) {
    logLine("ERROR: fail to create edit window.");
    return true;
  }
  if (filter_.CreateFilter(window, "スレ名フィルタ"_sjis)) {
    logLine("ERROR: fail to create filter window.");
    return true;
  }
  if (!options_.filter.empty()) filter_.edit().SetText(P::utf8ToCp932(options_.filter).c_str());

  // Top to bottom: the tool strip, the filter, the content slot (the post view or a task's
  // status), the post editor, the hosted player windows, the panes.
  searchButton_.SetLabel("スレ検索"_sjis);
  listButton_.SetLabel("番組表"_sjis);
  searchButton_.SetListener(this);
  listButton_.SetListener(this);
  strip_.SetSlot(ui::ToolStrip::kIconSlot, &iconButton_);
  strip_.SetButton(ui::ToolStrip::kSearchSlot, &searchButton_);
  strip_.SetButton(ui::ToolStrip::kListSlot, &listButton_);
  browserSlot_.SetWindow(browser_.window());
  SetWidgetHidden(listStatus_, true);
  SetWidgetHidden(watchStatus_, true);
  winampSlot_.SetHidden(true);
  if (winampEnabled_ && winamp_.embed(window)) {
    winampSlot_.SetHeight(winamp_.height());
    winampSlot_.SetPlacer([this](const ui::Rect& r) { winamp_.place(r.left, r.top); });
    winampSlot_.SetHidden(false);
  }
  layout_.SetChildren({&strip_, &filter_, &browserSlot_, &listStatus_, &watchStatus_,
                       &editor_.widget(), &winampSlot_, &paneSlots_[0], &paneSlots_[1]},
                      2);
  setPaneCount(-1);

  if (dock_.registerBar(window, kBarWidth)) {
    logLine("ERROR: fail to register application as APPBar.");
    return true;
  }
  ui::Rect bounds;
  window_->host().SetShowState(bounds, 0);
  setTicking(true);

  for (const std::string& id : options_.ngIds) viewer_->addNgId("ngid:" + P::utf8ToCp932(id));
  // A thread asked for on the command line is opened as if clicked once the list is in.
  if (!options_.thread.empty()) viewer_->searchThreads();
  return false;
}

void MainFrame::tick(int phase) {
  TaskLoop::tick(phase);
  if (phase != 0 || !threadOpenDue_) return;
  threadOpenDue_ = false;
  threadOpened_ = true;
  viewer_->openThread(P::utf8ToCp932(options_.thread));
}

void MainFrame::viewerStateChanged(ViewerState state) {
  if (state == ViewerState::ListShown && !threadOpened_ && !options_.thread.empty()) {
    threadOpenDue_ = true;
  }
}

void MainFrame::MessageHook::Invoke(const ui::Event& event) {
  if (event.message == nullptr) return;
  if (event.message->message == P::WM_DESTROY) {
    frame_.onWindowDestroyed();
    frame_.windowDestroyed_ = true;
    frame_.quit();
    return;
  }
  if (frame_.handleMessage(*event.message) && event.flag != nullptr) *event.flag = true;
}

bool MainFrame::handleMessage(const ui::WindowMessage& m) {
  if (m.message == TrayIcon::kCallbackMessage) {
    if ((m.lParam & 0xFFFF) == P::WM_CONTEXTMENU) showTrayMenu(false);
    return true;
  }
  if (m.message == kMenuRequest) {
    showTrayMenu(false);
    return true;
  }
  return false;
}

void MainFrame::onWindowDestroyed() {
  dock_.reset();
  tray_.reset();
}

void MainFrame::CloseWindow() {
  if (window_ && !windowDestroyed_) P::DestroyWindow(window_->hwnd());
}

void MainFrame::showTrayMenu(bool defer) {
  if (defer) {
    P::PostMessageA(hwnd(), kMenuRequest, 0, 0);
    return;
  }
  if (trayMenu_ == nullptr) return;
  P::EnableMenuItem(trayMenu_, kSwapPanes, paneCount() == 2 ? P::MF_ENABLED : P::MF_GRAYED);
  P::POINT cursor;
  P::GetCursorPos(&cursor);
  P::SetForegroundWindow(hwnd());
  const unsigned command = static_cast<unsigned>(P::TrackPopupMenuEx(
      trayMenu_, P::TPM_RIGHTALIGN | P::TPM_BOTTOMALIGN | P::TPM_NONOTIFY | P::TPM_RETURNCMD,
      cursor.x, cursor.y, hwnd(), nullptr));
  dispatchMenuCommand(command);
}

void MainFrame::dispatchMenuCommand(unsigned command) {
  switch (command) {
    case kPane1Address:
      openUrlDialog(1);
      break;
    case kPane2Address:
      openUrlDialog(2);
      break;
    case kTogglePaneCount:
      setPaneCount(0);
      break;
    case kSwapPanes:
      swapPanes();
      break;
    case kToggleDockSide:
      toggleDockSide();
      break;
    case kQuit:
      CloseWindow();
      break;
    default:
      break;
  }
}

void MainFrame::showTrayIcon(TrayIconKind kind) {
  iconButton_.Show(kind);
  const int index = kind == TrayIconKind::Normal ? 0 : kind == TrayIconKind::Second ? 1 : 2;
  tray_.show(icons_[index]);
}

void MainFrame::setPaneCount(int mode) {
  const int count = paneCount();
  if (count != 1 && mode < 1) {
    pane2_->stop();
    paneLayout_ = {pane1_};
  } else if (count != 2 && mode >= 0) {
    paneLayout_ = {pane2_, pane1_};
  } else {
    return;
  }
  layoutPanes();
}

void MainFrame::swapPanes() {
  if (paneCount() != 2) return;
  std::swap(pane1_, pane2_);
  paneLayout_ = {pane2_, pane1_};
  layoutPanes();
}

void MainFrame::layoutPanes() {
  for (int i = 0; i < 2; ++i) {
    const bool shown = i < paneCount();
    paneSlots_[i].SetWindow(shown ? paneLayout_[i]->window() : nullptr);
    paneSlots_[i].SetHidden(!shown);
  }
  // The pane that left the layout is hidden; the slots show the others.
  for (media::PlayerPane& pane : panes_) {
    bool shown = false;
    for (media::PlayerPane* p : paneLayout_) shown = shown || p == &pane;
    if (!shown && pane.window() != nullptr) HideChildWindow(pane.window());
  }
  layout_.RequestRelayout();
}

void MainFrame::toggleDockSide() {
  const int width = layout_.bounds().width() > 0 ? layout_.bounds().width() : kBarWidth;
  dock_.toggleSide(width);
}

void MainFrame::openUrlDialog(int pane) {
  urlDialog_.open(hwnd(), pane, title_);
}

void MainFrame::ButtonChanged(ui::ButtonWidget& button, const ui::ButtonRecord& now,
                              const ui::ButtonRecord& before) {
  // Act when a button is let go with a new activation.
  if (now.held || now.activations == before.activations) return;
  if (&button == &searchButton_) viewer_->searchThreads();
  if (&button == &listButton_) viewer_->toggleView(false);
}

void MainFrame::showStatusView(BoardTaskId task) {
  StatusPanel& shown = task == BoardTaskId::List ? listStatus_ : watchStatus_;
  StatusPanel& other = task == BoardTaskId::List ? watchStatus_ : listStatus_;
  SetWidgetHidden(other, true);
  SetWidgetHidden(shown, false);
  shown.showHeld();
  browserSlot_.SetHidden(true);
  layout_.SetFill(task == BoardTaskId::List ? 3 : 4);
}

void MainFrame::showBrowserView() {
  SetWidgetHidden(listStatus_, true);
  SetWidgetHidden(watchStatus_, true);
  browserSlot_.SetHidden(false);
  layout_.SetFill(2);
}

void MainFrame::openThread(const std::string& keyCp932) {
  LockGuard guard(viewer_->lock(), 0);
  viewer_->openThread(keyCp932);
}

void MainFrame::addNgId(const std::string& linkCp932) {
  LockGuard guard(viewer_->lock(), 0);
  viewer_->addNgId(linkCp932);
}

void MainFrame::playStream(int pane, const std::string& url) {
  LockGuard guard(viewer_->lock(), 0);
  if (pane == 2) {
    setPaneCount(1);
    pane2_->playLink(url);
    return;
  }
  pane1_->playLink(url);
  viewer_->toggleView(true);
}

}  // namespace vexa
