#include "app/preview/preview_pane.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/preview/opengl_check.h"
#include "app/preview/preview_view.h"
#include "app/preview/scene_loader.h"
#include "app/preview/warning_lines.h"
#include "scene/scene_motion.h"
#include "scene/snapping.h"

namespace kes::editor {
namespace {

// The game runs at 25 frames per second.
constexpr int kFrameMilliseconds = 40;
// The largest texture side the view is given, whatever the graphics card
// takes: a larger texture would cost seconds and gigabytes to upload, and
// one of 2048 takes no frame more than a few tens of milliseconds on a
// software renderer. The view is seldom wider than that.
constexpr int kLargestPreviewTexture = 2048;

// Where the grid's choices are remembered.
const QString kGridSizeKey = QStringLiteral("view/gridSize");
const QString kSnapKey = QStringLiteral("view/snapToGrid");
const QString kShowGridKey = QStringLiteral("view/showGrid");

QString gridSizeText(float step)
{
    return QString::number(static_cast<double>(step), 'g', 6);
}

struct ViewButton {
    ViewMode mode;
    const char* text;
    const char* accessibleName;
    const char* key;
};
constexpr ViewButton kViewButtons[] = {
    {ViewMode::Perspective, "Perspective", "Perspective view", "5"},
    {ViewMode::Top, "Top", "Top view", "7"},
    {ViewMode::Front, "Front", "Front view", "1"},
    {ViewMode::Side, "Side", "Side view", "3"},
};

} // namespace

SceneRequest previewRequestFor(const LevelProject& project, const std::string& baseFolder,
                               const std::optional<LayerEntry>& draftLayer,
                               const std::optional<TargetEntry>& draftTarget)
{
    SceneRequest request = sceneRequestFor(project, baseFolder);
    // Only the background and the start are drawn of the settings: a change
    // of the title, the author, the version or the frames to use L/R asks
    // the view for nothing.
    const LevelSettings& settings = project.settings;
    request.settings = {};
    request.settings.backgroundColor = settings.backgroundColor;
    request.settings.startPosition = settings.startPosition;
    if (draftLayer) {
        request.layers.push_back(*draftLayer);
        request.draftLayer = true;
    }
    if (draftTarget) {
        request.targets.push_back(*draftTarget);
        request.draftTarget = true;
    }
    return request;
}

PreviewPane::PreviewPane(LevelDocument& document, QWidget* parent, const std::optional<QString>& unavailable)
    : QWidget(parent)
    , document_(document)
    , loader_(new SceneLoader(this))
    , cannotDraw_(new QLabel(this))
    , progress_(new QLabel(this))
    , problems_(new QListWidget(this))
    , play_(new QPushButton(QStringLiteral("Play"), this))
    , motion_(new QCheckBox(QStringLiteral("Motion (approximate)"), this))
    , frameSlider_(new QSlider(Qt::Horizontal, this))
    , frameCounter_(new QLabel(this))
    , gridSize_(new QComboBox(this))
    , snap_(new QCheckBox(QStringLiteral("Snap to grid"), this))
    , showGrid_(new QCheckBox(QStringLiteral("Show grid"), this))
    , pointer_(new QLabel(this))
    , views_(new QButtonGroup(this))
{
    setAccessibleName(QStringLiteral("Level preview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    // The camera above the view, the playback below it.
    auto* camera = new QHBoxLayout;
    auto* playback = new QHBoxLayout;
    auto* frameAll = new QPushButton(QStringLiteral("Frame all"), this);
    frameAll->setToolTip(QStringLiteral("Show the whole level (F when nothing is selected; with a selection, F shows"
                                        " the selected layer or target)"));
    auto* fromStart = new QPushButton(QStringLiteral("View from start"), this);
    play_->setCheckable(true);
    play_->setAccessibleName(QStringLiteral("Play animation"));
    frameCounter_->setAccessibleName(QStringLiteral("Animation frame"));
    for (QPushButton* button : {frameAll, fromStart, play_}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        (button == play_ ? playback : camera)->addWidget(button);
    }
    camera->addSpacing(8);
    // The four ways of looking, one of them pressed.
    for (const ViewButton& view : kViewButtons) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromLatin1(view.text));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::TabFocus);
        button->setAccessibleName(QString::fromLatin1(view.accessibleName));
        button->setToolTip(QStringLiteral("%1 (key %2 in the view)").arg(QString::fromLatin1(view.accessibleName),
                                                                         QString::fromLatin1(view.key)));
        button->setChecked(view.mode == ViewMode::Perspective);
        views_->addButton(button, static_cast<int>(view.mode));
        camera->addWidget(button);
    }
    views_->setExclusive(true);
    camera->addStretch(1);
    layout->addLayout(camera);
    motion_->setAccessibleName(QStringLiteral("Play motion"));
    // Rich text, so that the tip is wrapped into lines.
    motion_->setToolTip(QStringLiteral(
        "<p>Moves Moving, Vibrating and Trigger layers by the plain meaning of their fields: the speed every"
        " frame, the frames till reset or stop, the vibration width; a Trigger layer as if triggered at the first"
        " frame. The game may move them otherwise.</p>"));
    motion_->setFocusPolicy(Qt::TabFocus);
    playback->addWidget(motion_);
    // Drag or step (arrow keys) to any frame, playing or not: a click gives
    // it the keys.
    frameSlider_->setAccessibleName(QStringLiteral("Go to frame"));
    frameSlider_->setFocusPolicy(Qt::StrongFocus);
    playback->addWidget(frameSlider_, 1);
    playback->addWidget(frameCounter_);

