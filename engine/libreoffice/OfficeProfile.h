#pragma once

#include <string>

namespace rm::lo {

// A private user installation for one office process: a fresh temporary
// folder (never the user's own profile) whose settings make the office format
// in the given locale. The folder is removed with this object.
class OfficeProfile {
public:
    // localeTag like "de-DE". Throws rm::Error (OfficeStartFailed) when the folder cannot be made.
    explicit OfficeProfile(const std::string& localeTag);
    ~OfficeProfile();
    OfficeProfile(const OfficeProfile&) = delete;
    OfficeProfile& operator=(const OfficeProfile&) = delete;

    const std::string& directory() const { return m_directory; }
    // "<directory>/tmp": the office's TMPDIR and ours for files of its documents.
    std::string officeTemporaryFolder() const { return m_directory + "/tmp"; }
    // The -env:UserInstallation value.
    std::string installationUrl() const;

private:
    std::string m_directory;
};

} // namespace rm::lo
