// reportmerge: the merge window.

#include "app/ProgramVersion.h"
#include "engine/libreoffice/LibreOfficeBinding.h"
#include "TerminationSignals.h"
#include "ui/ChineseTranslation.h"
#include "ui/Form1.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    // Answered before Qt starts, so it works without a display too.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("reportmerge " REPORTMERGE_VERSION "\n", stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    rm::ui::installChineseTranslation(application);
    // Ties the window to the installed .desktop entry (its icon and name in the desktop's task list).
    QGuiApplication::setDesktopFileName(QStringLiteral("example.brivane.ReportMerge"));
    int result = 0;
    {
        // Declared before the window, so destroyed after it: the private
        // office never outlives the program.
        rm::lo::LibreOfficeBinding binding;
        rm::ui::Form1 window(binding);
        quitEventLoopOnTerminationSignals(&window);
        window.showCentred();
        result = application.exec();
    }
    return result;
}
