// Sources read side by side by several readers give exactly what one reader
// gives: the same sums, the same order of additions, the same failure.

#include "RecordingProgress.h"
#include "TempFolder.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/MergeRun.h"
#include "engine/SourceReading.h"
#include "engine/memory/MemoryBinding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

using rm::mem::MemoryBinding;
using rm::mem::SheetContent;
using rm::mem::WorkbookContent;
namespace Number = rm::ErrorNumber;

namespace {

constexpr int kSources = 24;

// Values whose sum depends on the order of additions (1e16 + 1 - 1e16 is 0, not 1).
double valueOf(int source, int column)
{
    if (column == 1)
        return source % 3 == 0 ? 1e16 : (source % 3 == 1 ? 1.0 : -1e16);
    return source * 0.1 + column;
}

struct Outcome {
    int error = 0;
    std::vector<double> sums;
    std::vector<std::string> progress;
    std::vector<std::string> stages;
    std::vector<std::string> opened;   // every source opened, in any order
};

class RecordingStages : public rm::StageListener {
public:
    void stageProgress(rm::MergeStage stage, long done, long total) override
    {
        calls.push_back(std::to_string(static_cast<int>(stage)) + ":" + std::to_string(done) + "/" +
                        std::to_string(total));
    }
    std::vector<std::string> calls;
};

class SourceReadingTest : public ::testing::Test {
protected:
    std::string source(int i) const { return folder / ("s" + std::to_string(i) + ".xls"); }
    std::vector<std::string> sources(int count = kSources) const
    {
        std::vector<std::string> list;
        for (int i = 0; i < count; ++i)
            list.push_back(source(i));
        return list;
    }

    // A fresh binding with `readers` readers; `setUp` adds failures and delays.
    Outcome merge(int readers, const std::function<void(MemoryBinding&)>& setUp = {})
    {
        MemoryBinding binding;
        binding.setReaderCount(readers);
        SheetContent layout;
        for (int column = 1; column <= 3; ++column)
            layout.text(1, column, "?");
        binding.createWorkbookFile(folder / "template.xls", WorkbookContent(layout));
        for (int i = 0; i < kSources; ++i) {
            SheetContent sheet;
            for (int column = 1; column <= 3; ++column)
                sheet.number(1, column, valueOf(i, column));
            binding.createWorkbookFile(source(i), WorkbookContent(sheet));
            if (i % 5 == 1)
                binding.delayOpen(source(i), 15);   // finishes after later sources
        }
        if (setUp)
            setUp(binding);
        Outcome outcome;
        RecordingProgress progress;
        RecordingStages stages;
        try {
            rm::runMerge(binding, folder / "template.xls", sources(), folder / "out.xls", progress, {}, &stages);
            for (int column = 1; column <= 3; ++column)
                outcome.sums.push_back(*binding.savedWorkbook(folder / "out.xls")->active().numberAt(1, column));
        } catch (const rm::Error& error) {
            outcome.error = error.number();
        }
        outcome.progress = progress.calls;
        outcome.stages = stages.calls;
        for (const auto& event : binding.events())
            if (event.rfind("open-readonly ", 0) == 0)
                outcome.opened.push_back(event.substr(14));
        return outcome;
    }

    TempFolder folder;
};

} // namespace

TEST_F(SourceReadingTest, SeveralReadersGiveWhatOneGives)
{
    const Outcome one = merge(1);
    ASSERT_EQ(one.error, 0);
    EXPECT_EQ(one.opened, sources()) << "one reader reads in list order";
    for (int readers : {2, 3, 4}) {
        const Outcome pool = merge(readers);
        EXPECT_EQ(pool.error, 0) << readers;
        EXPECT_EQ(pool.sums, one.sums) << readers << " readers: the same additions in the same order";
        EXPECT_EQ(pool.progress, one.progress);
        EXPECT_EQ(pool.stages, one.stages);
        EXPECT_EQ(pool.opened.size(), one.opened.size());
    }
    // The stages: office start, target, each source folded in list order, summation, saving, finishing.
    ASSERT_EQ(one.stages.size(), 4u + kSources + 3);
    EXPECT_EQ(one.stages[0], "0:0/0");
    EXPECT_EQ(one.stages[1], "0:1/1");
    EXPECT_EQ(one.stages[2], "1:0/0");
    EXPECT_EQ(one.stages[3], "2:0/" + std::to_string(kSources));
    EXPECT_EQ(one.stages[4], "2:1/" + std::to_string(kSources));
    EXPECT_EQ(one.stages[3 + kSources], "2:" + std::to_string(kSources) + "/" + std::to_string(kSources));
    EXPECT_EQ(one.stages[4 + kSources], "3:0/0");
}

