#include "engine/libreoffice/LockFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace rm::lo {

namespace {

const char kPrivateProfilePrefix[] = "reportmerge-office-";

std::filesystem::path lockFileOf(const std::string& documentPath)
{
    const std::filesystem::path document(documentPath);
    return document.parent_path() / (".~lock." + document.filename().string() + "#");
}

std::optional<std::string> contentOf(const std::filesystem::path& lockFile)
{
    std::ifstream in(lockFile, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The profile URL a lock file names: "user name,login,host,date,profile URL;".
std::optional<std::string> profileNamedBy(const std::filesystem::path& lockFile)
{
    auto read = contentOf(lockFile);
    if (!read)
        return std::nullopt;
    std::string& content = *read;
    const auto end = content.rfind(';');
    if (end == std::string::npos)
        return std::nullopt;
    content.erase(end);
    const auto start = content.rfind(',');
    if (start == std::string::npos)
        return std::nullopt;
    return content.substr(start + 1);
}

std::string pathOfFileUrl(const std::string& url)
{
    const std::string scheme = "file://";
    if (url.rfind(scheme, 0) != 0)
        return {};
    std::string path;
    for (size_t i = scheme.size(); i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size()) {
            path += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += url[i];
        }
    }
    return path;
}

void removeQuietly(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

} // namespace

void removeLockFileLeftBy(const std::string& profileUrl, const std::string& documentPath)
{
    const auto lockFile = lockFileOf(documentPath);
    const auto content = contentOf(lockFile);
    if (content && content->find("," + profileUrl + ";") != std::string::npos)
        removeQuietly(lockFile);
}

void removeLockFileOfFailedSave(const std::string& profileUrl, const std::string& documentPath)
{
    const auto lockFile = lockFileOf(documentPath);
    const auto content = contentOf(lockFile);
    if (content && (content->empty() || content->find("," + profileUrl + ";") != std::string::npos))
        removeQuietly(lockFile);
}

void removeStaleLockFileOfOurs(const std::string& documentPath)
{
    const auto lockFile = lockFileOf(documentPath);
    if (const auto content = contentOf(lockFile); content && content->empty()) {
        removeQuietly(lockFile);
        return;
    }
    const auto profileUrl = profileNamedBy(lockFile);
    if (!profileUrl)
        return;
    const std::filesystem::path profile = pathOfFileUrl(*profileUrl);
    if (profile.filename().string().rfind(kPrivateProfilePrefix, 0) != 0)
        return;
    std::error_code error;
    if (!std::filesystem::exists(profile, error) && !error)
        removeQuietly(lockFile);
}

} // namespace rm::lo
