"""A private desktop for whole-program tests: Xvfb, openbox, a tray host (trayer), the demo board,
and helpers to find windows, read struts, take pictures of the screen and act as a person would
through XTest. Every wait polls a condition up to a generous deadline; nothing sleeps and hopes.
"""

import os
import signal
import struct
import subprocess
import tempfile
import time
import zlib

from Xlib import X, XK, display as xdisplay, error as xerror
from Xlib.ext import xtest

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
SCREEN = (1280, 800)
DEADLINE = 30.0  # seconds: generous, for a loaded two-core machine


class RigError(Exception):
    pass


def wait_for(condition, what, timeout=DEADLINE, interval=0.02):
    """Polls condition() until it returns something true, and returns that; raises when the
    deadline passes."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise RigError("timed out waiting for " + what)
        time.sleep(interval)


def write_png(path, width, height, rgb):
    """A plain 8-bit RGB PNG of rows of width*3 bytes."""
    rows = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(rows, 6)))
        out.write(chunk(b"IEND", b""))


class Image:
    """Pixels of a screen region as RGB triples."""

    def __init__(self, x, y, width, height, rgb):
        self.x, self.y, self.width, self.height, self.rgb = x, y, width, height, rgb

    def pixel(self, x, y):
        """The colour at screen position (x, y), which must lie inside the region."""
        at = ((y - self.y) * self.width + (x - self.x)) * 3
        return tuple(self.rgb[at:at + 3])

    def find(self, colour, tolerance=0):
        """Screen positions of pixels of this colour, top to bottom, left to right."""
        found = []
        for y in range(self.height):
            row = self.rgb[y * self.width * 3:(y + 1) * self.width * 3]
            for x in range(self.width):
                r, g, b = row[x * 3:x * 3 + 3]
                if (abs(r - colour[0]) <= tolerance and abs(g - colour[1]) <= tolerance
                        and abs(b - colour[2]) <= tolerance):
                    found.append((self.x + x, self.y + y))
        return found

    def rows_with(self, colour, tolerance=0):
        """Screen rows that hold the colour, each with its leftmost and rightmost x."""
        rows = {}
        for x, y in self.find(colour, tolerance):
            low, high = rows.get(y, (x, x))
            rows[y] = (min(low, x), max(high, x))
        return rows

    def column_groups(self, background, gap=3):
        """Runs of columns that hold anything but the background colour, separated by at least
        `gap` background columns: (first x, last x) on the screen, left to right. Buttons in a
        strip, words in a line. Rows with no background at all (rules, borders) are left out."""
        width = self.width
        rows = []
        for y in range(self.height):
            row = [self.rgb[(y * width + x) * 3:(y * width + x) * 3 + 3] for x in range(width)]
            mask = [tuple(c) != background for c in row]
            if not all(mask):
                rows.append(mask)
        busy = [any(mask[x] for mask in rows) for x in range(width)]
        groups, start, blank, end = [], None, 0, 0
        for x, filled in enumerate(busy):
            if filled:
                if start is None:
                    start = x
                blank, end = 0, x
            elif start is not None:
                blank += 1
                if blank >= gap:
                    groups.append((self.x + start, self.x + end))
                    start = None
        if start is not None:
            groups.append((self.x + start, self.x + end))
        return groups

    def row_groups(self, colours, gap=1):
        """Runs of rows that hold any of the colours, separated by at least `gap` rows without:
        (first y, last y) on the screen, top to bottom. Lines of text of a given colour."""
        wanted = set(colours)
        width = self.width
        busy = []
        for y in range(self.height):
            row = self.rgb[y * width * 3:(y + 1) * width * 3]
            busy.append(any(tuple(row[x * 3:x * 3 + 3]) in wanted for x in range(width)))
        groups, start, blank, end = [], None, 0, 0
        for y, filled in enumerate(busy):
            if filled:
                if start is None:
                    start = y
                blank, end = 0, y
            elif start is not None:
                blank += 1
                if blank >= gap:
                    groups.append((self.y + start, self.y + end))
                    start = None
        if start is not None:
            groups.append((self.y + start, self.y + end))
        return groups

    def count(self, colour):
        return len(self.find(colour))

    def differs(self, other):
        return self.rgb != other.rgb

    def save(self, path):
        write_png(path, self.width, self.height, self.rgb)


class Desktop:
    """Xvfb + openbox + trayer. Use as a context manager; everything started is stopped on exit,
    on failure too."""

    def __init__(self, size=SCREEN, tray=True):
        self.size = size
        self.tray = tray
        self.processes = []
        self.display = None
        self.name = None
        self.last_click = 0.0

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *_):
        self.stop()

    def start(self):
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % self.size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.processes.append(server)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                piece = pipe.read(1)
                if not piece:
                    raise RigError("Xvfb did not start")
                number += piece
        self.name = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.display = wait_for(self._connect, "the X server")
        self.root = self.display.screen().root
        self.spawn(["openbox", "--sm-disable"])
        # openbox owns the check window early; the work area comes once it manages the screen.
        wait_for(lambda: self.root_property("_NET_SUPPORTING_WM_CHECK") is not None
                 and self.root_property("_NET_WORKAREA") is not None, "the window manager")
        if self.tray:
            self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                        "--width", "120", "--height", "24", "--transparent", "false"])
            selection = self.atom("_NET_SYSTEM_TRAY_S0")
            wait_for(lambda: self.display.get_selection_owner(selection) != X.NONE,
                     "the tray host")
            # Requests to dock that come before the panel is shown can be lost.
            self.tray_window = wait_for(self._tray_panel, "the tray host shown")

    def _tray_panel(self):
        for window in self.clients():
            if "trayer" in (self.wm_class(window) or ()) and self.viewable(window):
                return window
        return None

    def _connect(self):
        try:
            return xdisplay.Display(self.name)
        except (xerror.DisplayError, ConnectionError, OSError):
            return None

    def spawn(self, command, **options):
        options.setdefault("stdout", subprocess.DEVNULL)
        options.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(command, env=options.pop("env", self.env), **options)
        self.processes.append(process)
        return process

    def stop(self):
        if self.display is not None:
            try:
                self.display.close()
            except Exception:
                pass
            self.display = None
        for process in reversed(self.processes):
            stop_process(process)
        self.processes = []

    # ----- properties and windows -----

    def atom(self, name):
        return self.display.intern_atom(name)

    def property(self, window, name, kind=X.AnyPropertyType):
        try:
            reply = window.get_full_property(self.atom(name), kind)
        except (xerror.BadWindow, xerror.BadMatch):
            return None
        return None if reply is None else reply.value

    def root_property(self, name):
        return self.property(self.root, name)

    def workarea(self):
        """(x, y, width, height) of the first desktop's work area."""
        value = self.root_property("_NET_WORKAREA")
        return tuple(value[:4]) if value is not None else None

    def clients(self):
        value = self.root_property("_NET_CLIENT_LIST")
        return [self.display.create_resource_object("window", w) for w in (value or [])]

    def title(self, window):
        value = self.property(window, "_NET_WM_NAME")
        if value is None:
            value = self.property(window, "WM_NAME")
        if value is None:
            return None
        return value.decode("utf-8", "replace") if isinstance(value, bytes) else value

    def wm_class(self, window):
        try:
            value = window.get_wm_class()
        except (xerror.BadWindow, xerror.BadMatch):
            return None
        return value

    def find_window(self, title=None, title_prefix=None, wm_class=None):
        """A shown window that matches: a managed one (from _NET_CLIENT_LIST) first, else any in
        the tree. Unmapped windows (a toolkit's group leader has the same class) never match."""
        def matches(window):
            if not self.viewable(window):
                return False
            if title is not None and self.title(window) != title:
                return False
            if title_prefix is not None and not (self.title(window) or "").startswith(title_prefix):
                return False
            if wm_class is not None and wm_class not in (self.wm_class(window) or ()):
                return False
            return True
        for window in self.clients():
            if matches(window):
                return window
        for window in self.descendants(self.root):
            if matches(window):
                return window
        return None

    def descendants(self, window):
        out = []
        try:
            children = window.query_tree().children
        except (xerror.BadWindow, xerror.BadMatch):
            return out
        for child in children:
            out.append(child)
            out.extend(self.descendants(child))
        return out

    def viewable(self, window):
        try:
            return window.get_attributes().map_state == X.IsViewable
        except (xerror.BadWindow, xerror.BadMatch):
            return False

    def geometry(self, window):
        """(x, y, width, height) of the window on the screen."""
        try:
            geometry = window.get_geometry()
            at = window.translate_coords(self.root, 0, 0)
        except (xerror.BadWindow, xerror.BadDrawable):
            return None
        return (-at.x, -at.y, geometry.width, geometry.height)

    def strut(self, window):
        """_NET_WM_STRUT_PARTIAL: left, right, top, bottom and the start and end of each."""
        value = self.property(window, "_NET_WM_STRUT_PARTIAL")
        return tuple(value) if value is not None else None

    def struts(self):
        """The partial struts of every managed window that has one."""
        out = []
        for window in self.clients():
            value = self.strut(window)
            if value is not None:
                out.append((window, value))
        return out

    def tray_icons(self):
        """Windows embedded in the tray host: they carry _XEMBED_INFO and sit inside the panel."""
        if not self.tray:
            return []
        return [w for w in self.descendants(self.tray_window)
                if self.property(w, "_XEMBED_INFO") is not None and self.viewable(w)]

    def popups(self):
        """Viewable override-redirect windows at the top level: open menus and tooltips."""
        out = []
        for window in self.root.query_tree().children:
            try:
                attributes = window.get_attributes()
            except (xerror.BadWindow, xerror.BadMatch):
                continue
            if attributes.override_redirect and attributes.map_state == X.IsViewable:
                out.append(window)
        return out

    def window_type(self, window):
        value = self.property(window, "_NET_WM_WINDOW_TYPE")
        names = []
        for atom in value or []:
            names.append(self.display.get_atom_name(atom))
        return names

    def window_state(self, window):
        return [self.display.get_atom_name(a) for a in self.property(window, "_NET_WM_STATE") or []]

    # ----- pictures -----

    def grab(self, x=0, y=0, width=None, height=None):
        width = self.size[0] - x if width is None else width
        height = self.size[1] - y if height is None else height
        image = self.root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        rgb = bytearray(width * height * 3)
        # 24-bit depth comes as 32-bit little-endian pixels: B, G, R, pad.
        rgb[0::3] = data[2::4]
        rgb[1::3] = data[1::4]
        rgb[2::3] = data[0::4]
        return Image(x, y, width, height, bytes(rgb))

    def wait_for_picture(self, region, test, what, timeout=DEADLINE):
        """Grabs the region until test(image) holds; returns that image."""
        def look():
            image = self.grab(*region)
            return image if test(image) else None
        return wait_for(look, what, timeout, interval=0.05)

    def wait_until_still(self, region, quiet=0.3, timeout=DEADLINE):
        """Waits until the region stays unchanged for `quiet` seconds; returns its picture."""
        last = self.grab(*region)
        since = time.monotonic()
        end = since + timeout
        while time.monotonic() < end:
            time.sleep(0.05)
            now = self.grab(*region)
            if now.differs(last):
                last, since = now, time.monotonic()
            elif time.monotonic() - since >= quiet:
                return now
        raise RigError("the screen kept changing")

    # ----- input -----

    def move(self, x, y):
        xtest.fake_input(self.display, X.MotionNotify, x=x, y=y)
        self.display.sync()

    def click(self, x, y, button=1):
        # Two presses closer than the double-click time would be read as one double click; a
        # person clicking two things is never that fast.
        pause = self.last_click + 0.5 - time.monotonic()
        if pause > 0:
            time.sleep(pause)
        self.move(x, y)
        self.last_click = time.monotonic()
        xtest.fake_input(self.display, X.ButtonPress, button)
        xtest.fake_input(self.display, X.ButtonRelease, button)
        self.display.sync()

    def wheel(self, down=True):
        """One notch of the mouse wheel where the pointer is."""
        button = 5 if down else 4
        xtest.fake_input(self.display, X.ButtonPress, button)
        xtest.fake_input(self.display, X.ButtonRelease, button)
        self.display.sync()

    def middle_click(self, x, y):
        self.click(x, y, 2)

    def right_click(self, x, y):
        self.click(x, y, 3)

    def key(self, name):
        """Presses and releases a key by its keysym name, for example "Return" or "Escape"."""
        code = self.display.keysym_to_keycode(XK.string_to_keysym(name))
        if code == 0:
            raise RigError("no key for " + name)
        xtest.fake_input(self.display, X.KeyPress, code)
        xtest.fake_input(self.display, X.KeyRelease, code)
        self.display.sync()

    def type_text(self, text):
        """Types any text, Japanese too, through xdotool (it maps spare keycodes)."""
        subprocess.run(["xdotool", "type", "--delay", "30", "--", text], env=self.env,
                       check=True, timeout=DEADLINE)


