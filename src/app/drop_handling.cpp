#include "app/drop_handling.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

namespace kes::editor {
namespace {

enum class DropKind { Refused, Mesh, Texture, Meshes, Project };

bool hasExtension(const std::string& path, const char* extension)
{
    return QString::fromStdString(path).endsWith(QLatin1String(extension), Qt::CaseInsensitive);
}

class DropHandler : public QObject {
public:
    DropHandler(QWidget& dialog, const DropTargets& targets, DropActions actions)
        : QObject(&dialog), targets_(targets), actions_(std::move(actions))
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return QObject::eventFilter(watched, event);
        auto* drop = static_cast<QDropEvent*>(event);
        const QMimeData* data = drop->mimeData();
        // Text dragged between ordinary edits stays as the edits take it.
        const bool fileField = watched == targets_.objField || watched == targets_.bmpField;
        if (data && !data->hasUrls() && qobject_cast<QLineEdit*>(watched) && !fileField)
            return false;
        const std::vector<std::string> files = data ? draggedLocalFiles(*data) : std::vector<std::string>{};
        const DropKind kind = classify(watched, files);
        if (kind == DropKind::Refused) {
            drop->ignore();
            return true; // neither the edit nor the list takes it as text
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (type == QEvent::Drop)
            perform(kind, watched, files);
        return true;
    }

private:
    DropKind classify(QObject* target, const std::vector<std::string>& files) const
    {
        if (files.empty())
            return DropKind::Refused;
        if (files.size() == 1 && hasExtension(files[0], ".kgp"))
            return DropKind::Project;
        if (target == targets_.objField && files.size() == 1 && hasExtension(files[0], ".obj"))
            return DropKind::Mesh;
        if (target == targets_.bmpField && files.size() == 1 && hasExtension(files[0], ".bmp"))
            return DropKind::Texture;
        if (targets_.layerList && target == targets_.layerList->viewport()) {
            for (const std::string& file : files)
                if (!hasExtension(file, ".obj"))
                    return DropKind::Refused;
            return DropKind::Meshes;
        }
        return DropKind::Refused;
    }

    void perform(DropKind kind, QObject* target, const std::vector<std::string>& files)
    {
        switch (kind) {
        case DropKind::Mesh:
        case DropKind::Texture:
            actions_.fillField(static_cast<QWidget*>(target), files[0]);
            break;
        case DropKind::Meshes:
            actions_.addMeshes(files);
            break;
        case DropKind::Project:
            actions_.openProject(files[0]);
            break;
        case DropKind::Refused:
            break;
        }
    }

    DropTargets targets_;
    DropActions actions_;
};

} // namespace

std::vector<std::string> draggedLocalFiles(const QMimeData& data)
{
    std::vector<std::string> files;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return {};
        files.push_back(url.toLocalFile().toStdString());
    }
    return files;
}

void installDropHandling(QWidget& dialog, const DropTargets& targets, DropActions actions)
{
    auto* handler = new DropHandler(dialog, targets, std::move(actions));
    dialog.setAcceptDrops(true);
    dialog.installEventFilter(handler);
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        edit->setAcceptDrops(true);
        edit->installEventFilter(handler);
    }
    if (targets.layerList) {
        targets.layerList->setAcceptDrops(true);
        targets.layerList->viewport()->setAcceptDrops(true);
        targets.layerList->viewport()->installEventFilter(handler);
    }
}

} // namespace kes::editor
