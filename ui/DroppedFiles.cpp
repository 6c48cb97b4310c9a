#include "ui/DroppedFiles.h"

#include <QFileInfo>

#include <map>
#include <set>

namespace rm::ui {

namespace {

// Each folder is listed once, however many of its files were dropped.
class FolderListings {
public:
    explicit FolderListings(const WorkbookLister& lister) : m_lister(lister) {}

    bool holds(const QString& folder, const QString& name)
    {
        auto found = m_listings.find(folder);
        if (found == m_listings.end()) {
            const std::vector<std::string> names = m_lister(folder.toStdString());
            found = m_listings.emplace(folder, std::set<std::string>(names.begin(), names.end())).first;
        }
        return found->second.count(name.toStdString()) > 0;
    }

private:
    const WorkbookLister& m_lister;
    std::map<QString, std::set<std::string>> m_listings;
};

bool isListedIn(FolderListings& listings, const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash == path.size() - 1)
        return false;
    const QString folder = slash == 0 ? QStringLiteral("/") : path.left(slash);
    return listings.holds(folder, path.mid(slash + 1));
}

} // namespace

QString droppedPath(const QUrl& url)
{
    if (!url.isLocalFile())
        return QString();
    QString path = url.toLocalFile();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool isListedWorkbook(const QString& path, const WorkbookLister& listWorkbooks)
{
    FolderListings listings(listWorkbooks);
    return isListedIn(listings, path);
}

DroppedFiles sortDroppedFiles(const QList<QUrl>& urls, const WorkbookLister& listWorkbooks)
{
    DroppedFiles dropped;
    FolderListings listings(listWorkbooks);
    for (const QUrl& url : urls) {
        const QString path = droppedPath(url);
        if (path.isEmpty()) {
            dropped.notWorkbooks << url.toDisplayString();
        } else if (QFileInfo(path).isDir()) {
            // As the folder command builds its entries: the folder, "/", the name.
            for (const std::string& name : listWorkbooks(path.toStdString()))
                dropped.paths << path + QLatin1Char('/') + QString::fromStdString(name);
        } else if (isListedIn(listings, path)) {
            dropped.paths << path;
        } else {
            dropped.notWorkbooks << path;
        }
    }
    return dropped;
}

} // namespace rm::ui
