#include "app/actions/project_actions.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSessionManager>

#include "app/background_generation.h"
#include "app/file_filters.h"
#include "app/generation_progress_dialog.h"
#include "app/level_import.h"
#include "app/panels/layer_panel.h"
#include "app/work_while_events_run.h"
#include "check/output_target.h"
#include "check/project_check.h"
#include "document/recent_projects.h"
#include "document/recovery_copy.h"
#include "document/recovery_keeper.h"
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
constexpr char kUnsavedCaption[] = "Unsaved Changes";
constexpr char kSaveBeforeClosingText[] = "Save changes to the level before closing?";
constexpr char kSaveBeforeOpeningText[] = "Save changes to the level before opening another project?";
constexpr char kRestoreCaption[] = "Restore Unsaved Changes";
constexpr char kRecentCaption[] = "Recent projects";

constexpr char kProblemsCaption[] = "Problems in the Level";
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


QString fileNameOf(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName();
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

ProjectActions::ProjectActions(PlatformServices& services, QWidget& window, LevelDocument& document,
                               LayerPanel& layerPanel, RecoveryKeeper& recovery, GenerationProgressDialog& progress)
    : QObject(&window), services_(services), window_(window), document_(document), layerPanel_(layerPanel),
      recovery_(recovery), progress_(progress), recentMenu_(new QMenu(&window))
{
}

void ProjectActions::newLevel()
{
    LevelProject fresh;
    kes::resetToDefaults(fresh);
    document_.reset(fresh, {});
}

bool ProjectActions::saveAs()
{
    const std::string path = services_.chooseFileToSave(&window_, kProjectFilter, fileDialogStart("kgp"));
    if (path.empty() || !writeProject(path))
        return false;
    services_.showMessage(&window_, kSavedText, kSavedCaption, MessageIcon::Information);
    return true;
}

bool ProjectActions::save()
{
    // The title's mark clearing says that the level was saved.
    return document_.path().empty() ? saveAs() : writeProject(document_.path());
}

bool ProjectActions::writeProject(const std::string& path)
{
    // Relative paths name the same files from the new folder, and files
    // inside it are stored relative to it. A project that has no folder yet
    // keeps its relative paths: they are meant from where it is saved.
    LevelProject project = document_.project();
    const std::string folder = projectFolderOf(path);
    const std::string from = document_.folder().empty() ? folder : document_.folder();
    moveStoredPaths(project.layers, from, folder);
    const Status saved = kes::saveProject(project, path);
    if (!saved) {
        services_.showMessage(&window_, kSaveFailedText, kSaveFailedCaption, MessageIcon::Error, saved.reason());
        return false;
    }
    layerPanel_.movePaths(from, folder);
    document_.saved(project, path);
    addRecentProject(path);
    return true;
}

void ProjectActions::open()
{
    if (!mayDiscardChanges(Discarding::OpeningAnother))
        return;
    const std::string path = services_.chooseFileToOpen(&window_, kProjectFilter, fileDialogStart(nullptr));
    if (!path.empty())
        load(path);
}

void ProjectActions::importLevel()
{
    if (!mayDiscardChanges(Discarding::OpeningAnother))
        return;
    const std::string path = importLevelFile(services_, &window_, document_.folder());
    if (!path.empty())
        load(path);
}

bool ProjectActions::load(const std::string& path)
{
    LevelProject loaded;
    const Status status = kes::loadProject(path, loaded);
    if (!status) {
        // "Invalid File: Header incorrect." for a file that is not a project;
        // otherwise what is wrong with it. Nothing changes.
        services_.showMessage(&window_, status.reason(), kOpenFailedCaption, MessageIcon::Error,
                              levelFileOpenedAsProjectDetail(path));
        return false;
    }
    document_.reset(loaded, path);
    addRecentProject(path);
    return true;
}

void ProjectActions::generate()
{
    const std::string path = services_.chooseFileToSave(&window_, kLevelFilter, fileDialogStart("kes"));
    if (path.empty())
        return;
    // Never write the level over a file it is made from.
    if (Status safe = checkOutputTarget(path, {}, levelInputs(document_.project(), document_.folder())); !safe) {
        services_.showMessage(&window_, kGenerateFailedText, kGenerateFailedCaption, MessageIcon::Error, safe.reason());
        return;
    }
    // Cancelled while the files were checked: nothing more to do.
    if (!mayGenerateDespiteProblems() || progress_.cancelRequested())
        return;
    GenerationOptions options;
    options.baseFolder = document_.folder();
    options.cancel = progress_.cancelFlag();
    // The level is written on a worker thread while the dialog repaints; a
    // long generation shows its progress. Meanwhile no command runs and no
    // input reaches this dialog.
    auto finished = beginLongWork();
    GenerationResult result;
    try {
        result = generateWhileEventsRun(document_.project(), path, options,
                                        [this](int layer, int layerCount) { progress_.showLayer(layer, layerCount); });
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
        services_.showMessage(&window_, kGeneratedText, kGeneratedCaption, MessageIcon::Information,
                              warningsText(result.warnings));
    } else {
        services_.showMessage(&window_, kGenerateFailedText, kGenerateFailedCaption, MessageIcon::Error,
                              result.status.reason());
    }
}

bool ProjectActions::openFile(const std::string& path)
{
    if (busy_)
        return false;
    return mayDiscardChanges(Discarding::OpeningAnother) && load(path);
}

bool ProjectActions::mayDiscardChanges(Discarding what)
{
    if (!document_.isModified())
        return true;
    const char* text = what == Discarding::Closing ? kSaveBeforeClosingText : kSaveBeforeOpeningText;
    switch (services_.ask(&window_, text, kUnsavedCaption, {Answer::Save, Answer::Discard, Answer::Cancel},
                          Answer::Save)) {
    case Answer::Save:
        return save();
    case Answer::Discard:
        recovery_.discard();
        return true;
    default:
        return false;
    }
}

void ProjectActions::endSession(QSessionManager& manager)
{
    if (!document_.isModified())
        return;
    if (!manager.allowsInteraction()) {
        // No question can be asked: keep the work for the next start.
        recovery_.writeNow();
        return;
    }
    const bool goOn = mayDiscardChanges(Discarding::Closing);
    manager.release();
    if (!goOn)
        manager.cancel();
}

void ProjectActions::offerRecoveryCopy(const std::string& startupProjectPath)
{
    const std::optional<RecoveryCopy> copy = recoveryCopyToOffer(startupProjectPath);
    if (!copy)
        return;
    const QString name = copy->projectPath.empty() ? QStringLiteral("the new level") : fileNameOf(copy->projectPath);
    const QString text = "Restore unsaved changes to " + name + " from "
        + copy->written.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + "?";
    if (services_.ask(&window_, text.toStdString(), kRestoreCaption, {Answer::Restore, Answer::Discard},
                      Answer::Restore)
        != Answer::Restore) {
        editor::removeRecoveryCopy(copy->path);
        return;
    }
    LevelProject recovered;
    const Status status = kes::loadProject(copy->path, recovered);
    if (!status) {
        // Left where it is: the only copy of that work.
        services_.showMessage(&window_, status.reason(), kOpenFailedCaption, MessageIcon::Error);
        return;
    }
    // Modified until saved, and the copy stays the level's copy until then.
    document_.reset(recovered, copy->projectPath, true);
    recovery_.adopt(copy->path);
    }

void ProjectActions::showRecentProjects(QWidget& button)
{
    recentMenu_->clear();
    const std::vector<std::string> paths = recentProjects();
    if (paths.empty())
        recentMenu_->addAction(QStringLiteral("No recent projects"))->setEnabled(false);
    for (const std::string& path : paths) {
        QAction* entry = recentMenu_->addAction(QDir::toNativeSeparators(QString::fromStdString(path)));
        connect(entry, &QAction::triggered, this, [this, path] { openRecent(path); });
    }
    // Above the button, which sits at the bottom of the dialog.
    const QPoint corner = button.mapToGlobal(QPoint(0, 0));
    recentMenu_->popup(corner - QPoint(0, recentMenu_->sizeHint().height()));
}

void ProjectActions::openRecent(const std::string& path)
{
    if (!QFileInfo(QString::fromStdString(path)).isFile()) {
        removeRecentProject(path);
        services_.showMessage(&window_,
                              "The project '" + path + "' no longer exists; it was removed from the recent projects.",
                              kRecentCaption, MessageIcon::Information);
        return;
    }
    openFile(path);
}

std::function<void()> ProjectActions::beginLongWork()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
    progress_.begin();
    return [this] {
        progress_.end();
        busy_ = false;
        QApplication::restoreOverrideCursor();
    };
}

bool ProjectActions::mayGenerateDespiteProblems()
{
    // Every mesh and texture is read: on a worker thread, while the window
    // repaints, no command runs and, as while the level is written right
    // after, no input reaches the window and a long check shows the
    // progress dialog.
    auto finished = beginLongWork();
    std::vector<ProjectProblem> problems;
    try {
        problems = workWhileEventsRun([project = document_.project(), folder = document_.folder()] {
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
    return services_.ask(&window_, text, kProblemsCaption, {Answer::Generate, Answer::Cancel}, Answer::Cancel, detail)
        == Answer::Generate;
}

FileDialogStart ProjectActions::fileDialogStart(const char* extension) const
{
    FileDialogStart start;
    start.folder = document_.folder();
    if (extension) {
        const std::string name = document_.path().empty() ? fileNameFromTitle(document_.settings().title)
                                                       : pathToUtf8(pathFromUtf8(document_.path()).stem());
        start.suggestedName = name + "." + extension;
    }
    return start;
}

} // namespace kes::editor
