#include "app/cli/CliTexts.h"
#include "app/cli/CommandLineMerge.h"
#include "app/cli/TerminalWidth.h"
#include "app/cli/TerminationCleanup.h"
#include "engine/MergeFrontEnd.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char* argv[])
{
    endOfficesOnTerminationSignals();
    const auto commandLine = rm::cli::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!commandLine) {
        std::cerr << rm::cli::CliText::usageText();
        return rm::cli::ExitUsage;
    }
    rm::lo::OfficeOptions options;
    options.officeCount = commandLine->officeCount;
    rm::lo::LibreOfficeBinding office(options);
    const auto closeOutputAndOffice = [&office]() { office.shutdown(); };
    const bool terminal = isatty(STDERR_FILENO) == 1;
    int status = rm::cli::ExitMergeFailed;
    // Only the office's shutdown after the merge can fail here.
    const auto failure = rm::failureOf([&] {
        status = rm::cli::runCommandLine(*commandLine, office, closeOutputAndOffice,
                                         {std::cout, std::cerr, terminal,
                                          [] { return rm::cli::terminalColumns(STDERR_FILENO); },
                                          &noteOutputSaved});
    });
    if (failure) {
        std::cerr << rm::failureText(*failure, "\n") << "\n";
        return rm::cli::ExitMergeFailed;
    }
    return status;
}
