// The "Level preview" pane: the 3D view of the level as it is edited, with
// its animation controls, a progress line while files are read and the list
// of what could not be shown. Without OpenGL it says why it can't draw.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QTimer>
#include <QWidget>

#include "app/preview/overlay_geometry.h"
#include "scene/scene.h"
#include "scene/scene_builder.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

namespace kes::editor {

class PreviewView;
class SceneLoader;

// What the pane shows, as the editor holds it at the moment.
struct PreviewContent {
    SceneRequest request;
    PreviewSelection selection;
    // How many of the request's layers and targets are rows of the lists
    // (the others are being typed in the forms and can't be clicked).
    int layerRows = 0;
    int targetRows = 0;
};

// The content for the level as edited. The entry typed in a form is shown
// too, while it is complete and differs from every row: in place of the
// selected row (the edited copy of it), or after the rows when none is
// selected. The selection is that of the lists.
PreviewContent previewContentFor(const LevelProject& project, const std::string& baseFolder, int selectedLayer,
                                 int selectedTarget, const std::optional<LayerEntry>& formLayer,
                                 const std::optional<TargetEntry>& formTarget);

class PreviewPane : public QWidget {
    Q_OBJECT

public:
    // `content` is asked for what to show after every change (see
    // contentChanged). `unavailable` says why the pane can't draw; by
    // default whether this display can run OpenGL 3.3 decides.
    explicit PreviewPane(std::function<PreviewContent()> content, QWidget* parent = nullptr,
                         const std::optional<QString>& unavailable = std::nullopt);
    ~PreviewPane() override;

    // Something in the form or the lists changed: the view follows at once
    // (several changes in one go are shown once).
    void contentChanged();

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

signals:
    // A click in the view on layer or target `row` of the tables.
    void layerClicked(int row);
    void targetClicked(int row);
    // A scene is shown (for tests: also once the background reading ended).
    void sceneShown();

private:
    void refresh();
    void showScene(std::shared_ptr<const Scene> scene);
    void showProgress(int done, int total);
    void showFrame();
    void showProblems();
    void cannotDraw(const QString& reason);

    std::function<PreviewContent()> content_;
    SceneLoader* loader_;
    PreviewView* view_ = nullptr;
    QLabel* cannotDraw_;
    QLabel* progress_;
    QListWidget* problems_;
    QPushButton* play_;
    QCheckBox* motion_;
    QSlider* frameSlider_;
    QLabel* frameCounter_;
    QTimer changes_;
    QTimer player_;
    std::shared_ptr<const Scene> scene_;
    SceneRequest shownRequest_;
    bool hasShownRequest_ = false;
    int frame_ = 0;
};

} // namespace kes::editor
