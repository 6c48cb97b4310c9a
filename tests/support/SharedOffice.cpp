#include "support/SharedOffice.h"

#include "support/OfficeProcesses.h"

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace rm::test {

namespace {

std::unique_ptr<lo::LibreOfficeBinding>& holder()
{
    static std::unique_ptr<lo::LibreOfficeBinding> binding;
    return binding;
}

class SharedOfficeEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        holder().reset();
        EXPECT_TRUE(noProcessMarked(officeMarkOf(getpid()))) << "an office of ours outlived the tests";
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SharedOfficeEnvironment);

} // namespace

lo::LibreOfficeBinding& sharedOffice()
{
    if (!holder()) {
        lo::OfficeOptions options;
        options.localeName = "en_US";
        options.opener = [](const std::string&) {};
        holder() = std::make_unique<lo::LibreOfficeBinding>(options);
    }
    return *holder();
}

} // namespace rm::test
