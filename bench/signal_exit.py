#!/usr/bin/env python3
"""Measures how long `vexa --headless` takes to end after SIGINT while it parses a thread list of
almost 8 MiB (the download limit), the worst case a board can send.

    python3 bench/signal_exit.py build/normal/app/vexa [RUNS]

A local server on 127.0.0.1 serves the board menu and the list; each run waits for the first
"行目を解析" status line, sends SIGINT and times the exit. Prints each run and the median."""

import http.server
import os
import signal
import statistics
import subprocess
import sys
import threading
import time

LIMIT = 8 * 1024 * 1024


def make_subject():
    lines = []
    size = 0
    n = 1
    while size < LIMIT - 400:
        line = b"%d.dat<>Thread %d (5)\n" % (1000000000 + n, n)
        lines.append(line)
        size += len(line)
        n += 1
    return b"".join(lines), n - 1


class Board(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    subject = b""

    def log_message(self, *args):
        pass

    def do_GET(self):
        host = "127.0.0.1:%d" % self.server.server_address[1]
        if self.path == "/bbsmenu.html":
            body = ("<A HREF=http://%s/live/>ホロメキ</A><br>\n" % host).encode("cp932")
        elif self.path == "/live/subject.txt":
            body = Board.subject
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        try:
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass


def one_run(vexa, host):
    child = subprocess.Popen([vexa, "--headless", "--menu-host", host],
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seen = b""
    marker = "行目を解析".encode()
    while marker not in seen:
        chunk = os.read(child.stderr.fileno(), 65536)
        if not chunk:
            break
        seen = seen[-64:] + chunk
    start = time.monotonic()
    child.send_signal(signal.SIGINT)
    # Keep reading so the child never blocks on a full pipe.
    while os.read(child.stderr.fileno(), 65536):
        pass
    status = child.wait()
    return time.monotonic() - start, status


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    vexa = argv[1]
    runs = int(argv[2]) if len(argv) > 2 else 3
    Board.subject, count = make_subject()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Board)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    host = "127.0.0.1:%d" % server.server_address[1]
    print("list: %d bytes, %d lines" % (len(Board.subject), count))
    times = []
    for i in range(runs):
        seconds, status = one_run(vexa, host)
        times.append(seconds)
        print("run %d: %.3f s from SIGINT to exit, status %d" % (i + 1, seconds, status))
    print("median: %.3f s" % statistics.median(times))
    server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
