#!/usr/bin/env python3
"""The demo board: a small local server of the board service's formats.

It serves the board menu (/bbsmenu.html), each board's subject.txt, the thread data files
(/BOARD/dat/KEY.dat), and the thread pages with their write form (/test/read.cgi/BOARD/KEY/l1),
all as Shift_JIS (cp932) bytes over HTTP/1.1 with Content-Length or, switchably, chunked framing.

Two ways to grow:
  live mode (default): threads gain posts as time passes, at --rate posts a minute for the
      thread being commented on; contents are random.
  seeded mode (--seed N): no clock and no unseeded randomness at all. Every data file serves its
      initial posts on its first request and --step more posts on each later request, so a
      client that makes the same requests always receives the same bytes.

The first line on standard output is the address the server listens on, HOST:PORT, so that a
caller that asked for port 0 can read the port chosen; the second is the key of the thread being
commented on (what `vexa --headless --thread` takes).

Python's standard library only.
"""

import argparse
import http.server
import os
import random
import re
import shutil
import signal
import socketserver
import ssl
import subprocess
import tempfile
import struct
import sys
import threading
import time

ENCODING = "cp932"
FULL = 1000  # a thread takes no more posts than this
SUCCESSOR_AT = 950  # a series thread this long gets its successor
SEEDED_NOW = 1700005000  # the fixed "present" of seeded mode, seconds since the epoch
JST = 9 * 3600
WEEKDAYS = "月火水木金土日"

DEFAULT_NAME = "名無しさん＠実況は実況板で"
OTHER_NAMES = [
    "名無しさん＠お腹いっぱい。",
    "風吹けば名無し",
    "ななしのホロリスト ◆Holo/MEki2",
    "実況民",
]

PHRASES = [
    "きたああああああ",
    "ｷﾀ━━━━(ﾟ∀ﾟ)━━━━!!",
    "草",
    "これは神回",
    "音ズレてない？",
    "画質ひどいな",
    "それな",
    "わかる",
    "今北産業",
    "おつ",
    "ここすき",
    "まじかよ",
    "声かわいい",
    "うおおおおお",
    "ﾜﾛﾀ",
    "やったぜ。",
    "ちょっと待って",
    "え？",
    "今日の配信長くない？",
    "来週も楽しみ",
    "BGMなんて曲？",
    "&gt;&gt;1 乙",
    "&quot;神回&quot;確定",
    "&lt;●&gt;&lt;●&gt; 見てるぞ",
    "A&amp;B コラボ助かる",
    "ｱｲｳｴｵ 半角で失礼",
    "ＦＵＬＬＷＩＤＴＨ　ＴＥＸＴ",
    "～～～♪",
    "ぬるぽ",
    "ｶﾞｯ",
    "エモい",
    "はい優勝",
    "ワイプ邪魔",
    "鯖落ち？",
    "重いな",
    "実況スレここであってる？",
    "テロップ誤字ってて草",
    "これ生放送？",
    "【速報】ホロメキ、今日も平和",
    "ι゛ってなんだよ",
]

ASCII_ART = [
    "　　∧＿∧",
    "　（　´∀｀）",
    "　（　　　　）",
    "　｜ ｜　|",
    "　（_＿）＿）",
]

STREAM_ADDRESSES = [
    "http://www.example.com/live/main.asx",
    "ttp://sub.example.net/ch2?id=7&amp;q=1",
    "mms://media.example.jp/holo/radio",
    "198.51.100.23:8080/stream.nsv",
    "203.0.113.5",
    "http://example.org/a_b~c/%E3%81%82;x,y+z-1=2",
    "https://secure.example.com/watch",  # linked as https, not as a stream
]

ID_CHARS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"


def sjis(text):
    return text.encode(ENCODING)


def format_date(seconds, centiseconds):
    t = time.gmtime(int(seconds) + JST)
    return "%04d/%02d/%02d(%s) %02d:%02d:%02d.%02d" % (
        t.tm_year, t.tm_mon, t.tm_mday, WEEKDAYS[t.tm_wday], t.tm_hour, t.tm_min, t.tm_sec,
        centiseconds)


def anchor(board, key, target):
    """A reply anchor as the board writes it into a data file."""
    return '<a href="../test/read.cgi/%s/%d/%s" target="_blank">&gt;&gt;%s</a>' % (
        board, key, target, target)


