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

TEST(Scale, aThousandSourcesOfFiftyByTenMergeCorrectly)
{
    TempFolder folder;
    makeXls(folder / "template.xls", sheetJson(-1));
    std::vector<std::string> command = {RM_CLI, folder / "template.xls", folder / "out.xls"};
    for (int kind = 0; kind < kKinds; ++kind)
        makeXls(folder / ("kind" + std::to_string(kind) + ".xls"), sheetJson(kind));
    for (int i = 0; i < kSources; ++i) {
        const std::string path = folder / ("source" + std::to_string(i) + ".xls");
        std::filesystem::copy_file(folder / ("kind" + std::to_string(i % kKinds) + ".xls"), path);
        command.push_back(path);
    }
    const Snapshot before = snapshot(std::vector<std::string>(command.begin() + 3, command.end()));

    CliRun run(command);
    const std::string mark = officeMarkOf(run.pid());
    long peakKb = 0;
    CliResult result;
    // Sample the office's peak resident set while the merge runs.
    std::thread sampler([&] {
        while (kill(run.pid(), 0) == 0) {   // until the run is reaped
            peakKb = std::max(peakKb, peakResidentKb(mark));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    result = run.finish(240000);
    sampler.join();

    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::printf("[ scale    ] %d sources of %dx%d: %.1f s, office peak resident set %.0f MiB\n", kSources, kRows,
                kColumns, result.seconds, peakKb / 1024.0);
    RecordProperty("seconds", std::to_string(result.seconds));
    RecordProperty("officePeakKb", std::to_string(peakKb));

    const XlsContent out = readXls(folder / "out.xls");
    int wrong = 0;
    for (int row = 1; row <= kRows; ++row)
        for (int column = 1; column <= kColumns; ++column) {
            double expected = 0;
            for (int kind = 0; kind < kKinds; ++kind)
                expected += valueOf(kind, row, column) * (kSources / kKinds);
            const std::string cell = out.cell("Data!" + cellName(row, column));
            if (cell.rfind("n:", 0) != 0 || std::strtod(cell.c_str() + 2, nullptr) != expected)
                ++wrong;
        }
    EXPECT_EQ(wrong, 0) << "marked cells without their exact sum";
    EXPECT_TRUE(changedSince(before).empty());
    EXPECT_TRUE(noProcessMarked(mark));
}

} // namespace
} // namespace rm::faults
