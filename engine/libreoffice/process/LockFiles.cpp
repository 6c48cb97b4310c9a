#include "engine/libreoffice/process/LockFiles.h"

#include "engine/files/RegularFileOpen.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <osl/file.hxx>

#include <filesystem>
#include <optional>

namespace rm::lo {

namespace {

const char kPrivateProfilePrefix[] = "reportmerge-office-";

// A lock file holds one line: user, host, date and profile URL.
constexpr std::size_t kLargestLockFileBytes = 64 * 1024;

std::filesystem::path lockFileOf(const std::string& documentPath)
{
    const std::filesystem::path document(documentPath);
    return document.parent_path() / (".~lock." + document.filename().string() + "#");
}

// The lock file's content when it is a regular file of a sane size; never
// waits on a FIFO, follows a link or reads a device.
std::optional<std::string> readLockFile(const std::filesystem::path& lockFile)
{
    SmallFileRead read = readSmallRegularFile(lockFile.string(), kLargestLockFileBytes);
    if (read.outcome != SmallFileRead::Outcome::Read)
        return std::nullopt;
    return std::move(read.content);
}

// The profile URL a lock file names: "user name,login,host,date,profile URL;".
std::optional<std::string> profileNamedBy(const std::filesystem::path& lockFile)
{
    auto read = readLockFile(lockFile);
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
    OUString path;
    if (osl::FileBase::getSystemPathFromFileURL(toOUString(url), path) != osl::FileBase::E_None)
        return {};
    return toUtf8(path);
}

void removeQuietly(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

} // namespace

bool lockFileIsNoRegularFile(const std::string& documentPath)
{
    return readSmallRegularFile(lockFileOf(documentPath).string(), kLargestLockFileBytes).outcome ==
           SmallFileRead::Outcome::Special;
}

std::string lockFilePathOf(const std::string& documentPath)
{
    return lockFileOf(documentPath).string();
}

bool isLockedBy(const std::string& profileUrl, const std::string& documentPath)
{
    const auto content = readLockFile(lockFileOf(documentPath));
    return content && content->find("," + profileUrl + ";") != std::string::npos;
}

void removeLockFileLeftBy(const std::string& profileUrl, const std::string& documentPath)
{
    if (isLockedBy(profileUrl, documentPath))
        removeQuietly(lockFileOf(documentPath));
}

void removeLockFileOfFailedSave(const std::string& profileUrl, const std::string& documentPath)
{
    const auto lockFile = lockFileOf(documentPath);
    const auto content = readLockFile(lockFile);
    if (content && (content->empty() || content->find("," + profileUrl + ";") != std::string::npos))
        removeQuietly(lockFile);
}

void removeStaleLockFileOfOurs(const std::string& documentPath)
{
    const auto lockFile = lockFileOf(documentPath);
    if (const auto content = readLockFile(lockFile); content && content->empty()) {
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
