// Another program's drag, for the window test on X: shows a small window at
// the top left of the screen and, when a mouse button goes down on it,
// drags the files named on its command line (as file URLs, in that order)
// until the button is let go. Prints "ready" once mapped and the drop's
// outcome ("copied", "refused") when the drag ends. It runs on until it is
// ended: the target fetches the dropped data after the drag has ended.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : m_urls(std::move(urls))
    {
        setWindowTitle(QStringLiteral("drag-source"));
        setGeometry(10, 10, 120, 80);
    }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* data = new QMimeData;
        data->setUrls(m_urls);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("%s\n", done == Qt::CopyAction ? "copied" : "refused");
        std::fflush(stdout);
    }

private:
    QList<QUrl> m_urls;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (const QString& path : application.arguments().mid(1))
        urls << QUrl::fromLocalFile(path);
    DragSource source(urls);
    source.show();
    QTimer::singleShot(200, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return application.exec();
}
