"""What the window tests' little X clients share: libX11 through ctypes with
the prototypes they use, the client-message event, and a connection that
tries again for a moment, since a busy X server refuses one now and then."""
import ctypes
import ctypes.util
import sys
import time

CLIENT_MESSAGE = 33
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
XA_ATOM = 4
XA_CARDINAL = 6


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


def _load():
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    display, window, atom = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong
    prototypes = {
        "XOpenDisplay": (display, [ctypes.c_char_p]),
        "XCloseDisplay": (ctypes.c_int, [display]),
        "XDefaultRootWindow": (window, [display]),
        "XDefaultScreen": (ctypes.c_int, [display]),
        "XDisplayWidth": (ctypes.c_int, [display, ctypes.c_int]),
        "XInternAtom": (atom, [display, ctypes.c_char_p, ctypes.c_int]),
        "XSelectInput": (ctypes.c_int, [display, window, ctypes.c_long]),
        "XSendEvent": (ctypes.c_int, [display, window, ctypes.c_int, ctypes.c_long,
                                      ctypes.POINTER(XEvent)]),
        "XFlush": (ctypes.c_int, [display]),
        "XPending": (ctypes.c_int, [display]),
        "XNextEvent": (ctypes.c_int, [display, ctypes.POINTER(XEvent)]),
        "XConnectionNumber": (ctypes.c_int, [display]),
        "XCreateSimpleWindow": (window, [display, window, ctypes.c_int, ctypes.c_int,
                                         ctypes.c_uint, ctypes.c_uint, ctypes.c_uint,
                                         ctypes.c_ulong, ctypes.c_ulong]),
        "XChangeProperty": (ctypes.c_int, [display, window, atom, atom, ctypes.c_int,
                                           ctypes.c_int, ctypes.c_void_p, ctypes.c_int]),
        "XMapWindow": (ctypes.c_int, [display, window]),
    }
    for name, (result, arguments) in prototypes.items():
        function = getattr(x11, name)
        function.restype = result
        function.argtypes = arguments
    return x11


x11 = _load()


def open_display(who):
    """The default display, tried for about a second; exits naming WHO."""
    for _ in range(40):
        display = x11.XOpenDisplay(None)
        if display:
            return display
        time.sleep(0.025)
    sys.exit("%s: cannot open the display" % who)


def protocol_message(display, window, protocol, *more):
    """A WM_PROTOCOLS client message for WINDOW carrying the atom PROTOCOL,
    then the values MORE."""
    event = XEvent()
    event.xclient.type = CLIENT_MESSAGE
    event.xclient.window = window
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, protocol, 0)
    for k, value in enumerate(more, start=1):
        event.xclient.data[k] = value
    return event