class Thread:
    def __init__(self, board, key, title, series=None, part=None):
        self.board = board
        self.key = key
        self.title = title
        self.series = series  # title before the part number, for threads that get successors
        self.part = part
        self.lines = []  # data file lines, bytes without line end
        self.last_post_time = key
        self.listed = True  # shown in subject.txt
        self.gone = False  # its data file answers 404
        self.rate = 0.0  # posts a minute in live mode
        self.pending = 0.0  # fractional posts owed in live mode
        self.requests = 0  # data file requests served
        self.vanish_after = None  # data requests after which the thread falls off the server
        self.filled_at = None
        self.has_successor = False
        self.successor = None

    def count(self):
        return len(self.lines)

    def is_full(self):
        return len(self.lines) >= FULL

    def subject_line(self):
        return sjis("%d.dat<>" % self.key) + self.title_bytes() + sjis(" (%d)" % len(self.lines))

    def title_bytes(self):
        return sjis(self.title)

    def dat_bytes(self):
        return b"".join(line + b"\n" for line in self.lines)


class Board:
    def __init__(self, path, title):
        self.path = path
        self.title = title
        self.threads = []

    def find(self, key):
        for thread in self.threads:
            if thread.key == key:
                return thread
        return None


class DemoBoard:
    """The boards, their threads and how they grow. Every method is called under self.lock."""

    def __init__(self, seed, step, rate, seeded, vanish_after):
        self.seeded = seeded
        self.seed = seed
        self.step = step
        self.rate = rate
        self.vanish_after = vanish_after
        self.lock = threading.Lock()
        self.started = time.monotonic()
        self.last_update = self.started
        self.clock = SEEDED_NOW if seeded else int(time.time())
        self.random = random.Random("%d/live" % seed)
        self.boards = []
        self.menu_boards = []  # (category, title, path or None for a foreign host)
        self._build()

    # ----- time -----

    def now(self):
        """Seconds since the epoch for new posts: the synthetic clock in seeded mode."""
        if self.seeded:
            return self.clock
        return int(time.time())

    def _tick(self):
        if self.seeded:
            self.clock += 4
        return self.now()

    # ----- posts -----

    def make_post(self, thread, number, when):
        """Data file line of post `number`; its content depends only on the seed, thread and number."""
        rng = random.Random("%d/%s/%d/%d" % (self.seed, thread.board.path, thread.key, number))
        poster = int(40 * rng.random() ** 1.5)  # a few posters write most posts
        name = DEFAULT_NAME if rng.random() < 0.9 else rng.choice(OTHER_NAMES)
        mail = "sage" if rng.random() < 0.4 else ("age" if rng.random() < 0.02 else "")
        date = format_date(when, rng.randrange(100))
        roll = rng.random()
        if roll < 0.04:
            pass  # a poster without an ID
        elif roll < 0.05:
            date += " ID:???"
        else:
            date += " ID:" + self.poster_id(thread, poster)
        body = self.make_body(rng, thread, number)
        title = thread.title if number == 1 else ""
        return sjis("%s<>%s<>%s<> %s <>%s" % (name, mail, date, body, title))

    def poster_id(self, thread, poster):
        rng = random.Random("%d/id/%s/%d/%d" % (self.seed, thread.board.path, thread.key, poster))
        text = "".join(rng.choice(ID_CHARS) for _ in range(8))
        return text + ("0" if poster % 3 == 0 else "")

    def make_body(self, rng, thread, number):
        board, key = thread.board.path, thread.key
        roll = rng.random()
        if number == 1:
            return "%s <br> 実況はこちらで <br>  <br> 　<br> &nbsp;<br> 次スレは%sが立ててください" % (
                thread.title, anchor(board, key, "980"))
        if roll < 0.25 and number > 2:
            target = rng.randrange(max(1, number - 30), number)
            return "%s %s" % (anchor(board, key, str(target)), rng.choice(PHRASES))
        if roll < 0.28 and number > 4:
            first = rng.randrange(max(1, number - 30), number - 2)
            return "%s %s" % (anchor(board, key, "%d-%d" % (first, first + 2)), rng.choice(PHRASES))
        if roll < 0.29:
            # A reply to a post that does not exist yet: the viewer shows it without a pop-up.
            return "%s %s" % (anchor(board, key, str(number + rng.randrange(5, 60))), "先行予約")
        if roll < 0.44:
            parts = [rng.choice(PHRASES) for _ in range(rng.randrange(2, 4))]
            return " <br> ".join(parts)
        if roll < 0.47:
            # Line breaks with blanks between them, as pasted text often has.
            return "%s <br>  <br> 　<br> &nbsp;<br> %s" % (rng.choice(PHRASES), rng.choice(PHRASES))
        if roll < 0.52:
            return "配信はこっち %s %s" % (rng.choice(STREAM_ADDRESSES), rng.choice(PHRASES))
        if roll < 0.53:
            return " <br> ".join(ASCII_ART)
        if roll < 0.54:
            return "%s &#38; &#x41;" % rng.choice(PHRASES)
        return rng.choice(PHRASES)

    def over_line(self, thread):
        lifetime = max(0, thread.last_post_time - thread.key)
        days, rest = divmod(lifetime, 86400)
        hours, rest = divmod(rest, 3600)
        minutes, seconds = divmod(rest, 60)
        return sjis(
            "１００１<><>Over 1000 Thread<>このスレッドは１０００を超えました。 <br> "
            "新しいスレッドを立ててください。 <br> life time: %d日 %d時間 %d分 %d秒 <>"
            % (days, hours, minutes, seconds))

    def add_posts(self, thread, count):
        if count > 0 and not thread.is_full():
            thread.board.threads.remove(thread)
            thread.board.threads.insert(0, thread)
        for _ in range(count):
            if thread.is_full():
                break
            when = self._tick()
            thread.lines.append(self.make_post(thread, thread.count() + 1, when))
            thread.last_post_time = when
            if thread.count() == FULL:
                thread.lines.append(self.over_line(thread))
                thread.filled_at = time.monotonic()
                if thread.successor is not None:
                    thread.successor.rate = max(thread.successor.rate, thread.rate)
            self._maybe_start_successor(thread)

    def _maybe_start_successor(self, thread):
        if thread.series is None or thread.has_successor or thread.count() < SUCCESSOR_AT:
            return
        thread.has_successor = True
        key = max(self.now(), max(t.key for t in thread.board.threads) + 1)
        successor = Thread(thread.board, key, "%s%d" % (thread.series, thread.part + 1),
                           thread.series, thread.part + 1)
        # A few early posts until the full thread sends everyone over.
        successor.rate = min(thread.rate, 1.0)
        thread.successor = successor
        thread.board.threads.insert(0, successor)
        self.add_posts(successor, 1)

    def new_thread(self, board, key, title, posts, series=None, part=None, rate=0.0):
        thread = Thread(board, key, title, series, part)
        thread.rate = rate
        board.threads.append(thread)
        saved = self.clock
        if self.seeded:
            self.clock = key
        for number in range(1, posts + 1):
            when = key + 60 + number * 4 + (number * 7) % 4 if self.seeded else \
                self.clock - (posts - number) * 3
            thread.lines.append(self.make_post(thread, number, when))
            thread.last_post_time = when
        if thread.count() >= FULL:
            del thread.lines[FULL:]
            thread.lines.append(self.over_line(thread))
        self.clock = saved
        return thread

    # ----- the boards -----

    def _build(self):
        live = Board("live", "ホロメキ")
        self.boards.append(live)
        now = self.clock
        # Keys are creation times: older parts of the series have smaller keys.
        main_count = 900 if self.seeded else 940
        series = "ホロメキ実況スレ Part"
        part40 = self.new_thread(live, now - 9000, series + "40", FULL, series, 40)
        part40.has_successor = True
        main = self.new_thread(live, now - 4600, series + "41", main_count, series, 41, self.rate)
        links = self.new_thread(live, now - 20000, "配信URL貼り付けスレ (避難所) Part3", posts=0,
                                rate=0.5)
        links.lines = showcase_lines(live.path, links.key)
        self.stream_link_thread = links
        subthread = self.new_thread(live, now - 30000, "ホロメキ実況 サブ会場 Part12", posts=377, rate=3)
        casual = self.new_thread(live, now - 50000, "ﾎﾛﾒｷ 初見さん歓迎ｽﾚ ★2", posts=152, rate=1)
        chat = self.new_thread(live, now - 70000, "【雑談】ホロメキ総合 (仮) &amp; 何でも", posts=611,
                               rate=0.5)
        schedule = self.new_thread(live, now - 90000, "【定期】ホロメキ 今日の番組表スレ", posts=48,
                                   rate=0.2)
        falling = self.new_thread(live, now - 120000, "ホロメキ雑談 まもなく落ちます", posts=402,
                                  rate=0.3)
        falling.vanish_after = self.vanish_after
        gone = self.new_thread(live, now - 150000, "【悲報】ホロメキ落ちスレ", posts=123)
        gone.gone = True  # still listed, as a cached subject.txt would, but its data is gone
        quality = self.new_thread(live, now - 160000, "【議論】画質と音質について語るスレ", posts=88,
                                  rate=0.1)
        # subject.txt order at the start; from then on a thread moves to the top when it grows.
        live.threads = [main, links, part40, subthread, casual, chat, schedule, falling, gone,
                        quality]

        news = Board("newsplus", "ニュース実況")
        self.boards.append(news)
        self.new_thread(news, now - 3000, "【速報】ニュース実況スレ Part7", posts=321, rate=2)
        self.new_thread(news, now - 8000, "【天気】台風情報スレ", posts=45, rate=0.5)

        self.menu = [
            ("実況", [("ホロメキ", "live"), ("ニュース実況", "newsplus"),
                      ("ホロメキ避難所", "livesaku")]),
            ("雑談", [("雑談系", "zatsudan"), ("なんでも", "anything")]),
            ("趣味", [("アニメ", "anime"), ("音楽", "music"), ("ゲーム", "game")]),
        ]

    def add_stream_posts(self, base, names):
        """Posts in the stream-link thread that link to the streams this server plays, so a
        click in the viewer plays something on this machine."""
        links = self.stream_link_thread
        for index, name in enumerate(names):
            number = links.count() + 1
            links.lines.append(sjis("%s<>sage<>2023/11/14(火) 12:%02d:%02d.00 ID:Local%dSt<> "
                                    "テスト配信%d %s/stream/%s <>" % (
                                        DEFAULT_NAME, 20 + index, number % 60, index, index + 1,
                                        base, name)))

    def board(self, path):
        for board in self.boards:
            if board.path == path:
                return board
        return None

    # ----- growth -----

    def update(self):
        """Live mode: posts that fell due since the last request."""
        if self.seeded:
            return
        current = time.monotonic()
        elapsed = current - self.last_update
        self.last_update = current
        for board in self.boards:
            for thread in list(board.threads):
                if thread.gone or thread.is_full() or thread.rate <= 0:
                    if thread.filled_at is not None and current - thread.filled_at > 300:
                        thread.listed = False  # full threads drop off the list after a while
                    if thread.filled_at is not None and current - thread.filled_at > 1800:
                        board.threads.remove(thread)  # and later off the server: 404
                    continue
                thread.pending += elapsed * thread.rate / 60.0 * self.random.uniform(0.3, 1.7)
                due = int(thread.pending)
                thread.pending -= due
                self.add_posts(thread, due)

    def serve_dat(self, thread):
        """The data file for one request, moving the thread on as the mode says."""
        if thread.gone:
            return None
        if thread.vanish_after is not None and thread.requests >= thread.vanish_after:
            thread.gone = True
            thread.listed = False
            return None
        if self.seeded and thread.requests > 0:
            self.add_posts(thread, self.step)
        thread.requests += 1
        return thread.dat_bytes()

    # ----- pages -----

    def menu_page(self, host, scheme="http"):
        out = [
            "<HTML>",
            "<HEAD>",
            '<META http-equiv="Content-Type" content="text/html; charset=Shift_JIS">',
            "<TITLE>BBS MENU for Demo</TITLE>",
            '<BASE TARGET="cate">',
            "</HEAD>",
            '<BODY TEXT="#CC3300" BGCOLOR="#FFFFFF" link="#0000FF" alink="#ff0000" vlink="#660099">',
            "<font size=2>",
            '<A HREF=%s://%s/ TARGET=_top>デモ掲示板</A><br>' % (scheme, host),
        ]
        for category, entries in self.menu:
            out.append("<br><br><B>%s</B><br>" % category)
            for title, path in entries:
                out.append("<A HREF=%s://%s/%s/>%s</A><br>" % (scheme, host, path, title))
        out += ["</font>", "</BODY></HTML>"]
        return sjis("\n".join(out) + "\n")

    def subject(self, board):
        # The board keeps its threads in bump order: the one with the newest post first.
        return b"".join(t.subject_line() + b"\n" for t in board.threads if t.listed)

    def thread_page(self, board, thread, host):
        head = ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">'
                "<title>%s</title></head>\n"
                "<body bgcolor=#efefef text=black link=blue alink=red vlink=#660099>\n"
                '<div><a href="/%s/">掲示板に戻る</a> <a href="./">全部</a> <a href="./1-100">1-</a> '
                '<a href="./l50">最新50</a></div>\n' % (thread.title, board.path))
        if thread.gone:
            return sjis(head + "<p>このスレッドは過去ログ倉庫に格納されています。</p>\n</body></html>\n")
        first = thread.lines[0].split(b"<>") if thread.lines else []
        if len(first) >= 4:
            name, date, body = first[0], first[2], first[3]
        else:
            name, date, body = b"", b"", b""
        form = ('<hr>\n'
                '<form method=post action="../test/bbs.cgi?guid=ON" accept-charset="Shift_JIS">\n'
                '<input type=submit value="書き込む" name=submit> 名前： <input name=FROM size=19> '
                'E-mail<font size=1> (省略可) </font>: <input name=mail size=19><br>\n'
                '<textarea rows=5 cols=70 wrap=off name=MESSAGE></textarea>\n'
                "<input type=hidden name=bbs value=%s>\n"
                "<input type=hidden name=key value=%d>\n"
                "<input type=hidden name=time value=%d>\n"
                "</form>\n"
                '<form method=get action="../test/search.cgi"><input type=hidden name=bbs value=%s>'
                '<input type=text name=q size=20><input type=submit value="スレ内検索"></form>\n'
                "</body></html>\n" % (board.path, thread.key, self.now(), board.path))
        return (sjis(head + '<dl class="thread">\n<dt>1 ：<font color=green><b>') + name +
                sjis("</b></font>：") + date + sjis("<dd>") + body + sjis("<br><br>\n</dl>\n") +
                sjis(form))

    def board_page(self, board):
        rows = "".join('<a href="/test/read.cgi/%s/%d/l50">%s (%d)</a><br>\n' % (
            board.path, t.key, t.title, t.count()) for t in board.threads if t.listed)
        return sjis("<html><head><title>%s</title></head><body>\n<h1>%s</h1>\n%s</body></html>\n"
                    % (board.title, board.title, rows))


