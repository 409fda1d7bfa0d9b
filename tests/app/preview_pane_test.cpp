// The preview pane drawn for real (OpenGL under Xvfb with Mesa's software
// renderer): pixels read back where the answer is certain, clicks that
// select rows, animation, file watching and the pane in the editor's window.
#include <cmath>
#include <filesystem>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QListWidget>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "app/dialog_description.h"
#include "app/main_dialog.h"
#include "app/preview/preview_pane.h"
#include "app/preview/preview_view.h"
#include "app/preview/scene_loader.h"
#include "fake_platform_services.h"
#include "support/level_fixtures.h"

using namespace kes;
using namespace kes::editor;

namespace {

// A big triangle in the plane z = 0 whose bounds' centre, which the camera
// looks at, lies well inside it.
void writeBigTriangle(const std::string& path)
{
    test::writeObj(path, {{{{{-10, -10, 0, 0.1f, 0.1f}, {10, -10, 0, 0.9f, 0.1f}, {0, 10, 0, 0.5f, 0.9f}}}}});
}

LayerEntry planeLayer(const std::string& folder, bool draw)
{
    LayerEntry entry;
    entry.objPath = folder + "/plane.obj";
    entry.bmpPath = folder + "/red.bmp";
    entry.draw = draw ? 1 : 0;
    entry.collision = 1;
    return entry;
}

bool near(QRgb pixel, int r, int g, int b, int tolerance = 3)
{
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance
        && std::abs(qBlue(pixel) - b) <= tolerance;
}

QLabel* labelNamed(const QWidget& parent, const QString& accessibleName)
{
    for (QLabel* label : parent.findChildren<QLabel*>())
        if (label->accessibleName() == accessibleName)
            return label;
    return nullptr;
}

QString describe(QRgb pixel)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

// What a test shows: a level, its selection, and how many of the request's
// layers and targets are the level's rows; one more is the form's entry, not
// added (-1: all are rows).
struct PreviewContent {
    SceneRequest request;
    PreviewSelection selection;
    int layerRows = -1;
    int targetRows = -1;
};

// Makes `document` hold the content's level and selection; returns the
// forms' entries.
std::pair<std::optional<LayerEntry>, std::optional<TargetEntry>> showIn(LevelDocument& document,
                                                                        const PreviewContent& content)
{
    LevelProject project;
    project.settings = content.request.settings;
    std::pair<std::optional<LayerEntry>, std::optional<TargetEntry>> drafts;
    const auto& layers = content.request.layers;
    const auto& targets = content.request.targets;
    for (std::size_t i = 0; i < layers.size(); ++i)
        if (content.layerRows < 0 || static_cast<int>(i) < content.layerRows)
            project.layers.append(layers[i]);
        else
            drafts.first = layers[i];
    for (std::size_t i = 0; i < targets.size(); ++i)
        if (content.targetRows < 0 || static_cast<int>(i) < content.targetRows)
            project.targets.append(targets[i]);
        else
            drafts.second = targets[i];
    const std::string& folder = content.request.baseFolder;
    document.reset(project, folder.empty() ? std::string() : folder + "/level.kgp");
    document.select(LevelTable::Layers, content.selection.layer);
    document.select(LevelTable::Targets, content.selection.target);
    return drafts;
}

// Whether `pixel` has the colour `c` (red, green, blue from 0 to 1).
bool hasColour(QRgb pixel, const float* c, int tolerance)
{
    return near(pixel, qRound(c[0] * 255), qRound(c[1] * 255), qRound(c[2] * 255), tolerance);
}

} // namespace

class PreviewPaneTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void backgroundFillsAnEmptyLevel();
    void aRedPlaneShowsAtTheCentreUntilItIsRemoved();
    void aCollisionOnlyLayerIsAWireframe();
    void anEntryNotAddedIsSeenThroughAndNeverPicked();
    void targetMarkersShowWhereTheirCoordinatesProject();
    void clickingAnObjectReportsItsRow();
    void theViewFromStartIsNotHiddenByTheStartMarker();
    void theSelectionHasAColourOfItsOwn();
    void keyFFramesTheSelectionOrTheWholeLevel();
    void unreadableLayersAreListedWithTheirReason();
    void readerWarningsNameTheirLayersAndFiles();
    void valuesOutOfRangeAreListed();
    void aTextureAboveTheLimitIsShownSmallerAndListed();
    void largeTexturesAreMadeAStepAFrame();
    void aFileThatBecomesUnreadableIsListedWithItsReason();
    void animationPlaysAt25FramesPerSecondAndPauses();
    void motionPlaybackMovesLayersWhenAskedFor();
    void aFileChangedOnDiskIsShownAgain();
    void unchangedMeshesAreNotUploadedAgain();
    void overlayChangesDrawNoMeshAndLookAsIfDrawnAfresh();
    void theCameraAndTheFrameDrawTheMeshesAgain();
    void theEditorShowsThePaneBesideTheFormAndFollowsIt();
    void theEditorRepaintsTheViewOnlyForWhatItDrawsAndOnce();
    void withoutOpenGLThePaneSaysWhyAndListsProblems();

private:
    // A pane of 400 x 300 pixels showing `content`, once its files are read.
    void showPane(const PreviewContent& content);
    // showPane, then its layout settled and drawn once.
    void showSettledPane(const PreviewContent& content);
    QStringList listed() const;
    QImage draw();

    std::unique_ptr<test::TempDir> dir_;
    std::string folder_;
    PreviewContent content_;
    LevelDocument document_;
    std::unique_ptr<PreviewPane> pane_;
};

void PreviewPaneTest::init()
{
    dir_ = std::make_unique<test::TempDir>();
    folder_ = dir_->path().string();
    writeBigTriangle(dir_->file("plane.obj"));
    test::writeBmp(dir_->file("red.bmp"), 2, 2, test::Bytes(12, 0));
    test::Bytes red;
    for (int i = 0; i < 4; ++i)
        red.insert(red.end(), {255, 0, 0});
    test::writeBmp(dir_->file("red.bmp"), 2, 2, red);
    content_ = {};
    content_.request.settings.backgroundColor = "0.2,0.4,0.6";
    content_.request.settings.startPosition = ""; // no start marker in the middle
}

