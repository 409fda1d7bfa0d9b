// The project commands of the main dialog: new project, Open, Import level
// file, Save and Generate Level.
#include <QApplication>

#include "app/background_generation.h"
#include "app/dialog_description.h"
#include "app/file_filters.h"
#include "app/generation_progress_dialog.h"
#include "app/main_dialog.h"
#include "app/panels/layer_panel.h"
#include "document/recent_projects.h"
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
    document_->reset(fresh, {});
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
    return projectPath().empty() ? saveProject() : writeProject(projectPath());
}

bool MainDialog::writeProject(const std::string& path)
{
    // Relative paths name the same files from the new folder, and files
    // inside it are stored relative to it. A project that has no folder yet
    // keeps its relative paths: they are meant from where it is saved.
    LevelProject project = currentProject();
    const std::string folder = projectFolderOf(path);
    const std::string from = projectFolder().empty() ? folder : projectFolder();
    moveStoredPaths(project.layers, from, folder);
    const Status saved = kes::saveProject(project, path);
    if (!saved) {
        services_.showMessage(this, kSaveFailedText, kSaveFailedCaption, MessageIcon::Error, saved.reason());
        return false;
    }
    layerPanel_->movePaths(from, folder);
    document_->saved(project, path);
    addRecentProject(path);
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
    const std::string path = importLevelFile(services_, this, projectFolder());
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
    document_->reset(loaded, path);
    addRecentProject(path);
    return true;
}

void MainDialog::generateLevel()
{
    const std::string path = services_.chooseFileToSave(this, kLevelFilter, fileDialogStart("kes"));
    if (path.empty())
        return;
    // Never write the level over a file it is made from.
    if (Status safe = checkOutputTarget(path, {}, levelInputs(currentProject(), projectFolder())); !safe) {
        services_.showMessage(this, kGenerateFailedText, kGenerateFailedCaption, MessageIcon::Error, safe.reason());
        return;
    }
    if (!mayGenerateDespiteProblems())
        return;
    GenerationOptions options;
    options.baseFolder = projectFolder();
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
    if (result.status.ok()) {
        services_.showMessage(this, kGeneratedText, kGeneratedCaption, MessageIcon::Information,
                              warningsText(result.warnings));
    } else {
        services_.showMessage(this, kGenerateFailedText, kGenerateFailedCaption, MessageIcon::Error,
                              result.status.reason());
    }
}

} // namespace kes::editor