def showcase_lines(board, key):
    """A thread whose posts show every form the viewer converts, written out by hand."""
    def post(name, mail, date, body, title=""):
        return "%s<>%s<>%s<>%s<>%s" % (name, mail, date, body, title)

    n = DEFAULT_NAME
    a = lambda target: anchor(board, key, target)
    lines = [
        post(n, "", "2023/11/14(火) 12:00:00.00 ID:Url1Shar",
             " 配信のURLはここに貼ってください <br> 荒らしはスルーで <br>  <br> 　<br> &nbsp;<br> よろしく ",
             "配信URL貼り付けスレ (避難所) Part3"),
        post(n, "sage", "2023/11/14(火) 12:01:10.22 ID:Url1Shar",
             " メイン http://www.example.com/live/main.asx <br> サブ ttp://sub.example.net/ch2?id=7&amp;q=1 "),
        post(n, "", "2023/11/14(火) 12:02:31.05 ID:Mms0Fan0",
             " 音声だけ mms://media.example.jp/holo/radio "),
        post(n, "sage", "2023/11/14(火) 12:03:00.90 ID:Quad+/9x",
             " 直リン 198.51.100.23:8080/stream.nsv <br> 予備 203.0.113.5 <br> これは違う 1.2.3 "),
        post(n, "", "2023/11/14(火) 12:04:12.34 ID:Mms0Fan0",
             " %s <br> サブ落ちてる " % a("2")),
        post(n, "sage", "2023/11/14(火) 12:05:40.00 ID:Quad+/9x",
             " %s 両方見れた " % a("3-4")),
        post(n, "", "2023/11/14(火) 12:06:01.11 ID:Url1Shar",
             " %s 次スレよろ " % a("999")),
        post(n, "", "2023/11/14(火) 12:07:07.07 ID:Mms0Fan0",
             " %s 見れない " % a("5")),
        post(n, "sage", "2023/11/14(火) 12:08:08.08 ID:Path%7e_",
             " http://example.org/a_b~c/%E3%81%82;x,y+z-1=2 で見てる "),
        post(n, "", "2023/11/14(火) 12:09:09.09 ID:Url1Shar",
             " https://secure.example.com/ はダメだった "),
        post(n, "", "2023/11/14(火) 12:10:10.10",
             " 音ズレ直った？ <br> <br>http://example.com/x "),
        post(n, "sage", "2023/11/14(火) 12:11:11.11 ID:Quad+/9x",
             " a <br>&nbsp;&nbsp; b "),
        post(n, "", "2023/11/14(火) 12:12:12.12 ID:Mms0Fan0",
             " %s ぬるぽ " % a("0")),
        post(n, "sage", "2023/11/14(火) 12:13:13.13 ID:???",
             " &lt;&gt;&amp;&quot; ｷﾀ━━━━(ﾟ∀ﾟ)━━━━!! "),
        post("風吹けば名無し", "", "2023/11/14(火) 12:14:14.14 ID:Url1Shar",
             " 1.2.3.4は予備のアドレス "),
        post(n, "", "2023/11/14(火) 12:15:15.15",
             " IDなしの書き込み "),
        post(n, "sage", "2023/11/14(火) 12:16:16.16 ID:Mms0Fan0",
             " %s 了解 " % a("12-15")),
        post(n, "", "2023/11/14(火) 12:17:17.17 ID:Quad+/9x",
             " ＵＲＬ　ｍｍｓ：／／全角は無理 "),
    ]
    out = [sjis(line) for line in lines]
    # A client that cut a double-byte character: the viewer must carry on past the stray bytes.
    broken = sjis(post(n, "", "2023/11/14(火) 12:18:18.18 ID:Url1Shar", " 文字化け "))
    out.append(broken.replace(sjis("文字化け"), sjis("文字化け") + b"\x82 \xfd"))
    out.append(sjis(post(n, "sage", "2023/11/14(火) 12:19:19.19 ID:Mms0Fan0", " 20げと ")))
    return out


