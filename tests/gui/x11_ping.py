#!/usr/bin/env python3
"""Pings an X window the way a window manager does (_NET_WM_PING in a
WM_PROTOCOLS client message) and waits for the answer at the root window.
Prints the round trip in milliseconds; fails after the time-out.
Usage: x11_ping.py WINDOW_ID [TIMEOUT_SECONDS]"""
import ctypes
import ctypes.util
import select
import sys
import time


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


CLIENT_MESSAGE = 33
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


def main():
    window = int(sys.argv[1], 0)
    limit = float(sys.argv[2]) if len(sys.argv) > 2 else 5.0
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XPending.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
    x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
    display = None
    for _ in range(40):
        display = x11.XOpenDisplay(None)
        if display:
            break
        time.sleep(0.025)
    if not display:
        sys.exit("x11_ping: cannot open the display")
    root = x11.XDefaultRootWindow(display)
    protocols = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    ping = x11.XInternAtom(display, b"_NET_WM_PING", 0)
    x11.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
    stamp = int(time.monotonic() * 1000) & 0x7FFFFFFF

    event = XEvent()
    event.xclient.type = CLIENT_MESSAGE
    event.xclient.window = window
    event.xclient.message_type = protocols
    event.xclient.format = 32
    event.xclient.data[0] = ping
    event.xclient.data[1] = stamp
    event.xclient.data[2] = window
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
