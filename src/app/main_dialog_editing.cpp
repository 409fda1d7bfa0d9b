// Editing helpers of the main dialog: the look of the lists, the Delete key,
// dropped files, the window's growth, the tab order, unapplied form edits,
// picked file paths and the marks on fields whose text won't give what was
// typed.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QStyle>
#include <QUndoStack>

#include "app/animation_frames.h"
#include "app/dialog_description.h"
#include "app/dialog_units.h"
#include "app/drop_handling.h"
#include "app/field_checks.h"
#include "app/generation_progress_dialog.h"
#include "app/list_rows.h"
#include "app/row_commands.h"
#include "app/main_dialog.h"
#include "app/tab_order.h"
#include "app/window_stretch.h"
#include "app/work_while_events_run.h"
#include "check/project_check.h"
#include "generate/layer_files.h"
#include "levelfile/level_format.h"
#include "model/file_io.h"
#include "model/number_text.h"
#include "model/stored_path.h"

namespace kes::editor {
namespace {

constexpr char kUnappliedCaption[] = "Unapplied Changes";
constexpr char kRelinkCaption[] = "Relink";
constexpr char kProblemsCaption[] = "Problems in the Level";
constexpr char kOwnTip[] = "kesOwnToolTip"; // a marked field's tooltip while the mark shows

// A red frame and the reason as tooltip for a problem, an amber frame for a
// note; nothing for a field whose text is fine. The field's own tooltip
// comes back when the mark goes.
void markField(QWidget* field, const FieldCheck& check)
{
    const char* colour = check.mark == FieldCheck::Mark::Problem ? "#d02020"
        : check.mark == FieldCheck::Mark::Note                  ? "#d08a00"
                                                                 : nullptr;
    const bool marked = !field->property(kOwnTip).isNull();
    if (!colour && !marked)
        return;
    if (!marked)
        field->setProperty(kOwnTip, field->toolTip());
    const QString own = field->property(kOwnTip).toString();
    const QString style = colour ? QString("QLineEdit { border: 2px solid %1; }").arg(colour) : QString();
    if (field->styleSheet() != style)
        field->setStyleSheet(style);
    const QString reason = QString::fromStdString(check.reason);
    const QString tip = !colour ? own : own.isEmpty() ? reason : reason + "\n\n" + own;
    if (field->toolTip() != tip)
        field->setToolTip(tip);
    if (!colour)
        field->setProperty(kOwnTip, QVariant());
}

bool isAnimatedKind(int kind)
{
    return kind >= 0 && kind < kLayerKindCount && isAnimatedLayerKind(static_cast<LayerKind>(kind));
}

// "Level" for a title that names no file well: characters that file
// systems refuse become "_".
std::string fileNameFromTitle(const std::string& title)
{
    std::string name;
    for (char c : title)
        name += std::string_view("/\\:*?\"<>|").find(c) == std::string_view::npos && static_cast<unsigned char>(c) >= 32
            ? c
            : '_';
    return name.empty() ? "Level" : name;
}

} // namespace

void MainDialog::setUpEditing()
{
    setUpLayerRows(*ui_.layerList);
    setUpTargetRows(*ui_.targetList);
    layerRows_.setRowLook(showLayerRow);
    targetRows_.setRowLook(showTargetRow);
    for (auto [list, removeId] : {std::pair{ui_.layerList, kRemoveLayer}, std::pair{ui_.targetList, kRemoveTarget}}) {
        auto* remove = new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(remove, &QShortcut::activated, this, [this, removeId] { command(removeId); });
    }

    const DialogUnits units = DialogUnits::forFont(font());
    frameFilesNote_ = new QLabel(this);
    frameFilesNote_->setGeometry(units.toPixels(227, 114, 220, 8));
    frameFilesNote_->setAccessibleName("Frame files");

    DropActions drops;
    drops.fillField = [this](QWidget* field, const std::string& path) {
        takeFilePath(field == ui_.objFile ? ui_.objFile : ui_.bmpFile, path);
    };
    drops.addMeshes = [this](const std::vector<std::string>& meshes) { addMeshLayers(meshes); };
    drops.openProject = [this](const std::string& path) { openProjectFile(path); };
    installDropHandling(*this, {ui_.objFile, ui_.bmpFile, ui_.layerList}, std::move(drops));

    // An undo or redo can move or remove the row a form shows.
    connect(undoStack_, &QUndoStack::indexChanged, this, [this] {
        if (destroying_)
            return;
        layerBaseline_.setRow(layerRows_.selectedRow());
        targetBaseline_.setRow(targetRows_.selectedRow());
    });

    applyTabOrder(controls_);
    stretchWithWindow(*this, units, QSize(units.toPixelsX(kDialogWidth), units.toPixelsY(kDialogHeight)));
}

bool MainDialog::mayDiscardFormEdits(const char* what)
{
    const bool layer = std::string_view(what) == "layer";
    const bool edited = layer ? layerBaseline_.differs(layerForm()) : targetBaseline_.differs(targetForm());
    if (!edited)
        return true;
    const int row = layer ? layerBaseline_.row() : targetBaseline_.row();
    const std::string text = row >= 0
        ? "The form holds changes to " + std::string(what) + " " + std::to_string(row + 1)
            + " that are not applied. Discard them?"
        : "The form holds a " + std::string(what) + " that is not added. Discard it?";
    const std::string detail
        = "\"Update\" applies the form to the selected row; \"< Add <\" adds it as a new row.";
    askingAboutEdits_ = true;
    const bool discard = services_.ask(this, text, kUnappliedCaption, {Answer::Discard, Answer::Cancel},
                                       Answer::Cancel, detail)
        == Answer::Discard;
    askingAboutEdits_ = false;
    return discard;
}

void MainDialog::selectRowQuietly(QListWidget& list, int row)
{
    const QSignalBlocker block(&list);
    if (row < 0) {
        list.setCurrentRow(-1);
        list.clearSelection();
    } else {
        list.setCurrentRow(row);
    }
}

void MainDialog::takeFilePath(QLineEdit* field, const std::string& path)
{
    std::string stored = portablePath(path, projectFolder_);
    if (field == ui_.objFile && isAnimatedKind(ui_.layerKind->currentIndex())) {
        // A numbered frame file stands for its animation: store the base
        // and offer the frames found as the frame count.
        if (const std::optional<std::string> base = frameBasePath(stored)) {
            stored = *base;
            const int frames = countFrameFiles(resolveStoredPath(stored, projectFolder_));
            if (frames > 0)
                setText(ui_.framesTillReset, std::to_string(frames));
        }
    }
    setText(field, stored);
}

void MainDialog::addMeshLayers(const std::vector<std::string>& meshPaths)
{
    undoStack_->beginMacro(meshPaths.size() == 1 ? "Add layer" : "Add layers");
    for (const std::string& path : meshPaths) {
        LayerEntry entry;
        entry.objPath = capText(portablePath(path, projectFolder_));
        entry.kind = static_cast<std::int32_t>(LayerKind::Static);
        entry.collision = 1;
        const std::filesystem::path texture = pathFromUtf8(path).replace_extension(".bmp");
        if (fileExists(pathToUtf8(texture))) {
            entry.draw = 1;
            entry.bmpPath = capText(portablePath(pathToUtf8(texture), projectFolder_));
        }
        const bool full = layerRows_.isFull();
        addRow(layerRows_, entry, QStringLiteral("Add layer")); // a full table shows the limit's message
        if (full)
            break;
    }
    undoStack_->endMacro();
    updateControlStates();
}

void MainDialog::relinkMissingFiles()
{
    LayerTable relinkedLayers = layers_;
    const std::vector<RelinkedPath> relinked = relinkLayerPaths(relinkedLayers, projectFolder_);
    if (relinked.empty()) {
        services_.showMessage(this, "No missing mesh or texture file was found in the project's folder.",
                              kRelinkCaption, MessageIcon::Information);
        return;
    }
    // One undo step for all the layers it changed.
    auto* relink = new QUndoCommand(QStringLiteral("Relink"));
    std::string detail;
    int previous = -1;
    for (const RelinkedPath& path : relinked) {
        if (path.layer != previous)
            new ReplaceRowCommand<LayerEntry>(layerRows_, path.layer, relinkedLayers.at(path.layer), {}, relink);
        previous = path.layer;
        detail += "layer " + std::to_string(path.layer + 1) + ": '" + path.stored + "' -> '" + path.relinked + "'\n";
    }
    detail.pop_back();
    const bool formApplied = !layerBaseline_.differs(layerForm());
    undoStack_->push(relink);
    // The form follows a relinked layer it shows, unless it holds edits.
    const int shown = layerBaseline_.row();
    if (shown >= 0 && formApplied) {
        showLayerForm(layerFormFromEntry(layers_.at(shown)));
        layerBaseline_.set(shown, layerForm());
    }
    services_.showMessage(this, std::to_string(relinked.size()) + " missing file paths now name files in the project's folder.",
                          kRelinkCaption, MessageIcon::Information, detail);
}

void MainDialog::updateFieldMarks()
{
    if (!frameFilesNote_)
        return; // still being built
    markField(ui_.title, checkTextLength(ui_.title->text().toStdString()));
    markField(ui_.author, checkTextLength(ui_.author->text().toStdString()));
    markField(ui_.versionMajor, checkVersion(text(ui_.versionMajor)));
    markField(ui_.versionMinor, checkVersion(text(ui_.versionMinor)));
    markField(ui_.startPosition, checkNumberList(text(ui_.startPosition), 6));
    markField(ui_.backgroundColor, checkNumberList(text(ui_.backgroundColor), 3));
    markField(ui_.position, checkNumberList(text(ui_.position), 3));

    const LayerForm form = layerForm();
    const LayerKindFields used = fieldsUsedBy(form.kind);
    markField(ui_.speed, used.speed ? checkNumberList(form.speed, 3) : FieldCheck{});
    markField(ui_.vibration, used.vibration ? checkNumberList(form.vibration, 3) : FieldCheck{});
    markField(ui_.triggerArea, used.triggerArea ? checkNumberList(form.triggerArea, 6) : FieldCheck{});
    const bool animated = isAnimatedKind(form.kind);
    markField(ui_.framesTillReset,
              used.framesTillReset ? checkFrameCount(form.framesTillReset, animated) : FieldCheck{});

    // The files are looked at only when what names them changed.
    const int frames = leadingInteger(form.framesTillReset);
    const std::string meshKey = form.objPath + '\n' + projectFolder_ + '\n' + std::to_string(form.kind) + '\n'
        + std::to_string(frames);
    if (meshKey != meshCheckKey_) {
        meshCheckKey_ = meshKey;
        meshCheck_ = checkMeshFile(form.objPath, projectFolder_, form.kind, frames);
        frameFilesFound_ = animated && !form.objPath.empty()
            ? countFrameFiles(locateLayerMesh(layerEntryFromForm(form), projectFolder_).path)
            : -1;
    }
    const std::string textureKey = form.draw ? form.bmpPath + '\n' + projectFolder_ : std::string();
    if (textureKey != textureCheckKey_) {
        textureCheckKey_ = textureKey;
        textureCheck_ = form.draw ? checkTextureFile(form.bmpPath, projectFolder_) : FieldCheck{};
    }
    markField(ui_.objFile, meshCheck_);
    markField(ui_.bmpFile, textureCheck_);
    const QString note = frameFilesFound_ >= 0 ? QString::fromStdString(frameFilesFoundText(frameFilesFound_)) : QString();
    if (frameFilesNote_->text() != note)
        frameFilesNote_->setText(note);
}

void MainDialog::projectPathsMoved(const LayerTable& layers, const std::string& folder)
{
    const bool formApplied = !layerBaseline_.differs(layerForm());
    for (QLineEdit* field : {ui_.objFile, ui_.bmpFile})
        setText(field, movedStoredPath(text(field), projectFolder_.empty() ? folder : projectFolder_, folder));
    bool changed = false;
    for (int i = 0; i < layers.count(); ++i) {
        if (!(layers.at(i) == layers_.at(i))) {
            layerRows_.replace(i, layers.at(i));
            changed = true;
        }
    }
    // What the undo stack holds names files from the old folder.
    if (changed)
        undoStack_->clear();
    if (formApplied)
        layerBaseline_.set(layerBaseline_.row(), layerForm());
}

std::function<void()> MainDialog::beginLongWork()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    generating_ = true;
    progress_->begin();
    return [this] {
        progress_->end();
        generating_ = false;
        QApplication::restoreOverrideCursor();
    };
}

