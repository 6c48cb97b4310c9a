#include "engine/files/FileSearch.h"

#include "engine/files/WorkbookFormat.h"

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

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [](char x, char y) { return lower(x) < lower(y); });
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                      [](char x, char y) { return lower(x) < lower(y); });
    return less || (!greater && a < b); // equal but for case: still a total order
}

} // namespace

bool isHiddenName(const std::string& name)
{
    return name.empty() || name[0] == '.' || name.rfind("~$", 0) == 0;
}

bool isOrdinaryFile(const std::string& path)
{
    return !isHiddenName(fileNameOf(path)) && isRegularFile(path);
}

bool isPathTooLong(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) != 0 && errno == ENAMETOOLONG;
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
        if (!isHiddenName(name) && workbookFormatOf(name) && isRegularFile(prefix + name))
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

} // namespace rm