void PreviewPaneTest::cleanup()
{
    pane_.reset();
    dir_.reset();
}

void PreviewPaneTest::showPane(const PreviewContent& content)
{
    content_ = content;
    const auto [draftLayer, draftTarget] = showIn(document_, content);
    if (!pane_) {
        pane_ = std::make_unique<PreviewPane>(document_);
        pane_->resize(400, 340);
        pane_->show();
        QVERIFY(QTest::qWaitForWindowExposed(pane_.get()));
        QVERIFY2(pane_->view(), "no OpenGL: run this test under xvfb-run");
        // The level's own drawing, without the grid across it.
        pane_->setShowsGrid(false);
    }
    pane_->setDrafts(draftLayer, draftTarget);
    QTRY_VERIFY(pane_->scene() && pane_->scene()->loadingLayers() == 0
                && pane_->scene()->layers.size() == content.request.layers.size()
                && pane_->scene()->targets.size() == content.request.targets.size());
}

void PreviewPaneTest::showSettledPane(const PreviewContent& content)
{
    showPane(content);
    QTest::qWait(20);
    draw();
}

QStringList PreviewPaneTest::listed() const
{
    QStringList lines;
    if (auto* problems = pane_->findChild<QListWidget*>())
        for (int i = 0; i < problems->count(); ++i)
            lines.append(problems->item(i)->text());
    return lines;
}

QImage PreviewPaneTest::draw()
{
    QImage image = pane_->view()->grabFramebuffer();
    if (qEnvironmentVariableIsSet("PREVIEW_TEST_SAVE"))
        image.save(QString("/tmp/preview-%1.png").arg(QTest::currentTestFunction()));
    return image.convertToFormat(QImage::Format_RGB32);
}

void PreviewPaneTest::backgroundFillsAnEmptyLevel()
{
    showPane(content_);
    const QImage image = draw();
    QVERIFY(!image.isNull());
    for (QPoint p : {QPoint(1, 1), QPoint(image.width() / 2, image.height() / 2),
                     QPoint(image.width() - 2, image.height() - 2)})
        QVERIFY2(near(image.pixel(p), 51, 102, 153), qPrintable(describe(image.pixel(p))));
}

void PreviewPaneTest::aRedPlaneShowsAtTheCentreUntilItIsRemoved()
{
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, true)};
    showPane(content);
    QImage image = draw();
    QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    QVERIFY2(qRed(centre) > 100 && qGreen(centre) < 20 && qBlue(centre) < 20, qPrintable(describe(centre)));

    content.request.layers.clear();
    showPane(content);
    image = draw();
    centre = image.pixel(image.width() / 2, image.height() / 2);
    QVERIFY2(near(centre, 51, 102, 153), qPrintable(describe(centre)));
}

void PreviewPaneTest::aCollisionOnlyLayerIsAWireframe()
{
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, false)};
    showPane(content);
    const QImage image = draw();
    QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    QVERIFY2(near(centre, 51, 102, 153), qPrintable(describe(centre)));
    // Drawn, as edges only.
    int background = 0, other = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            (near(image.pixel(x, y), 51, 102, 153) ? background : other)++;
    QVERIFY2(other > 100, qPrintable(QString::number(other)));
    QVERIFY2(background > 20 * other, qPrintable(QString::number(other)));
}

void PreviewPaneTest::anEntryNotAddedIsSeenThroughAndNeverPicked()
{
    // The red plane typed into the form but not added, and a goal typed
    // into the target form in front of it.
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, true)};
    content.request.targets = {{0, 0, -5, 0}};
    content.layerRows = 0;
    content.targetRows = 0;
    showPane(content);
    QVERIFY(pane_->scene()->layers[0].draft && pane_->scene()->targets[0].draft);
    PreviewView* view = pane_->view();
    const QImage image = draw();
    // Not the texture's red and not the background: the background seen
    // through the pale draft colour.
    const QPointF at = view->camera().project({-4, -6, 0}, view->size());
    const QRgb plane = image.pixel((at * image.width() / view->size().width()).toPoint());
    QVERIFY2(!near(plane, 51, 102, 153, 6) && qRed(plane) < 150 && qBlue(plane) > qRed(plane), qPrintable(describe(plane)));
    // Clicks go through both to nothing.
    QSignalSpy layers(pane_.get(), &PreviewPane::layerClicked);
    QSignalSpy targets(pane_.get(), &PreviewPane::targetClicked);
    QTest::mouseClick(view, Qt::LeftButton, {}, at.toPoint());
    QTest::mouseClick(view, Qt::LeftButton, {}, view->camera().project({0, 0, -5}, view->size()).toPoint());
    QCOMPARE(layers.count() + targets.count(), 0);
    // Once added, the plane is drawn as the level has it.
    content.layerRows = 1;
    showPane(content);
    QTRY_VERIFY(!pane_->scene()->layers[0].draft);
    const QImage added = draw();
    const QRgb red = added.pixel((at * added.width() / view->size().width()).toPoint());
    QVERIFY2(qRed(red) > 100 && qGreen(red) < 40, qPrintable(describe(red)));
}

void PreviewPaneTest::targetMarkersShowWhereTheirCoordinatesProject()
{
    PreviewContent content = content_;
    content.request.targets = {{3, 1, 2, 0}, {-3, 0, -2, 1}};
    showPane(content);
    const QImage image = draw();
    const QSize size = pane_->view()->size();
    struct Expected {
        QVector3D position;
        int r, g, b;
    };
    for (const Expected& e : {Expected{{3, 1, 2}, 26, 217, 51}, Expected{{-3, 0, -2}, 230, 26, 26}}) {
        const QPointF at = pane_->view()->camera().project(e.position, size);
        const QPoint pixel((at * image.width() / size.width()).toPoint());
        QVERIFY(image.rect().contains(pixel));
        QVERIFY2(near(image.pixel(pixel), e.r, e.g, e.b, 6), qPrintable(describe(image.pixel(pixel))));
    }
}