TEST_F(SourceReadingTest, TheFirstFailingSourceInListOrderIsReported)
{
    // Source 9 fails at once; source 6 fails later, after a long open: 6 is reported.
    const auto twoFailures = [&](MemoryBinding& binding) {
        binding.failOpen(source(9), rm::Error(Number::DocumentLoadFailed, "nine"));
        binding.createWorkbookFile(source(6), WorkbookContent(SheetContent("Chart").setChart()));
        binding.delayOpen(source(6), 60);
    };
    const Outcome one = merge(1, twoFailures);
    EXPECT_EQ(one.error, Number::NotAWorksheet);
    EXPECT_EQ(one.opened.size(), 7u);
    for (int readers : {2, 4}) {
        const Outcome pool = merge(readers, twoFailures);
        EXPECT_EQ(pool.error, Number::NotAWorksheet) << readers;
        EXPECT_EQ(pool.progress, one.progress) << "no summation began";
        EXPECT_EQ(pool.stages.back(), "2:6/" + std::to_string(kSources)) << "sources 0..5 were folded";
        // Nothing far past a known failure is started.
        EXPECT_LT(pool.opened.size(), 6u + 2u * readers + 2u) << readers;
        EXPECT_EQ(std::count(pool.opened.begin(), pool.opened.end(), source(kSources - 1)), 0);
    }
}

TEST_F(SourceReadingTest, AFailureInTheMiddleStopsTheReadersEarly)
{
    const auto middle = [&](MemoryBinding& binding) {
        binding.failOpen(source(12), rm::Error(Number::DocumentNotFound, "twelve"));
    };
    const Outcome one = merge(1, middle);
    const Outcome pool = merge(3, middle);
    EXPECT_EQ(one.error, Number::DocumentNotFound);
    EXPECT_EQ(pool.error, Number::DocumentNotFound);
    EXPECT_EQ(pool.stages, one.stages);
    EXPECT_LT(pool.opened.size(), static_cast<size_t>(kSources));
}

TEST_F(SourceReadingTest, ReadersThatCannotServeStayOut)
{
    const Outcome one = merge(1);
    const Outcome pool = merge(3, [&](MemoryBinding& binding) { binding.failReaderStart(1); });
    EXPECT_EQ(pool.error, 0);
    EXPECT_EQ(pool.sums, one.sums);

    // Even with no reader able to serve, the sources are still read (on the caller's thread).
    const Outcome none = merge(2, [&](MemoryBinding& binding) {
        binding.failReaderStart(0);
        binding.failReaderStart(1);
    });
    EXPECT_EQ(none.error, 0);
    EXPECT_EQ(none.sums, one.sums);
}

TEST_F(SourceReadingTest, ConsumerSeesListOrderAndItsFailureStopsTheReaders)
{
    MemoryBinding binding;
    binding.setReaderCount(3);
    for (int i = 0; i < kSources; ++i) {
        binding.createWorkbookFile(source(i), WorkbookContent(SheetContent().number(1, 1, i)));
        binding.delayOpen(source(i), (kSources - i) % 4 * 5);
    }
    std::vector<size_t> order;
    rm::SourceRequest corner;
    corner.active = rm::SheetRead{{}, 1, 1};
    rm::readSourcesInOrder(binding.sourceReaders(kSources), sources(), corner,
                           [&](size_t index, rm::SourceSheets&& read) {
                               order.push_back(index);
                               EXPECT_EQ(read.active.text(0), std::to_string(index));
                           });
    ASSERT_EQ(order.size(), static_cast<size_t>(kSources));
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i], i);

    EXPECT_THROW(rm::readSourcesInOrder(binding.sourceReaders(kSources), sources(), corner,
                                        [&](size_t index, rm::SourceSheets&&) {
                                            if (index == 3)
                                                throw rm::Error(Number::Overflow, "stop");
                                        }),
                 rm::Error);
}

