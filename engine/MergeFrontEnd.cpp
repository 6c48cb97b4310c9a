#include "engine/MergeFrontEnd.h"

#include "engine/ErrorTexts.h"
#include "engine/files/FileSearch.h"

#include <exception>
#include <new>

namespace rm {

namespace {

Failure failureFrom(const Error& error)
{
    return Failure{error.number(), error.description()};
}

} // namespace

std::optional<std::string> templateCheckMessage(const std::string& templatePath)
{
    if (!templatePath.empty() && isPathTooLong(templatePath))
        return ErrorText::templatePathTooLong();
    if (templatePath.empty() || !isOrdinaryFile(templatePath))
        return ErrorText::templateNotFound();
    return std::nullopt;
}

std::optional<std::string> sourcesCheckMessage(const std::vector<std::string>& sourcePaths)
{
    if (sourcePaths.empty())
        return ErrorText::noSources();
    for (const auto& source : sourcePaths) {
        if (isPathTooLong(source))
            return ErrorText::sourcePathTooLong(source);
        if (!isOrdinaryFile(source))
            return ErrorText::sourceMissing(source);
    }
    return std::nullopt;
}

std::optional<Failure> failureOf(const std::function<void()>& work)
{
    try {
        work();
        return std::nullopt;
    } catch (const Error& error) {
        return failureFrom(error);
    } catch (const std::bad_alloc&) {
        return failureFrom(ErrorText::outOfMemory());
    } catch (const std::exception& error) {
        return failureFrom(ErrorText::unexpected(error.what()));
    } catch (...) {
        // Not even a std::exception (a library's own type): still one message, never a crash.
        return failureFrom(ErrorText::unexpected());
    }
}

std::string failureText(const Failure& failure, const std::string& lineBreak)
{
    return ErrorText::failureLine(failure.number, failure.description, lineBreak);
}

} // namespace rm
