#include "app/cli/CommandLineMerge.h"

#include "app/cli/TerminalProgress.h"
#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/FileSearch.h"
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
};

std::string absolutePath(const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    if (error)
        return path;
    // Keep a trailing "/" (an output without a file name must stay recognisable).
    std::string text = absolute.string();
    if (path.back() == '/' && (text.empty() || text.back() != '/'))
        text += '/';
    return text;
}

// Nothing when the arguments are unusable; the caller prints the usage.
std::optional<Request> parse(const std::vector<std::string>& arguments)
{
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (const auto& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.size() > 1 && argument.front() == '-')
            return std::nullopt;
        positional.push_back(argument);
    }
    if (positional.size() < 2)
        return std::nullopt;
    Request request{absolutePath(positional[0]), absolutePath(positional[1]), {}};
    for (size_t i = 2; i < positional.size(); ++i)
        request.sourcePaths.push_back(absolutePath(positional[i]));
    return request;
}

// The window's checks and messages: template first, then the list, first missing entry only.
bool inputsPresent(const Request& request, std::ostream& err)
{
    if (!request.templatePath.empty() && isPathTooLong(request.templatePath)) {
        err << templatePathTooLongText() << "\n";
        return false;
    }
    if (request.templatePath.empty() || !isOrdinaryFile(request.templatePath)) {
        err << "模板文件未找到，请重新选择模板文件。\n";
        return false;
    }
    if (request.sourcePaths.empty()) {
        err << "请添加相应的合并文件。\n";
        return false;
    }
    for (const auto& source : request.sourcePaths)
        if (isPathTooLong(source)) {
            err << sourcePathTooLongText(source) << "\n";
            return false;
        } else if (!isOrdinaryFile(source)) {
            err << "请检查" << source << "是否存在。\n";
            return false;
        }
    return true;
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
    return "用法: reportmerge-cli 模板文件 输出文件 合并文件...\n"
           "Usage: reportmerge-cli TEMPLATE OUTPUT SOURCE...\n"
           "\n"
           "把每个合并文件活动工作表中与模板标有“?”的单元格相同位置的数字相加，\n"
           "写入模板的副本，并保存为输出文件。模板和合并文件不会被修改。\n"
           "Sums, for every cell of the template's active sheet whose text contains \"?\",\n"
           "the numbers shown at the same cell of each source's active sheet, and saves\n"
           "the result as OUTPUT. The template and the sources are never modified.\n"
           "\n"
           "  -h, --help   show this text\n"
           "\n"
           "Exit status: 0 merged; 1 the merge failed (\"错误:\" number, then the\n"
           "description); 2 wrong arguments; 3 the template or a source is missing.\n";
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

    try {
        TerminalProgress progress(io.err, io.progressBar);
        runMerge(binding, request->templatePath, request->sourcePaths, request->outputPath, progress);
    } catch (const Error& error) {
        io.err << "错误:" << error.number() << "\n" << error.description() << "\n";
        return ExitMergeFailed;
    } catch (const std::exception& failure) {
        io.err << "错误:" << ErrorNumber::UnexpectedFailure << "\n意外的错误：" << failure.what() << "\n";
        return ExitMergeFailed;
    } catch (...) {
        // Not even a std::exception (a library's own type): still one message, never a crash.
        io.err << "错误:" << ErrorNumber::UnexpectedFailure << "\n意外的错误。\n";
        return ExitMergeFailed;
    }
    if (finishOutput)
        finishOutput();
    io.out << "报表合并完成。\n";
    return ExitSuccess;
}

} // namespace rm::cli
