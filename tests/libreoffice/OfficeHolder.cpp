// Starts a private office, prints its process group and waits to be killed:
// the lifecycle tests kill this process and check that the office goes too.

#include "engine/libreoffice/LibreOfficeBinding.h"

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

int main()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);   // never outlives the test that started it

    rm::lo::OfficeOptions options;
    options.localeName = "en_US";
    rm::lo::LibreOfficeBinding binding(options);
    binding.createInstance();
    std::printf("%ld\n", binding.officeProcessId());
    std::fflush(stdout);
    for (;;)
        pause();
}
