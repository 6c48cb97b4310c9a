#include "engine/libreoffice/process/OfficeProfile.h"

#include "engine/ErrorTexts.h"
#include "engine/files/FileSystem.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <filesystem>
#include <fstream>

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
        throw ErrorText::officeProfileNotWritten(userDir.string());
}

} // namespace

OfficeProfile::OfficeProfile(const std::string& localeTag) : m_folder(temporaryFolder(), "reportmerge-office-")
{
    if (!m_folder.made())
        throw ErrorText::officeProfileFolderNotMade(temporaryFolder() + "/reportmerge-office-XXXXXX");
    writeProfileSettings(directory(), localeTag);
    std::filesystem::create_directory(officeTemporaryFolder());
}

std::string OfficeProfile::installationUrl() const
{
    return toUtf8(fileUrlOf(directory()));
}

} // namespace rm::lo
