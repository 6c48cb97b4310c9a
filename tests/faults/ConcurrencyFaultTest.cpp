// Two reportmerge-cli processes merging different workbooks at the same
// time: each has its own office, and neither disturbs the other.

#include "support/CliRun.h"
#include "support/MergeCase.h"
#include "support/OfficeProcesses.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

namespace rm::faults {
using namespace rm::test;
namespace {

TEST(Concurrency, twoCommandLineMergesAtTheSameTimeBothSucceed)
{
    TempFolder first, second;
    for (const TempFolder* folder : {&first, &second})
        makeTemplate(*folder / "template.xls");
    makeSource(first / "s1.xls", 1, 2);
    makeSource(first / "s2.xls", 3, 4);
    makeSource(second / "s1.xls", 100, 200);
    const std::vector<std::string> inputs = {first / "template.xls", first / "s1.xls", first / "s2.xls",
                                             second / "template.xls", second / "s1.xls"};
    const Snapshot before = snapshot(inputs);

    CliRun one({RM_CLI, first / "template.xls", first / "out.xls", first / "s1.xls", first / "s2.xls"});
    CliRun two({RM_CLI, second / "template.xls", second / "out.xls", second / "s1.xls"});
    const CliResult a = one.finish(60000);
    const CliResult b = two.finish(60000);

    for (const CliResult* result : {&a, &b}) {
        EXPECT_FALSE(result->timedOut);
        EXPECT_EQ(result->exitCode, 0) << result->err;
        EXPECT_EQ(result->out, "报表合并完成。\n");
        EXPECT_TRUE(noProcessMarked(officeMarkOf(result->pid)));
    }
    EXPECT_EQ(numberIn(first / "out.xls", "Report!B2"), 4.0);
    EXPECT_EQ(numberIn(first / "out.xls", "Report!B4"), 10.0);
    EXPECT_EQ(numberIn(second / "out.xls", "Report!B2"), 100.0);
    EXPECT_EQ(numberIn(second / "out.xls", "Report!B4"), 300.0);
    EXPECT_TRUE(changedSince(before).empty()) << "an input was changed";
}

} // namespace
} // namespace rm::faults
