#include "engine/libreoffice/LockFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace rm::lo {

void removeLockFileLeftBy(const std::string& profileUrl, const std::string& documentPath)
{
    const std::filesystem::path document(documentPath);
    const std::filesystem::path lockFile = document.parent_path() / (".~lock." + document.filename().string() + "#");
    std::ifstream in(lockFile, std::ios::binary);
    if (!in)
        return;
    // "user name,login,host,date,profile URL;": only ours may go.
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    if (content.find("," + profileUrl + ";") == std::string::npos)
        return;
    std::error_code ignored;
    std::filesystem::remove(lockFile, ignored);
}

} // namespace rm::lo
