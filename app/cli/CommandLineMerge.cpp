#include "app/cli/CommandLineMerge.h"

#include "app/cli/ContributionReport.h"
#include "app/cli/TerminalProgress.h"
#include "engine/FileIdentity.h"
#include "engine/FileSystem.h"
#include "engine/MergeFrontEnd.h"
#include "engine/MergeRun.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace rm::cli {

namespace {

struct Request {
    std::string templatePath;
    std::string outputPath;
    std::vector<std::string> sourcePaths;
    bool strict = false;         // findings of the check refuse the save
    bool alignByLabels = false;  // alignable sources are read where their labels stand
    std::string reportPath;      // empty: no report
};

// Nothing when the arguments are unusable; the caller prints the usage.
std::optional<Request> parse(const std::vector<std::string>& arguments)
{
    const std::string reportPrefix = "--report=";
    const std::string alignPrefix = "--align=";
    std::vector<std::string> positional;
    bool strict = false;
    std::optional<std::string> align;
    std::optional<std::string> report;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() <= 1 || argument.front() != '-') {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--strict") {
            strict = true;
        } else if (argument == "--report" && i + 1 < arguments.size()) {
            report = arguments[++i];
        } else if (argument.rfind(reportPrefix, 0) == 0) {
            report = argument.substr(reportPrefix.size());
        } else if (argument == "--align" && i + 1 < arguments.size()) {
            align = arguments[++i];
        } else if (argument.rfind(alignPrefix, 0) == 0) {
            align = argument.substr(alignPrefix.size());
        } else {
            return std::nullopt;
        }
    }
    if (positional.size() < 2 || (report && report->empty()) || (align && *align != "labels" && *align != "position"))
        return std::nullopt;
    Request request{absolutePath(positional[0]), absolutePath(positional[1]), {}, strict, align == "labels", {}};
    for (size_t i = 2; i < positional.size(); ++i)
        request.sourcePaths.push_back(absolutePath(positional[i]));
    if (report)
        request.reportPath = absolutePath(*report);
    return request;
}

// The report is written last: it must never replace an input or the output.
bool reportPathIsFree(const Request& request, std::ostream& err)
{
    if (request.reportPath.empty())
        return true;
    bool taken = sameFile(request.reportPath, request.templatePath) || sameFile(request.reportPath, request.outputPath);
    for (const auto& source : request.sourcePaths)
        taken = taken || sameFile(request.reportPath, source);
    if (taken)
        err << "报告文件不能是模板、输出文件或要合并的文件：" << request.reportPath << "\n";
    return !taken;
}

// The window's checks and messages: template first, then the list, first missing entry only.
bool inputsPresent(const Request& request, std::ostream& err)
{
    std::optional<std::string> message = templateCheckMessage(request.templatePath);
    if (!message)
        message = sourcesCheckMessage(request.sourcePaths);
    if (message)
        err << *message << "\n";
    return !message;
}

bool wantsHelp(const std::vector<std::string>& arguments)
{
    for (const auto& argument : arguments) {
        if (argument == "--")
            return false;
        if (argument == "--help" || argument == "-h")
            return true;
    }
    return false;
}

} // namespace

