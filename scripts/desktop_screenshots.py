#!/usr/bin/python3
"""Makes the README's pictures of the docked viewer on a private desktop against the demo board:
docs/docked_list.png (the thread list), docs/docked_popup.png (a thread with a reply pop-up
open) and docs/docked_panes.png (two panes playing generated test videos).

    /usr/bin/python3 scripts/desktop_screenshots.py [--vexa PATH] [--out DIR]
"""

import argparse
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e", "desktop"))

import rig  # noqa: E402
from viewer_session import (Viewer, first_popup_anchor, make_videos,  # noqa: E402
                            post_by_number, screen_posts)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--vexa", default=os.path.join(HERE, "..", "build", "normal", "app",
                                                       "vexa"))
    parser.add_argument("--out", default=os.path.join(HERE, "..", "docs"))
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="vexa-screenshots-")
    videos = make_videos(folder, [("pattern", "testsrc=size=320x240:rate=10"),
                                  ("bars", "smptebars=size=320x240:rate=10")])
    with rig.Desktop() as desktop, rig.DemoBoard("--seed", "1", "--step", "0", "--local-streams",
                                                 "--stream", videos[0], "--stream",
                                                 videos[1]) as board:
        viewer = Viewer(desktop, os.path.abspath(args.vexa), board)
        try:
            viewer.wait_docked()
            rig.wait_for(desktop.tray_icons, "the tray icon")
            bar = viewer.geometry()
            # The bar and the top right corner with the tray, in one picture.
            viewer.press(1)
            viewer.wait_page(lambda page: "thread:" in page, "the list")
            region = viewer.view_region()
            desktop.move(rig.SCREEN[0] - 1, rig.SCREEN[1] - 1)
            still = desktop.wait_until_still(region)
            save(desktop, bar, os.path.join(args.out, "docked_list.png"))

            viewer.open_thread(1)
            desktop.move(rig.SCREEN[0] - 1, rig.SCREEN[1] - 1)
            still = desktop.wait_until_still(region)
            page = viewer.page()
            anchor = post_by_number(screen_posts(still, page), first_popup_anchor(page))["links"][0]
            desktop.move(*anchor)
            desktop.wait_for_picture(region, lambda image: image.differs(still), "the pop-up")
            desktop.wait_until_still(region)
            save(desktop, bar, os.path.join(args.out, "docked_popup.png"))

            desktop.move(rig.SCREEN[0] - 1, rig.SCREEN[1] - 1)
            still = desktop.wait_until_still(region)
            posts = screen_posts(still, viewer.page())
            desktop.click(*post_by_number(posts, 22)["links"][0])
            desktop.middle_click(*post_by_number(posts, 23)["links"][0])
            desktop.move(rig.SCREEN[0] - 1, rig.SCREEN[1] - 1)
            # The bars' light grey (75 % white) and the pattern's yellow both on screen; then
            # the page above them settled after the new layout.
            desktop.wait_for_picture(bar, lambda image: len(image.find((191, 191, 191), 14)) > 3000
                                     and len(image.find((255, 255, 0), 60)) > 1000,
                                     "two panes playing")
            desktop.wait_until_still(viewer.view_region())
            save(desktop, bar, os.path.join(args.out, "docked_panes.png"))
        finally:
            viewer.program.stop()
    return 0


def save(desktop, bar, path):
    picture = desktop.grab(*bar)
    picture.save(path)
    print("wrote", path)


if __name__ == "__main__":
    sys.exit(main())
