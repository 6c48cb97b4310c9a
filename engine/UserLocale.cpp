#include "engine/UserLocale.h"

#include <cstdlib>

namespace rm {

namespace {

std::string firstSet(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

} // namespace

std::string userLocaleName()
{
    std::string name = firstSet({"LC_ALL", "LC_NUMERIC", "LANG"});
    const auto cut = name.find_first_of(".@");
    if (cut != std::string::npos)
        name.erase(cut);
    if (name.empty() || name == "C" || name == "POSIX")
        return "en_US";
    return name;
}

std::string toOfficeLocaleTag(const std::string& localeName)
{
    std::string tag = localeName;
    for (char& c : tag)
        if (c == '_')
            c = '-';
    return tag;
}

} // namespace rm