void PreviewPaneTest::clickingAnObjectReportsItsRow()
{
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, true)};
    // The camera looks from the -z side: the brake is in front of the plane.
    content.request.targets = {{0, 0, 5, 0}, {3, 1, -2, 1}};
    content.layerRows = 1;
    content.targetRows = 2;
    showPane(content);
    QSignalSpy layers(pane_.get(), &PreviewPane::layerClicked);
    QSignalSpy targets(pane_.get(), &PreviewPane::targetClicked);
    PreviewView* view = pane_->view();
    const QPoint target = view->camera().project({3, 1, -2}, view->size()).toPoint();
    QTest::mouseClick(view, Qt::LeftButton, {}, target);
    QCOMPARE(targets.count(), 1);
    QCOMPARE(targets.at(0).at(0).toInt(), 1);
    // The plane's middle, beside the markers.
    const QPoint plane = view->camera().project({-4, -6, 0}, view->size()).toPoint();
    QTest::mouseClick(view, Qt::LeftButton, {}, plane);
    QCOMPARE(layers.count(), 1);
    QCOMPARE(layers.at(0).at(0).toInt(), 0);
    // A drag from beside the markers turns the camera and selects nothing.
    const QPoint aside(5, 5);
    QTest::mousePress(view, Qt::LeftButton, {}, aside);
    QTest::mouseMove(view, aside + QPoint(40, 10));
    QTest::mouseRelease(view, Qt::LeftButton, {}, aside + QPoint(40, 10));
    QCOMPARE(targets.count(), 1);
    QVERIFY(view->camera().project({3, 1, -2}, view->size()).toPoint() != target);
    // An entry being typed in a form is shown but is no row.
    content.targetRows = 1;
    showPane(content);
    QTest::keyClick(view, Qt::Key_F);
    QTest::mouseClick(view, Qt::LeftButton, {}, view->camera().project({3, 1, -2}, view->size()).toPoint());
    QCOMPARE(targets.count(), 1);
}

void PreviewPaneTest::theViewFromStartIsNotHiddenByTheStartMarker()
{
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, true)};
    // Facing the plane (+z) from in front of it.
    content.request.settings.startPosition = "0,0,-8,0,0,0";
    showPane(content);
    QTRY_VERIFY(pane_->scene()->hasStart);
    PreviewView* view = pane_->view();
    auto isMarker = [](QRgb pixel) { return near(pixel, 51, 128, 255, 6); };
    auto isPlane = [](QRgb pixel) { return qRed(pixel) > 100 && qGreen(pixel) < 20 && qBlue(pixel) < 20; };
    auto centre = [](const QImage& image) { return image.pixel(image.width() / 2, image.height() / 2); };
    // From outside, the marker shows.
    auto markerPixel = [&](const QImage& image) {
        const QPointF at = view->camera().project({0, 0, -7.9f}, view->size());
        return image.pixel((at * image.width() / view->size().width()).toPoint());
    };
    QImage image = draw();
    QVERIFY2(isMarker(markerPixel(image)), qPrintable(describe(markerPixel(image))));

    QPushButton* fromStart = nullptr;
    for (QPushButton* button : pane_->findChildren<QPushButton*>())
        if (button->text() == "View from start")
            fromStart = button;
    QVERIFY(fromStart);
    fromStart->click();
    image = draw();
    QVERIFY2(!isMarker(centre(image)) && isPlane(centre(image)), qPrintable(describe(centre(image))));
    // Zoomed out a little the eye is still at the start.
    view->camera().zoom(-3);
    image = draw();
    QVERIFY2(!isMarker(centre(image)) && isPlane(centre(image)), qPrintable(describe(centre(image))));
    // Framed away, the marker is back.
    view->frameAll();
    image = draw();
    QVERIFY2(isMarker(markerPixel(image)), qPrintable(describe(markerPixel(image))));
}

void PreviewPaneTest::theSelectionHasAColourOfItsOwn()
{
    // Far from every other colour of the view, the trigger boxes' orange
    // among them.
    const float* selection = overlay_colour::kSelection;
    for (const float* other : overlay_colour::kOthers) {
        const float dr = selection[0] - other[0], dg = selection[1] - other[1], db = selection[2] - other[2];
        QVERIFY2(std::sqrt(dr * dr + dg * dg + db * db) >= 0.45f,
                 qPrintable(QStringLiteral("%1, %2, %3").arg(other[0]).arg(other[1]).arg(other[2])));
    }
    // and it is what outlines a selected target.
    PreviewContent content = content_;
    content.request.targets = {{0, 0, 0, 0}};
    content.targetRows = 1;
    content.selection.target = 0;
    showPane(content);
    const QImage image = draw();
    int outlined = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            outlined += hasColour(image.pixel(x, y), selection, 12) ? 1 : 0;
    QVERIFY2(outlined > 20, qPrintable(QString::number(outlined)));
}