std::string usageText()
{
    return "用法: reportmerge-cli [--strict] [--align labels|position] [--report 报告.csv] [--offices N]\n"
           "                        模板文件 输出文件 合并文件...\n"
           "Usage: reportmerge-cli [--strict] [--align labels|position] [--report FILE.csv] [--offices N]\n"
           "                        TEMPLATE OUTPUT SOURCE...\n"
           "\n"
           "把每个合并文件活动工作表中与模板标有“?”的单元格相同位置的数字相加，\n"
           "写入模板的副本，并保存为输出文件。模板和合并文件不会被修改。\n"
           "Sums, for every cell of the template's active sheet whose text contains \"?\",\n"
           "the numbers shown at the same cell of each source's active sheet, and saves\n"
           "the result as OUTPUT. The template and the sources are never modified.\n"
           "\n"
           "保存前检查每个合并文件：决定相加位置的行、列标题与模板不同（能否按标签对齐）、\n"
           "与另一个文件内容相同、没有可相加的数字，发现的问题写到标准错误输出。\n"
           "Before saving, every source is checked (a row or column header that places a\n"
           "sum differs from the template, and whether the source can be aligned by its\n"
           "labels; same content as another source; nothing to add); findings go to stderr.\n"
           "\n"
           "  --align labels     read every alignable source where its own row and column\n"
           "                     labels put the numbers (rows or columns inserted or removed)\n"
           "  --align position   read every source at the template's cells (the default)\n"
           "  --strict           do not save when a finding remains (with --align labels,\n"
           "                     alignable sources no longer count) (exit status 4)\n"
           "  --report FILE.csv  write, for every marked cell, what each source added and\n"
           "                     the sum (UTF-8 CSV with a byte-order mark); an aligned\n"
           "                     source also gets the cell read, where it is another one\n"
           "  --offices N        read the sources with N private offices side by side\n"
           "                     (1 to 4; default: one per processor core, at most 4)\n"
           "  -h, --help         show this text\n"
           "\n"
           "Exit status: 0 merged (also with findings, without --strict); 1 the merge\n"
           "failed (\"错误:\" number, then the description); 2 wrong arguments; 3 the\n"
           "template or a source is missing; 4 --strict and a finding of the check\n"
           "remains (nothing saved).\n";
}

bool takeOfficeCount(std::vector<std::string>& arguments, int& officeCount)
{
    officeCount = 0;
    for (auto it = arguments.begin(); it != arguments.end() && *it != "--"; ++it) {
        if (*it != "--offices")
            continue;
        if (it + 1 == arguments.end() || (it + 1)->size() != 1 || (*(it + 1))[0] < '1' || (*(it + 1))[0] > '4')
            return false;
        officeCount = (*(it + 1))[0] - '0';
        arguments.erase(it, it + 2);
        return true;
    }
    return true;
}

int runCommandLine(const std::vector<std::string>& arguments,
                   SpreadsheetBinding& binding,
                   const std::function<void()>& finishOutput,
                   CommandLineIo io)
{
    if (wantsHelp(arguments)) {
        io.out << usageText();
        return ExitSuccess;
    }
    const std::optional<Request> request = parse(arguments);
    if (!request) {
        io.err << usageText();
        return ExitUsage;
    }
    if (!inputsPresent(*request, io.err))
        return ExitInputMissing;
    if (!reportPathIsFree(*request, io.err))
        return ExitUsage;

    bool saved = false;
    const auto failure = failureOf([&] {
        TerminalProgress progress(io.err, io.progressBar, static_cast<long>(request->sourcePaths.size()));
        ContributionTable contributions;
        MergeChecks checks;
        std::vector<bool> alignedSources(request->sourcePaths.size(), false);
        checks.chooseSave = [&](const LayoutFindings& findings) {
            const SaveChoice choice = request->alignByLabels && anyAlignable(findings) ? SaveChoice::AlignByLabels
                                                                                       : SaveChoice::ByPosition;
            return request->strict && findingsRemaining(findings, choice) > 0 ? SaveChoice::DontSave : choice;
        };
        checks.findingsSettled = [&](const LayoutFindings& findings) {
            progress.endLine();
            for (const auto& finding : findings) {
                io.err << describeFinding(finding) << "\n";
                if (finding.aligned)
                    alignedSources[static_cast<std::size_t>(finding.sourceIndex)] = true;
            }
        };
        if (!request->reportPath.empty())
            checks.contributions = &contributions;
        saved = runMerge(binding, request->templatePath, request->sourcePaths, request->outputPath, progress, checks,
                         &progress) != nullptr;
        if (saved)
            progress.finish();
        if (!request->reportPath.empty())
            writeContributionReport(request->reportPath, request->sourcePaths, alignedSources, contributions);
    });
    if (failure) {
        io.err << failureText(*failure, "\n") << "\n";
        return ExitMergeFailed;
    }
    if (!saved) {
        io.err << notSavedBecauseOfFindings() << "\n";
        return ExitFindings;
    }
    if (finishOutput)
        finishOutput();
    io.out << "报表合并完成。\n";
    return ExitSuccess;
}

} // namespace rm::cli
