// The one bar over a whole run: stage shares, the summation inside its own
// share, creep through quiet stretches, and never a step back.

#include "engine/progress/ProgressFraction.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using rm::MergeStage;
using rm::ProgressFraction;

namespace {

// Every report of a run over `sources` sources and `cells` cells, in order,
// with the fraction after each (and after a quiet second at each).
std::vector<double> fractionsOfARun(ProgressFraction& progress, long sources, int cells)
{
    std::vector<double> seen;
    const auto look = [&] {
        seen.push_back(progress.fraction());
        seen.push_back(progress.fraction(1.0));
    };
    progress.stageProgress(MergeStage::StartingOffice, 0, 0);
    look();
    progress.stageProgress(MergeStage::StartingOffice, 1, 1);
    look();
    progress.stageProgress(MergeStage::OpeningTarget, 0, 0);
    look();
    for (long i = 0; i <= sources; ++i) {
        progress.stageProgress(MergeStage::ReadingSources, i, sources);
        look();
    }
    progress.stageProgress(MergeStage::Summing, 0, 0);
    look();
    progress.summation(0.0f, 0.0f, 0.0f);   // maximum written before minimum and value
    progress.summation(0.0f, static_cast<float>(cells), 0.0f);
    look();
    for (int cell = 1; cell <= cells; ++cell) {
        progress.summation(0.0f, static_cast<float>(cells), static_cast<float>(cell));
        look();
    }
    progress.stageProgress(MergeStage::Saving, 0, 0);
    look();
    progress.stageProgress(MergeStage::Finishing, 0, 0);
    look();
    return seen;
}

} // namespace

TEST(ProgressFraction, OneRunGoesFromEmptyTowardsFullAndNeverBack)
{
    for (long sources : {0L, 1L, 3L, 300L, 32767L}) {
        ProgressFraction progress(sources);
        EXPECT_EQ(progress.fraction(), 0.0);
        const std::vector<double> seen = fractionsOfARun(progress, sources, 5);
        for (size_t i = 1; i < seen.size(); ++i)
            EXPECT_GE(seen[i], seen[i - 1]) << sources << " sources, report " << i;
        EXPECT_GT(seen.back(), 0.8) << sources;   // closing the sources is still to come
        EXPECT_LT(seen.back(), 1.0) << sources;
        progress.finish();
        EXPECT_EQ(progress.fraction(), 1.0);
    }
}

TEST(ProgressFraction, SharesFollowTheSourceCount)
{
    // After the office start and the target, the reading is ahead: the more
    // sources, the smaller the share the start had.
    const auto afterStart = [](long sources) {
        ProgressFraction progress(sources);
        progress.stageProgress(MergeStage::ReadingSources, 0, sources);
        return progress.fraction();
    };
    EXPECT_GT(afterStart(1), afterStart(30));
    EXPECT_GT(afterStart(30), afterStart(300));
    EXPECT_GT(afterStart(300), 0.0);

    // Halfway through the sources is farther than the start, short of the summation.
    ProgressFraction progress(300);
    progress.stageProgress(MergeStage::ReadingSources, 150, 300);
    const double half = progress.fraction();
    EXPECT_GT(half, afterStart(300));
    progress.stageProgress(MergeStage::Summing, 0, 0);
    EXPECT_GT(progress.fraction(), half);
}

TEST(ProgressFraction, QuietStretchesCreepButNeverReachTheNextReport)
{
    ProgressFraction progress(10);
    progress.stageProgress(MergeStage::StartingOffice, 0, 0);
    const double start = progress.fraction();
    const double aLittle = progress.fraction(0.5);
    const double longer = progress.fraction(30.0);
    EXPECT_GT(aLittle, start);
    EXPECT_GT(longer, aLittle);
    ProgressFraction reference(10);
    reference.stageProgress(MergeStage::StartingOffice, 1, 1);
    EXPECT_LT(longer, reference.fraction());
    EXPECT_LT(progress.fraction(1e9), 1.0);
    // A step that has taken place counts, however short the stretch.
    progress.stageProgress(MergeStage::StartingOffice, 1, 1);
    EXPECT_DOUBLE_EQ(progress.fraction(), reference.fraction());
}

TEST(ProgressFraction, AloneTheSummationFillsTheBar)
{
    ProgressFraction progress;
    progress.summation(0.0f, 4.0f, 1.0f);
    EXPECT_DOUBLE_EQ(progress.fraction(), 0.25);
    EXPECT_DOUBLE_EQ(progress.fraction(5.0), 0.25);   // no stage: nothing to creep towards
    progress.summation(0.0f, std::numeric_limits<float>::infinity(), 1.0f);
    progress.summation(0.0f, 4.0f, std::numeric_limits<float>::quiet_NaN());
    progress.summation(0.0f, 4.0f, -1.0f);
    EXPECT_DOUBLE_EQ(progress.fraction(), 0.25);
    progress.summation(0.0f, 4.0f, 9.0f);
    EXPECT_DOUBLE_EQ(progress.fraction(), 1.0);
}