void PreviewPaneTest::keyFFramesTheSelectionOrTheWholeLevel()
{
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, true)};
    content.request.targets = {{0, 0, -5, 0}, {30, 20, -40, 1}};
    content.layerRows = 1;
    content.targetRows = 2;
    content.selection.target = 1;
    showPane(content);
    PreviewView* view = pane_->view();
    const QSize size = view->size();
    auto centre = [](const QImage& image) { return image.pixel(image.width() / 2, image.height() / 2); };
    auto inView = [&](const QVector3D& point) { return QRectF(QPointF(0, 0), size).contains(view->camera().project(point, size)); };

    // The selected brake fills the middle of the view.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F);
    QImage image = draw();
    QVERIFY2(hasColour(centre(image), overlay_colour::kBrake, 6), qPrintable(describe(centre(image))));
    const QPointF brake = view->camera().project({30, 20, -40}, size);
    const QPointF brakeEdge = view->camera().project({30 + markerSize(pane_->scene()->bounds), 20, -40}, size);
    QVERIFY2(QLineF(brake, brakeEdge).length() > 10, qPrintable(QString::number(QLineF(brake, brakeEdge).length())));
    QVERIFY(!inView({0, 0, -5}));

    // The selected layer: all of it in view, the far brake not.
    content.selection = {0, -1};
    showPane(content);
    QCoreApplication::processEvents(); // the view follows the lists
    QTest::keyClick(view, Qt::Key_F);
    for (const QVector3D corner : {QVector3D(-10, -10, 0), QVector3D(10, -10, 0), QVector3D(0, 10, 0)})
        QVERIFY(inView(corner));
    QVERIFY(!inView({30, 20, -40}));

    // Nothing selected: the whole level.
    content.selection = {};
    showPane(content);
    QCoreApplication::processEvents();
    QTest::keyClick(view, Qt::Key_F);
    QVERIFY(inView({30, 20, -40}) && inView({0, 0, -5}) && inView({-10, -10, 0}));

    // The pane frames the selection the document holds at the moment (a
    // double-click on a row), without waiting for the view to follow it.
    document_.select(LevelTable::Targets, 0);
    pane_->frameSelection();
    image = draw();
    QVERIFY2(hasColour(centre(image), overlay_colour::kGoal, 6), qPrintable(describe(centre(image))));
}

void PreviewPaneTest::unreadableLayersAreListedWithTheirReason()
{
    PreviewContent content = content_;
    LayerEntry missing = planeLayer(folder_, true);
    missing.objPath = "gone.obj";
    content.request.layers = {missing, planeLayer(folder_, true)};
    content.request.baseFolder = folder_;
    showPane(content);
    auto* problems = pane_->findChild<QListWidget*>();
    QVERIFY(problems);
    QCOMPARE(problems->accessibleName(), QString("Preview problems"));
    QVERIFY(problems->isVisible());
    QCOMPARE(problems->count(), 1);
    QVERIFY2(problems->item(0)->text().startsWith("layer 1 ('gone.obj'): cannot read mesh file"),
             qPrintable(problems->item(0)->text()));
    // The readable layer is drawn all the same.
    const QImage image = draw();
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    QVERIFY2(qRed(centre) > 100 && qGreen(centre) < 20, qPrintable(describe(centre)));
}

void PreviewPaneTest::valuesOutOfRangeAreListed()
{
    PreviewContent content = content_;
    test::writeFile(dir_->file("far.obj"), "v 0 0 0\nv 1 0 0\nv 5000000 1 0\nf 1 2 3\n");
    LayerEntry far = planeLayer(folder_, true);
    far.objPath = "far.obj";
    content.request.layers = {planeLayer(folder_, true), far};
    content.request.targets = {{2000000, 0, 0, 0}};
    content.request.baseFolder = folder_;
    showPane(content);
    QCOMPARE(listed(), QStringList({"layer 2 ('far.obj'): 1 mesh corner out of range, not framed",
                                    "target 1: out of range, not framed"}));
    // Framed without them: the plane fills the middle.
    const QImage image = draw();
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    QVERIFY2(qRed(centre) > 100 && qGreen(centre) < 20, qPrintable(describe(centre)));
}

void PreviewPaneTest::aTextureAboveTheLimitIsShownSmallerAndListed()
{
    // 16384 x 2 red pixels: eight times the largest side the pane uploads.
    const int width = 16384;
    test::Bytes red;
    for (int i = 0; i < width * 2; ++i)
        red.insert(red.end(), {255, 0, 0});
    test::writeBmp(dir_->file("big.bmp"), width, 2, red);
    PreviewContent content = content_;
    LayerEntry layer = planeLayer(folder_, true);
    layer.objPath = "plane.obj";
    layer.bmpPath = "big.bmp";
    content.request.layers = {layer};
    content.request.baseFolder = folder_;
    showPane(content);
    QCOMPARE(listed(), QStringList({"layer 1 ('plane.obj'): texture 'big.bmp' is 16384 x 2; "
                                    "the preview shows it at 2048 x 1"}));
    const auto& texture = pane_->scene()->layers[0].texture;
    QVERIFY(texture);
    QCOMPARE(texture->pixels.size(), std::size_t(2048 * 3));
    // Drawn textured (red, not the grey of an untextured layer), from the
    // shrunk pixels only.
    const QImage image = draw();
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    QVERIFY2(qRed(centre) > 100 && qGreen(centre) < 20 && qBlue(centre) < 20, qPrintable(describe(centre)));
    QVERIFY2(pane_->view()->renderer().uploadedBytes() < std::size_t(width) * 3,
             qPrintable(QString::number(pane_->view()->renderer().uploadedBytes())));
}

void PreviewPaneTest::largeTexturesAreMadeAStepAFrame()
{
    // Two textures just above two million texels: each takes a frame for its
    // room, one for its pixels and one for its smaller sizes, one step a
    // frame, and the view draws again by itself until they are done.
    const int width = 2048, height = 1025;
    test::Bytes red;
    red.reserve(std::size_t(width) * height * 3);
    for (int i = 0; i < width * height; ++i)
        red.insert(red.end(), {255, 0, 0});
    test::writeBmp(dir_->file("a.bmp"), width, height, red);
    test::writeBmp(dir_->file("b.bmp"), width, height, red);
    PreviewContent content = content_;
    LayerEntry a = planeLayer(folder_, true), b = planeLayer(folder_, true);
    a.bmpPath = folder_ + "/a.bmp";
    b.bmpPath = folder_ + "/b.bmp";
    content.request.layers = {a, b};
    showPane(content);
    const PreviewRenderer& renderer = pane_->view()->renderer();
    const int framesBefore = renderer.frames();
    QTRY_VERIFY(!renderer.texturesPending() && renderer.frames() > framesBefore);
    QVERIFY2(renderer.frames() - framesBefore >= 5, qPrintable(QString::number(renderer.frames() - framesBefore)));
    const QImage image = draw();
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    QVERIFY2(qRed(centre) > 100 && qGreen(centre) < 20 && qBlue(centre) < 20, qPrintable(describe(centre)));
}