    // The grid under the view, and what the mouse is over.
    auto* grid = new QHBoxLayout;
    auto* gridLabel = new QLabel(QStringLiteral("Grid size"), this);
    gridLabel->setBuddy(gridSize_);
    gridSize_->setAccessibleName(QStringLiteral("Grid size"));
    gridSize_->setToolTip(QStringLiteral("The grid's step ([ and ] in the view)"));
    for (float step : kGridSizes)
        gridSize_->addItem(gridSizeText(step), static_cast<double>(step));
    gridSize_->setFocusPolicy(Qt::TabFocus);
    snap_->setAccessibleName(QStringLiteral("Snap to grid"));
    snap_->setToolTip(QStringLiteral("Drags and the arrow keys put what they move on the grid"));
    snap_->setFocusPolicy(Qt::TabFocus);
    showGrid_->setAccessibleName(QStringLiteral("Show grid"));
    showGrid_->setFocusPolicy(Qt::TabFocus);
    pointer_->setAccessibleName(QStringLiteral("Point under the mouse"));
    pointer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(gridLabel);
    grid->addWidget(gridSize_);
    grid->addWidget(snap_);
    grid->addWidget(showGrid_);
    grid->addSpacing(8);
    grid->addWidget(pointer_, 1);
    {
        const QSettings settings;
        const float remembered = settings.value(kGridSizeKey, static_cast<double>(kDefaultGridSize)).toFloat();
        const int index = gridSize_->findData(static_cast<double>(remembered));
        gridSize_->setCurrentIndex(index >= 0 ? index : gridSize_->findData(static_cast<double>(kDefaultGridSize)));
        snap_->setChecked(settings.value(kSnapKey, true).toBool());
        showGrid_->setChecked(settings.value(kShowGridKey, true).toBool());
    }

