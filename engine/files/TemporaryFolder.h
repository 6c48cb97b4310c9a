#pragma once

#include <string>

namespace rm {

// A fresh private folder (mkdtemp: `parent` + "/" + `prefix` + six random
// characters), removed with everything in it when this object goes.
class TemporaryFolder {
public:
    // made() is false when the folder could not be made.
    TemporaryFolder(const std::string& parent, const std::string& prefix);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    bool made() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace rm
