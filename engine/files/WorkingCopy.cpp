#include "engine/files/WorkingCopy.h"

#include "engine/ErrorTexts.h"
#include "engine/files/RegularFileOpen.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace rm {

namespace {

// The copy's name and its office lock file (".~lock." + name + "#") must both
// stay within the 255 bytes a file name may have.
constexpr size_t kMaxWorkingCopyNameBytes = 255 - 8;

// The longest start of `text` of at most `bytes` bytes that ends between two UTF-8 characters.
std::string utf8Prefix(const std::string& text, size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

bool entryExists(const std::string& path)
{
    struct stat info;
    // When the test itself fails (no such folder, no permission), opening the copy reports why.
    return lstat(path.c_str(), &info) == 0;
}

// Opens the template for reading; only a regular file will do.
FileDescriptor openTemplate(const std::string& templatePath)
{
    RegularFileOpening opening = openRegularFile(templatePath);
    if (opening.outcome == RegularFileOpening::Outcome::Failed)
        throw ErrorText::templateUnreadable(templatePath, opening.errorNumber);
    if (opening.outcome == RegularFileOpening::Outcome::NotRegular)
        throw ErrorText::templateNotRegularFile(templatePath);
    return std::move(opening.file);
}

// Copies everything; on failure the partly written copy is removed again.
void copyContents(int from, int to, const std::string& templatePath, const std::string& copyPath,
                  const std::string& outputPath)
{
    char buffer[1 << 16];
    while (true) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int reason = errno;
            ::unlink(copyPath.c_str());
            throw ErrorText::templateUnreadable(templatePath, reason);
        }
        if (got == 0)
            return;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0) {
                const int reason = errno;
                ::unlink(copyPath.c_str());
                throw ErrorText::workingCopyNotMade(outputPath, reason);
            }
            done += put;
        }
    }
}

} // namespace

UnitDraw clockSeededUnitDraw()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    auto generator = std::make_shared<std::mt19937>(
        static_cast<std::mt19937::result_type>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    return [generator]() {
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        float r = unit(*generator);
        // Some library versions can round up to 1.0f.
        if (r >= 1.0f)
            r = std::nextafter(1.0f, 0.0f);
        return r;
    };
}

int workingCopySuffix(float r)
{
    const int suffix = static_cast<int>(std::floor(static_cast<double>(r) * 9000.0 + 1000.0));
    return suffix < 1000 ? 1000 : (suffix > 9999 ? 9999 : suffix);
}

std::string makeWorkingCopy(const std::string& templatePath, const OutputPathParts& parts, const UnitDraw& draw)
{
    const std::string outputPath = parts.folder + parts.baseName + parts.extension;   // for messages
    const size_t fixedBytes = 1 + 4 + parts.extension.size();   // ".", the digits, the extension
    const std::string baseName = fixedBytes < kMaxWorkingCopyNameBytes
                                     ? utf8Prefix(parts.baseName, kMaxWorkingCopyNameBytes - fixedBytes)
                                     : parts.baseName;
    const std::string stem = parts.folder + "." + baseName;

    const FileDescriptor source = openTemplate(templatePath);
    for (int attempt = 0; attempt < kMaxWorkingCopyDraws; ++attempt) {
        const std::string candidate = stem + std::to_string(workingCopySuffix(draw())) + parts.extension;
        if (entryExists(candidate))
            continue;
        // O_EXCL: if something appeared under that name since the test, draw again.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);   // ours alone while the run lasts
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            throw ErrorText::workingCopyNotMade(outputPath, errno);
        FileDescriptor copy(fd);
        copyContents(source.get(), copy.get(), templatePath, candidate, outputPath);
        if (::close(copy.release()) != 0) {
            const int reason = errno;
            ::unlink(candidate.c_str());
            throw ErrorText::workingCopyNotMade(outputPath, reason);
        }
        return candidate;
    }
    throw ErrorText::workingCopyNamesExhausted(stem, parts.extension);
}

std::string makeWorkingCopy(const std::string& templatePath, const std::string& outputPath, const UnitDraw& draw)
{
    return makeWorkingCopy(templatePath, splitOutputPath(outputPath), draw);
}

std::string makeWorkingCopy(const std::string& templatePath, const OutputPathParts& output)
{
    return makeWorkingCopy(templatePath, output, clockSeededUnitDraw());
}

std::string makeWorkingCopy(const std::string& templatePath, const std::string& outputPath)
{
    return makeWorkingCopy(templatePath, splitOutputPath(outputPath));
}

void removeWorkingCopy(const std::string& workingCopyPath)
{
    if (::unlink(workingCopyPath.c_str()) != 0)
        throw ErrorText::workingCopyNotRemoved(workingCopyPath, errno);
}

} // namespace rm