    loader_->setLargestTexture(kLargestPreviewTexture);
    const QString reason = unavailable ? *unavailable : openGLUnavailableReason();
    if (reason.isEmpty()) {
        view_ = new PreviewView(this);
        layout->addWidget(view_, 1);
        connect(view_, &PreviewView::failed, this, &PreviewPane::cannotDraw);
        connect(view_, &PreviewView::largestTextureFound, this, [this](int side) {
            loader_->setLargestTexture(std::min(side, kLargestPreviewTexture));
        });
        connect(view_, &PreviewView::layerClicked, this, [this](int index) {
            if (index < document_.layers().count())
                emit layerClicked(index);
        });
        connect(view_, &PreviewView::targetClicked, this, [this](int index) {
            if (index < document_.targets().count())
                emit targetClicked(index);
        });
        view_->setDocument(&document_);
        connect(views_, &QButtonGroup::idClicked, this,
                [this](int mode) { view_->setMode(static_cast<ViewMode>(mode)); });
        connect(view_, &PreviewView::modeChanged, this, [this](ViewMode mode) {
            if (QAbstractButton* button = views_->button(static_cast<int>(mode)))
                button->setChecked(true);
        });
        connect(view_, &PreviewView::gridStepRequested, this, [this](int steps) {
            gridSize_->setCurrentIndex(std::clamp(gridSize_->currentIndex() + steps, 0, gridSize_->count() - 1));
        });
        connect(view_, &PreviewView::pointerText, pointer_, &QLabel::setText);
        connect(frameAll, &QPushButton::clicked, view_, &PreviewView::frameAll);
        connect(fromStart, &QPushButton::clicked, view_, &PreviewView::viewFromStart);
        cannotDraw_->hide();
    } else {
        cannotDraw(reason);
        frameAll->setEnabled(false);
        fromStart->setEnabled(false);
        for (QAbstractButton* button : views_->buttons())
            button->setEnabled(false);
    }
    cannotDraw_->setWordWrap(true);
    cannotDraw_->setAlignment(Qt::AlignCenter);
    cannotDraw_->setAccessibleName(QStringLiteral("Preview message"));
    layout->addWidget(cannotDraw_, view_ ? 0 : 1);
    layout->addLayout(grid);
    layout->addLayout(playback);
    progress_->setAccessibleName(QStringLiteral("Preview progress"));
    progress_->hide();
    layout->addWidget(progress_);
    problems_->setAccessibleName(QStringLiteral("Preview problems"));
    problems_->setMaximumHeight(90);
    problems_->setFocusPolicy(Qt::NoFocus);
    problems_->hide();
    layout->addWidget(problems_);

    connect(gridSize_, &QComboBox::currentIndexChanged, this, &PreviewPane::gridChanged);
    connect(snap_, &QCheckBox::toggled, this, &PreviewPane::gridChanged);
    connect(showGrid_, &QCheckBox::toggled, this, &PreviewPane::gridChanged);
    gridChanged();
    connect(play_, &QPushButton::toggled, this, &PreviewPane::setPlaying);
    connect(motion_, &QCheckBox::toggled, this, &PreviewPane::showFrame);
    connect(frameSlider_, &QSlider::valueChanged, this, [this](int frame) {
        if (frame == frame_)
            return;
        frame_ = frame;
        showFrame();
    });
    player_.setInterval(kFrameMilliseconds);
    player_.setTimerType(Qt::PreciseTimer);
    connect(&player_, &QTimer::timeout, this, [this] {
        ++frame_;
        showFrame();
    });
    changes_.setSingleShot(true);
    changes_.setInterval(0);
    connect(&changes_, &QTimer::timeout, this, &PreviewPane::refresh);
    connect(loader_, &SceneLoader::sceneReady, this, &PreviewPane::showScene);
    connect(loader_, &SceneLoader::progress, this, &PreviewPane::showProgress);
    connect(&document_, &LevelDocument::changed, this, &PreviewPane::contentChanged);
    connect(&document_, &LevelDocument::levelReset, this, &PreviewPane::contentChanged);
    connect(&document_, &LevelDocument::pathChanged, this, &PreviewPane::contentChanged);
    connect(&document_, &LevelDocument::selectionChanged, this, &PreviewPane::contentChanged);
    showFrame();
    contentChanged();
}

PreviewPane::~PreviewPane() = default;

void PreviewPane::contentChanged()
{
    changes_.start();
}

void PreviewPane::setDrafts(const std::optional<LayerEntry>& layer, const std::optional<TargetEntry>& target)
{
    if (layer == draftLayer_ && target == draftTarget_)
        return;
    draftLayer_ = layer;
    draftTarget_ = target;
    contentChanged();
}

void PreviewPane::frameSelection()
{
    if (!view_)
        return;
    const TableSelection& selected = document_.selection();
    view_->setSelection({selected.layer, selected.target});
    view_->frameSelection();
}

void PreviewPane::refresh()
{
    const TableSelection& selected = document_.selection();
    if (view_)
        view_->setSelection({selected.layer, selected.target});
    SceneRequest request = previewRequestFor(document_.project(), document_.folder(), draftLayer_, draftTarget_);
    if (hasShownRequest_ && request == shownRequest_)
        return;
    shownRequest_ = std::move(request);
    hasShownRequest_ = true;
    loader_->request(shownRequest_);
}