# ----- HTTP -----

DAT_PATH = re.compile(r"^/([A-Za-z0-9_]+)/dat/([0-9]+)\.dat$")
READ_PATH = re.compile(r"^/test/read\.cgi/([A-Za-z0-9_]+)/([0-9]+)(/.*)?$")
SUBJECT_PATH = re.compile(r"^/([A-Za-z0-9_]+)/subject\.txt$")
STREAM_PATH = re.compile(r"^/stream/([A-Za-z0-9_.-]+)$")
BOARD_PATH = re.compile(r"^/([A-Za-z0-9_]+)/(index\.html)?$")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "DemoBoard/1.0"

    def log_message(self, format, *args):
        if self.server.verbose:
            sys.stderr.write("demo board: %s\n" % (format % args))

    def local_host(self):
        address = self.connection.getsockname()
        return "%s:%d" % (address[0], address[1])

    def do_GET(self):
        demo = self.server.demo
        path = self.path.split("?", 1)[0]
        with demo.lock:
            demo.update()
            status, kind, body = self.route(demo, path)
        self.reply(status, kind, body)

    def do_HEAD(self):
        self.reply(405, "text/plain", b"")

    do_POST = do_HEAD

    def route(self, demo, path):
        html = "text/html; charset=Shift_JIS"
        plain = "text/plain; charset=Shift_JIS"
        if path in ("/bbsmenu.html", "/"):
            return 200, html, demo.menu_page(self.local_host(), self.server.scheme)
        match = STREAM_PATH.match(path)
        if match and match.group(1) in self.server.streams:
            return 200, "stream", match.group(1)
        match = SUBJECT_PATH.match(path)
        if match and demo.board(match.group(1)):
            return 200, plain, demo.subject(demo.board(match.group(1)))
        match = DAT_PATH.match(path)
        if match and demo.board(match.group(1)):
            thread = demo.board(match.group(1)).find(int(match.group(2)))
            body = demo.serve_dat(thread) if thread else None
            if body is not None:
                return 200, plain, body
            return self.not_found()
        match = READ_PATH.match(path)
        if match and demo.board(match.group(1)):
            board = demo.board(match.group(1))
            thread = board.find(int(match.group(2)))
            if thread:
                return 200, html, demo.thread_page(board, thread, self.local_host())
            return self.not_found()
        match = BOARD_PATH.match(path)
        if match and demo.board(match.group(1)):
            return 200, html, demo.board_page(demo.board(match.group(1)))
        return self.not_found()

    def not_found(self):
        return 404, "text/html; charset=Shift_JIS", sjis(
            "<html><head><title>404 Not Found</title></head><body>"
            "<h1>Not Found</h1><p>そんな板orスレッドないです。</p></body></html>\n")

    def reply(self, status, kind, body):
        if kind == "stream":
            self.server.streams[body](self)
            return
        chunked = self.server.use_chunked(self.path)
        self.send_response(status)
        self.send_header("Content-Type", kind)
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        if self.command == "HEAD" or status == 405:
            return
        try:
            if chunked:
                for piece in self.server.chunks(body):
                    self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
                self.wfile.write(b"0\r\n\r\n")
            else:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client went away; nothing to tell it


