"""Checks of the desktop rig itself against small X clients of its own and the toolkit's
demonstration window, so a failure of a whole-program test points at the program, not the rig.

    rig_test.py TOOLKIT_DEMO
"""

import sys
import unittest

from Xlib import X, Xatom
from Xlib.protocol import event

import rig

TOOLKIT_DEMO = None
BACKGROUND = (238, 238, 238)  # the toolkit's face colour


def dock_client(desktop, side, width):
    """A window that reserves a strip at the left or right edge, as a docked bar does."""
    display = desktop.display
    screen_width, screen_height = desktop.size
    x = 0 if side == "left" else screen_width - width
    window = desktop.root.create_window(x, 0, width, screen_height, 0, X.CopyFromParent,
                                        background_pixel=0x336699)
    window.change_property(desktop.atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                           [desktop.atom("_NET_WM_WINDOW_TYPE_DOCK")])
    strut = [0] * 12
    if side == "left":
        strut[0], strut[4], strut[5] = width, 0, screen_height - 1
    else:
        strut[1], strut[6], strut[7] = width, 0, screen_height - 1
    window.change_property(desktop.atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32, strut)
    window.map()
    display.sync()
    return window


def tray_client(desktop):
    """A window that asks the tray host to embed it, as a status icon does (XEmbed)."""
    display = desktop.display
    window = desktop.root.create_window(0, 0, 22, 22, 0, X.CopyFromParent,
                                        background_pixel=0xCC3300)
    window.change_property(desktop.atom("_XEMBED_INFO"), desktop.atom("_XEMBED_INFO"), 32,
                           [0, 1])
    owner = display.get_selection_owner(desktop.atom("_NET_SYSTEM_TRAY_S0"))
    request = event.ClientMessage(window=owner, client_type=desktop.atom("_NET_SYSTEM_TRAY_OPCODE"),
                                  data=(32, [X.CurrentTime, 0, window.id, 0, 0]))
    owner.send_event(request, event_mask=X.NoEventMask)
    display.sync()
    return window


class DesktopRig(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = rig.Desktop()
        cls.desktop.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.__exit__(None, None, None)

    def test_the_work_area_starts_as_the_whole_screen(self):
        self.assertEqual(self.desktop.workarea(), (0, 0) + rig.SCREEN)
        self.assertIsNotNone(self.desktop.find_window(wm_class="trayer"))

    def test_struts_shrink_the_work_area_and_are_read_back(self):
        cases = [("left", 200, (200, 0, 1080, 800)), ("right", 150, (0, 0, 1130, 800))]
        for side, width, area in cases:
            with self.subTest(side=side):
                window = dock_client(self.desktop, side, width)
                try:
                    rig.wait_for(lambda: self.desktop.workarea() == area, "the work area")
                    struts = [s for w, s in self.desktop.struts() if w.id == window.id]
                    self.assertEqual(len(struts), 1)
                    self.assertEqual(struts[0][0 if side == "left" else 1], width)
                    picture = self.desktop.grab(*self.desktop.geometry(window))
                    self.assertEqual(picture.find((0x33, 0x66, 0x99)).__len__(),
                                     picture.width * picture.height)
                finally:
                    window.destroy()
                    self.desktop.display.sync()
                rig.wait_for(lambda: self.desktop.workarea() == (0, 0) + rig.SCREEN,
                             "the whole screen again")

    def test_an_embedded_icon_is_found_in_the_tray_and_gone_after(self):
        self.assertEqual(self.desktop.tray_icons(), [])
        window = tray_client(self.desktop)
        try:
            icons = rig.wait_for(self.desktop.tray_icons, "the icon in the tray")
            self.assertEqual([w.id for w in icons], [window.id])
        finally:
            window.destroy()
            self.desktop.display.sync()
        rig.wait_for(lambda: self.desktop.tray_icons() == [], "the tray empty again")

    def test_clicks_and_japanese_typing_reach_a_toolkit_window(self):
        demo = rig.Program(self.desktop, [TOOLKIT_DEMO])
        try:
            window = rig.wait_for(lambda: self.desktop.find_window(title="vexa toolkit"),
                                  "the demonstration window")
            self.assertIn("toolkit_demo", self.desktop.wm_class(window))
            x, y, width, height = self.desktop.geometry(window)
            # The strip is the top 24 pixels: the icon, "スレ検索", "番組表" from the left.
            strip = self.desktop.wait_for_picture(
                (x, y, width, 24), lambda image: len(image.column_groups(BACKGROUND)) >= 3,
                "the tool strip drawn")
            icon, search, view = strip.column_groups(BACKGROUND)[:3]
            self.assertLess(icon[1] - icon[0], search[1] - search[0])
            self.desktop.click((search[0] + search[1]) // 2, y + 12)
            self.desktop.click((view[0] + view[1]) // 2, y + 12)
            # The filter's edit box is the white field below the strip.
            field = self.desktop.grab(x, y, width, height).find((255, 255, 255))
            self.assertTrue(field)
            self.desktop.click(field[len(field) // 2][0], field[len(field) // 2][1])
            self.desktop.type_text("+ア")
            self.desktop.key("Return")
            # The window shows what was typed: dark text in the white field.
            rig.wait_for(lambda: any(
                self.desktop.grab(x, field[0][1], width, field[-1][1] - field[0][1]).find(
                    (0, 0, 0), tolerance=90)), "the typed text")
        finally:
            demo.stop()
        self.assertIn("searches 1, list switches 1, filter reloads 1", demo.printed())

    def test_a_region_picture_is_saved_as_png(self):
        import os
        import tempfile
        path = os.path.join(tempfile.mkdtemp(prefix="vexa-rig-"), "top.png")
        self.desktop.grab(0, 0, 40, 10).save(path)
        with open(path, "rb") as source:
            head = source.read(24)
        self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(head[16:24], b"\0\0\0\x28\0\0\0\x0a")


def wait_for_deadline_is_honest():
    """wait_for raises at its deadline instead of hanging (used by the case below)."""
    try:
        rig.wait_for(lambda: False, "nothing", timeout=0.1)
    except rig.RigError as error:
        return str(error)
    return None


class Waiting(unittest.TestCase):
    def test_a_condition_that_never_holds_ends_with_its_name(self):
        self.assertEqual(wait_for_deadline_is_honest(), "timed out waiting for nothing")

    def test_the_value_of_the_condition_is_returned(self):
        values = iter([None, 0, "", 7])
        self.assertEqual(rig.wait_for(lambda: next(values), "seven"), 7)


if __name__ == "__main__":
    TOOLKIT_DEMO = sys.argv.pop(1)
    unittest.main(verbosity=2)
