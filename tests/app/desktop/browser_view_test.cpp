// The post view's links as commands: what each kind of link asks of the program, and that only
// "about:blank" is ever let through.

#include "app/desktop/browser_view.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/page_folder.h"
#include "base/sjis.h"
#include "base/text_buffer.h"

namespace vexa {
namespace {

class RecordingLinks : public PostViewLinks {
 public:
  void openThread(const std::string& key) override { calls.push_back("thread " + key); }
  void addNgId(const std::string& link) override { calls.push_back("ng " + link); }
  void playStream(int pane, const std::string& url) override {
    calls.push_back("play" + std::to_string(pane) + " " + url);
  }
  std::vector<std::string> calls;
};

TEST(BrowserViewTest, ClicksAreCommandsNeverNavigations) {
  struct Case {
    std::string url;
    bool cancelled;
    std::string call;  // empty: nothing happens
  } cases[] = {
      {"about:blank", false, ""},
      {"thread:1234567890.dat", true, "thread 1234567890.dat"},
      // The key and the ID are handed on in Shift_JIS, exactly as written.
      {"thread:ｽﾚ.dat", true, std::string("thread ") + "ｽﾚ.dat"_sjis},
      {"ngid:AbC+/9x", true, "ng ngid:AbC+/9x"},
      {"ngid:ア", true, std::string("ng ") + "ngid:ア"_sjis},
      {"mms://127.0.0.1/live", true, "play1 mms://127.0.0.1/live"},
      {"#", true, ""},
      {"http://example.org/", true, ""},
      {"https://example.org/", true, ""},
      {"javascript:alert(1)", true, ""},
      {"about:blank#x", true, ""},
      {"", true, ""},
      {"THREAD:1.dat", true, ""},
  };
  for (const Case& c : cases) {
    RecordingLinks links;
    BrowserView view(links);
    bool cancel = false;
    view.beforeNavigate(c.url, cancel);
    EXPECT_EQ(cancel, c.cancelled) << c.url;
    EXPECT_EQ(links.calls,
              c.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.call})
        << c.url;
  }
}

TEST(BrowserViewTest, NewWindowsAreAlwaysRefusedAndStreamsGoToPaneTwo) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"mms://127.0.0.1/live", {"play2 mms://127.0.0.1/live"}},
      {"about:blank", {}},
      {"thread:1.dat", {}},
      {"http://example.org/", {}},
  };
  for (const auto& [url, calls] : cases) {
    RecordingLinks links;
    BrowserView view(links);
    bool cancel = false;
    view.newWindow(url, cancel);
    EXPECT_TRUE(cancel) << url;
    EXPECT_EQ(links.calls, calls) << url;
  }
}

TEST(BrowserViewTest, KeepsEveryPageInTheFolderEvenWithoutAView) {
  const std::string dir = std::filesystem::temp_directory_path() / "vexa-browser-view-test";
  std::filesystem::remove_all(dir);
  RecordingLinks links;
  PageFolder folder(dir);
  std::string error;
  ASSERT_FALSE(folder.prepare(error)) << error;
  BrowserView view(links, &folder);
  TextBuffer page;
  page.assign("<html>\x82\xa0</html>");
  view.showPage(page);
  page.assign("");
  view.showPage(page);
  EXPECT_EQ(view.pagesShown(), 2u);
  EXPECT_EQ(std::filesystem::file_size(dir + "/0001.html"), 15u);
  EXPECT_EQ(std::filesystem::file_size(dir + "/0002.html"), 0u);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vexa
