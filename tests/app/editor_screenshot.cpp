// Writes the pictures of the README and of docs/guide.md from the real editor:
//   editor_screenshot OUTPUT_FOLDER PROJECT.kgp [SHOT...]
//   editor_screenshot --list
// Opens the project, waits until the preview has read the level's files, and
// for each named shot (all when none is named) puts the editor into the shot's
// state and saves the part of the window it shows as OUTPUT_FOLDER/<file of
// the shot>. Exits 1 when a shot can't be made or saved. The last shots
// change the level for a moment (a field marked as wrong, the problems box
// before "Generate Level...") and put it back; nothing is written.
// scripts/screenshots.sh runs it under Xvfb.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QImageWriter>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "app/app_icon.h"
#include "app/dialog_description.h"
#include "app/main_dialog.h"
#include "app/preview/preview_pane.h"
#include "app/preview/preview_view.h"
#include "app/qt_platform_services.h"
#include "app/startup.h"

using kes::editor::Answer;
using kes::editor::MainDialog;

namespace {

struct Shot {
    QString name;
    QString file; // relative to the output folder
    std::function<void(MainDialog&)> prepare;
    std::function<QPixmap(MainDialog&)> take; // the picture of the shot's part of the window
    std::function<void(MainDialog&)> putBack = [](MainDialog&) {}; // undoes what `prepare` changed
};

// The desktop's dialogs, except that "Generate Level..." is given a level
// file in a folder of its own without asking, and that a question can be
// photographed: while `questionShot` is set, the next question box is
// opened with its details shown, saved into `questionShot` and answered
// "Cancel", and messages are printed instead of shown.
class ShotServices : public kes::editor::QtPlatformServices {
public:
    QPixmap* questionShot = nullptr;

    std::string chooseFileToSave(QWidget*, const kes::editor::FileFilter& filter,
                                 const kes::editor::FileDialogStart&) override
    {
        return QDir(folder_.path()).filePath(QString("level.") + filter.defaultExtension.c_str()).toStdString();
    }

    // A message instead of the awaited question (the level had no problems
    // and was generated, say) is printed, not shown: nobody would close it.
    void showMessage(QWidget* owner, const std::string& text, const std::string& caption,
                     kes::editor::MessageIcon icon, const std::string& detail) override
    {
        if (questionShot)
            std::fprintf(stderr, "editor_screenshot: %s: %s\n", caption.c_str(), text.c_str());
        else
            QtPlatformServices::showMessage(owner, text, caption, icon, detail);
    }

    Answer ask(QWidget* owner, const std::string& text, const std::string& caption, const std::vector<Answer>& answers,
               Answer defaultAnswer, const std::string& detail) override
    {
        if (questionShot) {
            QPixmap* shot = questionShot;
            questionShot = nullptr;
            QTimer::singleShot(200, [shot] { photographQuestion(shot, 50); });
        }
        return QtPlatformServices::ask(owner, text, caption, answers, defaultAnswer, detail);
    }

private:
    // Waits up to `tries` times 100 ms for the box to be the active window;
    // without it, closes whatever window waits for an answer (no picture:
    // the shot fails), so that the program never hangs.
    static void photographQuestion(QPixmap* shot, int tries)
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (tries > 0)
                QTimer::singleShot(100, [shot, tries] { photographQuestion(shot, tries - 1); });
            else if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QMessageBox::ActionRole && button->text().startsWith("Show Details"))
                button->click();
        QTimer::singleShot(300, box, [box, shot] {
            *shot = box->grab();
            if (QAbstractButton* cancel = box->escapeButton())
                cancel->click();
            else
                box->close();
        });
    }

    QTemporaryDir folder_;
};

ShotServices* shotServices = nullptr; // the services of the dialog being photographed

void selectRow(MainDialog& dialog, int listId, int row)
{
    dialog.controlAs<QListWidget>(listId)->setCurrentRow(row);
}

