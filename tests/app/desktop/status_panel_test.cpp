// The status view of a loading task: a download replaces its line for every piece, and each
// change repaints the window, so lines are thinned; the last one must still be shown.

#include "app/desktop/status_panel.h"

#include <gtest/gtest.h>

#include "app/desktop/view_layout.h"
#include "platform/clock.h"

namespace vexa {
namespace {

TEST(StatusPanelTest, ShowsAtMostALineEveryIntervalAndNeverLosesTheLast) {
  platform::MessageQueue queue;
  StatusPanel panel(queue);
  panel.statusChanged("- 接続中 -");
  EXPECT_EQ(panel.label(), "- 接続中 -") << "the first line shows at once";

  // A burst of size lines: held, not shown one by one.
  for (int i = 1; i <= 50; ++i) panel.statusChanged(("size " + std::to_string(i)).c_str());
  EXPECT_EQ(panel.label(), "- 接続中 -");
  EXPECT_EQ(panel.text(), "size 50");

  // Nothing else comes: the timer shows the held line by itself.
  const uint32_t start = platform::tickMs();
  platform::WindowMessage message;
  while (panel.label() != "size 50" && platform::tickMs() - start < 5000) {
    queue.wait(50);
    while (queue.peek(message)) platform::MessageQueue::dispatch(message);
  }
  EXPECT_EQ(panel.label(), "size 50");
}

TEST(StatusPanelTest, AHeldLineShowsWhenThePanelIsShown) {
  platform::MessageQueue queue;
  StatusPanel panel(queue);
  panel.statusChanged("a");
  panel.statusChanged("b");
  EXPECT_EQ(panel.label(), "a");
  panel.showHeld();
  EXPECT_EQ(panel.label(), "b");
  panel.showHeld();  // nothing held: nothing changes
  EXPECT_EQ(panel.label(), "b");

  // Hidden, it repaints nothing until it is shown again.
  SetWidgetHidden(panel, true);
  panel.statusChanged("c");
  EXPECT_EQ(panel.label(), "b");
  SetWidgetHidden(panel, false);
  panel.showHeld();
  EXPECT_EQ(panel.label(), "c");
}

}  // namespace
}  // namespace vexa
