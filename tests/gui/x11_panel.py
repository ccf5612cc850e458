#!/usr/bin/env python3
"""A panel along the top of the screen, as a desktop's task bar is: a dock
window that reserves its height with _NET_WM_STRUT(_PARTIAL), so the window
manager's work area leaves it out. Stays until it is killed.
Usage: x11_panel.py HEIGHT"""
import ctypes
import signal
import sys
import time

from x11lib import XA_ATOM, XA_CARDINAL, open_display, x11


def main():
    height = int(sys.argv[1])
    display = open_display("x11_panel")
    width = x11.XDisplayWidth(display, x11.XDefaultScreen(display))
    root = x11.XDefaultRootWindow(display)
    window = x11.XCreateSimpleWindow(display, root, 0, 0, width, height, 0, 0, 0x404040)
    atom = lambda name: x11.XInternAtom(display, name, 0)
    dock = (ctypes.c_long * 1)(atom(b"_NET_WM_WINDOW_TYPE_DOCK"))
    x11.XChangeProperty(display, window, atom(b"_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, 0, dock, 1)
    strut = (ctypes.c_long * 12)(0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0)
    x11.XChangeProperty(display, window, atom(b"_NET_WM_STRUT_PARTIAL"), XA_CARDINAL, 32, 0, strut, 12)
    x11.XChangeProperty(display, window, atom(b"_NET_WM_STRUT"), XA_CARDINAL, 32, 0, strut, 4)
    x11.XMapWindow(display, window)
    x11.XFlush(display)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        time.sleep(1)


main()
