#include "engine/libreoffice/files/LibraryInput.h"

#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>
#include <libxml/parser.h>

#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace rm::lo {

namespace {

void dropMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

} // namespace

void quietenLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();   // before any thread parses
        const GLogLevelFlags levels = GLogLevelFlags(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        // nullptr: the default domain, which some of libgsf's warnings use.
        for (const char* domain : {static_cast<const char*>(nullptr), "libgsf", "libgsf:msole", "libgsf:zip",
                                   "libgsf:open_pkg", "libgsf:tar", "GLib", "GLib-GObject", "GLib-GIO"})
            g_log_set_handler(domain, GLogLevelFlags(levels & ~G_LOG_LEVEL_ERROR), dropMessage, nullptr);
        gsf_init();
    });
}

GObjectOwner<GsfInput> fileInput(int fd)
{
    quietenLibraries();
    const int own = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return nullptr;
    FILE* file = fdopen(own, "rb");
    if (!file) {
        close(own);
        return nullptr;
    }
    // The input owns `file` (keep_open false) and closes it when it goes.
    return GObjectOwner<GsfInput>(gsf_input_stdio_new_FILE("workbook", file, FALSE));
}

} // namespace rm::lo
