"""The docked viewer as a person uses it, on a private desktop (Xvfb, openbox, trayer) against
the demo board: what they see on the screen, in the tray and in the work area, and what the
program writes (--pages, vexa.log).

    viewer_test.py VEXA
"""

import os
import re
import signal
import sys
import tempfile
import unittest

import rig
from viewer_session import (MENU_PANE_COUNT, MENU_QUIT, MENU_SIDE, MENU_SWAP, TERMINATION,
                            Viewer, colour_area, first_popup_anchor, greenish, link_lines,
                            make_videos, page_posts, post_by_number, private_instance, reddish,
                            screen_posts)

VEXA = None
SHOWCASE = "1699985000.dat"  # the stream-link thread: hand-written posts
WIDTH, HEIGHT = rig.SCREEN


def ends_cleanly(test, viewer):
    """The log's last line is the termination line; no strut, no tray icon remain."""
    lines = [line for line in viewer.log().split("\r\n")]
    test.assertEqual(lines[-2:], [TERMINATION, ""])
    rig.wait_for(lambda: test.desktop.workarea() == (0, 0, WIDTH, HEIGHT), "the whole screen")
    test.assertEqual(test.desktop.struts(), [])
    rig.wait_for(lambda: test.desktop.tray_icons() == [], "the tray empty")