void PreviewPaneTest::aFileThatBecomesUnreadableIsListedWithItsReason()
{
    PreviewContent content = content_;
    LayerEntry layer = planeLayer(folder_, true);
    layer.objPath = "plane.obj";
    layer.bmpPath = "red.bmp";
    content.request.layers = {layer};
    content.request.baseFolder = folder_;
    showPane(content);
    QVERIFY(listed().isEmpty());
    const std::string mesh = dir_->file("plane.obj");
    const std::string texture = dir_->file("red.bmp");
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::function<void()> mend;
        QString line;
    };
    const Case cases[] = {
        {"mesh removed", [&] { std::filesystem::remove(mesh); }, [&] { writeBigTriangle(mesh); },
         "layer 1 ('plane.obj'): cannot read mesh file"},
        {"mesh replaced by a folder",
         [&] { std::filesystem::remove(mesh); std::filesystem::create_directory(mesh); },
         [&] { std::filesystem::remove(mesh); writeBigTriangle(mesh); },
         "layer 1 ('plane.obj'): cannot read mesh file"},
        {"texture replaced by garbage", [&] { test::writeFile(texture, "BM not a bitmap"); },
         [&] { test::writeBmp(texture, 2, 2, test::Bytes(12, 0)); },
         "layer 1 ('plane.obj'): cannot read texture file"},
        // Spoilt with its size and time kept, as when its permissions are
        // taken away: what the watcher reports is read again all the same.
        {"texture spoilt, size and time kept",
         [&] {
             const auto size = std::filesystem::file_size(texture);
             const auto time = std::filesystem::last_write_time(texture);
             test::writeFile(texture, std::string(size, 'x'));
             std::filesystem::last_write_time(texture, time);
         },
         [&] { test::writeBmp(texture, 2, 2, test::Bytes(12, 0)); },
         "layer 1 ('plane.obj'): cannot read texture file"},
    };
    for (const Case& c : cases) {
        c.spoil();
        QTRY_VERIFY2_WITH_TIMEOUT(listed().size() == 1 && listed()[0].startsWith(c.line),
                                  qPrintable(QString(c.what) + ": " + listed().join(" | ")), 5000);
        // Not drawn from the copy read before: what generation would meet.
        const SceneLayer& shown = pane_->scene()->layers[0];
        if (c.line.contains("mesh"))
            QVERIFY2(shown.frames.empty(), c.what);
        else
            QVERIFY2(!shown.texture, c.what);
        c.mend();
        QTRY_VERIFY2_WITH_TIMEOUT(listed().isEmpty() && !pane_->scene()->layers[0].frames.empty()
                                      && pane_->scene()->layers[0].texture,
                                  qPrintable(QString(c.what) + " mended: " + listed().join(" | ")), 5000);
    }
}

void PreviewPaneTest::readerWarningsNameTheirLayersAndFiles()
{
    // Mesh file i has i faces of 4 corners: i warnings, the first on line 5.
    for (int i = 1; i <= 5; ++i) {
        std::string text = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
        for (int f = 0; f < i; ++f)
            text += "f 1 2 3 4\n";
        test::writeFile(dir_->file("q" + std::to_string(i) + ".obj"), text);
    }
    struct Case {
        int files;
        QStringList lines;
    };
    const Case cases[] = {
        {1, {"layer 2, q1.obj: 1 reader warning"}},
        {4, {"layer 2, q1.obj: 1 reader warning", "layer 3, q2.obj: 2 reader warnings", "layer 4, q3.obj: 3 reader warnings",
             "layer 5, q4.obj: 4 reader warnings"}},
        {5, {"layer 2, q1.obj: 1 reader warning", "layer 3, q2.obj: 2 reader warnings", "layer 4, q3.obj: 3 reader warnings",
             "and 2 more files with reader warnings"}},
    };
    for (const Case& c : cases) {
        PreviewContent content = content_;
        content.request.layers = {planeLayer(folder_, true)}; // no warnings
        for (int i = 1; i <= c.files; ++i) {
            LayerEntry layer = planeLayer(folder_, false);
            layer.objPath = folder_ + "/q" + std::to_string(i) + ".obj";
            content.request.layers.push_back(layer);
        }
        showPane(content);
        auto* problems = pane_->findChild<QListWidget*>();
        QVERIFY(problems && problems->isVisible());
        QStringList lines;
        for (int row = 0; row < problems->count(); ++row)
            lines << problems->item(row)->text();
        QCOMPARE(lines, c.lines);
        // The first line's tooltip: the whole path and the first warning.
        const QStringList tip = problems->item(0)->toolTip().split('\n');
        QCOMPARE(tip.value(0), QString::fromStdString(folder_ + "/q1.obj"));
        QVERIFY2(tip.value(1).contains("q1.obj:5: "), qPrintable(tip.value(1)));
        if (c.files == 5) {
            const QString others = problems->item(3)->toolTip();
            QVERIFY2(others.contains("layer 5, q4.obj: 4 reader warnings") && others.contains("layer 6, q5.obj"),
                     qPrintable(others));
            QCOMPARE(problems->item(2)->toolTip().split('\n').value(2), QString("and 2 more"));
        }
    }
}

