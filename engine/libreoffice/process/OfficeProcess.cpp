#include "engine/libreoffice/process/OfficeProcess.h"

#include "engine/ErrorTexts.h"
#include "engine/libreoffice/process/ChildSignals.h"
#include "engine/libreoffice/process/OfficeSockets.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <clocale>
#include <fcntl.h>
#include <locale.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace rm::lo {

namespace {

std::vector<std::string> officeArguments(const OfficeProcess::Launch& launch)
{
    return {launch.sofficePath,
            "--headless",
            "--norestore",
            "--nologo",
            "--nodefault",
            "--nofirststartwizard",
            "--nolockcheck",
            "--accept=pipe,name=" + launch.pipeName + ";urp;StarOffice.ComponentContext",
            "-env:UserInstallation=" + launch.installationUrl};
}

// The office formats numbers in the locale its profile names; the process
// locale only decides how file names are encoded. Without a UTF-8 locale the
// office cannot open or save files whose names are not ASCII, so a locale
// that is not installed falls back to C.UTF-8.
std::string installedUtf8Locale(const std::string& localeName)
{
    const std::string wanted = localeName + ".UTF-8";
    if (locale_t probe = newlocale(LC_ALL_MASK, wanted.c_str(), nullptr)) {
        freelocale(probe);
        return wanted;
    }
    return "C.UTF-8";
}

// Our environment with the office's locale in place of ours, and a TMPDIR
// inside its profile: its temporary files go when the profile goes, however
// the office ends.
std::vector<std::string> officeEnvironment(const std::string& localeName, const std::string& profileDirectory)
{
    std::vector<std::string> env;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string item = *entry;
        if (item.rfind("LANG=", 0) == 0 || item.rfind("LC_", 0) == 0 || item.rfind("LANGUAGE=", 0) == 0 ||
            item.rfind("TMPDIR=", 0) == 0)
            continue;
        env.push_back(item);
    }
    const std::string systemLocale = installedUtf8Locale(localeName);
    env.push_back("LANG=" + systemLocale);
    env.push_back("LC_ALL=" + systemLocale);
    env.push_back("TMPDIR=" + profileDirectory + "/tmp");
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (auto& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

void closeInheritedDescriptors(int keep)
{
    // Keep only `keep` (moved to 3): other pipes of ours must not be held open here.
    if (keep != 3) {
        dup2(keep, 3);
        close(keep);
    }
#ifdef SYS_close_range
    if (syscall(SYS_close_range, 4u, ~0u, 0u) == 0)
        return;
#endif
    const long max = sysconf(_SC_OPEN_MAX);
    for (long fd = 4; fd < (max > 0 && max < 65536 ? max : 65536); ++fd)
        close(static_cast<int>(fd));
}

// What the watchdog needs, prepared before fork (no allocation after it).
struct WatchdogPlan {
    const char* program;
    char** argv;
    char** envp;
    char** cleanup;   // rm -rf of the profile
    const char* pipeSocket;
    const char* singleInstanceSocket;
};

// Runs in the forked watchdog (async-signal-safe calls only). At the end a
// short-lived cleaner, outside the office's process group, kills that whole
// group (the watchdog with it), removes the office's sockets in /tmp and the
// profile: nothing of the office is left behind.
[[noreturn]] void runWatchdog(int lifeline, const WatchdogPlan& plan, int logFd)
{
    const pid_t office = fork();
    if (office == 0) {
        restoreDefaultSignals();   // the watchdog ignores some; the office must not
        close(lifeline);
        dup2(logFd, 1);
        dup2(logFd, 2);
        close(logFd);
        execve(plan.program, plan.argv, plan.envp);
        _exit(127);
    }
    close(logFd);
    if (office > 0) {
        int status = 0;
        for (;;) {
            pollfd p{lifeline, POLLIN, 0};
            if (poll(&p, 1, 200) > 0)
                break;   // end-of-file: our owner ended or gave up the office
            if (waitpid(office, &status, WNOHANG) == office)
                break;
        }
    }
    const pid_t group = getpgrp();
    const pid_t cleaner = fork();
    if (cleaner == 0) {
        setpgid(0, 0);
        ::kill(-group, SIGKILL);
        unlink(plan.pipeSocket);
        unlink(plan.singleInstanceSocket);
        execv(plan.cleanup[0], plan.cleanup);
        _exit(0);
    }
    if (cleaner < 0)
        ::kill(0, SIGKILL);
    for (;;)
        pause();
}

} // namespace

OfficeProcess::OfficeProcess(const Launch& launch)
{
    if (access(launch.sofficePath.c_str(), X_OK) != 0)
        throw ErrorText::officeNotFound(launch.sofficePath);

    std::vector<std::string> args = officeArguments(launch);
    std::vector<std::string> env = officeEnvironment(launch.localeName, launch.profileDirectory);
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(env);
    std::vector<std::string> cleanupArgs{"/bin/rm", "-rf", launch.profileDirectory};
    std::vector<char*> cleanup = pointers(cleanupArgs);
    const std::string pipeSocket = acceptPipeSocketPath(launch.pipeName);
    const std::string singleInstanceSocket = singleInstanceSocketPath(launch.installationUrl);
    const WatchdogPlan plan{argv[0], argv.data(), envp.data(), cleanup.data(), pipeSocket.c_str(),
                            singleInstanceSocket.c_str()};

    const int logFd = open(launch.logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    int pipeFds[2];
    if (logFd < 0 || devNull < 0 || pipe2(pipeFds, O_CLOEXEC) != 0) {
        if (logFd >= 0) close(logFd);
        if (devNull >= 0) close(devNull);
        throw ErrorText::officeProcessFilesNotMade();
    }

    const pid_t child = fork();
    if (child == 0) {
        // The watchdog runs none of our code: default signal handling, nothing blocked.
        restoreDefaultSignals();
        // It is a fork of ours and bears our name, so `pkill reportmerge` or
        // `killall reportmerge-cli` reach it too. Ended by such a signal it
        // would leave the office running for ever; it ends with its lifeline.
        ignoreTerminationSignals();
        setsid();
        // The office's pipes, sockets and files are ours alone whatever our
        // umask: its protocol has no authentication, so a socket open to the
        // group would let others drive it with our files.
        umask(077);
        dup2(devNull, 0);
        dup2(logFd, 1);
        dup2(logFd, 2);
        int lifeline = dup(pipeFds[0]);
        closeInheritedDescriptors(lifeline);
        const int log = dup(1);
        runWatchdog(3, plan, log);
    }
    close(pipeFds[0]);
    close(logFd);
    close(devNull);
    if (child < 0) {
        close(pipeFds[1]);
        throw ErrorText::officeProcessNotMade();
    }
    m_group = child;
    m_lifeline = pipeFds[1];
    m_sockets = {pipeSocket, singleInstanceSocket};
}

OfficeProcess::~OfficeProcess()
{
    kill();
}

bool OfficeProcess::running()
{
    if (m_reaped)
        return false;
    int status = 0;
    const pid_t done = waitpid(m_group, &status, WNOHANG);
    if (done == m_group || (done < 0 && errno == ECHILD)) {
        m_reaped = true;
        return false;
    }
    return true;
}

bool OfficeProcess::waitForExit(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void OfficeProcess::stop()
{
    // Closing the lifeline makes the watchdog kill the office and clean up.
    const int lifeline = m_lifeline.exchange(-1);
    if (lifeline >= 0)
        close(lifeline);
}

void OfficeProcess::kill()
{
    stop();
    if (m_group > 0 && !m_reaped) {
        if (!running())   // the watchdog is already gone (killed): do its work
            ::kill(-m_group, SIGKILL);
        int status = 0;
        while (waitpid(m_group, &status, 0) < 0 && errno == EINTR) {
        }
        m_reaped = true;
    }
    // Gone already unless the office was killed (the watchdog's cleaner may have been, too).
    for (const auto& socket : m_sockets)
        unlink(socket.c_str());
}

} // namespace rm::lo
