#!/usr/bin/env python3
"""A player's hand through XTest: the pointer moves over the field at a
mouse's report rate, one report at a time on its own clock (as a real mouse
reports, never a burst), then one click on a point; afterwards the game's
report file is watched until the clicked person shows the click.

Prints one line of key=value pairs:
  seed=N reports=N rate=HZ moves=N latency=SECONDS
(latency "none" if the limit passed; moves: the mouse moves the game took
from its queue from the first report until the click showed or the limit)
and exits 0, or 2 when the person showed the flag before the click (the
trial says nothing), 1 on any other failure.

Usage: x11_hand.py --field X Y W H [--rate HZ] [--seconds S] [--seed N]
                   --click BUTTON X Y --report FILE --person I --column C
                   [--limit SECONDS]
--field is the client area on the screen; --click is relative to it.
COLUMN counts the report's person line as lib-state.sh does (7 infected,
8 quarantined)."""
import argparse
import ctypes
import ctypes.util
import math
import os
import random
import sys
import time

from x11lib import open_display, x11


def load_xtest(display):
    name = ctypes.util.find_library("Xtst") or "libXtst.so.6"
    try:
        xtst = ctypes.CDLL(name)
    except OSError:
        sys.exit("x11_hand: libXtst is missing (apt-get install libxtst6)")
    xtst.XTestQueryExtension.restype = ctypes.c_int
    xtst.XTestQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 4
    xtst.XTestFakeMotionEvent.restype = ctypes.c_int
    xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                          ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.restype = ctypes.c_int
    xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                          ctypes.c_ulong]
    n = [ctypes.c_int() for _ in range(4)]
    if not xtst.XTestQueryExtension(display, *[ctypes.byref(v) for v in n]):
        sys.exit("x11_hand: the X server has no XTEST extension")
    return xtst


x11.XSync.restype = ctypes.c_int
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]


class Hand:
    """A pointer path that a hand could draw: a heading that turns a little at
    each report and a speed that wanders between slow and quick, kept inside
    the field with a margin. Every report lands on a new pixel, since the X
    server reports no motion for a move to where the pointer already is."""

    def __init__(self, field, rng):
        self.x0, self.y0, self.w, self.h = field
        self.margin = 8
        self.rng = rng
        self.x = self.x0 + self.w / 2.0
        self.y = self.y0 + self.h / 2.0
        self.heading = rng.uniform(0, 2 * math.pi)
        self.speed = 2.0  # pixels a report

    def next(self, last):
        while True:
            self.heading += self.rng.gauss(0, 0.08)
            self.speed = min(6.0, max(1.0, self.speed + self.rng.gauss(0, 0.3)))
            x = self.x + math.cos(self.heading) * self.speed
            y = self.y + math.sin(self.heading) * self.speed
            lo_x, hi_x = self.x0 + self.margin, self.x0 + self.w - 1 - self.margin
            lo_y, hi_y = self.y0 + self.margin, self.y0 + self.h - 1 - self.margin
            if not lo_x <= x <= hi_x:
                self.heading = math.pi - self.heading
                x = min(hi_x, max(lo_x, x))
            if not lo_y <= y <= hi_y:
                self.heading = -self.heading
                y = min(hi_y, max(lo_y, y))
            self.x, self.y = x, y
            point = (int(round(x)), int(round(y)))
            if point != last:
                return point


def move(display, xtst, field, rate, seconds, rng):
    """Motion reports at RATE a second for SECONDS; returns (reports, rate
    achieved). A report that falls behind its time is sent at once, but the
    clock is not caught up with a burst: a late hand is a slower hand."""
    hand = Hand(field, rng)
    period = 1.0 / rate
    start = time.monotonic()
    due = start
    reports = 0
    last = None
    while True:
        now = time.monotonic()
        if now - start >= seconds:
            break
        if due > now:
            time.sleep(due - now)
        last = hand.next(last)
        xtst.XTestFakeMotionEvent(display, -1, last[0], last[1], 0)
        x11.XFlush(display)
        reports += 1
        due += period
        if time.monotonic() - due > 2 * period:
            due = time.monotonic()
    elapsed = time.monotonic() - start
    return reports, reports / elapsed if elapsed > 0 else 0.0


def read_report(report):
    try:
        with open(report, "r") as f:
            return f.read().splitlines()
    except OSError:
        return []


def person_flag(report, index, column):
    """The person's flag in COLUMN from the report, or None while unreadable."""
    for line in read_report(report):
        fields = line.split()
        if len(fields) >= column and fields[0] == "person" and fields[1] == str(index):
            return fields[column - 1]
    return None


def moves_taken(report):
    for line in read_report(report):
        fields = line.split()
        if len(fields) == 2 and fields[0] == "moves":
            return int(fields[1])
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--field", nargs=4, type=int, required=True)
    parser.add_argument("--rate", type=float, default=1000.0)
    parser.add_argument("--seconds", type=float, default=3.0)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--click", nargs=3, type=int, required=True)
    parser.add_argument("--report", required=True)
    parser.add_argument("--person", type=int, required=True)
    parser.add_argument("--column", type=int, required=True)
    parser.add_argument("--limit", type=float, default=10.0)
    args = parser.parse_args()

    seed = args.seed if args.seed is not None else int.from_bytes(os.urandom(4), "little")
    rng = random.Random(seed)
    display = open_display("x11_hand")
    xtst = load_xtest(display)
    ox, oy, w, h = args.field

    reports, achieved = 0, 0.0
    moves_before = moves_taken(args.report)
    if args.seconds > 0 and args.rate > 0:
        reports, achieved = move(display, xtst, (ox, oy, w, h), args.rate, args.seconds, rng)

    button, cx, cy = args.click
    xtst.XTestFakeMotionEvent(display, -1, ox + cx, oy + cy, 0)
    x11.XSync(display, 0)
    if person_flag(args.report, args.person, args.column) == "1":
        print("seed=%d reports=%d rate=%.0f moves=%d latency=void" %
              (seed, reports, achieved, moves_taken(args.report) - moves_before))
        return 2
    clicked = time.monotonic()
    xtst.XTestFakeButtonEvent(display, button, 1, 0)
    x11.XSync(display, 0)
    xtst.XTestFakeButtonEvent(display, button, 0, 0)
    x11.XSync(display, 0)

    # The report is rewritten after every frame, so the first one that shows
    # the flag comes right after the frame that shows the click.
    latency = None
    while time.monotonic() - clicked < args.limit:
        if person_flag(args.report, args.person, args.column) == "1":
            latency = time.monotonic() - clicked
            break
        time.sleep(0.002)
    moves = moves_taken(args.report) - moves_before
    x11.XCloseDisplay(display)
    print("seed=%d reports=%d rate=%.0f moves=%d latency=%s" %
          (seed, reports, achieved, moves, "none" if latency is None else "%.3f" % latency))
    return 0


sys.exit(main())