// The rectangle of the group box titled `title` (" Layers ", ...), with a
// small margin; the whole window when there is none.
QRect groupArea(MainDialog& dialog, const QStringList& titles)
{
    QRect area;
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        if (titles.contains(group->title().trimmed()))
            area = area.united(group->geometry());
    if (area.isEmpty())
        return dialog.rect();
    return area.adjusted(-3, -3, 3, 3).intersected(dialog.rect());
}

QPixmap wholeWindow(MainDialog& dialog)
{
    return dialog.grab();
}

QPixmap groups(MainDialog& dialog, const QStringList& titles)
{
    return dialog.grab(groupArea(dialog, titles));
}

QPixmap preview(MainDialog& dialog)
{
    return dialog.preview()->grab();
}

// The group box titled `title` with the tooltip that shows over it (a
// marked field's reason), drawn where the tooltip stands.
QPixmap groupWithToolTip(MainDialog& dialog, const QString& title)
{
    QWidget* tip = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible())
            tip = widget;
    if (!tip)
        return {}; // no picture: the shot fails
    const QRect group = groupArea(dialog, {title});
    const QRect tipArea(dialog.mapFromGlobal(tip->mapToGlobal(QPoint(0, 0))), tip->size());
    const QRect area = group.united(tipArea);
    QPixmap picture(area.size());
    picture.fill(dialog.palette().color(QPalette::Window));
    QPainter painter(&picture);
    painter.drawPixmap(group.topLeft() - area.topLeft(), dialog.grab(group));
    painter.drawPixmap(tipArea.topLeft() - area.topLeft(), tip->grab());
    return picture;
}

// The mouse resting over `point` of the level in the view: its handle lit,
// and the point it is over under the view.
void hoverOver(MainDialog& dialog, const kes::ScenePoint& point)
{
    kes::editor::PreviewView* view = dialog.preview()->view();
    const QPointF at = view->camera().project({point.x, point.y, point.z}, view->size());
    QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
}

void chooseView(MainDialog& dialog, kes::editor::ViewMode mode)
{
    if (kes::editor::PreviewView* view = dialog.preview()->view()) {
        view->setMode(mode);
        view->frameAll();
    }
}

// The pane with the menu open over it, drawn where it stands.
QPixmap paneWithMenu(MainDialog& dialog)
{
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu)
        return {};
    kes::editor::PreviewPane* pane = dialog.preview();
    QPixmap picture = pane->grab();
    QPainter painter(&picture);
    painter.drawPixmap(pane->mapFromGlobal(menu->mapToGlobal(QPoint(0, 0))), menu->grab());
    return picture;
}

// Types `text` into the field with the id, as the designer would.
void typeInto(MainDialog& dialog, int id, const QString& text)
{
    QLineEdit* field = dialog.controlAs<QLineEdit>(id);
    field->setFocus();
    field->selectAll();
    field->insert(text);
}

// The start position, five numbers where six are needed: the field's red
// frame and, in its tooltip, the reason.
const char kShortStartPosition[] = "0.0,1.0,-15.0,0.0,0.0";
// A mesh path from another computer that names no file here, and a version
// the level file can't keep: an error and a warning in the problems box.
const char kMissingMesh[] = "/home/ana/Levels/Valley/rock.obj";
const char kTooLargeVersion[] = "70000";

// The example level's layers, one of each kind, in this order.
const char* const kLayerShotNames[] = {"layer-static",   "layer-moving",   "layer-vibrating",
                                       "layer-trigger",  "layer-animated", "layer-animated-trigger"};

