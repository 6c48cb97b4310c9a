// reportmerge: the merge window.

#include "engine/libreoffice/LibreOfficeBinding.h"
#include "TerminationSignals.h"
#include "ui/ChineseTranslation.h"
#include "ui/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
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
