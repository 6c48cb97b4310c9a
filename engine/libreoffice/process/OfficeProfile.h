#pragma once

#include "engine/files/TemporaryFolder.h"

#include <string>

namespace rm::lo {

// A private user installation for one office process: a fresh temporary
// folder (never the user's own profile) whose settings make the office format
// in the given locale. The folder is removed with this object.
class OfficeProfile {
public:
    // localeTag like "de-DE". Throws rm::Error (OfficeStartFailed) when the folder cannot be made.
    explicit OfficeProfile(const std::string& localeTag);

    const std::string& directory() const { return m_folder.path(); }
    // "<directory>/tmp": the office's TMPDIR and ours for files of its documents.
    std::string officeTemporaryFolder() const { return directory() + "/tmp"; }
    // The -env:UserInstallation value.
    std::string installationUrl() const;

private:
    TemporaryFolder m_folder;
};

} // namespace rm::lo
