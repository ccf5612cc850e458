/* Acts on a window from outside, as a window manager or a user would, for
 * the conformance suite on both targets (natively and under Wine):
 *   x11_test_helper find TITLE        print the X id of the viewable window
 *   x11_test_helper close TITLE       send it the WM_DELETE_WINDOW request
 *   x11_test_helper resize TITLE W H  resize it
 *   x11_test_helper destroy TITLE     destroy it, as a crashed window manager's
 *                                     cleanup or xdotool windowclose would
 * Every wait is bounded: the window must appear within ten seconds. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int HasTitle(Display* display, Window window, const char* title) {
    char* name = NULL;
    int match = 0;
    if (XFetchName(display, window, &name) && name != NULL) {
        match = strcmp(name, title) == 0;
        XFree(name);
    }
    return match;
}

static Window Search(Display* display, Window window, const char* title) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) &&
        attributes.map_state == IsViewable && HasTitle(display, window, title))
        return window;
    Window root, parent, *children = NULL;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && found == 0; ++i)
            found = Search(display, children[i], title);
        if (children)
            XFree(children);
    }
    return found;
}

static int IgnoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0; /* windows may vanish while we walk the tree */
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s find|close|resize|destroy TITLE [W H]\n", argv[0]);
        return 2;
    }
    /* A busy X server refuses a connection now and then: try again for a moment. */
    Display* display = XOpenDisplay(NULL);
    for (int i = 0; i < 40 && display == NULL; ++i) {
        usleep(25000);
        display = XOpenDisplay(NULL);
    }
    if (display == NULL) {
        fprintf(stderr, "no display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreErrors);
    Window window = 0;
    for (int i = 0; i < 200 && window == 0; ++i) {
        window = Search(display, DefaultRootWindow(display), argv[2]);
        if (window == 0)
            usleep(50000);
    }
    if (window == 0) {
        fprintf(stderr, "no window titled \"%s\"\n", argv[2]);
        return 1;
    }
    if (strcmp(argv[1], "find") == 0) {
        printf("%lu\n", (unsigned long)window);
    } else if (strcmp(argv[1], "close") == 0) {
        XEvent event;
        memset(&event, 0, sizeof event);
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    } else if (strcmp(argv[1], "destroy") == 0) {
        XDestroyWindow(display, window);
    } else if (strcmp(argv[1], "resize") == 0 && argc == 5) {
        XResizeWindow(display, window, (unsigned)atoi(argv[3]), (unsigned)atoi(argv[4]));
    } else {
        fprintf(stderr, "unknown command %s\n", argv[1]);
        return 2;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
