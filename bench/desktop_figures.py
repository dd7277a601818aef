#!/usr/bin/python3
"""Figures of the docked viewer on a private desktop (Xvfb, openbox, trayer) against the demo
board, in one run; not a test:

  1. click on a full thread (1000 posts) in the list to its page drawn: from the XTest click to
     the last drawing in the post view, timed by the X DAMAGE extension's reports on the root
     window (the drawing settles: nothing more for a second); five clicks, the median and range;
     and the part of it up to the page's file (--pages) being written;
  2. CPU (utime + stime) and wake-ups (voluntary + involuntary context switches of every
     thread) while it watches a quiet thread, over QUIET seconds (60);
  3. PSS of the whole process (smaps_rollup) with the list, a thread grown to 1000 posts over
     ten polls behind it and both panes shown, idle (polls are 30 s or more apart: minutes);
  4. the time from SIGTERM to the end of the process.

    /usr/bin/python3 bench/desktop_figures.py [--vexa PATH] [--quiet SECONDS] [--polls N]
"""

import argparse
import os
import re
import select
import signal
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e", "desktop"))

import rig  # noqa: E402
from viewer_session import MENU_PANE_COUNT, Viewer, link_lines  # noqa: E402
from Xlib.ext import damage  # noqa: E402

PART40 = "1699996000.dat"  # full from the start: 1000 posts and the closing line
PART41 = "1700000400.dat"  # 900 posts; grows by --step posts a poll


def say(text):
    print(text, flush=True)


def clock_ticks():
    return os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as source:
        fields = source.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / clock_ticks()