void PreviewPaneTest::animationPlaysAt25FramesPerSecondAndPauses()
{
    for (int f = 1; f <= 3; ++f)
        writeBigTriangle(dir_->file("wave_00000" + std::to_string(f) + ".obj"));
    PreviewContent content = content_;
    LayerEntry wave = planeLayer(folder_, true);
    wave.objPath = folder_ + "/wave.obj";
    wave.kind = static_cast<int>(LayerKind::Animated);
    wave.frames = 3;
    content.request.layers = {wave};
    showPane(content);
    QLabel* counter = labelNamed(*pane_, "Animation frame");
    QVERIFY(counter);
    QCOMPARE(counter->text(), QString("Frame 1 / 3"));
    QElapsedTimer clock;
    clock.start();
    pane_->setPlaying(true);
    QTRY_COMPARE(pane_->frame(), 2);
    // Two frames of 40 ms.
    QVERIFY2(clock.elapsed() >= 75, qPrintable(QString::number(clock.elapsed())));
    pane_->setPlaying(false);
    const int stopped = pane_->frame();
    QTest::qWait(120);
    QCOMPARE(pane_->frame(), stopped);
    QCOMPARE(counter->text(), QString("Frame %1 / 3").arg(stopped + 1));
    // The slider follows the frames played.
    auto* slider = pane_->findChild<QSlider*>();
    QVERIFY(slider);
    QCOMPARE(slider->accessibleName(), QString("Go to frame"));
    QCOMPARE(slider->maximum(), 2);
    QCOMPARE(slider->value(), stopped);
    // Once clicked, it takes the arrow keys: they step one frame.
    pane_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(pane_.get()));
    QTest::mouseClick(slider, Qt::LeftButton, {}, slider->rect().center());
    QCOMPARE(QApplication::focusWidget(), slider);
    slider->setValue(0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(pane_->frame(), 1);
    QCOMPARE(counter->text(), QString("Frame 2 / 3"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(pane_->frame(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QCOMPARE(pane_->frame(), 1);
}

void PreviewPaneTest::motionPlaybackMovesLayersWhenAskedFor()
{
    PreviewContent content = content_;
    LayerEntry moving = planeLayer(folder_, true);
    moving.kind = static_cast<int>(LayerKind::Moving);
    moving.speed = {30, 0, 0};
    moving.frames = 1; // at its place, then 30 to the right, then back
    content.request.layers = {moving};
    content.layerRows = 1;
    content.selection.layer = 0;
    showPane(content);
    QLabel* counter = labelNamed(*pane_, "Animation frame");
    QVERIFY(counter);
    QCOMPARE(counter->text(), QString("Frame 1 / 1"));
    auto* motion = pane_->findChild<QCheckBox*>();
    QVERIFY(motion);
    QCOMPARE(motion->accessibleName(), QString("Play motion"));
    QVERIFY(motion->text().contains("approximate"));
    QVERIFY(!pane_->showsMotion());

    PreviewView* view = pane_->view();
    // Inside the triangle at rest, and the same point moved along.
    const QVector3D atRest(0, -5, 0), moved(30, -5, 0);
    auto pixelAt = [&](const QImage& image, const QVector3D& point) {
        const QPointF at = view->camera().project(point, view->size());
        return image.pixel((at * image.width() / view->size().width()).toPoint());
    };
    // The red texture, tinted as the selected layer.
    auto isRed = [](QRgb pixel) {
        return qRed(pixel) > 150 && qGreen(pixel) < qRed(pixel) / 2 && qBlue(pixel) < qRed(pixel) / 2;
    };
    auto isBackground = [](QRgb pixel) { return near(pixel, 51, 102, 153); };
    // Whether the outline of the selected layer passes within a pixel of
    // `point`.
    auto outlinedAt = [&](const QImage& image, const QVector3D& point) {
        const QPointF at = view->camera().project(point, view->size());
        const QPoint centre = (at * image.width() / view->size().width()).toPoint();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (hasColour(image.pixel(centre + QPoint(dx, dy)), overlay_colour::kSelection, 12))
                    return true;
        return false;
    };
    // On the left side of the layer's outline, beside the triangle.
    const QVector3D outlineAtRest(-10, 5, 0), outlineMoved(20, 5, 0);

    pane_->setShowsMotion(true);
    QCOMPARE(counter->text(), QString("Frame 1 / 2"));
    QImage image = draw();
    QVERIFY2(isRed(pixelAt(image, atRest)), qPrintable(describe(pixelAt(image, atRest))));
    QVERIFY2(isBackground(pixelAt(image, moved)), qPrintable(describe(pixelAt(image, moved))));

    // The slider goes to a frame without playing.
    auto* slider = pane_->findChild<QSlider*>();
    QVERIFY(slider);
    QCOMPARE(slider->maximum(), 1);
    slider->setValue(1);
    QCOMPARE(pane_->frame(), 1);
    QCOMPARE(counter->text(), QString("Frame 2 / 2"));
    image = draw();
    QVERIFY2(isBackground(pixelAt(image, atRest)), qPrintable(describe(pixelAt(image, atRest))));
    QVERIFY2(isRed(pixelAt(image, moved)), qPrintable(describe(pixelAt(image, moved))));
    // The selection's outline goes along.
    QVERIFY(outlinedAt(image, outlineMoved));
    QVERIFY(!outlinedAt(image, outlineAtRest));
    // A click finds the layer where it is shown.
    QSignalSpy layers(pane_.get(), &PreviewPane::layerClicked);
    QTest::mouseClick(view, Qt::LeftButton, {}, view->camera().project(atRest, view->size()).toPoint());
    QCOMPARE(layers.count(), 0);
    QTest::mouseClick(view, Qt::LeftButton, {}, view->camera().project(moved, view->size()).toPoint());
    QCOMPARE(layers.count(), 1);

    // Without motion the layer is back at its place, and the frames are the
    // animations' again.
    motion->click();
    QVERIFY(!pane_->showsMotion());
    QCOMPARE(counter->text(), QString("Frame 1 / 1"));
    image = draw();
    QVERIFY2(isRed(pixelAt(image, atRest)), qPrintable(describe(pixelAt(image, atRest))));
    QVERIFY(outlinedAt(image, outlineAtRest));
}

void PreviewPaneTest::aFileChangedOnDiskIsShownAgain()
{
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, true)};
    showPane(content);
    const auto before = pane_->scene()->layers[0].frames[0];
    // Re-exported: two triangles now.
    test::writeObj(dir_->file("plane.obj"), test::fixtureTriangles(2));
    QTRY_VERIFY_WITH_TIMEOUT(pane_->scene()->layers[0].frames.size() == 1
                                 && pane_->scene()->layers[0].frames[0]->triangleCount() == 2, 5000);
    QVERIFY(pane_->scene()->layers[0].frames[0] != before);
}

void PreviewPaneTest::unchangedMeshesAreNotUploadedAgain()
{
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, true)};
    showPane(content);
    draw();
    QVERIFY(pane_->view()->renderer().uploadedBytes() >= 3 * 5 * sizeof(float) + 12);
    // A change of the settings only: the markers are uploaded, the mesh and
    // texture are not.
    content.request.settings.startPosition = "1,2,3,0,0,0";
    showPane(content);
    QTRY_VERIFY(pane_->scene()->hasStart);
    draw();
    const std::size_t markers = pane_->view()->renderer().uploadedBytes();
    QVERIFY2(markers < 3 * 5 * sizeof(float) + 12 + 200 * sizeof(OverlayVertex), qPrintable(QString::number(markers)));
}

