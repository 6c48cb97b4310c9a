#pragma once

// Talks to a window the way a window manager does, over an X connection of
// its own (usable from any one thread): pings, close requests, pixels.

#include <string>

struct _XDisplay;

namespace rm::ui::test {

class X11Probe {
public:
    explicit X11Probe(const std::string& display);
    ~X11Probe();
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    bool connected() const { return m_display != nullptr; }
    // Whether the window lists _NET_WM_PING in its WM_PROTOCOLS.
    bool advertisesPing(unsigned long window);
    // Sends _NET_WM_PING and waits for the answer on the root window;
    // milliseconds until it came, or -1 when none came within `timeoutMs`.
    double ping(unsigned long window, int timeoutMs);
    // Sends WM_DELETE_WINDOW, as the window's close button would.
    void requestClose(unsigned long window);
    bool isViewable(unsigned long window);
    // A digest of the pixels of an area of the window, as the screen shows them.
    unsigned long long pixelDigest(unsigned long window, int x, int y, int width, int height);

private:
    _XDisplay* m_display = nullptr;
    unsigned long m_stamp = 0;
};

} // namespace rm::ui::test
