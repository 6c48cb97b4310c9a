// The command line reports every failure as one "错误:" message and a
// non-zero exit, whatever was thrown.

#include "support/HookedBinding.h"
#include "support/MergeCase.h"
#include "support/SharedOffice.h"

#include "TempFolder.h"

#include "app/cli/CommandLineMerge.h"
#include "engine/ErrorNumbers.h"

#include <gtest/gtest.h>

#include <sstream>

namespace rm::faults {
using namespace rm::test;
namespace {

TEST(CommandLine, aFailureOfNoKnownTypeIsReportedNotACrash)
{
    TempFolder folder;
    makeTemplate(folder / "template.xls");
    makeSource(folder / "s1.xls", 1, 2);
    Hooks hooks;
    hooks.beforeSourceOpen = [](const std::string&) { throw 42; };   // as a library's own exception type would
    HookedBinding hooked(sharedOffice(), hooks);
    std::ostringstream out, err;
    const int code = cli::runCommandLine({folder / "template.xls", folder / "out.xls", folder / "s1.xls"}, hooked, {},
                                         {out, err, false});
    EXPECT_EQ(code, cli::ExitMergeFailed);
    EXPECT_EQ(err.str(), "错误:" + std::to_string(ErrorNumber::UnexpectedFailure) + "\n意外的错误。\n");
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace rm::faults
