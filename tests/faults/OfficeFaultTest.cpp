// The office itself fails: not installed, does not start, or dies while a
// merge opens, sums or saves. Each case ends in an rm::Error within the
// case's bound, leaves the inputs as they were and no office process behind.

#include "support/HookedBinding.h"
#include "support/MergeCase.h"
#include "support/OfficeProcesses.h"

#include "TempFolder.h"

#include "engine/ErrorNumbers.h"
#include "engine/MergeRun.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace rm::faults {
using namespace rm::test;
namespace {

namespace Number = rm::ErrorNumber;

// The office's lock files (".~lock.NAME#") in `folder`.
std::vector<std::string> lockFilesIn(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".~lock.", 0) == 0)
            found.push_back(entry.path().filename().string());
    return found;
}

// Kills our office now, or after `delayMs` from another thread (to land
// inside the next call). The thread is joined before the case goes on, so a
// late kill can never hit the next case's office.
class OfficeKiller {
public:
    ~OfficeKiller() { join(); }
    void kill(int delayMs = 0)
    {
        const std::string mark = officeMarkOf(getpid());
        if (delayMs == 0) {
            killProcessesMarked(mark);
            return;
        }
        join();
        m_thread = std::thread([mark, delayMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            killProcessesMarked(mark);
        });
    }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};

class OfficeFault : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeTemplate(folder / "template.xls");
        makeSource(folder / "s1.xls", 1, 2);
        makeSource(folder / "s2.xls", 10, 20);
        before = snapshot(inputs());
    }
    void TearDown() override
    {
        EXPECT_EQ(lockFilesIn(folder.path()), std::vector<std::string>{}) << "a killed office's lock file was left";
        EXPECT_EQ(changedSince(before), std::vector<std::string>{}) << "an input was changed";
        EXPECT_TRUE(noProcessMarked(officeMarkOf(getpid()))) << "an office of ours is still running";
    }

    std::vector<std::string> inputs() const { return {folder / "template.xls", folder / "s1.xls", folder / "s2.xls"}; }
    std::vector<std::string> sources() const { return {folder / "s1.xls", folder / "s2.xls"}; }

    static lo::OfficeOptions options()
    {
        lo::OfficeOptions options;
        options.localeName = "en_US";
        options.opener = [](const std::string&) {};
        return options;
    }

    std::string standIn(const std::string& name, const std::string& script)
    {
        const std::string path = folder / name;
        std::ofstream(path) << "#!/bin/sh\n" << script;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    // Merges with the office killed where `hooks` (or `progress`) say; the binding ends afterwards.
    Outcome mergeKillingTheOffice(Hooks hooks, ProgressIndicator* progress = nullptr)
    {
        lo::LibreOfficeBinding office(options());
        HookedBinding hooked(office, std::move(hooks));
        Outcome outcome = mergeWith(hooked, folder / "template.xls", sources(), folder / "out.xls", progress);
        killer.join();
        office.shutdown();
        return outcome;
    }

    // A kill from another thread may, on a busy machine, land only after the
    // merge has ended: then the merge must be complete. A kill made before
    // the call (no delay) must always end the merge with the lost connection.
    void expectLostOrComplete(const Outcome& outcome, int delayMs)
    {
        EXPECT_LT(outcome.seconds, kCaseSeconds);
        if (delayMs > 0 && outcome.number == 0) {
            EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 11.0) << "a merge reported done is incomplete";
            return;
        }
        EXPECT_EQ(outcome.number, Number::OfficeConnectionLost) << outcome.description;
        if (delayMs == 0) {
            EXPECT_FALSE(std::filesystem::exists(folder / "out.xls"));
        }
    }

    TempFolder folder;
    Snapshot before;
    OfficeKiller killer;
};

