#include "X11Probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <poll.h>

namespace rm::ui::test {

X11Probe::X11Probe(const std::string& display) : m_display(XOpenDisplay(display.c_str()))
{
    if (m_display)
        XSelectInput(m_display, DefaultRootWindow(m_display), StructureNotifyMask | SubstructureNotifyMask);
}

X11Probe::~X11Probe()
{
    if (m_display)
        XCloseDisplay(m_display);
}

bool X11Probe::advertisesPing(unsigned long window)
{
    const Atom ping = XInternAtom(m_display, "_NET_WM_PING", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool found = false;
    if (XGetWMProtocols(m_display, window, &protocols, &count)) {
        for (int i = 0; i < count; ++i)
            found = found || protocols[i] == ping;
        XFree(protocols);
    }
    return found;
}

double X11Probe::ping(unsigned long window, int timeoutMs)
{
    const Atom protocols = XInternAtom(m_display, "WM_PROTOCOLS", False);
    const Atom pingAtom = XInternAtom(m_display, "_NET_WM_PING", False);
    const long stamp = static_cast<long>(++m_stamp) + 1000;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(pingAtom);
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = static_cast<long>(window);
    const auto sent = std::chrono::steady_clock::now();
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XFlush(m_display);
    const auto deadline = sent + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (XPending(m_display) > 0) {
            XEvent answer;
            XNextEvent(m_display, &answer);
            if (answer.type == ClientMessage && answer.xclient.message_type == protocols &&
                static_cast<Atom>(answer.xclient.data.l[0]) == pingAtom && answer.xclient.data.l[1] == stamp)
                return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return -1;
        pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left.count()));
    }
}

void X11Probe::requestClose(unsigned long window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XFlush(m_display);
}

bool X11Probe::isViewable(unsigned long window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state == IsViewable;
}

unsigned long long X11Probe::pixelDigest(unsigned long window, int x, int y, int width, int height)
{
    XImage* image = XGetImage(m_display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image)
        return 0;
    unsigned long long digest = 1469598103934665603ull;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            digest = (digest ^ XGetPixel(image, column, row)) * 1099511628211ull;
    XDestroyImage(image);
    return digest;
}

} // namespace rm::ui::test
