#include "app/cli/CommandLineMerge.h"
#include "engine/Error.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    rm::lo::OfficeOptions options;
    if (!rm::cli::takeOfficeCount(arguments, options.officeCount)) {
        std::cerr << rm::cli::usageText();
        return rm::cli::ExitUsage;
    }
    rm::lo::LibreOfficeBinding office(options);
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