// Kills the office at the n-th progress step of the summation.
class KillingProgress : public QuietProgress {
public:
    KillingProgress(OfficeKiller& killer, int step) : m_killer(killer), m_step(step) {}
    void setValue(float value) override
    {
        QuietProgress::setValue(value);
        if (++m_steps == m_step)
            m_killer.kill();
    }

private:
    OfficeKiller& m_killer;
    int m_step;
    int m_steps = 0;
};

TEST_F(OfficeFault, notInstalled)
{
    lo::OfficeOptions missing = options();
    missing.sofficePath = folder / "no-such-office/soffice";
    lo::LibreOfficeBinding office(missing);
    const Outcome outcome = mergeWith(office, folder / "template.xls", sources(), folder / "out.xls");
    EXPECT_EQ(outcome.number, Number::OfficeNotInstalled) << outcome.description;
    EXPECT_NE(outcome.description.find("no-such-office/soffice"), std::string::npos) << outcome.description;
    EXPECT_LT(outcome.seconds, kCaseSeconds);
}

TEST_F(OfficeFault, exitsAtOnceOrNeverOpensThePipe)
{
    // The stand-ins keep the office's arguments on their command line, so a
    // leftover one would be found like a real office.
    const std::string exits = standIn("exits", "exit 3\n");
    const std::string silent = standIn("silent", "while :; do sleep 1; done\n");
    for (const std::string& program : {exits, silent}) {
        SCOPED_TRACE(program);
        lo::OfficeOptions standInOptions = options();
        standInOptions.sofficePath = program;
        standInOptions.startTimeoutMs = 3000;
        lo::LibreOfficeBinding office(standInOptions);
        const Outcome outcome = mergeWith(office, folder / "template.xls", sources(), folder / "out.xls");
        EXPECT_EQ(outcome.number, Number::OfficeStartFailed) << outcome.description;
        EXPECT_FALSE(outcome.description.empty());
        EXPECT_LT(outcome.seconds, kCaseSeconds);
        office.shutdown();
        EXPECT_TRUE(noProcessMarked(officeMarkOf(getpid()))) << "the stand-in was left running";
    }
}

TEST_F(OfficeFault, killedWhileOpeningASource)
{
    for (int delayMs : {0, 5, 15, 40}) {
        SCOPED_TRACE(delayMs);
        Hooks hooks;
        hooks.beforeSourceOpen = [&](const std::string& path) {
            if (path == folder / "s2.xls")
                killer.kill(delayMs);
        };
        const Outcome outcome = mergeKillingTheOffice(hooks);
        expectLostOrComplete(outcome, delayMs);
        std::filesystem::remove(folder / "out.xls");
    }
}

TEST_F(OfficeFault, killedDuringTheSummation)
{
    for (int step : {1, 4}) {
        SCOPED_TRACE(step);
        KillingProgress progress(killer, step);
        const Outcome outcome = mergeKillingTheOffice({}, &progress);
        EXPECT_EQ(outcome.number, Number::OfficeConnectionLost) << outcome.description;
        EXPECT_LT(outcome.seconds, kCaseSeconds);
        EXPECT_FALSE(std::filesystem::exists(folder / "out.xls"));
    }
}

TEST_F(OfficeFault, killedDuringTheSave)
{
    for (int delayMs : {0, 5}) {
        SCOPED_TRACE(delayMs);
        Hooks hooks;
        hooks.beforeSave = [&](const std::string&) { killer.kill(delayMs); };
        const Outcome outcome = mergeKillingTheOffice(hooks);
        expectLostOrComplete(outcome, delayMs);
        std::filesystem::remove(folder / "out.xls");   // a save that finished before the kill leaves it
    }
    // Nothing left behind stands in the way of the next merge to the same name.
    lo::LibreOfficeBinding office(options());
    const Outcome again = mergeWith(office, folder / "template.xls", sources(), folder / "out.xls");
    EXPECT_EQ(again.number, 0) << again.description;
}

