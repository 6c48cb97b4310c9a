// What a run reports, kept for the bar: the summation's floats as written,
// the last stage, a fresh start per run, and reports from several threads.

#include "engine/progress/ReportedProgress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using rm::MergeStage;

namespace {

class CountingProgress : public rm::ReportedProgress {
public:
    using ReportedProgress::ReportedProgress;
    std::atomic<int> reports{0};

private:
    void reported() override { ++reports; }
};

} // namespace

TEST(ReportedProgress, KeepsTheSummationsFloatsAsWrittenAndPlacesTheBarByThem)
{
    CountingProgress progress;
    EXPECT_EQ(progress.maximum(), 100.0f);
    EXPECT_EQ(progress.minimum(), 0.0f);
    EXPECT_EQ(progress.value(), 0.0f);
    // What the summation writes comes back bit for bit, even where single
    // precision stops counting (2^24 + 1 is 2^24).
    for (const float written : {0.1f, 3.0f, 16777216.0f, 16777217.0f, -2.5f}) {
        progress.setMinimum(written);
        progress.setMaximum(written * 2);
        progress.setValue(written + 1.0f);
        EXPECT_EQ(progress.minimum(), written);
        EXPECT_EQ(progress.maximum(), written * 2);
        EXPECT_EQ(progress.value(), written + 1.0f);
    }
    EXPECT_EQ(progress.reports, 15);

    CountingProgress bar;
    bar.setMaximum(4.0f);
    bar.setValue(1.0f);
    EXPECT_DOUBLE_EQ(bar.fraction(), 0.25);
    bar.setValue(std::nanf(""));
    EXPECT_TRUE(std::isnan(bar.value()));
    EXPECT_DOUBLE_EQ(bar.fraction(), 0.25);   // never back
}

TEST(ReportedProgress, TellsTheLastStageUntilTheNextRunStarts)
{
    CountingProgress progress;
    EXPECT_FALSE(progress.lastStage());
    progress.stageProgress(MergeStage::ReadingSources, 2, 3);
    ASSERT_TRUE(progress.lastStage());
    EXPECT_EQ(progress.lastStage()->stage, MergeStage::ReadingSources);
    EXPECT_EQ(progress.lastStage()->done, 2);
    EXPECT_EQ(progress.lastStage()->total, 3);
    const double reading = progress.fraction();
    EXPECT_GT(reading, 0.0);
    EXPECT_EQ(progress.reports, 1);

    progress.setMaximum(8.0f);
    progress.startRun(3);   // the floats stay, the stage and the bar start afresh
    EXPECT_FALSE(progress.lastStage());
    EXPECT_EQ(progress.maximum(), 8.0f);
    EXPECT_LT(progress.fraction(), reading);
    progress.finish();
    EXPECT_EQ(progress.fraction(), 1.0);

    progress.reset();
    EXPECT_EQ(progress.maximum(), 100.0f);
    EXPECT_EQ(progress.fraction(), 0.0);
    EXPECT_FALSE(progress.lastStage());
}

TEST(ReportedProgress, CreepsOnlyWhenAskedTo)
{
    rm::ReportedProgress progress;
    progress.startRun(2);
    progress.stageProgress(MergeStage::StartingOffice, 0, 0);
    const double still = progress.fraction();
    EXPECT_EQ(progress.fraction(false), still);
    // Any time at all since the report moves a creeping bar on, if only slightly.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(progress.fraction(true), still);
}

TEST(ReportedProgress, ReportsFromSeveralThreadsWhileAnotherReads)
{
    CountingProgress progress(4);
    std::atomic<bool> stop{false};
    std::vector<double> seen;
    std::thread reader([&] {
        while (!stop)
            seen.push_back(progress.fraction(true));
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([&progress, w] {
            for (long i = 0; i <= 1000; ++i) {
                progress.stageProgress(MergeStage::ReadingSources, i / 250, 4);
                progress.setValue(static_cast<float>(w));
            }
        });
    for (auto& writer : writers)
        writer.join();
    stop = true;
    reader.join();
    EXPECT_EQ(progress.reports, 4 * 1001 * 2);
    for (size_t i = 1; i < seen.size(); ++i)
        ASSERT_GE(seen[i], seen[i - 1]);
    ASSERT_TRUE(progress.lastStage());
    EXPECT_EQ(progress.lastStage()->done, 4);
}
