#include "app/cli/CommandLineMerge.h"

#include "app/cli/CliTexts.h"
#include "app/cli/ContributionReport.h"
#include "app/cli/TerminalProgress.h"
#include "engine/files/FileIdentity.h"
#include "engine/files/FileSystem.h"
#include "engine/MergeFrontEnd.h"
#include "engine/MergeRun.h"

#include <getopt.h>
#include <iterator>
#include <ostream>

namespace rm::cli {

namespace {

// One entry per option: getopt_long's table and the short options are made
// from this list. `take` stores the option (with its value, when it has one)
// and says whether the value is acceptable.
struct OptionSpec {
    const char* name;
    char shortName;   // 0: long form only
    bool takesValue;
    bool (*take)(CommandLine& commandLine, const char* value);
};

const OptionSpec Options[] = {
    {"strict", 0, false, [](CommandLine& c, const char*) { return c.strict = true; }},
    {"report", 0, true, [](CommandLine& c, const char* value) { return !(c.reportPath = value).empty(); }},
    {"align", 0, true,
     [](CommandLine& c, const char* value) {
         c.alignByLabels = std::string(value) == "labels";
         return c.alignByLabels || std::string(value) == "position";
     }},
    {"sheets", 0, true,
     [](CommandLine& c, const char* value) {
         c.everyMarkedSheet = std::string(value) == "all";
         return c.everyMarkedSheet || std::string(value) == "active";
     }},
    {"offices", 0, true,
     [](CommandLine& c, const char* value) {
         if (value[0] < '1' || value[0] > '4' || value[1] != '\0')
             return false;
         c.officeCount = value[0] - '0';
         return true;
     }},
    {"help", 'h', false, [](CommandLine& c, const char*) { return c.help = true; }},
    {"version", 0, false, [](CommandLine& c, const char*) { return c.version = true; }},
};

constexpr int LongOnly = 256;   // getopt_long's code for Options[i] without a short name is LongOnly + i

const OptionSpec* optionFor(int code)
{
    for (size_t i = 0; i < std::size(Options); ++i)
        if (code == (Options[i].shortName ? Options[i].shortName : LongOnly + int(i)))
            return &Options[i];
    return nullptr;
}

// The report is written last: it must never replace an input or the output.
bool reportPathIsFree(const CommandLine& request, std::ostream& err)
{
    if (request.reportPath.empty())
        return true;
    bool taken = sameFile(request.reportPath, request.templatePath) || sameFile(request.reportPath, request.outputPath);
    for (const auto& source : request.sourcePaths)
        taken = taken || sameFile(request.reportPath, source);
    if (taken)
        err << CliText::reportPathTaken(request.reportPath) << "\n";
    return !taken;
}

// The window's checks and messages: template first, then the list, first missing entry only.
bool inputsPresent(const CommandLine& request, std::ostream& err)
{
    std::optional<std::string> message = templateCheckMessage(request.templatePath);
    if (!message)
        message = sourcesCheckMessage(request.sourcePaths);
    if (message)
        err << *message << "\n";
    return !message;
}

} // namespace

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments)
{
    std::vector<std::string> words{"reportmerge-cli"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<option> longOptions;
    std::string shortOptions;
    for (size_t i = 0; i < std::size(Options); ++i) {
        const OptionSpec& spec = Options[i];
        const int code = spec.shortName ? spec.shortName : LongOnly + int(i);
        longOptions.push_back({spec.name, spec.takesValue ? required_argument : no_argument, nullptr, code});
        if (spec.shortName)
            shortOptions += std::string(1, spec.shortName) + (spec.takesValue ? ":" : "");
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    CommandLine commandLine;
    bool usable = true;
    opterr = 0;   // the usage text is the only complaint
    optind = 0;   // start afresh on every call
    int code;
    while ((code = getopt_long(int(words.size()), argv.data(), shortOptions.c_str(), longOptions.data(), nullptr)) != -1) {
        const OptionSpec* spec = optionFor(code);
        usable = spec && spec->take(commandLine, optarg) && usable;
    }
    if (commandLine.help || commandLine.version) {
        CommandLine askedOnly;
        askedOnly.help = commandLine.help;
        askedOnly.version = !commandLine.help;
        return askedOnly;
    }
    // getopt_long has moved the paths behind the options in `argv`.
    const std::vector<std::string> positional(argv.begin() + optind, argv.end() - 1);
    if (!usable || positional.size() < 2)
        return std::nullopt;
    commandLine.templatePath = absolutePath(positional[0]);
    commandLine.outputPath = absolutePath(positional[1]);
    for (size_t i = 2; i < positional.size(); ++i)
        commandLine.sourcePaths.push_back(absolutePath(positional[i]));
    if (!commandLine.reportPath.empty())
        commandLine.reportPath = absolutePath(commandLine.reportPath);
    return commandLine;
}

int runCommandLine(const std::vector<std::string>& arguments,
                   SpreadsheetBinding& binding,
                   const std::function<void()>& finishOutput,
                   CommandLineIo io)
{
    const std::optional<CommandLine> commandLine = parseCommandLine(arguments);
    if (!commandLine) {
        io.err << CliText::usageText();
        return ExitUsage;
    }
    return runCommandLine(*commandLine, binding, finishOutput, io);
}

int runCommandLine(const CommandLine& request,
                   SpreadsheetBinding& binding,
                   const std::function<void()>& finishOutput,
                   CommandLineIo io)
{
    if (request.help) {
        io.out << CliText::usageText();
        return ExitSuccess;
    }
    if (request.version) {
        io.out << CliText::versionText();
        return ExitSuccess;
    }
    if (!inputsPresent(request, io.err))
        return ExitInputMissing;
    if (!reportPathIsFree(request, io.err))
        return ExitUsage;

    bool saved = false;
    const auto failure = failureOf([&] {
        TerminalProgress progress(io.err, io.progressBar, static_cast<long>(request.sourcePaths.size()),
                                  io.terminalColumns);
        ContributionTable contributions;
        MergeChecks checks;
        std::vector<bool> alignedSources(request.sourcePaths.size(), false);
        checks.chooseSave = [&](const LayoutFindings& findings) {
            const SaveChoice choice = request.alignByLabels && anyAlignable(findings) ? SaveChoice::AlignByLabels
                                                                                       : SaveChoice::ByPosition;
            return request.strict && findingsRemaining(findings, choice) > 0 ? SaveChoice::DontSave : choice;
        };
        checks.findingsSettled = [&](const LayoutFindings& findings) {
            progress.endLine();
            for (const auto& finding : findings) {
                io.err << describeFinding(finding) << "\n";
                if (finding.aligned)
                    alignedSources[static_cast<std::size_t>(finding.sourceIndex)] = true;
            }
        };
        if (!request.reportPath.empty())
            checks.contributions = &contributions;
        checks.everyMarkedSheet = request.everyMarkedSheet;
        saved = runMerge(binding, request.templatePath, request.sourcePaths, request.outputPath, progress, checks,
                         &progress) != nullptr;
        if (saved && io.outputSaved)
            io.outputSaved();
        if (saved)
            progress.finish();
        if (!request.reportPath.empty())
            writeContributionReport(request.reportPath, request.sourcePaths, alignedSources, contributions);
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
    io.out << CliText::mergeDone() << "\n";
    return ExitSuccess;
}

} // namespace rm::cli
