// The words a run's progress is told in: the stage with its count, and the
// time left, estimated from the time taken and the share done.

#include "engine/progress/StageText.h"

#include <gtest/gtest.h>

#include <limits>

using rm::MergeStage;

TEST(StageText, ReadingSourcesCarriesItsCount)
{
    EXPECT_EQ(rm::stageText(MergeStage::ReadingSources, 12, 300), "读取合并文件 12/300");
    EXPECT_EQ(rm::stageText(MergeStage::StartingOffice, 0, 0), "启动 LibreOffice");
    EXPECT_EQ(rm::stageText(MergeStage::Summing, 0, 0), "求和");
    EXPECT_EQ(rm::stageText(MergeStage::Saving, 0, 0), "保存");
}

TEST(StageText, NoEstimateBeforeAnythingIsKnown)
{
    EXPECT_FALSE(rm::remainingSeconds(1.0, 0.5));                 // too early
    EXPECT_FALSE(rm::remainingSeconds(10.0, 0.0));                // nothing done
    EXPECT_FALSE(rm::remainingSeconds(std::numeric_limits<double>::quiet_NaN(), 0.5));
    EXPECT_FALSE(rm::remainingSeconds(10.0, std::numeric_limits<double>::quiet_NaN()));
}

TEST(StageText, EstimateGrowsWithWhatIsLeft)
{
    EXPECT_DOUBLE_EQ(*rm::remainingSeconds(10.0, 0.25), 30.0);
    EXPECT_DOUBLE_EQ(*rm::remainingSeconds(10.0, 0.5), 10.0);
    EXPECT_DOUBLE_EQ(*rm::remainingSeconds(10.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(*rm::remainingSeconds(10.0, 1.5), 0.0);
}

TEST(StageText, RemainingTimeReadsInMinutesAndSeconds)
{
    EXPECT_EQ(rm::remainingTimeText(45.0), "约剩 45 秒");
    EXPECT_EQ(rm::remainingTimeText(44.2), "约剩 45 秒");   // never less than it is
    EXPECT_EQ(rm::remainingTimeText(0.0), "约剩 1 秒");
    EXPECT_EQ(rm::remainingTimeText(60.0), "约剩 1 分");
    EXPECT_EQ(rm::remainingTimeText(80.0), "约剩 1 分 20 秒");
    EXPECT_EQ(rm::remainingTimeText(78.0), "约剩 1 分 20 秒");  // steps of 5 s above a minute
    EXPECT_EQ(rm::remainingTimeText(3599.0), "约剩 60 分");
}
