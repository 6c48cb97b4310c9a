#include "engine/libreoffice/process/HandOver.h"

#include "engine/ErrorTexts.h"
#include "engine/libreoffice/process/ChildSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rm::lo {

namespace {

// Runs `argv` in the foreground of the calling (already detached) process
// and says whether it succeeded. Async-signal-safe.
bool runAndWait(char* const argv[])
{
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    if (child < 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

void openWithDesktop(const std::string& path, const std::string& sofficePath)
{
    std::string file = path;
    std::string office = sofficePath;
    std::string xdgOpen = "xdg-open";
    std::string calc = "--calc";
    char* const viaDesktop[] = {xdgOpen.data(), file.data(), nullptr};
    char* const viaOffice[] = {office.data(), calc.data(), file.data(), nullptr};

    const pid_t first = fork();
    if (first < 0)
        throw ErrorText::outputViewerNotStarted(path);
    if (first == 0) {
        // Detach twice: the viewer belongs to no session of ours and is never waited for.
        restoreDefaultSignals();
        setsid();
        if (fork() != 0)
            _exit(0);
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(devNull, 2);
        }
        if (runAndWait(viaDesktop))
            _exit(0);
        execv(viaOffice[0], viaOffice);
        _exit(127);
    }
    int status = 0;
    while (waitpid(first, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace rm::lo