TONE_RATE = 8000  # samples a second of the tone stream: 16 KB/s of mono 16-bit PCM


def tone_header():
    """A WAV header whose data size is the largest there is: the tone never ends by itself."""
    size = 0x7FFFFFF0
    return (b"RIFF" + struct.pack("<I", 36 + size) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, 1, TONE_RATE, TONE_RATE * 2, 2, 16) +
            b"data" + struct.pack("<I", size))


def serve_tone(handler):
    """A live stream: a quiet 500 Hz square wave sent at the pace it plays, until the player
    goes away or the server stops."""
    handler.send_response(200)
    handler.send_header("Content-Type", "audio/wav")
    handler.send_header("Connection", "close")
    handler.end_headers()
    handler.close_connection = True
    period = struct.pack("<8h", *([2000] * 8)) + struct.pack("<8h", *([-2000] * 8))
    tenth = period * (TONE_RATE // 10 // 16)  # a tenth of a second
    started = time.monotonic()
    sent = 0
    try:
        handler.wfile.write(tone_header())
        # A second ahead, so the player starts at once; then in step with the clock.
        while not handler.server.stopping.is_set():
            if sent < 10 + (time.monotonic() - started) * 10:
                handler.wfile.write(tenth)
                sent += 1
            else:
                handler.server.stopping.wait(0.05)
    except (BrokenPipeError, ConnectionResetError, OSError):
        pass  # the player stopped


def file_player(path):
    """Serves a media file whole, for streams given with --stream FILE."""
    def serve(handler):
        with open(path, "rb") as source:
            data = source.read()
        kind = "video/webm" if path.endswith(".webm") else "application/octet-stream"
        handler.send_response(200)
        handler.send_header("Content-Type", kind)
        handler.send_header("Content-Length", str(len(data)))
        handler.send_header("Connection", "close")
        handler.end_headers()
        handler.close_connection = True
        try:
            handler.wfile.write(data)
        except (BrokenPipeError, ConnectionResetError, OSError):
            pass
    return serve


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, demo, chunked, verbose):
        super().__init__(address, Handler)
        self.demo = demo
        self.chunked = chunked
        self.verbose = verbose
        self.responses = 0
        self.piece_random = random.Random("%d/chunks" % demo.seed)
        self.scheme = "http"
        self.counter_lock = threading.Lock()
        self.streams = {}  # name under /stream/ -> function that answers the request
        self.stopping = threading.Event()

    def handle_error(self, request, client_address):
        # A client that refuses the throw-away certificate or drops the line is no fault here.
        if isinstance(sys.exc_info()[1], (ssl.SSLError, ConnectionError)) and not self.verbose:
            return
        super().handle_error(request, client_address)

    def use_chunked(self, path):
        with self.counter_lock:
            self.responses += 1
            count = self.responses
        if self.chunked == "always":
            return True
        if self.chunked == "dat":
            return "/dat/" in path
        if self.chunked == "alternate":
            return count % 2 == 0
        return False

    def chunks(self, body):
        """Pieces of varying size, so chunk boundaries fall inside lines and characters."""
        with self.counter_lock:
            sizes = [self.piece_random.choice((1, 7, 100, 1000, 4096)) for _ in range(64)]
        position, index = 0, 0
        while position < len(body):
            size = sizes[index % len(sizes)]
            yield body[position:position + size]
            position += size
            index += 1


