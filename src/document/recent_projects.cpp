#include "document/recent_projects.h"

#include <QSettings>
#include <QStringList>

namespace kes::editor {
namespace {

constexpr char kKey[] = "recentProjects";

QStringList stored()
{
    return QSettings().value(kKey).toStringList();
}

void store(const QStringList& paths)
{
    QSettings().setValue(kKey, paths);
}

} // namespace

std::vector<std::string> recentProjects()
{
    std::vector<std::string> paths;
    for (const QString& path : stored())
        if (!path.isEmpty() && paths.size() < std::size_t(kRecentProjectsKept))
            paths.push_back(path.toStdString());
    return paths;
}

void addRecentProject(const std::string& path)
{
    const QString added = QString::fromStdString(path);
    QStringList paths = stored();
    paths.removeAll(added);
    paths.prepend(added);
    store(paths.mid(0, kRecentProjectsKept));
}

void removeRecentProject(const std::string& path)
{
    QStringList paths = stored();
    paths.removeAll(QString::fromStdString(path));
    store(paths);
}

} // namespace kes::editor
