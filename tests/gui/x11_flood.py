#!/usr/bin/env python3
"""Another client's worst: synthetic events (XSendEvent) of every core event
type with random contents, sent to the given windows at a steady rate.

Left out are only the two events that end a program by design: a
DestroyNotify that names one of the given windows as destroyed, and the
window manager's close request (WM_PROTOCOLS carrying WM_DELETE_WINDOW).

The run is fixed by its seed: the same seed sends the same sequence, with
the given windows in the places where the first run had its windows. Every
event sent is written to --log (one a line, before it is sent) so that the
last ones before a fault can be replayed with --replay.

Usage: x11_flood.py --windows ID [ID ...] [--seconds S] [--rate N] [--seed N]
                    [--only TYPE ...] [--skip TYPE ...] [--log FILE]
       x11_flood.py --windows ID [ID ...] --replay FILE
Prints the seed first and the counts by type at the end."""
import argparse
import ctypes
import os
import random
import sys
import time

from x11lib import XEvent, open_display, x11

# The core protocol's event types, KeyPress (2) to MappingNotify (34).
TYPES = {
    2: "KeyPress", 3: "KeyRelease", 4: "ButtonPress", 5: "ButtonRelease",
    6: "MotionNotify", 7: "EnterNotify", 8: "LeaveNotify", 9: "FocusIn", 10: "FocusOut",
    11: "KeymapNotify", 12: "Expose", 13: "GraphicsExpose", 14: "NoExpose",
    15: "VisibilityNotify", 16: "CreateNotify", 17: "DestroyNotify", 18: "UnmapNotify",
    19: "MapNotify", 20: "MapRequest", 21: "ReparentNotify", 22: "ConfigureNotify",
    23: "ConfigureRequest", 24: "GravityNotify", 25: "ResizeRequest", 26: "CirculateNotify",
    27: "CirculateRequest", 28: "PropertyNotify", 29: "SelectionClear",
    30: "SelectionRequest", 31: "SelectionNotify", 32: "ColormapNotify",
    33: "ClientMessage", 34: "MappingNotify",
}
BY_NAME = {name: number for number, name in TYPES.items()}
DESTROY_NOTIFY = 17
CLIENT_MESSAGE = 33

# XEvent as 48 four-byte words (x86-64): the type in word 0, the display
# pointer in words 6 and 7, the event's window in words 8 and 9, the
# DestroyNotify's destroyed window in words 10 and 11, a ClientMessage's
# message_type in words 10 and 11 and its first datum in words 14 and 15.
WORDS = 48
WORD_WINDOW, WORD_SECOND_WINDOW, WORD_DATA0 = 8, 10, 14

# Atoms a client message may carry: the window manager's protocols and a few
# more that a program may look at.
ATOM_NAMES = [b"WM_PROTOCOLS", b"WM_DELETE_WINDOW", b"WM_TAKE_FOCUS", b"_NET_WM_PING",
              b"_NET_WM_SYNC_REQUEST", b"_NET_WM_STATE", b"_NET_ACTIVE_WINDOW",
              b"_NET_CLOSE_WINDOW", b"_NET_WM_MOVERESIZE", b"WM_CHANGE_STATE", b"XdndEnter",
              b"UTF8_STRING", b"WM_NAME"]