def throwaway_tls(address, authority_file):
    """A TLS context with a certificate for this run only, from an authority made for it with
    openssl; the authority's certificate goes to authority_file (for SSL_CERT_FILE)."""
    folder = tempfile.mkdtemp(prefix="demo-board-tls-")
    try:
        def openssl(*arguments):
            subprocess.run(("openssl",) + arguments, cwd=folder, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        curve = ("-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes")
        openssl("req", "-x509", *curve, "-keyout", "ca.key", "-out", "ca.pem",
                "-subj", "/CN=vexa demo board authority", "-days", "2")
        openssl("req", *curve, "-keyout", "board.key", "-out", "board.csr",
                "-subj", "/CN=vexa demo board")
        names = "DNS:localhost,IP:127.0.0.1"
        if re.fullmatch(r"[0-9.]+", address) and address != "127.0.0.1":
            names += ",IP:" + address
        elif not re.fullmatch(r"[0-9.]+", address) and address != "localhost":
            names += ",DNS:" + address
        with open(os.path.join(folder, "board.ext"), "w") as ext:
            ext.write("basicConstraints=CA:FALSE\nsubjectAltName=%s\n" % names)
        openssl("x509", "-req", "-in", "board.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                "-CAcreateserial", "-out", "board.pem", "-days", "2", "-extfile", "board.ext")
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(folder, "board.pem"),
                                os.path.join(folder, "board.key"))
        shutil.copyfile(os.path.join(folder, "ca.pem"), authority_file)
        return context
    finally:
        shutil.rmtree(folder, ignore_errors=True)


# ----- command line -----

def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        description="Serve a demo board of the board service's formats on a local address.")
    parser.add_argument("--host", default="127.0.0.1", help="address to listen on (127.0.0.1)")
    parser.add_argument("--port", type=int, default=0,
                        help="port to listen on; 0 (the default) lets the system choose")
    parser.add_argument("--bind", metavar="ADDR:PORT", help="address and port in one option")
    parser.add_argument("--seed", type=int,
                        help="deterministic mode: contents from this seed, growth by request")
    parser.add_argument("--step", type=int, default=5,
                        help="seeded mode: posts added by each data request after the first (5)")
    parser.add_argument("--rate", type=float, default=20.0,
                        help="live mode: posts a minute in the busiest thread (20)")
    parser.add_argument("--vanish-after", type=int, default=1, metavar="N",
                        help="data requests after which the falling thread is gone (1)")
    parser.add_argument("--chunked", choices=("never", "always", "dat", "alternate"),
                        default="never", help="which responses use chunked framing (never)")
    parser.add_argument("--lifetime", type=float, metavar="SECONDS",
                        help="stop by itself after this many seconds")
    parser.add_argument("--watch-stdin", action="store_true",
                        help="stop when standard input reaches its end (the parent has gone)")
    parser.add_argument("--dump", metavar="DIR",
                        help="write the initial files under DIR, as their paths, and exit")
    parser.add_argument("--local-streams", action="store_true",
                        help="serve a live tone stream under /stream/, and any --stream files, and "
                             "link them from the stream-link thread")
    parser.add_argument("--stream", action="append", default=[], metavar="FILE",
                        help="also serve this media file (repeatable; implies --local-streams)")
    parser.add_argument("--verbose", action="store_true", help="log every request to stderr")
    parser.add_argument("--https", metavar="CA_FILE",
                        help="serve HTTPS with a certificate made for this run; its authority's "
                             "certificate is written to CA_FILE (give it as SSL_CERT_FILE)")
    args = parser.parse_args(argv)
    if args.bind:
        host, separator, port = args.bind.rpartition(":")
        if not separator or not host or not port.isdigit():
            parser.error("--bind wants ADDR:PORT")
        args.host, args.port = host, int(port)
    for path in args.stream:
        if not os.path.isfile(path):
            parser.error("--stream %s: no such file" % path)
    if args.stream:
        args.local_streams = True  # a file to serve means streams are wanted
    if not 0 <= args.port <= 65535:
        parser.error("--port must be between 0 and 65535")
    if args.step < 0:
        parser.error("--step must not be negative")
    return args