void PreviewPaneTest::overlayChangesDrawNoMeshAndLookAsIfDrawnAfresh()
{
    // A textured layer and a collision-only one behind it, a goal in front
    // of the plane and a brake behind it.
    LayerEntry wire = planeLayer(folder_, false);
    test::writeObj(dir_->file("back.obj"), {{{{{-12, -8, 4, 0, 0}, {12, -8, 4, 1, 0}, {0, 12, 4, 0.5f, 1}}}}});
    wire.objPath = dir_->file("back.obj");
    PreviewContent content = content_;
    content.request.layers = {planeLayer(folder_, true), wire};
    content.request.targets = {{3, 1, -2, 0}, {-3, 0, 2, 1}};
    showSettledPane(content);
    PreviewView* view = pane_->view();
    const PreviewRenderer& renderer = view->renderer();
    const int passes = renderer.meshPasses();

    struct Case {
        const char* what;
        std::function<void(PreviewContent&)> change;
    };
    const Case cases[] = {
        {"a target moved", [](PreviewContent& c) { c.request.targets[0] = {-4, -2, -3, 0}; }},
        {"the background", [](PreviewContent& c) { c.request.settings.backgroundColor = "0.9,0.8,0.1"; }},
        {"the textured layer selected", [](PreviewContent& c) { c.selection = {0, -1}; }},
        {"the wireframe layer selected", [](PreviewContent& c) { c.selection = {1, -1}; }},
        {"a target selected", [](PreviewContent& c) { c.selection = {-1, 1}; }},
        {"the start placed", [](PreviewContent& c) { c.request.settings.startPosition = "0,0,-6,0,0,0"; }},
        {"a target added", [](PreviewContent& c) { c.request.targets.push_back({0, 5, -1, 0}); }},
    };
    for (const Case& c : cases) {
        c.change(content);
        const int frames = renderer.frames();
        showPane(content);
        QTest::qWait(20); // the pane follows the document in the next turn
        const QImage image = draw();
        QVERIFY2(renderer.frames() > frames, c.what);
        QVERIFY2(renderer.meshPasses() == passes, c.what);

        // The same picture as a view that draws all of it for the first time.
        PreviewPane fresh(document_);
        fresh.resize(pane_->size());
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        QTRY_VERIFY(fresh.scene() && fresh.scene()->loadingLayers() == 0);
        QTest::qWait(20);
        fresh.view()->camera() = view->camera();
        const QImage afresh = fresh.view()->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(image.size() == afresh.size() && image == afresh, c.what);
    }

    // The selected layer is tinted over the image: the red plane turns pale.
    content.selection = {0, -1};
    showPane(content);
    QTest::qWait(20);
    const QPointF at = view->camera().project({-4, -6, 0}, view->size());
    QImage image = draw();
    const QRgb tinted = image.pixel((at * image.width() / view->size().width()).toPoint());
    content.selection = {};
    showPane(content);
    QTest::qWait(20);
    image = draw();
    const QRgb plain = image.pixel((at * image.width() / view->size().width()).toPoint());
    QVERIFY2(qGreen(plain) < 20 && qGreen(tinted) > 60 && qRed(tinted) > qGreen(tinted), qPrintable(describe(tinted)));
    QCOMPARE(renderer.meshPasses(), passes);
}

void PreviewPaneTest::theCameraAndTheFrameDrawTheMeshesAgain()
{
    // An animation of two frames: the plane, then the plane moved aside.
    writeBigTriangle(dir_->file("step_000001.obj"));
    test::writeObj(dir_->file("step_000002.obj"), {{{{{20, -10, 0, 0.1f, 0.1f}, {40, -10, 0, 0.9f, 0.1f}, {30, 10, 0, 0.5f, 0.9f}}}}});
    PreviewContent content = content_;
    LayerEntry step = planeLayer(folder_, true);
    step.objPath = dir_->file("step.obj");
    step.kind = static_cast<int>(LayerKind::Animated);
    step.frames = 2;
    content.request.layers = {step};
    showSettledPane(content);
    PreviewView* view = pane_->view();
    const PreviewRenderer& renderer = view->renderer();
    const int passes = renderer.meshPasses();
    const QSize size = view->size();
    // Where the first frame's triangle is shown now.
    const QPoint onPlane = view->camera().project({-4, -6, 0}, size).toPoint();
    auto centre = [&](const QImage& image) { return image.pixel(onPlane * image.width() / size.width()); };
    auto isRed = [](QRgb pixel) { return qRed(pixel) > 100 && qGreen(pixel) < 20 && qBlue(pixel) < 20; };

    struct Case {
        const char* what;
        std::function<void()> change;
        bool redAtCentre;
    };
    const Case cases[] = {
        {"panned off the plane", [&] { view->camera().pan({300, 0}, size); }, false},
        {"panned back", [&] { view->camera().pan({-300, 0}, size); }, true},
        {"the next animation frame", [&] { view->setFrame(1, false); }, false},
        {"back to the first", [&] { view->setFrame(0, false); }, true},
        {"resized", [&] { view->resize(size + QSize(40, 0)); }, true},
    };
    int expected = passes;
    for (const Case& c : cases) {
        c.change();
        QTest::qWait(20);
        const QImage image = draw();
        QVERIFY2(renderer.meshPasses() == ++expected, c.what);
        QVERIFY2(isRed(centre(image)) == c.redAtCentre, qPrintable(QString(c.what) + " " + describe(centre(image))));
    }
    // Nothing changed: the image is shown again.
    draw();
    QCOMPARE(renderer.meshPasses(), expected);
}

