// The "Level preview" pane: the 3D view of the level as it is edited, with
// its animation controls, a progress line while files are read and the list
// of what could not be shown. Without OpenGL it says why it can't draw.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QTimer>
#include <QWidget>

#include "app/preview/overlay_geometry.h"
#include "document/level_document.h"
#include "scene/scene.h"
#include "scene/scene_builder.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

namespace kes::editor {

class PreviewView;
class SceneLoader;

// What the pane draws of a level and the entries typed into its forms: the
// level's layers and targets, then each form's entry (a draft), marked as
// such so that it is drawn ghosted and never taken for a row of the level.
// Of the settings it holds only those the view draws (background, start).
SceneRequest previewRequestFor(const LevelProject& project, const std::string& baseFolder,
                               const std::optional<LayerEntry>& draftLayer,
                               const std::optional<TargetEntry>& draftTarget);

class PreviewPane : public QWidget {
    Q_OBJECT

public:
    // Shows `document` and follows its changes. `unavailable` says why the
    // pane can't draw; by default whether this display can run OpenGL 3.3
    // decides.
    // The view edits `document` by dragging and through its menu.
    explicit PreviewPane(LevelDocument& document, QWidget* parent = nullptr,
                         const std::optional<QString>& unavailable = std::nullopt);
    ~PreviewPane() override;

    // The entries the forms hold that are not in the level (none: the form
    // holds nothing of its own); drawn ghosted.
    void setDrafts(const std::optional<LayerEntry>& layer, const std::optional<TargetEntry>& target);

    // "Frame selection" with the lists' selection of the moment (for a
    // double-click on a row): the selected layer or target in view, or the
    // whole level without a selection. Nothing without a view.
    void frameSelection();

    // The 3D view; null when this display can't draw.
    PreviewView* view() const { return view_; }
    // The scene shown.
    const std::shared_ptr<const Scene>& scene() const { return scene_; }
    // The animation frame shown, from 0.
    int frame() const { return frame_; }
    bool playing() const { return player_.isActive(); }
    void setPlaying(bool playing);
    // Whether the layers move as the motion playback has them
    // (scene_motion.h); then the frames run to motionFrameCount.
    bool showsMotion() const;
    void setShowsMotion(bool shown);

    // The grid step chosen in "Grid size", and "Snap to grid"; both are
    // remembered between sessions.
    float gridStep() const;
    void setGridStep(float step);
    bool snaps() const;
    // "Show grid", remembered too.
    bool showsGrid() const;
    void setShowsGrid(bool shown);

signals:
    // A click in the view on layer or target `row` of the tables.
    void layerClicked(int row);
    void targetClicked(int row);
    // A scene is shown (for tests: also once the background reading ended).
    void sceneShown();

private:
    void contentChanged();
    void refresh();
    void showScene(std::shared_ptr<const Scene> scene);
    void showProgress(int done, int total);
    void showFrame();
    void showProblems();
    void cannotDraw(const QString& reason);
    void gridChanged();

    LevelDocument& document_;
    std::optional<LayerEntry> draftLayer_;
    std::optional<TargetEntry> draftTarget_;
    SceneLoader* loader_;
    PreviewView* view_ = nullptr;
    QLabel* cannotDraw_;
    QLabel* progress_;
    QListWidget* problems_;
    QPushButton* play_;
    QCheckBox* motion_;
    QSlider* frameSlider_;
    QLabel* frameCounter_;
    QComboBox* gridSize_;
    QCheckBox* snap_;
    QCheckBox* showGrid_;
    QLabel* pointer_;
    QButtonGroup* views_;
    QTimer changes_;
    QTimer player_;
    std::shared_ptr<const Scene> scene_;
    SceneRequest shownRequest_;
    bool hasShownRequest_ = false;
    int frame_ = 0;
};

} // namespace kes::editor
