#include "engine/libreoffice/OfficeProfile.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/FileSystem.h"
#include "engine/libreoffice/UnoText.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace rm::lo {

namespace {

// The office runs a graphics self-test on the first start of each version,
// judged by the last version a profile names; a fresh profile names none.
std::string lastVersionItem()
{
    const std::string version = RM_LO_SETUP_VERSION;
    if (version.empty())
        return {};
    return "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>" +
           version + "</value></prop></item>\n";
}

// The fresh profile's settings: locale, no autosave, macros never run, the office version.
void writeProfileSettings(const std::string& directory, const std::string& localeTag)
{
    const std::filesystem::path userDir = std::filesystem::path(directory) / "user";
    std::filesystem::create_directories(userDir);
    std::ofstream out(userDir / "registrymodifications.xcu");
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\""
           " xmlns:xs=\"http://www.w3.org/2001/XMLSchema\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
           "<item oor:path=\"/org.openoffice.Setup/L10N\"><prop oor:name=\"ooSetupSystemLocale\" oor:op=\"fuse\"><value>"
        << localeTag
        << "</value></prop></item>\n"
           "<item oor:path=\"/org.openoffice.Office.Recovery/AutoSave\"><prop oor:name=\"Enabled\" oor:op=\"fuse\"><value>false</value></prop></item>\n"
           "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\"><prop oor:name=\"MacroSecurityLevel\" oor:op=\"fuse\"><value>3</value></prop></item>\n"
        << lastVersionItem() << "</oor:items>\n";
    if (!out)
        throw Error(ErrorNumber::OfficeStartFailed, "无法写入办公软件的临时配置：" + userDir.string());
}

} // namespace

OfficeProfile::OfficeProfile(const std::string& localeTag)
{
    std::string pattern = temporaryFolder() + "/reportmerge-office-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw Error(ErrorNumber::OfficeStartFailed, "无法创建办公软件的临时配置文件夹：" + pattern);
    m_directory = buffer.data();
    try {
        writeProfileSettings(m_directory, localeTag);
        std::filesystem::create_directory(officeTemporaryFolder());
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
        throw;
    }
}

OfficeProfile::~OfficeProfile()
{
    // The watchdog's cleaner, and the ending office its own temporary files,
    // may be removing entries at the same moment: a pass that trips over one
    // of them is repeated (bounded).
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(m_directory, error);
        if (!std::filesystem::exists(m_directory, error) && !error)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}

std::string OfficeProfile::installationUrl() const
{
    return toUtf8(fileUrlOf(m_directory));
}

} // namespace rm::lo
