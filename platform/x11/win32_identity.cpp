#include "win32_identity.h"

#include "platform/core/win32_resource.h"
#include "win32_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

namespace win32_identity {
namespace {

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = "";
    if (gethostname(name, sizeof name) != 0)
        return std::string();
    name[HOST_NAME_MAX] = '\0';
    return name;
}

// Width, height, then the pixels, each a CARDINAL: Xlib wants format-32
// data as longs, whatever their size.
std::vector<long> IconData(HICON icon) {
    std::vector<long> data;
    const win32_resource::Icon* found = win32_resource::FindIcon(icon);
    if (found == nullptr)
        return data;
    for (int i = 0; i < found->count; ++i) {
        const win32_resource::IconImage& image = found->images[i];
        if (image.width <= 0 || image.height <= 0 || image.pixels == nullptr)
            continue;
        data.push_back(image.width);
        data.push_back(image.height);
        const long count = static_cast<long>(image.width) * image.height;
        for (long p = 0; p < count; ++p)
            data.push_back(static_cast<long>(image.pixels[p]));
    }
    return data;
}

} // namespace

void Describe(::Window xwindow, HICON classIcon) {
    Display* display = win32_x11::Connection();
    const win32_x11::Atoms& atoms = win32_x11::KnownAtoms();

    std::string instance = win32_x11::ProgramInstanceName();
    std::string programClass = win32_x11::ProgramClassName();
    XClassHint classHint{};
    classHint.res_name = instance.data();
    classHint.res_class = programClass.data();
    XSetClassHint(display, xwindow, &classHint);

    std::string host = HostName();
    if (!host.empty()) {
        char* hosts[] = {host.data()};
        XTextProperty machine{};
        if (XStringListToTextProperty(hosts, 1, &machine)) {
            XSetWMClientMachine(display, xwindow, &machine);
            XFree(machine.value);
        }
    }
    // Only meaningful together with the machine: a WM may offer to end us.
    const long pid = static_cast<long>(getpid());
    XChangeProperty(display, xwindow, atoms.NET_WM_PID, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);

    const std::vector<long> icon = IconData(classIcon);
    if (!icon.empty())
        XChangeProperty(display, xwindow, atoms.NET_WM_ICON, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(icon.data()),
                        static_cast<int>(icon.size()));

    Atom protocols[] = {atoms.WM_DELETE_WINDOW, atoms.NET_WM_PING};
    XSetWMProtocols(display, xwindow, protocols, 2);
}

bool AnswerPing(const XClientMessageEvent& message) {
    const win32_x11::Atoms& atoms = win32_x11::KnownAtoms();
    if (message.message_type != atoms.WM_PROTOCOLS || message.format != 32 ||
        static_cast<Atom>(message.data.l[0]) != atoms.NET_WM_PING)
        return false;
    Display* display = win32_x11::Connection();
    const ::Window root = DefaultRootWindow(display);
    XEvent reply{};
    reply.xclient = message;
    reply.xclient.window = root;
    XSendEvent(display, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &reply);
    XFlush(display);
    return true;
}

} // namespace win32_identity
