"""The docked viewer on the rig's desktop: how to start it against the demo board and find what a
person looks at (the bar, its tool strip, the filter, the post view, the panes, the tray menu),
all from the screen and from what the program writes (--pages, vexa.log).
Shared by the whole-program tests, the screenshot script and the figures script.
"""

import glob
import os
import re
import subprocess
import tempfile

import rig

FACE = (238, 238, 238)  # the toolkit's face colour; also the pages' background (#EEE)
LINK = (0, 0, 255)  # link colour of the pages (#00F)
WHITE = (255, 255, 255)
TERMINATION = "===== program termination correctly ====="


def make_videos(folder, sources):
    """Short generated videos (VP8 in WebM) of a solid colour or a test pattern, one per entry of
    `sources`: (name, lavfi source). Returns their paths."""
    paths = []
    for name, source in sources:
        path = os.path.join(folder, name + ".webm")
        subprocess.run(["ffmpeg", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i", source,
                        "-t", "300", "-c:v", "libvpx", "-b:v", "60k", "-deadline", "realtime",
                        "-cpu-used", "8", path], check=True, timeout=300)
        paths.append(path)
    return paths


def private_instance(folder):
    """Environment that gives a run its own single-instance lock (it lives in the runtime or
    temporary folder), so runs of other tests or a person's own vexa do not meet it."""
    env = {"XDG_RUNTIME_DIR": os.path.join(folder, "run"), "TMPDIR": os.path.join(folder, "tmp")}
    for path in env.values():
        os.makedirs(path, mode=0o700, exist_ok=True)
    return env