bool MainDialog::mayGenerateDespiteProblems()
{
    // Every mesh and texture is read: on a worker thread, while the window
    // repaints, no command runs and, as while the level is written right
    // after, no input reaches the window and a long check shows the
    // progress dialog.
    auto finished = beginLongWork();
    std::vector<ProjectProblem> problems;
    try {
        problems = workWhileEventsRun([project = currentProject(), folder = projectFolder_] {
            return checkProject(project, folder).problems;
        });
    } catch (...) {
        finished();
        throw;
    }
    finished();
    if (problems.empty())
        return true;
    int errors = 0;
    std::string detail;
    for (const ProjectProblem& problem : problems) {
        errors += problem.severity == ProblemSeverity::Error ? 1 : 0;
        detail += problemMessage(problem) + "\n";
    }
    detail.pop_back();
    const int warnings = static_cast<int>(problems.size()) - errors;
    auto count = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    const std::string text = "The level has " + count(errors, "error") + " and " + count(warnings, "warning") + "."
        + (errors > 0 ? " Generation will stop at the first error." : "") + " Generate the level anyway?";
    return services_.ask(this, text, kProblemsCaption, {Answer::Generate, Answer::Cancel}, Answer::Cancel, detail)
        == Answer::Generate;
}

FileDialogStart MainDialog::fileDialogStart(const char* extension) const
{
    FileDialogStart start;
    start.folder = projectFolder_;
    if (extension) {
        const std::string name = projectPath_.empty() ? fileNameFromTitle(text(ui_.title))
                                                      : pathToUtf8(pathFromUtf8(projectPath_).stem());
        start.suggestedName = name + "." + extension;
    }
    return start;
}

} // namespace kes::editor
