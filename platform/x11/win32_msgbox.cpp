// The message box's window: the text and an OK button, drawn with core X.
#include "platform/core/win32_backend.h"

#include "win32_events.h"
#include "win32_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPadding = 16;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;

std::vector<std::string> Lines(const char* text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (*c != '\r') {
            line += *c;
        }
    }
    lines.push_back(line);
    return lines;
}

// Its own connection: the dialog's events never mix with the windows'
// queue, and the program's windows keep painting underneath.
class Dialog {
public:
    Dialog(Display* display, ::Window owner, const char* text, const char* caption)
        : mDisplay(display), mLines(Lines(text)) {
        const int screen = DefaultScreen(display);
        mFont = XLoadQueryFont(display, "fixed");
        mLineHeight = mFont ? mFont->ascent + mFont->descent + 2 : 15;
        int textWidth = 0;
        for (const std::string& line : mLines)
            textWidth = std::max(textWidth, TextWidth(line));
        mWidth = std::max(textWidth + 2 * kPadding, 240);
        mHeight = kPadding + static_cast<int>(mLines.size()) * mLineHeight + kPadding +
                  kButtonHeight + kPadding;
        const int x = (DisplayWidth(display, screen) - mWidth) / 2;
        const int y = (DisplayHeight(display, screen) - mHeight) / 2;
        mWindow = XCreateSimpleWindow(display, RootWindow(display, screen), x, y,
                                      static_cast<unsigned>(mWidth), static_cast<unsigned>(mHeight),
                                      1, BlackPixel(display, screen), WhitePixel(display, screen));
        XSelectInput(display, mWindow,
                     ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                         StructureNotifyMask);
        XStoreName(display, mWindow, caption);
        // Atoms are the server's: the main connection's serve this one too.
        const win32_x11::Atoms& atoms = win32_x11::KnownAtoms();
        XChangeProperty(display, mWindow, atoms.NET_WM_NAME, atoms.UTF8_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(caption),
                        static_cast<int>(std::strlen(caption)));
        Atom dialogType = atoms.NET_WM_WINDOW_TYPE_DIALOG;
        XChangeProperty(display, mWindow, atoms.NET_WM_WINDOW_TYPE, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&dialogType), 1);
        mDeleteWindow = atoms.WM_DELETE_WINDOW;
        XSetWMProtocols(display, mWindow, &mDeleteWindow, 1);
        if (owner != 0)
            XSetTransientForHint(display, mWindow, owner);
        XSizeHints hints{};
        hints.flags = USPosition | PMinSize | PMaxSize;
        hints.x = x;
        hints.y = y;
        hints.min_width = hints.max_width = mWidth;
        hints.min_height = hints.max_height = mHeight;
        XSetWMNormalHints(display, mWindow, &hints);
        mGC = XCreateGC(display, mWindow, 0, nullptr);
        if (mFont)
            XSetFont(display, mGC, mFont->fid);
        XMapRaised(display, mWindow);
        XFlush(display);
    }

    ~Dialog() {
        XFreeGC(mDisplay, mGC);
        if (mFont)
            XFreeFont(mDisplay, mFont);
        XDestroyWindow(mDisplay, mWindow);
        XFlush(mDisplay);
    }

    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Handles what has arrived; true once the box is answered.
    bool HandleEvents() {
        while (XPending(mDisplay) > 0) {
            XEvent event;
            XNextEvent(mDisplay, &event);
            switch (event.type) {
            case MapNotify:
                XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
                break;
            case Expose:
                if (event.xexpose.count == 0)
                    Draw();
                break;
            case KeyPress: {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                if (key == XK_Return || key == XK_KP_Enter || key == XK_Escape || key == XK_space)
                    return true;
                break;
            }
            case ButtonPress:
                mPressedOnButton =
                    event.xbutton.button == Button1 && OnButton(event.xbutton.x, event.xbutton.y);
                break;
            case ButtonRelease:
                if (mPressedOnButton && OnButton(event.xbutton.x, event.xbutton.y))
                    return true;
                mPressedOnButton = false;
                break;
            case ClientMessage:
                if (static_cast<Atom>(event.xclient.data.l[0]) == mDeleteWindow)
                    return true;
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    int TextWidth(const std::string& text) const {
        return mFont ? XTextWidth(mFont, text.c_str(), static_cast<int>(text.size()))
                     : static_cast<int>(text.size()) * 6;
    }

    int ButtonX() const { return (mWidth - kButtonWidth) / 2; }
    int ButtonY() const { return mHeight - kPadding - kButtonHeight; }

    bool OnButton(int x, int y) const {
        return x >= ButtonX() && x < ButtonX() + kButtonWidth && y >= ButtonY() &&
               y < ButtonY() + kButtonHeight;
    }

    void Draw() {
        const int screen = DefaultScreen(mDisplay);
        XSetForeground(mDisplay, mGC, BlackPixel(mDisplay, screen));
        const int ascent = mFont ? mFont->ascent : 11;
        for (std::size_t i = 0; i < mLines.size(); ++i)
            XDrawString(mDisplay, mWindow, mGC, kPadding,
                        kPadding + ascent + static_cast<int>(i) * mLineHeight, mLines[i].c_str(),
                        static_cast<int>(mLines[i].size()));
        XDrawRectangle(mDisplay, mWindow, mGC, ButtonX(), ButtonY(), kButtonWidth - 1,
                       kButtonHeight - 1);
        const std::string ok = "OK";
        XDrawString(mDisplay, mWindow, mGC, ButtonX() + (kButtonWidth - TextWidth(ok)) / 2,
                    ButtonY() + (kButtonHeight + ascent) / 2 - 1, ok.c_str(),
                    static_cast<int>(ok.size()));
        XFlush(mDisplay);
    }

    Display* mDisplay;
    std::vector<std::string> mLines;
    XFontStruct* mFont = nullptr;
    int mLineHeight = 15;
    int mWidth = 0;
    int mHeight = 0;
    ::Window mWindow = 0;
    GC mGC = nullptr;
    Atom mDeleteWindow = 0;
    bool mPressedOnButton = false;
};

} // namespace

namespace win32_backend {

struct ModalBox {
    Display* display;
    Dialog* dialog;
};

ModalBox* OpenModalBox(NativeWindow owner, const char* text, const char* caption) {
    // Its own connection: the box's events never mix with the windows'.
    Display* display = win32_x11::OpenDisplay();
    if (display == nullptr)
        return nullptr;
    return new ModalBox{display, new Dialog(display, static_cast<::Window>(owner), text, caption)};
}

bool ModalBoxAnswered(ModalBox* box) {
    return box->dialog->HandleEvents();
}

void WaitForModalBox(ModalBox* box, int timeoutMilliseconds) {
    win32_events::WaitForEvents(ConnectionNumber(box->display), timeoutMilliseconds);
}

void CloseModalBox(ModalBox* box) {
    delete box->dialog;
    XCloseDisplay(box->display);
    delete box;
}

} // namespace win32_backend
