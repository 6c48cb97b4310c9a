#include "support/CliRun.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace rm::faults {

namespace {

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

CliRun::CliRun(const std::vector<std::string>& command)
{
    std::string pattern = "/tmp/rm-faults-cli-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_captureFolder = pattern;
    const std::string outPath = m_captureFolder + "/out";
    const std::string errPath = m_captureFolder + "/err";
    std::vector<char*> argv;
    std::vector<std::string> args = command;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    m_started = now();
    m_pid = fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

CliRun::~CliRun()
{
    if (!m_finished) {
        ::kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_captureFolder, ignored);
}

CliResult CliRun::finish(int deadlineMs)
{
    CliResult result;
    result.pid = m_pid;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid)
            break;
        if ((now() - m_started) * 1000 > deadlineMs) {
            ::kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_finished = true;
    result.seconds = now() - m_started;
    result.exitCode = !result.timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readAll(m_captureFolder + "/out");
    result.err = readAll(m_captureFolder + "/err");
    return result;
}

CliResult runCli(const std::vector<std::string>& command, int deadlineMs)
{
    CliRun run(command);
    return run.finish(deadlineMs);
}

} // namespace rm::faults