std::vector<Shot> shots()
{
    std::vector<Shot> list;
    // The window with the trigger layer selected: its box, its face handles
    // and the grid.
    list.push_back({"editor", "editor.png", [](MainDialog& d) { selectRow(d, kes::editor::kLayerList, 3); },
                    wholeWindow, [](MainDialog& d) { selectRow(d, kes::editor::kLayerList, 1); }});
    list.push_back({"settings", "images/settings.png", [](MainDialog&) {},
                    [](MainDialog& d) { return groups(d, {"Metadata", "Basics"}); }});
    // Each layer kind: the form, and the preview with that layer selected.
    for (int row = 0; row < 6; ++row) {
        auto select = [row](MainDialog& d) { selectRow(d, kes::editor::kLayerList, row); };
        list.push_back({kLayerShotNames[row], QString("images/%1.png").arg(kLayerShotNames[row]), select,
                        [](MainDialog& d) { return groups(d, {"Layers"}); }});
        const QString name = QString("preview-%1").arg(kLayerShotNames[row]);
        list.push_back({name, QString("images/%1.png").arg(name), select, preview});
    }
    list.push_back({"targets", "images/targets.png",
                    [](MainDialog& d) { selectRow(d, kes::editor::kTargetList, 0); },
                    [](MainDialog& d) { return groups(d, {"Targets"}); }});

    // A field marked as wrong, with its reason as tooltip.
    auto startPosition = std::make_shared<QString>();
    list.push_back({"field-mark", "images/field-mark.png",
                    [startPosition](MainDialog& d) {
                        auto* field = d.controlAs<QLineEdit>(kes::editor::kStartPosition);
                        *startPosition = field->text();
                        typeInto(d, kes::editor::kStartPosition, kShortStartPosition);
                        QToolTip::showText(field->mapToGlobal(QPoint(field->width() / 4, field->height() / 2)),
                                           field->toolTip(), field);
                    },
                    [](MainDialog& d) { return groupWithToolTip(d, "Basics"); },
                    [startPosition](MainDialog& d) {
                        QToolTip::hideText();
                        typeInto(d, kes::editor::kStartPosition, *startPosition);
                    }});

    // The box "Generate Level..." shows for a level with problems: a layer
    // whose mesh is missing and a version above what the file keeps.
    auto version = std::make_shared<QString>();
    list.push_back({"problems", "images/problems.png",
                    [version](MainDialog& d) {
                        *version = d.controlAs<QLineEdit>(kes::editor::kVersionMajor)->text();
                        typeInto(d, kes::editor::kVersionMajor, kTooLargeVersion);
                        selectRow(d, kes::editor::kLayerList, 2);
                        typeInto(d, kes::editor::kObjFile, kMissingMesh);
                        d.controlAs<QPushButton>(kes::editor::kUpdateLayer)->click();
                    },
                    [](MainDialog& d) {
                        QPixmap shot;
                        shotServices->questionShot = &shot;
                        d.controlAs<QPushButton>(kes::editor::kGenerate)->click();
                        shotServices->questionShot = nullptr;
                        return shot;
                    },
                    [version](MainDialog& d) {
                        d.findChild<QUndoStack*>()->undo(); // the layer's update
                        typeInto(d, kes::editor::kObjFile, d.document().layers().at(2).objPath.c_str());
                        typeInto(d, kes::editor::kVersionMajor, *version);
                    }});

    // Placing things in the view: a target moved in the top view, the
    // trigger box's handles with one under the mouse, the right-click menu.
    list.push_back({"view-top", "images/view-top.png",
                    [](MainDialog& d) {
                        selectRow(d, kes::editor::kTargetList, 0);
                        chooseView(d, kes::editor::ViewMode::Top);
                        const auto& target = d.document().targets().at(0);
                        hoverOver(d, {target.x, target.y, target.z});
                    },
                    preview, [](MainDialog& d) { chooseView(d, kes::editor::ViewMode::Perspective); }});
    list.push_back({"view-handles", "images/view-handles.png",
                    [](MainDialog& d) {
                        selectRow(d, kes::editor::kLayerList, 3);
                        kes::editor::PreviewView* view = d.preview()->view();
                        view->frameAll();
                        view->camera().zoom(5);
                    },
                    [](MainDialog& d) {
                        // The high x face of the trigger area, lit.
                        for (const kes::EditHandle& handle : d.preview()->view()->selectionHandles())
                            if (handle.kind == kes::HandleKind::TriggerFace && handle.face == 1)
                                hoverOver(d, handle.position);
                        QApplication::processEvents();
                        return preview(d);
                    },
                    [](MainDialog& d) { d.preview()->view()->frameAll(); }});
    list.push_back({"view-menu", "images/view-menu.png",
                    [](MainDialog& d) {
                        kes::editor::PreviewView* view = d.preview()->view();
                        const QPoint at(view->width() * 2 / 5, view->height() * 3 / 5);
                        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
                        QApplication::sendEvent(view, &event);
                    },
                    paneWithMenu,
                    [](MainDialog&) {
                        if (QWidget* menu = QApplication::activePopupWidget())
                            menu->close();
                    }});
    return list;
}