void PreviewPaneTest::theEditorShowsThePaneBesideTheFormAndFollowsIt()
{
    kes::editor_test::FakePlatformServices services;
    MainDialog dialog(services);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    PreviewPane* pane = dialog.preview();
    QVERIFY(pane && pane->isVisible());
    QCOMPARE(pane->accessibleName(), QString("Level preview"));
    QWidget* quit = dialog.control(kQuit);
    QVERIFY(pane->geometry().left() >= quit->window()->findChild<QWidget*>()->x());

    // Typing a target's position shows it at once, before it is added.
    auto* position = dialog.controlAs<QLineEdit>(kPosition);
    position->setText("4,5,6");
    QTRY_VERIFY(pane->scene() && pane->scene()->targets.size() == 1);
    QCOMPARE(pane->scene()->targets[0].position, (ScenePoint{4, 5, 6}));
    dialog.controlAs<QWidget>(kAddTarget)->setEnabled(true);
    QTest::mouseClick(dialog.controlAs<QAbstractButton>(kAddTarget), Qt::LeftButton);
    QCOMPARE(dialog.document().targets().count(), 1);
    QTRY_VERIFY(pane->scene()->targets.size() == 1); // the row, not a copy of it
    // The background follows its text.
    dialog.controlAs<QLineEdit>(kBackgroundColor)->setText("1,0,0");
    QTRY_COMPARE(pane->scene()->background, (std::array<float, 3>{1, 0, 0}));

    // Clicking the marker selects its row.
    dialog.controlAs<QListWidget>(kTargetList)->clearSelection();
    PreviewView* view = pane->view();
    QTest::keyClick(view, Qt::Key_F);
    QTest::mouseClick(view, Qt::LeftButton, {}, view->camera().project({4, 5, 6}, view->size()).toPoint());
    QCOMPARE(dialog.controlAs<QListWidget>(kTargetList)->currentRow(), 0);

    // The window is resizable and the pane takes the extra room; the toggle
    // hides it and the window shrinks to the form.
    const int paneWidth = pane->width();
    dialog.resize(dialog.width() + 100, dialog.height() + 50);
    QTRY_COMPARE(pane->width(), paneWidth + 100);
    QToolButton* toggle = nullptr;
    for (auto* button : dialog.findChildren<QToolButton*>())
        if (button->accessibleName() == "Show level preview")
            toggle = button;
    QVERIFY(toggle);
    toggle->click();
    QVERIFY(!pane->isVisible());
    QTRY_VERIFY(dialog.width() < pane->x() + 40);
    toggle->click();
    QVERIFY(pane->isVisible());
    QTRY_VERIFY(pane->width() > 200);
}

void PreviewPaneTest::theEditorRepaintsTheViewOnlyForWhatItDrawsAndOnce()
{
    kes::editor_test::FakePlatformServices services;
    MainDialog dialog(services);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    PreviewView* view = dialog.preview()->view();
    QVERIFY(view);
    auto* loader = dialog.preview()->findChild<SceneLoader*>();
    QVERIFY(loader);
    LevelDocument& document = dialog.document();
    LevelProject project;
    project.layers.append(planeLayer(folder_, true));
    project.targets.append({1, 2, 3, 0});
    document.reset(project, folder_ + "/level.kgp");
    QTRY_VERIFY(dialog.preview()->scene() && dialog.preview()->scene()->loadingLayers() == 0
                && dialog.preview()->scene()->layers.size() == 1);
    QTest::qWait(50);
    const PreviewRenderer& renderer = view->renderer();
    const int frames = renderer.frames();
    const int lookups = loader->fileLookups();

    // The title, the author, the version and the frames to use L/R are not
    // drawn: typing them repaints nothing.
    for (int id : {kTitle, kAuthor, kVersionMajor, kVersionMinor, kFramesLR}) {
        QWidget* field = dialog.control(id);
        QVERIFY(field);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_7);
    }
    QTest::qWait(50);
    QCOMPARE(renderer.frames(), frames);

    // Several changes in one turn of the event loop: one scene, one paint,
    // no mesh drawn.
    QSignalSpy shown(dialog.preview(), &PreviewPane::sceneShown);
    const int passes = renderer.meshPasses();
    document.replaceRow(0, TargetEntry{4, 5, 6, 0}, QStringLiteral("Move target"));
    document.select(LevelTable::Targets, 0);
    dialog.controlAs<QLineEdit>(kBackgroundColor)->setText("1,0,0");
    QTRY_COMPARE(dialog.preview()->scene()->background, (std::array<float, 3>{1, 0, 0}));
    QTest::qWait(50);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(renderer.frames(), frames + 1);
    QCOMPARE(renderer.meshPasses(), passes);
    QCOMPARE(loader->fileLookups(), lookups);
}

void PreviewPaneTest::withoutOpenGLThePaneSaysWhyAndListsProblems()
{
    PreviewContent content = content_;
    LayerEntry missing = planeLayer(folder_, true);
    missing.objPath = folder_ + "/gone.obj";
    content.request.layers = {missing};
    LevelDocument document;
    showIn(document, content);
    PreviewPane pane(document, nullptr, QStringLiteral("there is no OpenGL here"));
    pane.show();
    QVERIFY(!pane.view());
    bool told = false;
    for (QLabel* label : pane.findChildren<QLabel*>())
        told = told || (label->isVisible() && label->text() == "The preview can't draw here: there is no OpenGL here.");
    QVERIFY(told);
    QTRY_VERIFY(pane.scene() && pane.scene()->problems.size() == 1);
    QTRY_COMPARE(pane.findChild<QListWidget*>()->count(), 1);
}

QTEST_MAIN(PreviewPaneTest)
#include "preview_pane_test.moc"
