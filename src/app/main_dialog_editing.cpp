// Editing helpers of the main dialog: the Delete key, dropped files, the
// window's growth, the tab order, the question about unapplied form edits,
// relinking, and the checks before generating.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QStyle>
#include <QUndoStack>

#include "app/dialog_description.h"
#include "app/dialog_units.h"
#include "app/drop_handling.h"
#include "app/field_checks.h"
#include "app/generation_progress_dialog.h"
#include "app/list_rows.h"
#include "app/panels/layer_panel.h"
#include "app/panels/target_panel.h"
#include "app/main_dialog.h"
#include "app/tab_order.h"
#include "app/window_stretch.h"
#include "app/work_while_events_run.h"
#include "check/project_check.h"
#include "generate/layer_files.h"
#include "model/file_io.h"
#include "model/number_text.h"
#include "model/stored_path.h"

namespace kes::editor {
namespace {

constexpr char kUnappliedCaption[] = "Unapplied Changes";
constexpr char kRelinkCaption[] = "Relink";
constexpr char kProblemsCaption[] = "Problems in the Level";

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
    for (auto [list, removeId] : {std::pair{ui_.layerList, kRemoveLayer}, std::pair{ui_.targetList, kRemoveTarget}}) {
        auto* remove = new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(remove, &QShortcut::activated, this, [this, removeId] { command(removeId); });
    }

    const DialogUnits units = DialogUnits::forFont(font());
    frameFilesNote_->setGeometry(units.toPixels(227, 114, 220, 8));
    frameFilesNote_->setAccessibleName("Frame files");

    DropActions drops;
    drops.fillField = [this](QWidget* field, const std::string& path) {
        layerPanel_->takeFilePath(field == ui_.objFile ? ui_.objFile : ui_.bmpFile, path);
    };
    drops.addMeshes = [this](const std::vector<std::string>& meshes) { addMeshLayers(meshes); };
    drops.openProject = [this](const std::string& path) { openProjectFile(path); };
    installDropHandling(*this, {ui_.objFile, ui_.bmpFile, ui_.layerList}, std::move(drops));

    applyTabOrder(controls_);
    stretchWithWindow(*this, units, QSize(units.toPixelsX(kDialogWidth), units.toPixelsY(kDialogHeight)));
}

bool MainDialog::mayDiscardFormEdits(LevelTable table)
{
    const bool layer = table == LevelTable::Layers;
    if (layer ? !layerPanel_->holdsEdits() : !targetPanel_->holdsEdits())
        return true;
    const std::string what = layer ? "layer" : "target";
    const int row = layer ? layerPanel_->shownRow() : targetPanel_->shownRow();
    const std::string text = row >= 0
        ? "The form holds changes to " + what + " " + std::to_string(row + 1) + " that are not applied. Discard them?"
        : "The form holds a " + what + " that is not added. Discard it?";
    const std::string detail
        = "\"Update\" applies the form to the selected row; \"< Add <\" adds it as a new row.";
    askingAboutEdits_ = true;
    const bool discard = services_.ask(this, text, kUnappliedCaption, {Answer::Discard, Answer::Cancel},
                                       Answer::Cancel, detail)
        == Answer::Discard;
    askingAboutEdits_ = false;
    return discard;
}

void MainDialog::addMeshLayers(const std::vector<std::string>& meshPaths)
{
    QUndoStack& undo = document_->undoStack();
    undo.beginMacro(meshPaths.size() == 1 ? "Add layer" : "Add layers");
    for (const std::string& path : meshPaths) {
        LayerEntry entry;
        entry.objPath = capText(portablePath(path, projectFolder()));
        entry.kind = static_cast<std::int32_t>(LayerKind::Static);
        entry.collision = 1;
        const std::filesystem::path texture = pathFromUtf8(path).replace_extension(".bmp");
        if (fileExists(pathToUtf8(texture))) {
            entry.draw = 1;
            entry.bmpPath = capText(portablePath(pathToUtf8(texture), projectFolder()));
        }
        if (!document_->addRow(entry, QStringLiteral("Add layer"))) {
            services_.showMessage(this, layerLimitText(), kLayerLimitCaption, MessageIcon::Error);
            break;
        }
    }
    undo.endMacro();
    updateControlStates();
}

void MainDialog::relinkMissingFiles()
{
    LayerTable relinkedLayers = layers();
    const std::vector<RelinkedPath> relinked = relinkLayerPaths(relinkedLayers, projectFolder());
    if (relinked.empty()) {
        services_.showMessage(this, "No missing mesh or texture file was found in the project's folder.",
                              kRelinkCaption, MessageIcon::Information);
        return;
    }
    std::string detail;
    for (const RelinkedPath& path : relinked)
        detail += "layer " + std::to_string(path.layer + 1) + ": '" + path.stored + "' -> '" + path.relinked + "'\n";
    detail.pop_back();
    // One undo step for all the layers it changed; the form follows a
    // relinked layer it shows, unless it holds edits.
    document_->replaceLayers(relinkedLayers, QStringLiteral("Relink"));
    services_.showMessage(this, std::to_string(relinked.size()) + " missing file paths now name files in the project's folder.",
                          kRelinkCaption, MessageIcon::Information, detail);
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
        problems = workWhileEventsRun([project = currentProject(), folder = projectFolder()] {
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
    start.folder = projectFolder();
    if (extension) {
        const std::string name = projectPath().empty() ? fileNameFromTitle(document_->settings().title)
                                                       : pathToUtf8(pathFromUtf8(projectPath()).stem());
        start.suggestedName = name + "." + extension;
    }
    return start;
}

} // namespace kes::editor
