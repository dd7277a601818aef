#!/usr/bin/python3
"""Top-level windows of given classes and sizes, as a foreign player shows them.

Arguments: CLASS:WIDTHxHEIGHT[:hidden] ...  Prints "ready" once all are mapped (or made), then
keeps the windows until stdin closes or the process is killed.
"""
import sys

from Xlib import X, display

d = display.Display()
screen = d.screen()
windows = []
for argument in sys.argv[1:]:
    parts = argument.split(":")
    name, size = parts[0], parts[1]
    width, height = (int(v) for v in size.split("x"))
    w = screen.root.create_window(40, 40, width, height, 0, screen.root_depth,
                                  background_pixel=screen.white_pixel,
                                  event_mask=X.StructureNotifyMask)
    w.set_wm_class("winamp", name)
    w.set_wm_name(name)
    hints = {"flags": 1 | 2 | 8, "min_width": width, "min_height": height,
             "max_width": width, "max_height": height}
    w.set_wm_normal_hints(hints)
    if len(parts) < 3:
        w.map()
    windows.append(w)
d.sync()
print("ready", flush=True)
# Keep the connection (and so the windows) while the test runs; answer events meanwhile.
import select
while True:
    r, _, _ = select.select([sys.stdin, d.fileno()], [], [], 1.0)
    if sys.stdin in r and not sys.stdin.readline():
        break
    while d.pending_events():
        d.next_event()