def dump(demo, directory, host):
    def write(relative, data):
        path = os.path.join(directory, *relative.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)

    write("bbsmenu.html", demo.menu_page(host))
    for board in demo.boards:
        write("%s/subject.txt" % board.path, demo.subject(board))
        for thread in board.threads:
            if not thread.gone:
                write("%s/dat/%d.dat" % (board.path, thread.key), thread.dat_bytes())
            write("test/read.cgi/%s/%d/l1" % (board.path, thread.key),
                  demo.thread_page(board, thread, host))


def main(argv):
    args = parse_arguments(argv)
    seeded = args.seed is not None
    seed = args.seed if seeded else int.from_bytes(os.urandom(4), "big")
    demo = DemoBoard(seed, args.step, args.rate, seeded, args.vanish_after)
    if args.dump:
        dump(demo, args.dump, "%s:%d" % (args.host, args.port))
        return 0
    try:
        server = Server((args.host, args.port), demo, args.chunked, args.verbose)
    except OSError as error:
        sys.stderr.write("demo board: cannot listen on %s:%d: %s\n" % (args.host, args.port, error))
        return 1
    host, port = server.server_address[:2]
    prefix = ""
    if args.https:
        try:
            context = throwaway_tls(args.host, args.https)
        except (OSError, subprocess.CalledProcessError) as error:
            sys.stderr.write("demo board: cannot make a certificate: %s\n" % error)
            server.server_close()
            return 1
        # The handshake runs in the connection's own thread, so a slow client stalls no other.
        server.socket = context.wrap_socket(server.socket, server_side=True,
                                            do_handshake_on_connect=False)
        server.scheme = "https"
        prefix = "https://"
    if args.local_streams:
        names = ["tone.wav"]
        server.streams["tone.wav"] = serve_tone
        for index, path in enumerate(args.stream):
            names.append("%d%s" % (index + 1, os.path.splitext(path)[1]))
            server.streams[names[-1]] = file_player(path)
        with demo.lock:
            demo.add_stream_posts("%s://%s:%d" % (server.scheme, host, port), names)
    with demo.lock:
        busiest = demo.board("live").threads[0]
    sys.stdout.write("%s%s:%d\n%d.dat\n" % (prefix, host, port, busiest.key))
    sys.stdout.flush()

    def stop(*_):
        server.stopping.set()
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    if args.lifetime:
        timer = threading.Timer(args.lifetime, stop)
        timer.daemon = True
        timer.start()
    if args.watch_stdin:
        def watch():
            while sys.stdin.buffer.read(4096):
                pass
            stop()
        threading.Thread(target=watch, daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