TEST_F(SourceReadingTest, ASourceRewrittenWhileItIsReadIsRefused)
{
    for (int readers : {1, 2}) {
        std::atomic<bool> done{false};
        const Outcome outcome = merge(readers, [&](MemoryBinding& binding) {
            binding.delayOpen(source(4), 200);
            std::thread([&, path = source(4)] {
                std::this_thread::sleep_for(std::chrono::milliseconds(80));
                const timespec times[2] = {{0, UTIME_NOW}, {1234567, 0}};   // a new modification time
                utimensat(AT_FDCWD, path.c_str(), times, 0);
                done = true;
            }).detach();
        });
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(outcome.error, Number::SourceChangedWhileRead) << readers;
    }
}

namespace {

// Two offices of a run: the first fails (its deadline has passed), the
// second has stopped answering in the middle of a read and would answer
// only at a deadline of its own. Each read waits (bounded) for its cue, so
// that the order is always that one.
class SteppedReaders {
public:
    class Reader : public rm::GlobalEntryPoint {
    public:
        Reader(SteppedReaders& owner, bool fails) : m_owner(owner), m_fails(fails) {}
        std::shared_ptr<rm::Workbook> openWorkbook(const std::string&) override { throw std::logic_error("unused"); }
        rm::SourceSheets readSheets(const std::string&, const rm::SourceRequest&) override { return m_owner.read(m_fails); }
        ReaderState readerState() override
        {
            // The stuck one joins in only once the failing one has its source.
            return m_fails || m_owner.reached(m_owner.m_failingReads) ? ReaderState::Ready : ReaderState::Starting;
        }
        void abandon() override { m_owner.abandoned(m_fails); }

    private:
        SteppedReaders& m_owner;
        const bool m_fails;
    };

    rm::SourceSheets read(bool fails)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (fails) {
            m_failingReads = true;
            m_changed.notify_all();
            m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_stuckReads; });
            throw rm::Error(Number::OfficeConnectionLost, "the first office's deadline passed");
        }
        m_stuckReads = true;
        m_changed.notify_all();
        // The stopped office answers only at its own deadline, long after.
        if (!m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_stuckAbandoned; }))
            waitedForItsOwnDeadline = true;
        throw rm::Error(Number::OfficeConnectionLost, "the second office was ended");
    }
    bool reached(const bool& flag)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return flag;
    }
    void abandoned(bool failing)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        (failing ? failingAbandoned : m_stuckAbandoned) = true;
        m_changed.notify_all();
    }
    bool stuckAbandoned()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_stuckAbandoned;
    }

    Reader failing{*this, true};
    Reader stuck{*this, false};
    bool waitedForItsOwnDeadline = false;
    bool failingAbandoned = false;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_failingReads = false;
    bool m_stuckReads = false;
    bool m_stuckAbandoned = false;
};

} // namespace

TEST_F(SourceReadingTest, AFailureEndsEveryReaderAtOnceEvenOneThatNoLongerAnswers)
{
    SteppedReaders readers;
    rm::SourceRequest corner;
    corner.active = rm::SheetRead{{}, 1, 1};
    try {
        rm::readSourcesInOrder({&readers.failing, &readers.stuck}, sources(4), corner,
                               [](size_t, rm::SourceSheets&&) {});
        ADD_FAILURE() << "the failure was not reported";
    } catch (const rm::Error& error) {
        EXPECT_EQ(error.description(), "the first office's deadline passed");
    }
    EXPECT_TRUE(readers.stuckAbandoned());
    EXPECT_TRUE(readers.failingAbandoned);
    EXPECT_FALSE(readers.waitedForItsOwnDeadline);
}