class Flood:
    def __init__(self, display, windows, rng):
        self.display = display
        self.windows = windows
        self.rng = rng
        self.root = x11.XDefaultRootWindow(display)
        self.atoms = [x11.XInternAtom(display, name, 0) for name in ATOM_NAMES]
        self.protocols = self.atoms[0]
        self.delete = self.atoms[1]

    def value(self, kind):
        """A 32-bit word as a hostile client might fill it: zero, small,
        a plausible coordinate or size, a boundary, anything at all, or the
        id of a window or an atom that matters."""
        r = self.rng
        if kind < 10:
            return 0
        if kind < 30:
            return r.randint(-8, 8) & 0xFFFFFFFF
        if kind < 50:
            return r.randint(0, 2000)
        if kind < 60:
            return r.choice([0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000,
                             0xFFFFFFFF, 19108, 35127])
        if kind < 80:
            return r.getrandbits(32)
        if kind < 90:
            return r.choice(self.windows + [self.root])
        return r.choice(self.atoms)

    def make(self):
        """One event as (type, words); the window words hold the index of a
        given window as -1 - index, so that a replay can place its own."""
        r = self.rng
        kind = r.choice(sorted(self.types))
        words = [self.value(r.randrange(100)) for _ in range(WORDS)]
        words[0] = kind
        words[1] = 0
        words[6] = words[7] = 0
        words[9] = 0
        target = r.randrange(len(self.windows))
        words[WORD_WINDOW] = -1 - target if r.random() < 0.85 else self.value(r.randrange(100))
        if kind == DESTROY_NOTIFY:
            while words[WORD_SECOND_WINDOW] in self.windows:
                words[WORD_SECOND_WINDOW] = self.value(r.randrange(100))
        if kind == CLIENT_MESSAGE:
            words[WORD_SECOND_WINDOW] = r.choice(self.atoms) if r.random() < 0.7 else words[10]
            words[12] = r.choice([8, 16, 32, 32, 32])
            if r.random() < 0.6:
                words[WORD_DATA0] = r.choice(self.atoms)
            if words[WORD_SECOND_WINDOW] == self.protocols and words[WORD_DATA0] == self.delete:
                words[WORD_DATA0] = self.atoms[3]
        return target, words

    def send(self, target, words):
        event = XEvent()
        raw = (ctypes.c_uint32 * WORDS).from_buffer(event)
        for k, w in enumerate(words):
            raw[k] = self.place(w) & 0xFFFFFFFF
        event.xclient.display = self.display
        return x11.XSendEvent(self.display, self.windows[target], 0, 0, ctypes.byref(event))

    def place(self, word):
        return self.windows[-1 - word] if word < 0 else word


def line(target, words):
    return "%s %d %s" % (TYPES[words[0]], target, " ".join(str(w) for w in words))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--windows", nargs="+", required=True, type=lambda s: int(s, 0))
    parser.add_argument("--seconds", type=float, default=30.0)
    parser.add_argument("--rate", type=float, default=500.0)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--only", nargs="+", default=[])
    parser.add_argument("--skip", nargs="+", default=[])
    parser.add_argument("--log")
    parser.add_argument("--replay")
    args = parser.parse_args()

    seed = args.seed if args.seed is not None else int.from_bytes(os.urandom(4), "little")
    print("seed %d" % seed, flush=True)
    display = open_display("x11_flood")
    flood = Flood(display, args.windows, random.Random(seed))
    try:
        flood.types = {BY_NAME[t] for t in args.only} if args.only else set(TYPES)
        flood.types -= {BY_NAME[t] for t in args.skip}
    except KeyError as e:
        sys.exit("x11_flood: no event type %s" % e)
    counts = {}
    refused = 0

    if args.replay:
        with open(args.replay) as f:
            for text in f:
                fields = text.split()
                target, words = int(fields[1]), [int(w) for w in fields[2:]]
                if not flood.send(target % len(args.windows), words):
                    refused += 1
                x11.XSync(display, 0)
                counts[fields[0]] = counts.get(fields[0], 0) + 1
    else:
        log = open(args.log, "w") if args.log else None
        period = 1.0 / args.rate
        start = time.monotonic()
        due = start
        while time.monotonic() - start < args.seconds:
            now = time.monotonic()
            if due > now:
                time.sleep(due - now)
            target, words = flood.make()
            if log:
                log.write(line(target, words) + "\n")
                log.flush()
            if not flood.send(target, words):
                refused += 1
            x11.XFlush(display)
            name = TYPES[words[0]]
            counts[name] = counts.get(name, 0) + 1
            due += period
            if time.monotonic() - due > 10 * period:
                due = time.monotonic()
        x11.XSync(display, 0)
    x11.XCloseDisplay(display)
    print("sent %d events (%d refused by Xlib): %s" %
          (sum(counts.values()), refused,
           ", ".join("%s %d" % (k, counts[k]) for k in sorted(counts))))
    return 0


x11.XSync.restype = ctypes.c_int
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
# A window that goes away while the flood runs is no reason to stop it:
# Xlib's default handler would end this process on the first BadWindow.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
ignore_errors = ERROR_HANDLER(lambda display, error: 0)
x11.XSetErrorHandler.restype = ctypes.c_void_p
x11.XSetErrorHandler.argtypes = [ERROR_HANDLER]
x11.XSetErrorHandler(ignore_errors)
sys.exit(main())
