#include "engine/MergeFrontEnd.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/FileSearch.h"

#include <exception>
#include <new>

namespace rm {

namespace {

const char kPathLimits[] = "（整个路径最多 4096 字节，其中每一级名称最多 255 字节）";

} // namespace

std::optional<std::string> templateCheckMessage(const std::string& templatePath)
{
    if (!templatePath.empty() && isPathTooLong(templatePath))
        return std::string("模板文件的路径太长，系统无法处理") + kPathLimits + "，请把模板移到路径较短的位置后重新选择。";
    if (templatePath.empty() || !isOrdinaryFile(templatePath))
        return std::string("模板文件未找到，请重新选择模板文件。");
    return std::nullopt;
}

std::optional<std::string> sourcesCheckMessage(const std::vector<std::string>& sourcePaths)
{
    if (sourcePaths.empty())
        return std::string("请添加相应的合并文件。");
    for (const auto& source : sourcePaths) {
        if (isPathTooLong(source))
            return source + " 的路径太长，系统无法处理" + kPathLimits + "，请把它移到路径较短的位置。";
        if (!isOrdinaryFile(source))
            return "请检查" + source + "是否存在。";
    }
    return std::nullopt;
}

std::optional<Failure> failureOf(const std::function<void()>& work)
{
    try {
        work();
        return std::nullopt;
    } catch (const Error& error) {
        return Failure{error.number(), error.description()};
    } catch (const std::bad_alloc&) {
        return Failure{ErrorNumber::UnexpectedFailure, "内存不足，无法完成合并。请关闭其他程序后重试。"};
    } catch (const std::exception& error) {
        return Failure{ErrorNumber::UnexpectedFailure, std::string("意外的错误：") + error.what()};
    } catch (...) {
        // Not even a std::exception (a library's own type): still one message, never a crash.
        return Failure{ErrorNumber::UnexpectedFailure, "意外的错误。"};
    }
}

std::string failureText(const Failure& failure, const std::string& lineBreak)
{
    return "错误:" + std::to_string(failure.number) + lineBreak + failure.description;
}

} // namespace rm
