// 1,000 sources of 50 x 10 cells merged by reportmerge-cli: every sum is
// checked; the time and the office's peak memory are printed.

#include "support/CliRun.h"
#include "support/MergeCase.h"
#include "support/OfficeProcesses.h"

#include "TempFolder.h"
#include "XlsFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <csignal>
#include <thread>

namespace rm::faults {
using namespace rm::test;
namespace {

constexpr int kRows = 50;
constexpr int kColumns = 10;
constexpr int kSources = 1000;
constexpr int kKinds = 4;   // distinct source workbooks, each copied kSources / kKinds times

std::string cellName(int row, int column)
{
    return std::string(1, static_cast<char>('A' + column - 1)) + std::to_string(row);
}

// Exact in binary, so every sum is exact whatever the order.
double valueOf(int kind, int row, int column)
{
    return kind * 1000 + row * 10 + column + 0.25 * kind;
}

std::string sheetJson(int kind)
{
    std::ostringstream json;
    json << R"({"sheets": [{"name": "Data", "cells": {)";
    for (int row = 1; row <= kRows; ++row)
        for (int column = 1; column <= kColumns; ++column) {
            json << (row + column > 2 ? ", " : "") << '"' << cellName(row, column) << "\": ";
            if (kind < 0)
                json << "\"?\"";
            else
                json << valueOf(kind, row, column);
        }
    json << "}}]}";
    return json.str();
}

struct ScaleRun {
    CliResult result;
    long officePeakKb = 0;
    int wrongSums = 0;
    bool inputsUnchanged = false;
    bool nothingLeft = false;
};

// `sources` copies of kKinds distinct workbooks merged by reportmerge-cli,
// started through `launcher` (arguments put before the program), every sum checked.
ScaleRun mergeSources(int sources, const std::vector<std::string>& launcher = {})
{
    TempFolder folder;
    makeXls(folder / "template.xls", sheetJson(-1));
    std::vector<std::string> command = launcher;
    const size_t firstSource = command.size() + 3;
    command.insert(command.end(), {RM_CLI, folder / "template.xls", folder / "out.xls"});
    for (int kind = 0; kind < kKinds; ++kind)
        makeXls(folder / ("kind" + std::to_string(kind) + ".xls"), sheetJson(kind));
    for (int i = 0; i < sources; ++i) {
        const std::string path = folder / ("source" + std::to_string(i) + ".xls");
        std::filesystem::copy_file(folder / ("kind" + std::to_string(i % kKinds) + ".xls"), path);
        command.push_back(path);
    }
    const Snapshot before = snapshot(std::vector<std::string>(command.begin() + static_cast<long>(firstSource), command.end()));

    ScaleRun outcome;
    CliRun run(command);
    const std::string mark = officeMarkOf(run.pid());
    // Sample the peak resident set of our offices (all of the pool) while the merge runs.
    std::thread sampler([&] {
        while (kill(run.pid(), 0) == 0) {   // until the run is reaped
            outcome.officePeakKb = std::max(outcome.officePeakKb, peakResidentKb(mark));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    outcome.result = run.finish(240000);
    sampler.join();
    if (outcome.result.exitCode != 0)
        return outcome;

    const XlsContent out = readXls(folder / "out.xls");
    for (int row = 1; row <= kRows; ++row)
        for (int column = 1; column <= kColumns; ++column) {
            double expected = 0;
            for (int i = 0; i < sources; ++i)
                expected += valueOf(i % kKinds, row, column);
            const std::string cell = out.cell("Data!" + cellName(row, column));
            if (cell.rfind("n:", 0) != 0 || std::strtod(cell.c_str() + 2, nullptr) != expected)
                ++outcome.wrongSums;
        }
    outcome.inputsUnchanged = changedSince(before).empty();
    outcome.nothingLeft = noProcessMarked(mark);
    return outcome;
}

TEST(Scale, aThousandSourcesOfFiftyByTenMergeCorrectly)
{
    const ScaleRun run = mergeSources(kSources);
    ASSERT_FALSE(run.result.timedOut);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    std::printf("[ scale    ] %d sources of %dx%d: %.1f s, office peak resident set %.0f MiB\n", kSources, kRows,
                kColumns, run.result.seconds, run.officePeakKb / 1024.0);
    RecordProperty("seconds", std::to_string(run.result.seconds));
    RecordProperty("officePeakKb", std::to_string(run.officePeakKb));
    EXPECT_EQ(run.wrongSums, 0) << "marked cells without their exact sum";
    EXPECT_TRUE(run.inputsUnchanged);
    EXPECT_TRUE(run.nothingLeft);
}

// Every source is closed once read, so the number of sources does not count
// against the open-file limit, of the program or of its offices.
TEST(Scale, sixHundredSourcesMergeUnderAnOpenFileLimitOf1024)
{
    const ScaleRun run = mergeSources(600, {"/bin/sh", "-c", "ulimit -n 1024 && exec \"$0\" \"$@\""});
    ASSERT_FALSE(run.result.timedOut);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(run.wrongSums, 0);
    EXPECT_TRUE(run.inputsUnchanged);
    EXPECT_TRUE(run.nothingLeft);
}

} // namespace
} // namespace rm::faults