class Session(unittest.TestCase):
    """One run from start to "終了", step by step in order, as a person would go."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="vexa-e2e-media-")
        red, green = make_videos(cls.folder, [("red", "color=c=red:size=160x120:rate=5"),
                                              ("green", "color=c=0x00FF00:size=160x120:rate=5")])
        cls.desktop = rig.Desktop()
        cls.desktop.__enter__()
        cls.board = rig.DemoBoard("--seed", "1", "--step", "0", "--local-streams",
                                  "--stream", red, "--stream", green)
        cls.viewer = Viewer(cls.desktop, VEXA, cls.board)
        cls.failed = False

    @classmethod
    def tearDownClass(cls):
        cls.viewer.program.stop()
        cls.board.stop()
        cls.desktop.__exit__(None, None, None)

    def setUp(self):
        if Session.failed:
            self.skipTest("an earlier step failed")
        self.desktop = Session.desktop
        self.viewer = Session.viewer

    def run(self, result=None):
        before = len(result.failures) + len(result.errors) if result else 0
        if self._testMethodName.startswith("test_05"):
            return super().run(result)  # a known fault that the later steps do not need
        outcome = super().run(result)
        if result and len(result.failures) + len(result.errors) > before:
            Session.failed = True
        return outcome

    def test_01_starts_docked_at_the_left_edge_with_the_full_height(self):
        window = self.viewer.wait_docked()
        self.assertRegex(self.desktop.title(window), r"^vexa/\d+\.\d+")
        x, y, width, height = rig.wait_for(
            lambda: self.viewer.geometry() if self.viewer.geometry()[3] == HEIGHT else None,
            "the full height")
        self.assertEqual((x, y), (0, 0))
        self.assertGreater(width, 100)
        self.assertLess(width, WIDTH // 2)
        strut = self.desktop.strut(window)
        self.assertEqual(strut[:4], (width, 0, 0, 0))
        self.assertEqual(strut[4:6], (0, HEIGHT - 1))
        rig.wait_for(lambda: self.desktop.workarea() == (width, 0, WIDTH - width, HEIGHT),
                     "the work area without the bar")
        self.assertIn("_NET_WM_WINDOW_TYPE_DOCK", self.desktop.window_type(window))
        # On every desktop.
        desktop_number = self.desktop.property(window, "_NET_WM_DESKTOP")
        self.assertEqual(desktop_number[0] if desktop_number is not None else None, 0xFFFFFFFF)
        Session.width = width

    def test_02_the_tray_icon_is_embedded(self):
        icons = rig.wait_for(self.desktop.tray_icons, "the tray icon")
        self.assertEqual(len(icons), 1)
        x, y, width, height = self.desktop.geometry(icons[0])
        self.assertGreaterEqual(min(width, height), 16)
        # Drawn, not an empty square of the tray's colour.
        self.desktop.wait_for_picture(
            (x, y, width, height),
            lambda image: len({image.pixel(x + i, y + j) for i in range(width)
                               for j in range(height)}) > 2, "the icon drawn")
        log = self.viewer.log()
        self.assertTrue(log.startswith("\r\n"), log[:80])
        self.assertNotIn("ERROR", log)

    def test_03_a_second_instance_exits_at_once_and_leaves_the_log_alone(self):
        log_path = os.path.join(self.viewer.folder, "vexa.log")
        before = self.viewer.log()
        stamp = os.stat(log_path).st_mtime_ns
        second = rig.Program(self.desktop, [VEXA, "--menu-host", Session.board.address],
                             folder=self.viewer.folder, env=self.viewer.env)
        self.assertEqual(second.wait_exit(), 0)
        self.assertEqual(self.viewer.log(), before)
        self.assertEqual(os.stat(log_path).st_mtime_ns, stamp)
        self.assertEqual(len([w for w in self.desktop.clients()
                              if (self.desktop.title(w) or "").startswith("vexa/")]), 1)
        self.assertEqual(len(self.desktop.tray_icons()), 1)

    def test_04_search_shows_the_thread_list(self):
        before = len(self.viewer.page_files())
        self.viewer.press(1)
        index = self.viewer.wait_page(lambda page: "thread:" in page, "the list page", before)
        page = self.viewer.page(index)
        self.assertIn("ホロメキ実況スレ Part41", page)
        self.assertEqual(page.count('href="thread:'), 10)
        # On the screen: ten titles, some of them wrapped, in the post view.
        region = self.viewer.view_region()
        self.desktop.wait_for_picture(region, lambda image: len(link_lines(image)) >= 10,
                                      "the titles drawn")

    def test_05_enter_in_the_filter_renders_the_list_again(self):
        full = re.findall(r'href="thread:[^"]*">([^<]*)</a>', self.viewer.page())
        view_before = self.desktop.wait_until_still(self.viewer.view_region())
        page = self.viewer.filter("+ア")
        titles = re.findall(r'href="thread:[^"]*">([^<]*)</a>', page)
        # Only titles with ア in one of its forms remain; the demo board has none.
        self.assertEqual(titles, [t for t in full if re.search("[アｱ]", t)])
        self.desktop.wait_for_picture(self.viewer.view_region(),
                                      lambda image: image.differs(view_before), "the list redrawn")
        # Words that match one thread; then none, back to the whole list.
        page = self.viewer.filter("配信")
        self.assertEqual(re.findall(r'href="thread:([^"]*)"', page), [SHOWCASE])
        page = self.viewer.filter("")
        self.assertEqual(page.count('href="thread:'), 10)

    def test_06_a_click_on_a_thread_shows_its_newest_posts(self):
        region = self.viewer.view_region()
        self.desktop.move(region[0] + region[2] - 3, region[1] + region[3] - 3)
        picture = self.desktop.wait_until_still(region)
        self.assertEqual(re.findall(r'href="thread:([^"]*)"', self.viewer.page())[1], SHOWCASE)
        page = self.viewer.page(self.viewer.open_thread(1))
        self.assertIn("20げと", page)
        self.assertIn("/stream/2.webm", page)
        self.desktop.wait_for_picture(region, lambda image: image.differs(picture),
                                      "the posts drawn")

    def test_07_hovering_a_reply_anchor_shows_its_popup_there(self):
        region = self.viewer.view_region()
        self.desktop.move(region[0] + region[2] - 3, region[1] + region[3] - 3)
        still = self.desktop.wait_until_still(region)
        page = self.viewer.page()
        anchor = post_by_number(screen_posts(still, page), first_popup_anchor(page))["links"][0]
        self.desktop.move(*anchor)
        shown = self.desktop.wait_for_picture(region, lambda image: image.differs(still),
                                              "the pop-up")
        # The pop-up's black border appears at the anchor, inside the view.
        changed = [(x, y) for x, y in shown.find((0, 0, 0)) if still.pixel(x, y) != (0, 0, 0)]
        self.assertTrue(changed)
        self.assertLess(abs(min(y for _, y in changed) - anchor[1]), 40)
        self.assertLess(abs(min(x for x, _ in changed) - anchor[0]), 150)
        # Moving off the link hides it again.
        self.desktop.move(region[0] + region[2] - 3, region[1] + region[3] - 3)
        self.desktop.wait_for_picture(region, lambda image: not image.differs(still),
                                      "the pop-up gone")

    def test_08_a_click_on_a_post_number_hides_that_poster(self):
        page = self.viewer.page()
        self.assertIn('href="ngid:Mms0Fan0"', page)
        region = self.viewer.view_region()
        still = self.desktop.wait_until_still(region)
        posts = screen_posts(still, page)
        target = [post for post in posts if post["poster"] == "Mms0Fan0"][0]["at"]
        before = len(self.viewer.page_files())
        self.desktop.click(*target)
        index = self.viewer.wait_page(lambda text: "ngid:" in text, "the page again", before)
        self.assertNotIn("ngid:Mms0Fan0", self.viewer.page(index))
        self.assertIn("ngid:Url1Shar", self.viewer.page(index))
        self.desktop.wait_for_picture(region, lambda image: image.differs(still), "redrawn")

    def test_09_the_list_button_switches_to_stream_links_and_back(self):
        newest = self.viewer.page()
        before = len(self.viewer.page_files())
        self.viewer.press(2)
        index = self.viewer.wait_page(lambda page: "ngid:" in page, "the stream-link list",
                                      before)
        page = self.viewer.page(index)
        self.assertIn("/stream/tone.wav", page)
        self.assertNotIn("20げと", page)  # a post without a link
        self.viewer.press(2)
        back = self.viewer.wait_page(lambda page: "ngid:" in page, "the newest posts again",
                                     index + 1)
        numbers = [post["number"] for post in page_posts(self.viewer.page(back))]
        self.assertEqual(numbers, [post["number"] for post in page_posts(newest)])

    def stream_link_points(self):
        """Screen points of the links to /stream/1.webm (red, post 22) and /stream/2.webm
        (green, post 23): the page's last two lines that are one long link from the margin
        (each address is too long to share a line with its post's number)."""
        still = self.viewer.scroll_to_end()
        lines = [(y, runs[0]) for y, _, runs in link_lines(still)
                 if runs[0][0] < still.x + 12 and runs[0][1] - runs[0][0] > 150]
        self.assertGreaterEqual(len(lines), 3)
        return [((first + last) // 2, y) for y, (first, last) in lines[-2:]]

    def pane_area(self):
        """The whole bar: only the panes show pure red or green, and the panes' layout moves."""
        return self.viewer.geometry()

    def test_10_a_click_plays_in_pane_one_and_a_middle_click_in_pane_two(self):
        red_link, green_link = self.stream_link_points()
        self.desktop.click(*red_link)
        area = self.pane_area()
        self.desktop.wait_for_picture(
            area, lambda image: colour_area(image, reddish) > 2000, "pane 1 playing red")
        self.desktop.middle_click(*green_link)
        # Two panes stacked: pane 2 (green) above pane 1 (red), once the layout settles.
        self.desktop.wait_for_picture(area, lambda image: self.stacked(image, (0, 255, 0),
                                                                       (255, 0, 0)),
                                      "two panes playing, green above red")

    def stacked(self, image, upper, lower):
        """Both colours shown over a good area each, all of `upper` above all of `lower`."""
        ups, downs = image.find(upper, 70), image.find(lower, 70)
        return (len(ups) > 2000 and len(downs) > 2000 and
                max(y for _, y in ups) < min(y for _, y in downs))

    def test_11_swap_exchanges_the_panes(self):
        items = self.viewer.choose(MENU_SWAP)
        # With two panes the swap item is as dark as the others.
        self.assertEqual(items[MENU_SWAP][1], items[MENU_SIDE][1])
        area = self.pane_area()
        self.desktop.wait_for_picture(area, lambda image: self.stacked(image, (255, 0, 0),
                                                                       (0, 255, 0)),
                                      "red above green")

    def test_12_pane_count_goes_back_to_one_and_swap_is_greyed(self):
        self.viewer.choose(MENU_PANE_COUNT)
        area = self.pane_area()
        # One pane: pane 2 stopped and hidden; pane 1 (now the green stream) stays.
        self.desktop.wait_for_picture(
            area, lambda image: colour_area(image, reddish) == 0 and
            colour_area(image, greenish) > 2000, "one pane")
        menu = self.viewer.open_tray_menu()
        items = self.viewer.menu_items(menu)
        self.assertEqual(len(items), 6)
        self.assertGreater(items[MENU_SWAP][1], items[MENU_SIDE][1] + 40)
        # From the same menu: "左右切り替え", checked in the next step.
        x, _, width, _ = self.desktop.geometry(menu)
        self.desktop.click(x + width // 2, items[MENU_SIDE][0])
        rig.wait_for(lambda: self.viewer.shown_menu() is None, "closed")

    def test_13_side_toggle_moves_the_strut_to_the_right_and_back(self):
        width = Session.width
        rig.wait_for(lambda: self.desktop.workarea() == (0, 0, WIDTH - width, HEIGHT),
                     "the work area without the right strip")
        strut = self.desktop.strut(self.viewer.window)
        self.assertEqual(strut[:4], (0, width, 0, 0))
        self.assertEqual(strut[6:8], (0, HEIGHT - 1))
        rig.wait_for(lambda: self.viewer.geometry() == (WIDTH - width, 0, width, HEIGHT),
                     "the bar at the right edge")
        # The bar now covers the tray at the top right; its own icon button opens the menu.
        self.viewer.choose(MENU_SIDE, from_bar=True)
        rig.wait_for(lambda: self.desktop.workarea() == (width, 0, WIDTH - width, HEIGHT),
                     "the bar back at the left")
        rig.wait_for(lambda: self.viewer.geometry() == (0, 0, width, HEIGHT), "at the left")

    def test_14_quit_ends_cleanly(self):
        self.viewer.choose(MENU_QUIT)
        self.assertEqual(self.viewer.program.wait_exit(), 0)
        ends_cleanly(self, self.viewer)


class Endings(unittest.TestCase):
    """Other ways a run ends."""

    @classmethod
    def setUpClass(cls):
        cls.desktop = rig.Desktop()
        cls.desktop.__enter__()
        cls.board = rig.DemoBoard("--seed", "1")

    @classmethod
    def tearDownClass(cls):
        cls.board.stop()
        cls.desktop.__exit__(None, None, None)

    def test_sigterm_and_interrupt_end_the_run_cleanly(self):
        for number in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=number):
                viewer = Viewer(self.desktop, VEXA, self.board, "--thread", SHOWCASE)
                try:
                    viewer.wait_docked()
                    rig.wait_for(self.desktop.tray_icons, "the tray icon")
                    viewer.wait_page(lambda page: "ngid:" in page, "the thread shown")
                    viewer.program.process.send_signal(number)
                    self.assertEqual(viewer.program.wait_exit(), 0)
                    ends_cleanly(self, viewer)
                finally:
                    viewer.program.stop()

    def test_without_a_display_it_says_so_and_ends(self):
        folder = tempfile.mkdtemp(prefix="vexa-e2e-")
        for display in (":99999", "nonsense"):
            with self.subTest(display=display):
                env = private_instance(folder)
                env["DISPLAY"] = display
                program = rig.Program(self.desktop, [VEXA, "--menu-host", self.board.address],
                                      folder=folder, env=env)
                self.assertNotEqual(program.wait_exit(), 0)
                printed = program.printed().strip().splitlines()
                self.assertEqual(len(printed), 1, printed)
                self.assertIn("display", printed[0].lower())
                self.assertTrue(program.log().endswith(TERMINATION + "\r\n"))
                self.assertEqual(self.desktop.tray_icons(), [])


if __name__ == "__main__":
    VEXA = sys.argv.pop(1)
    unittest.main(verbosity=2)
