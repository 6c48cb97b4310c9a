#include "ui/DesktopOpener.h"

#include <QDesktopServices>
#include <QProcess>

namespace rm::ui {

void openWithDesktop(const QUrl& url, const std::function<void()>& failed)
{
    if (!failed) {
        QDesktopServices::openUrl(url);
        return;
    }
    // QDesktopServices only tells whether xdg-open started, not whether it
    // found a program, so it is run here and its exit status read. Without a
    // desktop environment xdg-open waits for the viewer it starts; the
    // process lives on its own until then and is not tied to the window.
    auto* opener = new QProcess;
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setInputChannelMode(QProcess::ForwardedInputChannel);
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString()});
    QObject::connect(opener, &QProcess::finished, opener, [opener, failed](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0)
            failed();
        opener->deleteLater();
    });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        failed();
        opener->deleteLater();
    });
    opener->start();
}

} // namespace rm::ui