def switches(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as source:
                for line in source:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass  # a worker that ended meanwhile
    return total


def pss_kib(pid):
    with open("/proc/%d/smaps_rollup" % pid) as source:
        for line in source:
            if line.startswith("Pss:"):
                return int(line.split()[1])
    return 0


def threads(pid):
    return len(os.listdir("/proc/%d/task" % pid))


class DamageWatch:
    """DamageNotify reports of the root window, timestamped as they arrive."""

    def __init__(self, desktop):
        self.display = desktop.display
        self.display.damage_query_version()
        self.damage = desktop.root.damage_create(damage.DamageReportRawRectangles)
        self.display.sync()

    def drain(self):
        while self.display.pending_events():
            self.display.next_event()

    def collect(self, region, quiet=1.0, limit=30.0):
        """Times (monotonic) of reports that touch the region until none came for `quiet`."""
        x0, y0, width, height = region
        times = []
        start = time.monotonic()
        last = start
        while time.monotonic() - last < quiet and time.monotonic() - start < limit:
            readable, _, _ = select.select([self.display.fileno()], [], [], 0.05)
            if not readable and not self.display.pending_events():
                continue
            self.display.pending_events()  # reads what the socket holds
            while self.display.pending_events():
                event = self.display.next_event()
                now = time.monotonic()
                area = getattr(event, "area", None)
                if area is None:
                    continue
                if (area.x < x0 + width and area.x + area.width > x0 and
                        area.y < y0 + height and area.y + area.height > y0):
                    times.append(now)
                    last = now
        return times


def click_to_drawn(desktop, viewer, rounds):
    """Clicks the full thread in the list `rounds` times (going back to the list between) and
    returns the milliseconds from each click to the last drawing of its page."""
    watch = DamageWatch(desktop)
    results = []
    for _ in range(rounds):
        before = len(viewer.page_files())
        viewer.press(1)
        viewer.wait_page(lambda page: "thread:" in page, "the list", before)
        region = viewer.view_region()
        still = desktop.wait_until_still(region, quiet=0.5)
        # The full thread is the last title: one line at the bar's width.
        assert re.findall(r'href="thread:([^"]*)"', viewer.page())[-1] == PART40
        y, _, runs = link_lines(still)[-1]
        point = (runs[0][0] + 10, y)
        desktop.move(*point)
        desktop.wait_until_still(region, quiet=0.5)  # the hover's repaint is not counted
        watch.drain()
        before = len(viewer.page_files())
        desktop.click(*point)
        clicked, clicked_wall = time.monotonic(), time.time()
        times = watch.collect(region)
        index = viewer.wait_page(lambda page: "ngid:" in page, "the thread's page", before)
        written = os.stat(viewer.page_files()[index]).st_mtime - clicked_wall
        if times:
            results.append(((times[-1] - clicked) * 1000, written * 1000))
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--vexa", default=os.path.join(HERE, "..", "build", "normal", "app",
                                                       "vexa"))
    parser.add_argument("--quiet", type=float, default=60.0)
    parser.add_argument("--polls", type=int, default=10)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    vexa = os.path.abspath(args.vexa)

    with rig.Desktop() as desktop:
        # 1. Click to page drawn; the board does not grow, so every click loads the same bytes.
        with rig.DemoBoard("--seed", "1", "--step", "0") as board:
            viewer = Viewer(desktop, vexa, board)
            try:
                viewer.wait_docked()
                say("1. click on a 1000-post thread to its page drawn (%d clicks)" % args.rounds)
                results = click_to_drawn(desktop, viewer, args.rounds)
                drawn = [d for d, _ in results]
                written = [w for _, w in results]
                say("   to the last drawing: median %.1f ms, range %.1f-%.1f ms (target < 40 ms)"
                    % (statistics.median(drawn), min(drawn), max(drawn)))
                say("   of which to the page written (download from the demo board, parse, "
                    "page): median %.1f ms" % statistics.median(written))

                # 2. A quiet thread: the board never adds a post.
                viewer.open_thread(1)
                region = viewer.view_region()
                desktop.move(rig.SCREEN[0] - 1, rig.SCREEN[1] - 1)
                desktop.wait_until_still(region)
                pid = viewer.program.pid()
                say("2. watching a quiet thread for %.0f s" % args.quiet)
                cpu0, wake0, t0 = cpu_seconds(pid), switches(pid), time.monotonic()
                time.sleep(args.quiet)
                cpu1, wake1, t1 = cpu_seconds(pid), switches(pid), time.monotonic()
                say("   CPU %.3f %% of a core (target < 0.1 %%), %.2f wake-ups a second "
                    "(target < 5), %d threads" % (
                        100 * (cpu1 - cpu0) / (t1 - t0), (wake1 - wake0) / (t1 - t0),
                        threads(pid)))
            finally:
                viewer.program.stop()

        # 3. PSS with a thread grown to 1000 posts over ten polls, both panes shown and idle.
        step = max(1, 100 // max(1, args.polls))
        with rig.DemoBoard("--seed", "1", "--step", str(step)) as board:
            viewer = Viewer(desktop, vexa, board, "--thread", PART41)
            try:
                viewer.wait_docked()
                viewer.choose(MENU_PANE_COUNT)
                viewer.wait_page(lambda page: "ngid:" in page, "the thread")
                say("3. PSS after %d polls of a thread growing to 1000 posts "
                    "(polls are at least 30 s apart)" % args.polls)
                start = len(viewer.page_files())
                deadline = time.monotonic() + 60 * (args.polls + 2)
                polls = 0
                while polls < args.polls and time.monotonic() < deadline:
                    time.sleep(1)
                    polls = len(viewer.page_files()) - start
                pid = viewer.program.pid()
                say("   %d pages after the first; PSS %.1f MB (target < 60 MB), %d threads" % (
                    polls, pss_kib(pid) / 1024, threads(pid)))

                # 4. SIGTERM to the end of the process.
                signalled = time.monotonic()
                viewer.program.process.send_signal(signal.SIGTERM)
                viewer.program.wait_exit()
                say("4. SIGTERM to the end of the run: %.0f ms" % (
                    (time.monotonic() - signalled) * 1000))
            finally:
                viewer.program.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
