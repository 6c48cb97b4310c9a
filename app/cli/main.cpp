#include "app/cli/CommandLineMerge.h"
#include "app/cli/TerminationCleanup.h"
#include "engine/Error.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char* argv[])
{
    endOfficesOnTerminationSignals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    rm::lo::LibreOfficeBinding office;
    const auto closeOutputAndOffice = [&office]() { office.shutdown(); };
    const bool terminal = isatty(STDERR_FILENO) == 1;
    try {
        return rm::cli::runCommandLine(arguments, office, closeOutputAndOffice, {std::cout, std::cerr, terminal});
    } catch (const rm::Error& error) {
        // Only the office's shutdown after the merge can get here.
        std::cerr << "错误:" << error.number() << "\n" << error.description() << "\n";
        return rm::cli::ExitMergeFailed;
    }
}
