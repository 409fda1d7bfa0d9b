// The project commands of the main dialog: new project, Open, Import level
// file, Save and Generate Level.
#include <QApplication>
#include <QScopedValueRollback>
#include <QUndoStack>

#include "app/background_generation.h"
#include "app/dialog_description.h"
#include "app/file_filters.h"
#include "app/generation_progress_dialog.h"
#include "app/main_dialog.h"
#include "app/recent_projects.h"
#include "app/level_import.h"
#include "check/output_target.h"
#include "generate/generate_level.h"
#include "model/file_io.h"
#include "model/project_file.h"
#include "model/stored_path.h"

namespace kes::editor {
namespace {

constexpr char kOpenFailedCaption[] = "Could not open";
constexpr char kSavedText[] = "Project saved.";
constexpr char kSavedCaption[] = "Saved.";
constexpr char kSaveFailedText[] = "The project could not be saved.";
constexpr char kSaveFailedCaption[] = "Could not save";
constexpr char kGeneratedText[] = "Level created successfully.";
constexpr char kGeneratedCaption[] = "Completed";
constexpr char kGenerateFailedText[] = "An Error occured; double-check entered values.";
constexpr char kGenerateFailedCaption[] = "Error";
constexpr std::size_t kWarningsShown = 10;

// One line per problem that the readers worked around, the first few only.
std::string warningsText(const std::vector<ReaderWarning>& warnings)
{
    std::string text;
    for (std::size_t i = 0; i < warnings.size() && i < kWarningsShown; ++i) {
        const ReaderWarning& warning = warnings[i];
        text.append("warning: ").append(warning.file);
        if (warning.line > 0)
            text.append(":").append(std::to_string(warning.line));
        text.append(": ").append(warning.what).append("\n");
    }
    if (warnings.size() > kWarningsShown)
        text.append("and ").append(std::to_string(warnings.size() - kWarningsShown)).append(" more warnings\n");
    if (!text.empty())
        text.pop_back();
    return text;
}

} // namespace

void MainDialog::resetToDefaults()
{
    LevelProject fresh;
    kes::resetToDefaults(fresh);
    layers_ = fresh.layers;
    targets_ = fresh.targets;
    refillLists();
    showSettings(fresh.settings);
    undoStack_->clear();
    markUnmodified();
}

void MainDialog::showSettings(const LevelSettings& settings)
{
    // Texts set here are the level's new start, not edits to undo.
    const QScopedValueRollback showing(showingSettings_, true);
    setText(ui_.title, settings.title);
    setText(ui_.author, settings.author);
    setText(ui_.versionMajor, settings.versionMajor);
    setText(ui_.versionMinor, settings.versionMinor);
    setText(ui_.framesLR, settings.framesLR);
    setText(ui_.startPosition, settings.startPosition);
    setText(ui_.backgroundColor, settings.backgroundColor);
}

bool MainDialog::saveProject()
{
    const std::string path = services_.chooseFileToSave(this, kProjectFilter, fileDialogStart("kgp"));
    if (path.empty() || !writeProject(path))
        return false;
    services_.showMessage(this, kSavedText, kSavedCaption, MessageIcon::Information);
    return true;
}

bool MainDialog::saveToProjectFile()
{
    // The title's mark clearing says that the level was saved.
    return projectPath_.empty() ? saveProject() : writeProject(projectPath_);
}

bool MainDialog::writeProject(const std::string& path)
{
    // Relative paths name the same files from the new folder, and files
    // inside it are stored relative to it. A project that has no folder yet
    // keeps its relative paths: they are meant from where it is saved.
    LevelProject project = currentProject();
    const std::string folder = projectFolderOf(path);
    moveStoredPaths(project.layers, projectFolder_.empty() ? folder : projectFolder_, folder);
    const Status saved = kes::saveProject(project, path);
    if (!saved) {
        services_.showMessage(this, kSaveFailedText, kSaveFailedCaption, MessageIcon::Error, saved.reason());
        return false;
    }
    projectPathsMoved(project.layers, folder);
    setProjectPath(path);
    addRecentProject(path);
    markUnmodified();
    return true;
}

void MainDialog::openProject()
{
    if (!mayDiscardChanges(Discarding::OpeningAnother))
        return;
    const std::string path = services_.chooseFileToOpen(this, kProjectFilter, fileDialogStart(nullptr));
    if (!path.empty())
        loadProject(path);
}

void MainDialog::importLevel()
{
    if (!mayDiscardChanges(Discarding::OpeningAnother))
        return;
    const std::string path = importLevelFile(services_, this, projectFolder_);
    if (!path.empty())
        loadProject(path);
}

bool MainDialog::loadProject(const std::string& path)
{
    LevelProject loaded;
    const Status status = kes::loadProject(path, loaded);
    if (!status) {
        // "Invalid File: Header incorrect." for a file that is not a project;
        // otherwise what is wrong with it. Nothing changes.
        services_.showMessage(this, status.reason(), kOpenFailedCaption, MessageIcon::Error,
                              levelFileOpenedAsProjectDetail(path));
        return false;
    }
    showProject(loaded);
    setProjectPath(path);
    addRecentProject(path);
    markUnmodified();
    return true;
}

void MainDialog::showProject(const LevelProject& project)
{
    resetToDefaults();
    showSettings(project.settings);
    layers_ = project.layers;
    targets_ = project.targets;
    refillLists();
}

void MainDialog::setProjectPath(const std::string& path)
{
    projectPath_ = path;
    projectFolder_ = projectFolderOf(path);
}

void MainDialog::markUnmodified()
{
    closeSettingEdit();
    unmodifiedProject_ = currentProject();
    undoStack_->setClean();
    updateControlStates();
}

void MainDialog::generateLevel()
{
    const std::string path = services_.chooseFileToSave(this, kLevelFilter, fileDialogStart("kes"));
    if (path.empty())
        return;
    // Never write the level over a file it is made from.
    if (Status safe = checkOutputTarget(path, {}, levelInputs(currentProject(), projectFolder_)); !safe) {
        services_.showMessage(this, kGenerateFailedText, kGenerateFailedCaption, MessageIcon::Error, safe.reason());
        return;
    }
    // Cancelled while the files were checked: nothing more to do.
    if (!mayGenerateDespiteProblems() || progress_->cancelRequested())
        return;
    GenerationOptions options;
    options.baseFolder = projectFolder_;
    options.cancel = progress_->cancelFlag();
    // The level is written on a worker thread while the dialog repaints; a
    // long generation shows its progress. Meanwhile no command runs and no
    // input reaches this dialog.
    auto finished = beginLongWork();
    GenerationResult result;
    try {
        result = generateWhileEventsRun(currentProject(), path, options,
                                        [this](int layer, int layerCount) { progress_->showLayer(layer, layerCount); });
    } catch (...) {
        finished();
        throw;
    }
    finished();
    // The user asked for it: the earlier level file is as it was, and there
    // is nothing to tell.
    if (result.cancelled)
        return;
    if (result.status.ok()) {
        services_.showMessage(this, kGeneratedText, kGeneratedCaption, MessageIcon::Information,
                              warningsText(result.warnings));
    } else {
        services_.showMessage(this, kGenerateFailedText, kGenerateFailedCaption, MessageIcon::Error,
                              result.status.reason());
    }
}

} // namespace kes::editor