TEST_F(OfficeFault, stopsAnsweringDuringTheSummationOrTheEnd)
{
    // A stopped office takes every call and never answers: each call is
    // bounded, and so is the shutdown afterwards.
    class StoppingProgress : public QuietProgress {
    public:
        void setValue(float value) override
        {
            QuietProgress::setValue(value);
            if (!m_stopped)
                for (pid_t pid : processesMarked(officeMarkOf(getpid())))
                    ::kill(pid, SIGSTOP);
            m_stopped = true;
        }

    private:
        bool m_stopped = false;
    };
    lo::OfficeOptions impatient = options();
    impatient.callTimeoutMs = 2000;
    {
        lo::LibreOfficeBinding office(impatient);
        StoppingProgress progress;
        const Outcome outcome = mergeWith(office, folder / "template.xls", sources(), folder / "out.xls", &progress);
        EXPECT_EQ(outcome.number, Number::OfficeConnectionLost) << outcome.description;
        EXPECT_NE(outcome.description.find("没有响应"), std::string::npos) << outcome.description;
        EXPECT_LT(outcome.seconds, kCaseSeconds);
    }
    {
        lo::LibreOfficeBinding office(impatient);
        auto workbook = office.global().openWorkbook(folder / "s1.xls");
        for (pid_t pid : processesMarked(officeMarkOf(getpid())))
            ::kill(pid, SIGSTOP);
        const auto start = std::chrono::steady_clock::now();
        office.shutdown();
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), kCaseSeconds);
    }
}

// Two offices of a pool stop answering while the sources load, one and, a
// moment later (the other has read ahead and waits, no call of its own
// under way), the other. The first costs its call deadline and the run
// fails; every office of the run then ends at once, the idle stopped one
// included: it used to hold the end for a deadline of its own.
TEST_F(OfficeFault, twoStoppedOfficesCostOneDeadlineAndThenTheRunEnds)
{
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back(folder / ("m" + std::to_string(i) + ".xls"));
        makeSource(many.back(), i, 1);
    }
    class Stopper : public StageListener {
    public:
        ~Stopper() override
        {
            if (m_second.joinable())
                m_second.join();
        }
        void stageProgress(MergeStage stage, long done, long) override
        {
            if (stage != MergeStage::ReadingSources || done != 2 || m_second.joinable())
                return;
            stopped = std::chrono::steady_clock::now();
            // Every process of one office carries its pipe's full name.
            std::string first;
            for (pid_t pid : processesMarked(officeMarkOf(getpid()))) {
                std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
                const std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                const auto at = line.find(officeMarkOf(getpid()));
                const std::string name = at == std::string::npos ? "" : line.substr(at, line.find(';', at) - at);
                if (first.empty())
                    first = name;
                if (!name.empty() && name == first)
                    ::kill(pid, SIGSTOP);
            }
            m_second = std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                for (pid_t pid : processesMarked(officeMarkOf(getpid())))
                    ::kill(pid, SIGSTOP);
            });
        }
        std::chrono::steady_clock::time_point stopped;

    private:
        std::thread m_second;
    };

    lo::OfficeOptions pool = options();
    pool.officeCount = 2;
    pool.sourcesPerExtraOffice = 1;
    pool.callTimeoutMs = 5000;
    lo::LibreOfficeBinding office(pool);
    Stopper stopper;
    QuietProgress quiet;
    int number = 0;
    try {
        runMerge(office, folder / "template.xls", many, folder / "out.xls", quiet, {}, &stopper);
    } catch (const Error& error) {
        number = error.number();
    }
    office.shutdown();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - stopper.stopped).count();
    EXPECT_EQ(number, Number::OfficeConnectionLost);
    // One deadline of 5 s and the end (well under a second), not two deadlines.
    EXPECT_LT(seconds, 1.6 * pool.callTimeoutMs / 1000.0) << "a second deadline was waited out";
    EXPECT_TRUE(noProcessMarked(officeMarkOf(getpid()), 3000));
    for (const auto& path : many)
        std::filesystem::remove(path);
}

} // namespace
} // namespace rm::faults
