#!/usr/bin/env python3
"""Asks an X window to close the way a window manager does: a WM_DELETE_WINDOW
client message (xdotool's windowclose destroys the window instead).
Usage: x11_close.py WINDOW_ID"""
import ctypes
import sys

from x11lib import open_display, protocol_message, x11


def main():
    window = int(sys.argv[1], 0)
    display = open_display("x11_close")
    event = protocol_message(display, window, b"WM_DELETE_WINDOW", 0)  # CurrentTime
    if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
        sys.exit("x11_close: XSendEvent failed")
    x11.XFlush(display)
    x11.XCloseDisplay(display)


main()
