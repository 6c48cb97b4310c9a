#pragma once

// What the window and the command line both say around a merge: the checks
// of the inputs before it starts and the report of a failure. Texts are UTF-8.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rm {

// The template must name an ordinary file; nullopt when it does, else
// "模板文件未找到，请重新选择模板文件。", or, for a path the system cannot
// handle (isPathTooLong), that it is too long.
std::optional<std::string> templateCheckMessage(const std::string& templatePath);

// The list must not be empty and every entry must be an ordinary file; the
// message names the first entry that is not (or whose path is too long). nullopt when all are.
std::optional<std::string> sourcesCheckMessage(const std::vector<std::string>& sourcePaths);

struct Failure {
    int number;
    std::string description;
};

// Runs `work`; nullopt when it returns. Any failure comes back as what to
// report: an rm::Error as it is, anything else as UnexpectedFailure.
std::optional<Failure> failureOf(const std::function<void()>& work);

// "错误:" + number + lineBreak + description.
std::string failureText(const Failure& failure, const std::string& lineBreak);

} // namespace rm