// Saves `image` as a small PNG: with a colour table when it has few colours
// (screenshots of widgets usually do), never losing a colour.
bool savePng(QImage image, const QString& path)
{
    image = image.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() <= 256; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width() && colours.size() <= 256; ++x)
            colours.insert(row[x]);
    }
    if (colours.size() <= 256) {
        // In a fixed order, so that the same picture gives the same file.
        QList<QRgb> table(colours.begin(), colours.end());
        std::sort(table.begin(), table.end());
        image = image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QImageWriter writer(path, "png");
    writer.setCompression(100); // the most (0 to 100)
    if (!writer.write(image)) {
        std::fprintf(stderr, "editor_screenshot: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<Shot> all = shots();
    // The list needs no display.
    if (argc == 2 && QString(argv[1]) == "--list") {
        for (const Shot& shot : all)
            std::printf("%s %s\n", qPrintable(shot.name), qPrintable(shot.file));
        return 0;
    }
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: editor_screenshot OUTPUT_FOLDER PROJECT.kgp [SHOT...]\n"
                             "       editor_screenshot --list\n");
        return 2;
    }
    const QString folder = arguments[1];
    std::vector<const Shot*> wanted;
    for (int i = 3; i < arguments.size(); ++i) {
        const Shot* found = nullptr;
        for (const Shot& shot : all)
            if (shot.name == arguments[i])
                found = &shot;
        if (!found) {
            std::fprintf(stderr, "editor_screenshot: no shot named %s (see --list)\n", qPrintable(arguments[i]));
            return 2;
        }
        wanted.push_back(found);
    }
    if (wanted.empty())
        for (const Shot& shot : all)
            wanted.push_back(&shot);

    QApplication::setWindowIcon(kes::editor::applicationIcon());
    ShotServices services;
    shotServices = &services;
    const std::string project = kes::editor::startupProjectPath({arguments[0], arguments[2]});
    if (project.empty()) {
        std::fprintf(stderr, "editor_screenshot: cannot read %s\n", qPrintable(arguments[2]));
        return 1;
    }
    MainDialog dialog(services, project);
    dialog.show();

    int status = 0;
    std::size_t next = 0;
    int waited = 0;
    // One shot at a time: put the editor into the shot's state, give the
    // preview the time to read what it needs and to draw, then take it.
    QTimer poll;
    poll.setInterval(100);
    bool prepared = false;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (next == wanted.size()) {
            poll.stop();
            dialog.done(0);
            return;
        }
        const Shot* shot = wanted[next];
        if (!prepared) {
            shot->prepare(dialog);
            prepared = true;
            waited = 0;
            return;
        }
        const auto& scene = dialog.preview()->scene();
        const bool loaded = scene && scene->loadingLayers() == 0;
        waited += poll.interval();
        if ((!loaded && waited < 20000) || waited < 400)
            return;
        const QString path = QDir(folder).filePath(shot->file);
        // Taking a shot may open a box and wait for it.
        poll.stop();
        const QPixmap picture = shot->take(dialog);
        shot->putBack(dialog);
        poll.start();
        if (picture.isNull())
            std::fprintf(stderr, "editor_screenshot: the shot %s shows nothing\n", qPrintable(shot->name));
        if (!picture.isNull() && savePng(picture.toImage(), path))
            std::printf("%s\n", qPrintable(path));
        else
            status = 1;
        ++next;
        prepared = false;
    });
    poll.start();
    dialog.exec();
    return status;
}
