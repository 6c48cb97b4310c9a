#include "TestOffice.h"

#include <gtest/gtest.h>

namespace {

class TestOfficeEnvironment : public ::testing::Environment {
public:
    void TearDown() override { testOffice().shutdown(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TestOfficeEnvironment);

} // namespace

rm::lo::LibreOfficeBinding& testOffice()
{
    static auto* binding = [] {
        rm::lo::OfficeOptions options;
        options.localeName = "en_US";
        options.opener = [](const std::string&) {};
        return new rm::lo::LibreOfficeBinding(options);
    }();
    return *binding;
}
