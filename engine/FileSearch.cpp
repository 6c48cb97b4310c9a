#include "engine/FileSearch.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace rm {

namespace {

std::string fileNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isHiddenName(const std::string& name)
{
    return name.empty() || name[0] == '.' || name.rfind("~$", 0) == 0;
}

bool isRegularFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// ASCII letters fold; other bytes (UTF-8 included) compare by their unsigned value.
unsigned char lower(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool endsWithXls(const std::string& name)
{
    static const std::string suffix = ".xls";
    if (name.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<long>(suffix.size()),
                      [](char a, char b) { return static_cast<unsigned char>(a) == lower(b); });
}

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [](char x, char y) { return lower(x) < lower(y); });
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                      [](char x, char y) { return lower(x) < lower(y); });
    return less || (!greater && a < b); // equal but for case: still a total order
}

} // namespace

bool isOrdinaryFile(const std::string& path)
{
    return !isHiddenName(fileNameOf(path)) && isRegularFile(path);
}

bool isPathTooLong(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) != 0 && errno == ENAMETOOLONG;
}

namespace {
const char kPathLimits[] = "（整个路径最多 4096 字节，其中每一级名称最多 255 字节）";
}

std::string templatePathTooLongText()
{
    return std::string("模板文件的路径太长，系统无法处理") + kPathLimits + "，请把模板移到路径较短的位置后重新选择。";
}

std::string sourcePathTooLongText(const std::string& path)
{
    return path + " 的路径太长，系统无法处理" + kPathLimits + "，请把它移到路径较短的位置。";
}

std::vector<std::string> listWorkbookNames(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return names;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (!isHiddenName(name) && endsWithXls(name) && isRegularFile(prefix + name))
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

} // namespace rm