void PreviewPane::showScene(std::shared_ptr<const Scene> scene)
{
    scene_ = std::move(scene);
    if (view_)
        view_->setScene(scene_);
    if (!loader_->busy())
        progress_->hide();
    showProblems();
    showFrame();
    emit sceneShown();
}

void PreviewPane::showProgress(int done, int total)
{
    if (!loader_->busy()) {
        progress_->hide();
        return;
    }
    progress_->setText(total > 0 ? QStringLiteral("Reading files: %1 of %2").arg(done).arg(total)
                                 : QStringLiteral("Reading files..."));
    progress_->show();
}

void PreviewPane::setPlaying(bool playing)
{
    if (play_->isChecked() != playing)
        play_->setChecked(playing); // comes back here through toggled
    if (playing == player_.isActive())
        return;
    if (playing)
        player_.start();
    else
        player_.stop();
    play_->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

bool PreviewPane::showsMotion() const
{
    return motion_->isChecked();
}

void PreviewPane::setShowsMotion(bool shown)
{
    motion_->setChecked(shown); // shows the frame through toggled
}

float PreviewPane::gridStep() const
{
    return gridSize_->currentData().toFloat();
}

void PreviewPane::setGridStep(float step)
{
    const int index = gridSize_->findData(static_cast<double>(step));
    if (index >= 0)
        gridSize_->setCurrentIndex(index);
}

bool PreviewPane::snaps() const
{
    return snap_->isChecked();
}

bool PreviewPane::showsGrid() const
{
    return showGrid_->isChecked();
}

void PreviewPane::setShowsGrid(bool shown)
{
    showGrid_->setChecked(shown);
}

void PreviewPane::gridChanged()
{
    if (view_)
        view_->setGrid(gridStep(), snaps(), showsGrid());
    QSettings settings;
    settings.setValue(kGridSizeKey, static_cast<double>(gridStep()));
    settings.setValue(kSnapKey, snaps());
    settings.setValue(kShowGridKey, showsGrid());
}

void PreviewPane::showFrame()
{
    const bool moving = motion_->isChecked();
    const int frames = !scene_ ? 1 : moving ? motionFrameCount(*scene_) : scene_->frameCount();
    // Past the end (played on, or the round became shorter): from the start.
    if (frame_ >= frames)
        frame_ = 0;
    frameCounter_->setText(QStringLiteral("Frame %1 / %2").arg(frame_ + 1).arg(frames));
    {
        const QSignalBlocker quiet(frameSlider_);
        frameSlider_->setRange(0, frames - 1);
        frameSlider_->setValue(frame_);
        frameSlider_->setEnabled(frames > 1);
    }
    if (view_)
        view_->setFrame(frame_, moving);
}

void PreviewPane::showProblems()
{
    problems_->clear();
    if (scene_) {
        // What the forms hold but the level doesn't, drawn see-through.
        for (const SceneLayer& layer : scene_->layers)
            if (layer.draft)
                problems_->addItem(QString::fromStdString(layer.name) + QStringLiteral(" (drawn see-through)"));
        for (const SceneTarget& target : scene_->targets)
            if (target.draft)
                problems_->addItem(QStringLiteral("the target in the form (%1, %2, %3), not added (drawn see-through)")
                                       .arg(target.position.x)
                                       .arg(target.position.y)
                                       .arg(target.position.z));
        for (const auto* lines : {&scene_->problems, &scene_->outOfRange, &scene_->shrunkTextures})
            for (const SceneProblem& problem : *lines)
                problems_->addItem(QString::fromStdString(problem.reason));
        for (const WarningLine& line : warningLines(warningsByFile(*scene_))) {
            auto* item = new QListWidgetItem(line.text, problems_);
            item->setToolTip(line.toolTip);
        }
    }
    problems_->setVisible(problems_->count() > 0);
}

void PreviewPane::cannotDraw(const QString& reason)
{
    cannotDraw_->setText(QStringLiteral("The preview can't draw here: %1.").arg(reason));
    cannotDraw_->show();
    if (view_)
        view_->hide();
}

} // namespace kes::editor