class Viewer:
    """One run of the docked viewer in a folder of its own, with --pages."""

    def __init__(self, desktop, vexa, board, *arguments, env=None):
        self.desktop = desktop
        self.folder = tempfile.mkdtemp(prefix="vexa-e2e-")
        self.pages = os.path.join(self.folder, "pages")
        os.mkdir(self.pages)
        command = [vexa, "--menu-host", board.address, "--pages", self.pages, *arguments]
        self.env = private_instance(self.folder)
        self.env.update(env or {})
        self.program = rig.Program(desktop, command, folder=self.folder, env=self.env)
        self.window = None

    # ----- the window -----

    def wait_docked(self):
        """Waits for the bar: its window mapped at a screen edge with a strut. Returns it."""
        def docked():
            window = self.desktop.find_window(title_prefix="vexa/")
            if window is None or not self.desktop.viewable(window):
                return None
            return window if self.desktop.strut(window) else None
        self.window = rig.wait_for(docked, "the docked window")
        return self.window

    def geometry(self):
        return self.desktop.geometry(self.window)

    def strip(self):
        """The tool strip's buttons as (first x, last x) with the strip's middle y: the icon,
        "スレ検索" and "番組表" from the left."""
        x, y, width, _ = self.geometry()
        picture = self.desktop.wait_for_picture(
            (x, y, width, 21), lambda image: len(image.column_groups(FACE)) >= 3, "the tool strip")
        return picture.column_groups(FACE)[:3], y + 10

    def press(self, which):
        """Clicks a button of the strip: 0 the icon, 1 "スレ検索", 2 "番組表"."""
        buttons, middle = self.strip()
        first, last = buttons[which]
        self.desktop.click((first + last) // 2, middle)

    def white_bands(self):
        """Full-width white bands of the bar, top to bottom: the filter's field, then the post
        editor's. (x, y, width, height) each."""
        x, y, width, height = self.geometry()
        picture = self.desktop.grab(x, y, width, height)
        bands, start = [], None
        for row in range(y, y + height + 1):
            full = row < y + height and sum(
                1 for column in range(x, x + width) if picture.pixel(column, row) == WHITE
            ) >= width * 8 // 10
            if full and start is None:
                start = row
            elif not full and start is not None:
                if row - start >= 8:
                    bands.append((x + 2, start, width - 4, row - start))
                start = None
        return bands

    def filter_field(self):
        """The white edit field of the filter: (x, y, width, height)."""
        bands = rig.wait_for(self.white_bands, "the filter's field")
        return bands[0]

    def view_region(self):
        """The post view: between the filter's field and the post editor's."""
        bands = rig.wait_for(lambda: len(self.white_bands()) >= 2 and self.white_bands(),
                             "the filter's and the editor's fields")
        x, _, width, _ = self.geometry()
        top = bands[0][1] + bands[0][3] + 2
        return (x, top, width, bands[1][1] - 2 - top)

    def filter(self, text):
        """Replaces the filter's words with `text` (typed as a person would) and presses Enter;
        returns the list page that follows."""
        before = len(self.page_files())
        x, y, width, height = self.filter_field()
        self.desktop.click(x + width - 4, y + height // 2)
        for _ in range(12):
            self.desktop.key("BackSpace")
        if text:
            self.desktop.type_text(text)
        self.desktop.key("Return")
        return self.page(self.wait_page(lambda page: True, "a new list page", before))

    def open_thread(self, line):
        """Clicks the list's title that starts on `line` (0 the first) of the view; returns the
        index of its page of posts. The demo board's titles are known: the first one fits on
        one line at the bar's width, the second is the stream-link thread."""
        region = self.view_region()
        picture = self.desktop.wait_for_picture(
            region, lambda image: len(link_lines(image)) > line, "the list drawn")
        y, _, runs = link_lines(picture)[line]
        before = len(self.page_files())
        self.desktop.click(runs[0][0] + 10, y)
        return self.wait_page(lambda page: "ngid:" in page, "the thread's page", before)

    def scroll_to_end(self):
        """Turns the mouse wheel over the view until the page moves no more; returns the
        picture of the view then, with the pointer moved off the page."""
        region = self.view_region()
        x, y, width, height = region
        still = self.desktop.wait_until_still(region)
        while True:
            self.desktop.move(x + width // 2, y + height // 2)
            for _ in range(5):
                self.desktop.wheel(down=True)
            self.desktop.move(x + width - 3, y + height - 3)
            now = self.desktop.wait_until_still(region)
            if not now.differs(still):
                return now
            still = now

    # ----- what it wrote -----

    def page_files(self):
        return sorted(glob.glob(os.path.join(self.pages, "*.html")))

    def page(self, index=-1):
        files = self.page_files()
        with open(files[index], "rb") as source:
            return source.read().decode("cp932", "replace")

    def wait_page(self, test, what, after=0):
        """Waits for a page file written after the first `after` ones that passes test(text);
        returns its index."""
        def look():
            files = self.page_files()
            for index in range(after, len(files)):
                if test(self.page(index)):
                    return index + 1
            return None
        return rig.wait_for(look, what) - 1

    def log(self):
        return self.program.log()

    # ----- the tray menu -----

    def open_tray_menu(self):
        """Right-clicks the tray icon and waits for the menu; returns its window. A click that
        comes while the icon is still being set up, or while the last menu lets go of the
        pointer, opens nothing, as for a person, who would click again: so does this."""
        icons = rig.wait_for(self.desktop.tray_icons, "the tray icon")
        x, y, width, height = self.desktop.geometry(icons[0])

        menu = self.shown_menu

        def click_and_look():
            self.desktop.right_click(x + width // 2, y + height // 2)
            try:
                return rig.wait_for(menu, "the tray menu", timeout=3)
            except rig.RigError:
                return None

        window = rig.wait_for(click_and_look, "the tray menu")
        self.desktop.wait_until_still(self.desktop.geometry(window))
        return window

    def shown_menu(self):
        """The open menu, if any: a pop-up window on the screen and taller than a tooltip."""
        for window in self.desktop.popups():
            geometry = self.desktop.geometry(window)
            if geometry and geometry[3] > 60 and geometry[0] >= 0 and geometry[1] >= 0:
                return window
        return None

    def menu_items(self, menu):
        """The menu's rows of text, top to bottom, each as (y middle, darkest grey in it), so a
        greyed item shows as a lighter one."""
        picture = self.desktop.grab(*self.desktop.geometry(menu))
        background = most_common(picture)
        dark = [c for c in set_of_colours(picture) if luminance(c) < luminance(background) - 60]
        # Text rows; separators are thin lines.
        rows = [(top, bottom) for top, bottom in picture.row_groups(dark, gap=4)
                if bottom - top >= 5]
        items = []
        for top, bottom in rows:
            band = self.desktop.grab(picture.x, top, picture.width, bottom - top + 1)
            items.append(((top + bottom) // 2, min(luminance(c) for c in set_of_colours(band))))
        return items

    def choose(self, position, from_bar=False):
        """Opens the menu, from the tray icon or from the icon button in the bar, and clicks its
        item at `position` (0 = the first of six)."""
        if from_bar:
            self.press(0)
            menu = rig.wait_for(self.shown_menu, "the menu from the bar")
            self.desktop.wait_until_still(self.desktop.geometry(menu))
        else:
            menu = self.open_tray_menu()
        items = self.menu_items(menu)
        if len(items) != 6:
            raise rig.RigError("the menu shows %d items" % len(items))
        x, _, width, _ = self.desktop.geometry(menu)
        self.desktop.click(x + width // 2, items[position][0])
        rig.wait_for(lambda: self.shown_menu() is None, "the menu closed")
        return items


MENU_PANE1, MENU_PANE2, MENU_PANE_COUNT, MENU_SWAP, MENU_SIDE, MENU_QUIT = range(6)


def luminance(colour):
    return (colour[0] * 299 + colour[1] * 587 + colour[2] * 114) // 1000


def set_of_colours(picture):
    return {tuple(picture.rgb[i:i + 3]) for i in range(0, len(picture.rgb), 3)}


def most_common(picture):
    counts = {}
    for i in range(0, len(picture.rgb), 3):
        colour = picture.rgb[i:i + 3]
        counts[colour] = counts.get(colour, 0) + 1
    return tuple(max(counts, key=counts.get))


def colour_area(picture, test):
    """Pixels of the picture whose colour passes test(r, g, b)."""
    count = 0
    rgb = picture.rgb
    for i in range(0, len(rgb), 3):
        if test(rgb[i], rgb[i + 1], rgb[i + 2]):
            count += 1
    return count


def reddish(r, g, b):
    return r > 180 and g < 90 and b < 90


def greenish(r, g, b):
    return g > 180 and r < 90 and b < 90


def link_lines(picture):
    """Lines with links in the picture, top to bottom, found by the links' underlines. Each is
    (y of the text's middle, underline y, runs), runs being the (first x, last x) of each link's
    underline on that line. An underline row is nearly all plain link colour in long runs, where
    rows through glyphs also hold their smoothed edges."""
    width, height = picture.width, picture.height
    rgb = picture.rgb
    found = []
    for y in range(height):
        runs, start, exact, ink = [], None, 0, 0
        for x in range(width + 1):
            on = False
            if x < width:
                r, g, b = rgb[(y * width + x) * 3:(y * width + x) * 3 + 3]
                on = (r, g, b) == LINK
                exact += on
                ink += b > r + 60 and b > g + 60
            if on and start is None:
                start = x
            elif not on and start is not None:
                if x - start >= 4:
                    runs.append((picture.x + start, picture.x + x - 1))
                start = None
        covered = sum(last - first + 1 for first, last in runs)
        if not runs or max(last - first for first, last in runs) < 7 or covered * 10 < ink * 8:
            continue
        screen_y = picture.y + y
        if found and screen_y - found[-1][1] <= 8:
            # A stroke (the bar of "4" or "7") and an underline close together: the underline
            # spans the whole link, so the wider one is kept.
            if covered < sum(last - first + 1 for first, last in found[-1][2]):
                continue
            found.pop()
        found.append((screen_y - 6, screen_y, runs))
    return found


def screen_posts(picture, page, at_end=False):
    """The posts of a page of posts as drawn: each post's line begins with "[" (dark) and then
    its number (a link). Returns, in page order, dicts of number, poster, the number's point and
    the points of the post's other links, up to the next post's line. The lines on screen are
    the page's first posts, or with at_end (scrolled to the end) its last ones."""
    numbers = [(int(n), poster) for poster, n in
               re.findall(r'<a href="ngid:([^"]*)">(\d+)<span', page)]
    posts = []
    for y, underline, runs in link_lines(picture):
        first = runs[0][0]
        bracket = any(luminance(picture.pixel(x, yy)) < 160
                      for x in range(max(picture.x, first - 6), first)
                      for yy in range(underline - 12, underline - 1))
        if bracket:
            posts.append({"at": ((runs[0][0] + runs[0][1]) // 2, y),
                          "links": [((a + b) // 2, y) for a, b in runs[1:]]})
        elif posts:
            posts[-1]["links"].extend(((a + b) // 2, y) for a, b in runs)
    posts = posts[:len(numbers)]
    named = numbers[len(numbers) - len(posts):] if at_end else numbers[:len(posts)]
    for post, (number, poster) in zip(posts, named):
        post["number"], post["poster"] = number, poster
    return posts


def post_by_number(posts, number):
    for post in posts:
        if post["number"] == number:
            return post
    raise rig.RigError("post %d is not on the screen" % number)


def page_posts(page):
    """The posts of a page of posts in order: number, poster and the links after the number as
    (href, has a pop-up)."""
    posts = []
    pieces = re.split(r'\[<a href="ngid:', page)[1:]
    for piece in pieces:
        head = re.match(r'([^"]*)">(\d+)<span class="popup">[^<]*</span></a>\]', piece)
        if head is None:
            continue
        rest = piece[head.end():]
        links = [(href, body.find('class="popup"') >= 0) for href, body in
                 re.findall(r'<a href="([^"]*)">(.*?)</a>', rest)]
        posts.append({"number": int(head.group(2)), "poster": head.group(1), "links": links})
    return posts


def first_popup_anchor(page):
    """The number of the first post whose first link is a reply anchor with a pop-up."""
    for post in page_posts(page):
        if post["links"] and post["links"][0] == ("#", True):
            return post["number"]
    raise rig.RigError("no reply anchor with a pop-up on the page")
