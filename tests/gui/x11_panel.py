#!/usr/bin/env python3
"""A panel along the top of the screen, as a desktop's task bar is: a dock
window that reserves its height with _NET_WM_STRUT(_PARTIAL), so the window
manager's work area leaves it out. Stays until it is killed.
Usage: x11_panel.py HEIGHT"""
import ctypes
import ctypes.util
import signal
import sys
import time


def main():
    height = int(sys.argv[1])
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
    x11.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCreateSimpleWindow.restype = ctypes.c_ulong
    x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                        ctypes.c_ulong]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                    ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    x11.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    display = None
    for _ in range(40):
        display = x11.XOpenDisplay(None)
        if display:
            break
        time.sleep(0.025)
    if not display:
        sys.exit("x11_panel: cannot open the display")
    width = x11.XDisplayWidth(display, x11.XDefaultScreen(display))
    root = x11.XDefaultRootWindow(display)
    window = x11.XCreateSimpleWindow(display, root, 0, 0, width, height, 0, 0, 0x404040)
    atom = lambda name: x11.XInternAtom(display, name, 0)
    cardinal, xa_atom = 6, 4
    dock = (ctypes.c_long * 1)(atom(b"_NET_WM_WINDOW_TYPE_DOCK"))
    x11.XChangeProperty(display, window, atom(b"_NET_WM_WINDOW_TYPE"), xa_atom, 32, 0, dock, 1)
    strut = (ctypes.c_long * 12)(0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0)
    x11.XChangeProperty(display, window, atom(b"_NET_WM_STRUT_PARTIAL"), cardinal, 32, 0, strut, 12)
    x11.XChangeProperty(display, window, atom(b"_NET_WM_STRUT"), cardinal, 32, 0, strut, 4)
    x11.XMapWindow(display, window)
    x11.XFlush(display)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        time.sleep(1)


main()
