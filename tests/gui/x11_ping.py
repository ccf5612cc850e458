#!/usr/bin/env python3
"""Pings an X window the way a window manager does (_NET_WM_PING in a
WM_PROTOCOLS client message) and waits for the answer at the root window.
Prints the round trip in milliseconds; fails after the time-out.
Usage: x11_ping.py WINDOW_ID [TIMEOUT_SECONDS]"""
import ctypes
import select
import sys
import time

from x11lib import CLIENT_MESSAGE, SUBSTRUCTURE_NOTIFY_MASK, XEvent, open_display, protocol_message, x11


def main():
    window = int(sys.argv[1], 0)
    limit = float(sys.argv[2]) if len(sys.argv) > 2 else 5.0
    display = open_display("x11_ping")
    root = x11.XDefaultRootWindow(display)
    protocols = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    ping = x11.XInternAtom(display, b"_NET_WM_PING", 0)
    x11.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
    stamp = int(time.monotonic() * 1000) & 0x7FFFFFFF

    event = protocol_message(display, window, b"_NET_WM_PING", stamp, window)
    start = time.monotonic()
    if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
        sys.exit("x11_ping: XSendEvent failed")
    x11.XFlush(display)

    fd = x11.XConnectionNumber(display)
    while time.monotonic() - start < limit:
        while x11.XPending(display) > 0:
            reply = XEvent()
            x11.XNextEvent(display, ctypes.byref(reply))
            c = reply.xclient
            if (reply.type == CLIENT_MESSAGE and c.message_type == protocols and
                    c.window == root and c.data[0] == ping and c.data[1] == stamp and
                    c.data[2] == window):
                print("%.1f" % ((time.monotonic() - start) * 1000))
                return
        select.select([fd], [], [], 0.05)
    sys.exit("x11_ping: no answer within %g s" % limit)


main()
