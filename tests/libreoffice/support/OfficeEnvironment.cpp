#include "OfficeEnvironment.h"

#include "ProcessProbe.h"

#include "engine/libreoffice/BindingTestAccess.h"
#include "engine/libreoffice/process/OfficeSession.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace rm::lo::test {

std::unique_ptr<LibreOfficeBinding> OfficeEnvironment::s_binding;
std::string OfficeEnvironment::s_root;

void OfficeEnvironment::SetUp()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string((tmp && *tmp) ? tmp : "/tmp") + "/reportmerge-lo-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    s_root = mkdtemp(buffer.data());
    OfficeOptions options;
    options.localeName = "en_US";
    s_binding = std::make_unique<LibreOfficeBinding>(options);
    BindingTestAccess::session(*s_binding);
}

void OfficeEnvironment::TearDown()
{
    const pid_t group = static_cast<pid_t>(s_binding->officeProcessId());
    s_binding.reset();
    EXPECT_TRUE(processesInGroup(group).empty()) << "the office outlived its binding";
    EXPECT_TRUE(officeLockFiles(s_root).empty()) << "a lock file was left beside a test file";
    if (std::getenv("REPORTMERGE_KEEP_TEST_FILES"))   // for looking into a failure
        return;
    std::error_code ignored;
    std::filesystem::remove_all(s_root, ignored);
}

LibreOfficeBinding& OfficeEnvironment::binding()
{
    return *s_binding;
}

OfficeSession& OfficeEnvironment::session()
{
    return *BindingTestAccess::session(*s_binding);
}

const std::string& OfficeEnvironment::root()
{
    return s_root;
}

std::string OfficeEnvironment::folderFor(const std::string& testName)
{
    const std::string folder = s_root + "/" + testName;
    std::filesystem::create_directories(folder);
    return folder;
}

std::string testFolder()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return OfficeEnvironment::folderFor(std::string(info->test_suite_name()) + "." + info->name());
}

} // namespace rm::lo::test
