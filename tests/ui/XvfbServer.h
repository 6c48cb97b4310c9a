#pragma once

#include <string>
#include <sys/types.h>

namespace rm::ui::test {

// A private X server on a free display number, for tests that need a real
// X11 window. Stopped (and waited for) when destroyed.
class XvfbServer {
public:
    // `screen`: "WIDTHxHEIGHTxDEPTH".
    explicit XvfbServer(const std::string& screen = "1024x768x24");
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return m_pid > 0 && !m_display.empty(); }
    // ":N"
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

} // namespace rm::ui::test
