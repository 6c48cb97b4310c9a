// reportmerge-bench R C N: times a merge of N sources into an R x C template
// (half the cells marked; with --formulas a report of thousands of formulas
// over one marked column) through the command line's path, with the pool of
// offices and with one office, against a floor (one office started, every
// workbook opened hidden, the output saved, no cell work); optionally
// against the per-cell reference path. With --sheets K every workbook is a
// package of K such sheets, merged with --sheets all.

#include "app/cli/CommandLineMerge.h"
#include "bench/BenchWorkbooks.h"
#include "bench/OfficeMemory.h"
#include "bench/TimedBinding.h"
#include "engine/Error.h"
#include "engine/MergeRun.h"
#include "engine/files/WorkingCopy.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

using namespace rm::bench;

namespace {

int g_sheets = 1;   // --sheets K: a package of K sheets

struct Measurement {
    double total = 0, prepare = 0, start = 0, open = 0, sum = 0, save = 0, close = 0, shutdown = 0;
    PeakMemory memory;
};

rm::lo::OfficeOptions officeOptions(bool perCell, int officeCount)
{
    rm::lo::OfficeOptions options;
    options.perCellReads = perCell;
    options.officeCount = officeCount;
    options.opener = [](const std::string&) {};
    return options;
}

// The peaks of every office of the pool, added up.
PeakMemory poolPeak(const rm::lo::LibreOfficeBinding& office)
{
    PeakMemory sum;
    for (long group : office.officeProcessIds()) {
        const PeakMemory peak = peakMemoryOfGroup(static_cast<pid_t>(group));
        sum.peakKb += peak.peakKb;
        sum.process = peak.process;
    }
    return sum;
}

Measurement measureMerge(const BenchFiles& files, const std::string& output, bool perCell, int officeCount,
                         int* officesUsed = nullptr)
{
    rm::lo::LibreOfficeBinding office(officeOptions(perCell, officeCount));
    StageTimes times;
    TimedBinding timed(office, times);
    Measurement m;
    Clock::time_point runEnd;
    std::vector<std::string> arguments = {files.templatePath, output};
    if (g_sheets > 1)
        arguments.insert(arguments.begin(), {"--sheets", "all"});
    arguments.insert(arguments.end(), files.sourcePaths.begin(), files.sourcePaths.end());
    std::ostringstream out, err;
    times.start = Clock::now();
    const int code = rm::cli::runCommandLine(arguments, timed, [&] {
        runEnd = Clock::now();
        m.memory = poolPeak(office);
        if (officesUsed)
            *officesUsed = static_cast<int>(office.officeProcessIds().size());
        office.shutdown();
    }, {out, err, false});
    times.end = Clock::now();
    if (code != 0)
        throw std::runtime_error("the merge failed: " + err.str());
    m.total = seconds(times.start, times.end);
    m.prepare = seconds(times.start, times.instanceAsked);
    m.start = seconds(times.instanceAsked, times.instanceReady);
    m.open = seconds(times.instanceReady, times.lastSheetOpened);
    m.sum = seconds(times.lastSheetOpened, times.alertsOff);
    m.save = seconds(times.alertsOff, times.saved);
    m.close = seconds(times.saved, runEnd);
    m.shutdown = seconds(runEnd, times.end);
    return m;
}

Measurement measureFloor(const BenchFiles& files, const std::string& output)
{
    rm::lo::OfficeOptions options = officeOptions(false, 1);
    options.sourcesWithView = true;   // as the office's loader opens a workbook hidden
    rm::lo::LibreOfficeBinding office(options);
    Measurement m;
    const auto t0 = Clock::now();
    const std::string copy = rm::makeWorkingCopy(files.templatePath, output);
    const auto t1 = Clock::now();
    auto app = office.createInstance();
    app->setVisible(false);
    const auto t2 = Clock::now();
    auto target = app->openWorkbook(copy);
    auto sheet = target->activeSheet();
    std::vector<std::shared_ptr<rm::Workbook>> sources;
    for (const auto& path : files.sourcePaths) {
        sources.push_back(office.global().openWorkbook(path));
        sources.back()->activeSheet();
    }
    const auto t3 = Clock::now();
    app->setDisplayAlerts(false);
    sheet->activate();
    app->setActiveWindowDisplayZeros(false);
    sheet->saveAs(output);
    const auto t4 = Clock::now();
    for (const auto& source : sources)
        source->close();
    rm::removeWorkingCopy(copy);
    const auto t5 = Clock::now();
    m.memory = peakMemoryOfGroup(static_cast<pid_t>(office.officeProcessId()));
    office.shutdown();
    const auto t6 = Clock::now();
    m.total = seconds(t0, t6);
    m.prepare = seconds(t0, t1);
    m.start = seconds(t1, t2);
    m.open = seconds(t2, t3);
    m.save = seconds(t3, t4);
    m.close = seconds(t4, t5);
    m.shutdown = seconds(t5, t6);
    return m;
}

void printRow(const char* mode, const Measurement& m)
{
    std::printf("%-10s %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %9.1f\n", mode, m.total, m.prepare, m.start,
                m.open, m.sum, m.save, m.close, m.shutdown, m.memory.peakKb / 1024.0);
}

// A fast merge is worth nothing if its sums are wrong.
TemplateKind g_kind = TemplateKind::Labels;
std::string g_workbook;   // --workbook: a given file is the template and every source

void checkSums(const std::string& output, int rows, int columns, int sources)
{
    if (!g_workbook.empty())
        return;   // its sums are not known here
    const long wrong = wrongSums(output, rows, columns, sources, g_kind, g_sheets);
    if (wrong != 0)
        throw std::runtime_error(wrong < 0 ? "cannot read " + output
                                           : std::to_string(wrong) + " wrong sums in " + output);
}

BenchFiles copiesOf(const std::string& workbook, const std::string& folder, int sources)
{
    const std::string extension = std::filesystem::path(workbook).extension().string();
    BenchFiles files;
    files.templatePath = folder + "/template" + extension;
    std::filesystem::copy_file(workbook, files.templatePath);
    for (int i = 1; i <= sources; ++i) {
        files.sourcePaths.push_back(folder + "/source-" + std::to_string(i) + extension);
        std::filesystem::copy_file(workbook, files.sourcePaths.back());
    }
    return files;
}

bool readInt(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (!end || *end || parsed < 1 || parsed > 1000000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    int rows = 0, columns = 0, sources = 0, repeats = 1, offices = 0;
    bool perCell = false, mergeOnly = false;
    std::vector<std::string> rest(argv + 1, argv + argc);
    for (auto it = rest.begin(); it != rest.end();) {
        if (*it == "--workbook" && it + 1 != rest.end()) {
            g_workbook = *(it + 1);
            it = rest.erase(it, it + 2);
        } else if (*it == "--formulas") {
            g_kind = TemplateKind::Formulas;
            it = rest.erase(it);
        } else if (*it == "--merge-only") {
            mergeOnly = true;
            it = rest.erase(it);
        } else if (*it == "--no-per-cell" || *it == "--per-cell") {
            perCell = *it == "--per-cell";
            it = rest.erase(it);
        } else if (*it == "--offices" && it + 1 != rest.end() && readInt((it + 1)->c_str(), offices)) {
            it = rest.erase(it, it + 2);
        } else if (*it == "--sheets" && it + 1 != rest.end() && readInt((it + 1)->c_str(), g_sheets)) {
            it = rest.erase(it, it + 2);
        } else if (*it == "--repeat" && it + 1 != rest.end() && readInt((it + 1)->c_str(), repeats)) {
            it = rest.erase(it, it + 2);
        } else {
            ++it;
        }
    }
    if (rest.size() != 3 || !readInt(rest[0].c_str(), rows) || !readInt(rest[1].c_str(), columns) ||
        !readInt(rest[2].c_str(), sources)) {
        std::cerr << "Usage: reportmerge-bench ROWS COLUMNS SOURCES [--repeat K] [--offices N] [--per-cell]\n"
                     "       [--merge-only: only the merge with the pool, for very many sources]\n"
                     "       [--formulas: the template is a report of formulas over one marked column]\n"
                     "       [--sheets K: every workbook a package of K such sheets, merged with --sheets all]\n"
                     "       [--workbook FILE: FILE is the template and every source; R and C are ignored;\n"
                     "        bench/make_attendance_xlsx.py writes an attendance sheet of formulas for it]\n";
        return 2;
    }

    char pattern[] = "/tmp/reportmerge-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    try {
        int marked = 0;
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c)
                marked += isMarkedIn(g_kind, r, c) ? 1 : 0;
        if (!g_workbook.empty())
            std::printf("%s as the template and %d sources; load average before: ", g_workbook.c_str(), sources);
        else
            std::printf("R=%d C=%d N=%d sheets=%d: %d cells, %d marked per sheet%s; load average before: ", rows,
                        columns, sources, g_sheets, rows * columns, marked,
                        g_kind == TemplateKind::Formulas ? ", formulas across each row" : "");
        std::fflush(stdout);
        std::system("cut -d' ' -f1-3 /proc/loadavg");
        const BenchFiles files =
            g_workbook.empty() ? makeBenchWorkbooks(folder, rows, columns, sources, g_kind, g_sheets)
                               : copiesOf(g_workbook, folder, sources);

        std::printf("%-10s %8s %8s %8s %8s %8s %8s %8s %8s %9s\n", "mode", "total/s", "copy", "start", "read",
                    "sum", "save", "close", "shutdown", "peakMiB");
        double floorTotal = 0, mergeTotal = 0, oneTotal = 0, mergeSum = 0;
        int run = 0, used = 0;
        if (mergeOnly) {
            const std::string output = folder + "/merge.xls";
            const Measurement merge = measureMerge(files, output, false, offices, &used);
            printRow(("merge x" + std::to_string(used)).c_str(), merge);
            checkSums(output, rows, columns, sources);
            std::printf("load average after: ");
            std::fflush(stdout);
            std::system("cut -d' ' -f1-3 /proc/loadavg");
            std::filesystem::remove_all(folder);
            return 0;
        }
        for (int i = 0; i < repeats; ++i) {
            const Measurement floor = measureFloor(files, folder + "/floor-" + std::to_string(++run) + ".xls");
            printRow("floor", floor);
            const std::string output = folder + "/merge-" + std::to_string(++run) + ".xls";
            const Measurement merge = measureMerge(files, output, false, offices, &used);
            printRow(("merge x" + std::to_string(used)).c_str(), merge);
            checkSums(output, rows, columns, sources);
            const std::string oneOutput = folder + "/merge-" + std::to_string(++run) + ".xls";
            const Measurement one = measureMerge(files, oneOutput, false, 1);
            printRow("merge x1", one);
            checkSums(oneOutput, rows, columns, sources);
            floorTotal += floor.total;
            mergeTotal += merge.total;
            oneTotal += one.total;
            mergeSum += merge.sum;
        }
        std::printf("merge / floor = %.3f (%d offices); one office / floor = %.3f\n", mergeTotal / floorTotal, used,
                    oneTotal / floorTotal);
        std::printf("load average after: ");
        std::fflush(stdout);
        std::system("cut -d' ' -f1-3 /proc/loadavg");
        if (perCell) {
            const Measurement reference = measureMerge(files, folder + "/per-cell.xls", true, 1);
            printRow("per-cell", reference);
            checkSums(folder + "/per-cell.xls", rows, columns, sources);
            std::printf("speed-up over per-cell: %.1fx overall, %.1fx in the summation\n",
                        reference.total / (mergeTotal / repeats), reference.sum / (mergeSum / repeats));
        }
    } catch (const rm::Error& error) {
        std::fprintf(stderr, "错误:%d\n%s\n", error.number(), error.description().c_str());
        std::filesystem::remove_all(folder);
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        std::filesystem::remove_all(folder);
        return 1;
    }
    std::filesystem::remove_all(folder);
    return 0;
}
