#include "engine/files/TemporaryFolder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

namespace rm {

TemporaryFolder::TemporaryFolder(const std::string& parent, const std::string& prefix)
{
    const std::string pattern = parent + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()))
        m_path = buffer.data();
}

TemporaryFolder::~TemporaryFolder()
{
    if (m_path.empty())
        return;
    // Others (an ending office, a watchdog's cleaner) may be removing entries
    // at the same moment: a pass that trips over one of them is repeated (bounded).
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
        if (!std::filesystem::exists(m_path, error) && !error)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}

} // namespace rm
