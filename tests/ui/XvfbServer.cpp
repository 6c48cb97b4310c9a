#include "XvfbServer.h"

#include <cerrno>
#include <fcntl.h>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace rm::ui::test {

namespace {
constexpr int startTimeoutMs = 30000;
}

XvfbServer::XvfbServer(const std::string& screen)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const std::string fdText = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", screen.c_str(),
                          "-nolisten", "tcp", "-noreset", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        m_pid = -1;
        close(fds[0]);
        return;
    }
    // Xvfb writes the display number and a newline once it accepts clients.
    std::string number;
    pollfd waitFor{fds[0], POLLIN, 0};
    while (poll(&waitFor, 1, startTimeoutMs) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (!number.empty())
        m_display = ":" + number;
}

XvfbServer::~XvfbServer()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace rm::ui::test
