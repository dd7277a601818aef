#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/desktop/browser_view.h"
#include "app/desktop/dock_bar.h"
#include "app/desktop/post_editor.h"
#include "app/desktop/status_panel.h"
#include "app/desktop/tray_blinker.h"
#include "app/desktop/tray_icon.h"
#include "app/desktop/url_dialog.h"
#include "app/desktop/view_layout.h"
#include "app/page_folder.h"
#include "app/viewer_options.h"
#include "base/task_loop.h"
#include "board/board_viewer.h"
#include "board/board_windows.h"
#include "media/player_pane.h"
#include "media/winamp_dock.h"
#include "net/download_host.h"
#include "platform/desktop/menus.h"
#include "ui/desktop_host_window.h"
#include "ui/filter_window.h"
#include "ui/panel_widget.h"
#include "ui/tool_strip.h"

namespace vexa {

// The docked window and everything behind it: the tool strip, the thread-name filter, the post
// view, the post editor, the two player panes, the tray icon and its menu, the bar on the
// screen edge, the board viewer with its tasks, and the loop that runs them all. Lives on the GUI
// thread for the interactive part of the run.
class MainFrame : public TaskLoop,
                  public ui::HostOwner,
                  public ui::ButtonListener,
                  public DownloadHost,
                  public ContentSlot,
                  public ViewerObserver,
                  public PostViewLinks {
 public:
  // The width the bar starts with; it becomes the docked width.
  static constexpr int kBarWidth = 300;

  // The window system must be up; `queue` is the one it is bound to.
  MainFrame(platform::MessageQueue& queue, const ViewerOptions& options);
  ~MainFrame() override;
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;

  // Creates the windows and runs the loop until the user quits; true when the windows could
  // not be put together (logged).
  bool run();

  // The pane commands: mode 0 toggles between one and two panes, 1 forces two, -1 one.
  void setPaneCount(int mode);
  void swapPanes();
  void toggleDockSide();
  void openUrlDialog(int pane);
  // With `defer` the menu opens when the main window takes the request from its queue.
  void showTrayMenu(bool defer);
  int paneCount() const { return static_cast<int>(paneLayout_.size()); }

  // HostOwner: the window was asked to close.
  void CloseWindow() override;
  void ButtonChanged(ui::ButtonWidget& button, const ui::ButtonRecord& now,
                     const ui::ButtonRecord& before) override;

  // DownloadHost.
  void setTrayState(TrayState state) override { trayState_ = state; }
  int32_t& pollInterval() override { return pollInterval_; }
  const char* userAgent() override { return userAgent_.empty() ? nullptr : userAgent_.c_str(); }
  CookieStore& cookieStore() override { return cookies_; }

  // ContentSlot.
  void showStatusView(BoardTaskId task) override;
  void showBrowserView() override;

  // ViewerObserver.
  void viewerStateChanged(ViewerState state) override;
  void pollFinished(PollResult) override {}

  // PostViewLinks.
  void openThread(const std::string& keyCp932) override;
  void addNgId(const std::string& linkCp932) override;
  void playStream(int pane, const std::string& url) override;

 protected:
  bool onStart() override;
  void tick(int phase) override;

 private:
  // Receives every message of the main window before the toolkit does.
  class MessageHook : public ui::Component {
   public:
    explicit MessageHook(MainFrame& frame) : frame_(frame) {}
    void Invoke(const ui::Event& event) override;

   private:
    MainFrame& frame_;
  };

  // The thread-name filter's text for the list task.
  class FilterText : public FilterTextSource {
   public:
    explicit FilterText(ui::FilterWindow& window) : window_(window) {}
    void filterText(TextBuffer& text) override { window_.GetFilterText(text); }

   private:
    ui::FilterWindow& window_;
  };

  bool onCreate();
  void onWindowDestroyed();
  // The tray callback and the deferred menu request; true when taken.
  bool handleMessage(const ui::WindowMessage& message);
  void dispatchMenuCommand(unsigned command);
  void showTrayIcon(TrayIconKind kind);
  void layoutPanes();
  platform::HWND hwnd() const { return window_ ? window_->hwnd() : nullptr; }

  const ViewerOptions& options_;
  std::unique_ptr<ui::DesktopHostWindow> window_;
  bool windowDestroyed_ = false;
  MessageHook hook_{*this};

  std::string title_;
  std::string userAgent_;
  TrayState trayState_ = TrayState::Normal;
  int32_t pollInterval_ = 30;
  CookieStore cookies_;

  TrayIcon tray_;
  DockBar dock_;
  std::array<platform::HICON, 3> icons_{};
  platform::HMENU menu_ = nullptr;
  platform::HMENU trayMenu_ = nullptr;
  UrlDialog urlDialog_;

  PageFolder pages_;
  BrowserView browser_;
  media::PlayerPane panes_[2];
  media::PlayerPane* pane1_ = &panes_[0];
  media::PlayerPane* pane2_ = &panes_[1];
  std::vector<media::PlayerPane*> paneLayout_;
  PostEditor editor_;
  TrayIconButton iconButton_;
  TrayBlinker blinker_;
  ui::FilterWindow filter_;
  FilterText filterText_{filter_};
  media::WinampDock winamp_;
  bool winampEnabled_ = false;

  ViewLayout layout_;
  ui::ToolStrip strip_;
  ui::ButtonWidget searchButton_;
  ui::ButtonWidget listButton_;
  NativeChildWidget browserSlot_;
  StatusPanel listStatus_;
  StatusPanel watchStatus_;
  NativeChildWidget paneSlots_[2];
  NativeChildWidget winampSlot_;

  BoardSettings settings_;
  std::unique_ptr<BoardViewer> viewer_;
  bool threadOpenDue_ = false;
  bool threadOpened_ = false;
};

}  // namespace vexa