def stop_process(process, grace=5.0):
    """SIGTERM, then SIGKILL after the grace time; reaps the process."""
    if process.poll() is not None:
        return process.returncode
    try:
        process.send_signal(signal.SIGTERM)
        return process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        return process.wait()


class DemoBoard:
    """The demo board on a free port of 127.0.0.1; stops with its parent too (--watch-stdin)."""

    def __init__(self, *arguments):
        self.process = subprocess.Popen(
            ["python3", os.path.join(TOP, "tools", "demo_board.py"), "--watch-stdin",
             *arguments],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.address = self.process.stdout.readline().decode().strip()
        self.busiest = self.process.stdout.readline().decode().strip()
        if not self.address:
            stop_process(self.process)
            raise RigError("the demo board did not start")

    def stop(self):
        if self.process.stdin:
            self.process.stdin.close()
        stop_process(self.process)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()


class Program:
    """A program run in a temporary folder of its own (vexa writes vexa.log there)."""

    def __init__(self, desktop, command, folder=None, env=None):
        self.folder = folder or tempfile.mkdtemp(prefix="vexa-e2e-")
        environment = dict(desktop.env)
        environment.update(env or {})
        self.output_path = os.path.join(self.folder, "output.txt")
        self.output = open(self.output_path, "wb")
        self.process = desktop.spawn(command, cwd=self.folder, env=environment,
                                     stdout=self.output, stderr=subprocess.STDOUT)

    def log(self):
        path = os.path.join(self.folder, "vexa.log")
        try:
            with open(path, "rb") as source:
                return source.read().decode("utf-8", "replace")
        except FileNotFoundError:
            return None

    def log_lines(self):
        text = self.log()
        return None if text is None else text.replace("\r\n", "\n").split("\n")

    def printed(self):
        if not self.output.closed:
            self.output.flush()
        with open(self.output_path, "rb") as source:
            return source.read().decode("utf-8", "replace")

    def wait_exit(self, timeout=DEADLINE):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise RigError("the program did not end")

    def stop(self):
        code = stop_process(self.process)
        self.output.close()
        return code

    def pid(self):
        return self.process.pid
