// Sums at the edges of double precision, compared with the exact sums of
// the numbers the sources show.

#include "support/MergeCase.h"
#include "support/SharedOffice.h"

#include "TempFolder.h"
#include "XlsFiles.h"

#include "engine/ErrorNumbers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rm::faults {
using namespace rm::test;
namespace {

// A source whose B2 and B3 show every digit of their numbers.
void makeExactSource(const std::string& path, const std::string& b2, const std::string& b3)
{
    makeXls(path, R"({"sheets": [{"name": "Data", "cells": {"B2": )" + b2 + R"(, "B3": )" + b3 + "}}]}");
}

std::string shown(const char* number, const char* format)
{
    return std::string(R"({"number": )") + number + R"(, "format": ")" + format + R"("})";
}

class Numbers : public ::testing::Test {
protected:
    void SetUp() override { makeTemplate(folder / "template.xls"); }

    Outcome merge(const std::vector<std::string>& sources)
    {
        std::vector<std::string> paths;
        for (const auto& name : sources)
            paths.push_back(folder / name);
        std::vector<std::string> inputs = paths;
        inputs.push_back(folder / "template.xls");
        const Snapshot before = snapshot(inputs);
        const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", paths, folder / "out.xls");
        EXPECT_TRUE(changedSince(before).empty()) << "an input was changed";
        EXPECT_LT(outcome.seconds, kCaseSeconds);
        return outcome;
    }

    TempFolder folder;
};

TEST_F(Numbers, aSumBeyondTheDoubleRangeIsAnOverflow)
{
    makeExactSource(folder / "big.xls", shown("1.5e308", "0.0E+00"), "1");
    const Outcome outcome = merge({"big.xls", "big.xls"});
    EXPECT_EQ(outcome.number, ErrorNumber::Overflow) << outcome.description;
    EXPECT_FALSE(outcome.description.empty());
}

TEST_F(Numbers, tinyHugeNegativeZeroAndFifteenDigitsSumExactly)
{
    makeExactSource(folder / "a.xls", shown("1.23456789012345e-300", "0.00000000000000E+00"),
                    shown("123456789012345", "0"));
    makeExactSource(folder / "b.xls", shown("9.87654321098765e+300", "0.00000000000000E+00"),
                    shown("0.000000000000001", "0.000000000000000"));
    makeExactSource(folder / "c.xls", shown("-0.0", "0.0"), shown("-98765.4321098765", "0.0000000000"));
    const Outcome outcome = merge({"a.xls", "b.xls", "c.xls"});
    ASSERT_EQ(outcome.number, 0) << outcome.description;

    // The sums of the shown numbers, added in list order as the merge does.
    const double b2 = (0.0 + 1.23456789012345e-300) + 9.87654321098765e+300 + -0.0;
    const double b3 = ((0.0 + 123456789012345.0) + 0.000000000000001) + -98765.4321098765;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), b2);
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), b3);
}

TEST_F(Numbers, negativeZeroAloneIsZero)
{
    makeExactSource(folder / "z.xls", shown("-0.0", "0.0"), shown("-0.0", "0"));
    const Outcome outcome = merge({"z.xls", "z.xls"});
    ASSERT_EQ(outcome.number, 0) << outcome.description;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 0.0);
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), 0.0);
}

} // namespace
} // namespace rm::faults
