// The project actions of the editor: a new level, Open, Import level file,
// Save, Save as, Generate Level, the recent projects and the offer of a
// recovery copy, each with its questions and messages. Each works on the
// level document; the window's views follow it.
#pragma once

#include <functional>
#include <string>

#include <QObject>

#include "app/platform_services.h"

class QMenu;
class QSessionManager;
class QWidget;

namespace kes::editor {

class GenerationProgressDialog;
class LayerPanel;
class LevelDocument;
class RecoveryKeeper;

class ProjectActions : public QObject {
    Q_OBJECT

public:
    ProjectActions(PlatformServices& services, QWidget& window, LevelDocument& document, LayerPanel& layerPanel,
                   RecoveryKeeper& recovery, GenerationProgressDialog& progress);

    void newLevel();
    bool saveAs(); // "Save...": asks for a name
    bool save();   // Ctrl+S: the level's own file, or "Save..." for a new level
    void open();
    // Opens the project at `path` as "Open..." does once a file is chosen:
    // while the level is modified, first asks whether to save it. True when
    // the project was loaded.
    bool openFile(const std::string& path);
    bool load(const std::string& path); // without asking
    void importLevel();
    void generate();

    enum class Discarding { Closing, OpeningAnother };
    // True when the command may go on: the level is unmodified, or the user
    // saved it or chose to discard it.
    bool mayDiscardChanges(Discarding what);
    // The desktop session ends: asks about unsaved changes when it may,
    // keeps them in the recovery copy when it may not.
    void endSession(QSessionManager& manager);
    // At start: offers to restore the recovery copy of the level opened (or,
    // without one, of any level).
    void offerRecoveryCopy(const std::string& startupProjectPath);
    // The menu of the "Recent projects" button, shown above `button`.
    void showRecentProjects(QWidget& button);
    QMenu* recentMenu() const { return recentMenu_; }
    // Where a file dialog starts; with an extension, the project's name (or
    // the title) with it is suggested.
    FileDialogStart fileDialogStart(const char* extension) const;
    // While long work runs on a worker thread (a check, a generation), no
    // command may run.
    bool busy() const { return busy_; }

private:
    bool writeProject(const std::string& path);
    void openRecent(const std::string& path);
    // Gathers every problem of the level; true when there is none or the
    // designer chose to generate all the same.
    bool mayGenerateDespiteProblems();
    // Starts long work: a wait cursor, the progress dialog, busy. The call
    // it returns ends it.
    [[nodiscard]] std::function<void()> beginLongWork();

    PlatformServices& services_;
    QWidget& window_;
    LevelDocument& document_;
    LayerPanel& layerPanel_;
    RecoveryKeeper& recovery_;
    GenerationProgressDialog& progress_;
    QMenu* recentMenu_;
    bool busy_ = false;
};

} // namespace kes::editor
