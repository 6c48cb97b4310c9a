#include "app/cli/CommandLineMerge.h"
#include "app/cli/TerminationCleanup.h"
#include "engine/MergeFrontEnd.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char* argv[])
{
    endOfficesOnTerminationSignals();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    rm::lo::OfficeOptions options;
    if (!rm::cli::takeOfficeCount(arguments, options.officeCount)) {
        std::cerr << rm::cli::usageText();
        return rm::cli::ExitUsage;
    }
    rm::lo::LibreOfficeBinding office(options);
    const auto closeOutputAndOffice = [&office]() { office.shutdown(); };
    const bool terminal = isatty(STDERR_FILENO) == 1;
    int status = rm::cli::ExitMergeFailed;
    // Only the office's shutdown after the merge can fail here.
    const auto failure = rm::failureOf([&] {
        status = rm::cli::runCommandLine(arguments, office, closeOutputAndOffice, {std::cout, std::cerr, terminal});
    });
    if (failure) {
        std::cerr << rm::failureText(*failure, "\n") << "\n";
        return rm::cli::ExitMergeFailed;
    }
    return status;
}
