// Editing the level in the 3D view, driven with the mouse and keys on the
// real editor window under Xvfb: drags of targets, the start, trigger faces
// and motion ends, the right-click menu, the view buttons, the grid and its
// keys. Each checks what the level, the form and the undo stack say.
#include <cmath>
#include <fstream>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QUndoStack>
#include <QWheelEvent>

#include "app/preview/preview_pane.h"
#include "app/preview/preview_view.h"
#include "app/preview/scene_loader.h"
#include "dialog_under_test.h"
#include "editor_driver.h"
#include "model/number_text.h"
#include "scene/snapping.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

namespace {

// A square floor at y = 0.5 (Collision) and a block that is a Trigger layer
// with its trigger area round it, moving 0.1 along x a frame for 10 frames.
constexpr float kFloor = 0.5f;

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

LevelProject testLevel(const std::string& folder)
{
    writeText(folder + "/floor.obj", "v -10 0.5 -10\nv 10 0.5 -10\nv 10 0.5 10\nv -10 0.5 10\n"
                                     "f 1 2 3\nf 1 3 4\n");
    std::string block;
    for (int i = 0; i < 8; ++i)
        block += "v " + std::to_string((i & 1) ? 1 : -1) + " " + std::to_string((i & 2) ? 2.5 : 0.5) + " "
                 + std::to_string((i & 4) ? 6 : 4) + "\n";
    block += "f 1 2 4\nf 1 4 3\nf 5 6 8\nf 5 8 7\nf 1 2 6\nf 1 6 5\nf 3 4 8\nf 3 8 7\nf 1 3 7\nf 1 7 5\nf 2 4 8\nf 2 8 6\n";
    writeText(folder + "/block.obj", block);
    LevelProject project;
    project.settings.startPosition = "0.0000,1.0000,-6.0000,0.0,30.0,0.0";
    LayerEntry floor;
    floor.objPath = "floor.obj";
    floor.collision = 1;
    project.layers.append(floor);
    LayerEntry trigger;
    trigger.objPath = "block.obj";
    trigger.kind = static_cast<std::int32_t>(LayerKind::Trigger);
    trigger.frames = 10;
    trigger.speed = {0.1f, 0, 0};
    trigger.triggerArea = triggerAreaFromTypedOrder({-2, 2, 0, 3, 3, 7});
    project.layers.append(trigger);
    project.targets.append(TargetEntry{3, kFloor, -2, 0});
    return project;
}

QStringList numbersOf(const QString& text)
{
    return text.split(',');
}

} // namespace

class ViewEditingTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void viewButtonsAndKeysChooseTheView();
    void theGridSizeAndSnappingAreRemembered();
    void dragsMoveATargetOnTheGridInTopView_data();
    void dragsMoveATargetOnTheGridInTopView();
    void escapeDuringADragPutsEverythingBack();
    void undoDuringADragEndsIt();
    void theRightClickMenuPlacesThingsOnTheSurface();
    void aTriggerFaceHandleChangesExactlyItsNumber();
    void theMotionEndHandleSetsTheSpeed();
    void theStartRingTurnsInFifteenDegreeSteps();
    void arrowKeysMoveTheSelectionByAGridStep();
    void thePointUnderTheMouseIsShown();
    void theGridIsDrawnWithItsAxes();

private:
    PreviewView* view() const { return dialog_->dialog.preview()->view(); }
    QPoint pixelOf(const ScenePoint& p) const { return view()->camera().project({p.x, p.y, p.z}, view()->size()).toPoint(); }
    void chooseView(const QString& accessibleName);
    // Drags with the left button from `from` to `to` in steps, calling
    // `during` before the release.
    void drag(QPoint from, QPoint to, const std::function<void()>& during = {});
    // The view shows the document's level as it is now.
    void waitForTheScene();
    std::optional<EditHandle> handle(HandleKind kind, int face = -1) const;

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<DialogUnderTest> dialog_;
};

void ViewEditingTest::init()
{
    dir_ = std::make_unique<test::TempDir>();
    dialog_ = std::make_unique<DialogUnderTest>();
    MainDialog& dialog = dialog_->dialog;
    dialog.document().reset(testLevel(dir_->path().string()), dir_->file("level.kgp"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Without a window manager the window takes the keyboard when asked.
    dialog.activateWindow();
    QTRY_VERIFY(dialog.isActiveWindow());
    QVERIFY2(view(), "no OpenGL: run this test under xvfb-run");
    waitForTheScene();
    QTRY_VERIFY(!view()->preparingSurfaces());
}

void ViewEditingTest::cleanup()
{
    dialog_.reset();
    dir_.reset();
}

void ViewEditingTest::waitForTheScene()
{
    PreviewPane* pane = dialog_->dialog.preview();
    const LevelDocument& document = dialog_->dialog.document();
    QTRY_VERIFY(pane->scene() && pane->scene()->loadingLayers() == 0
                && pane->scene()->targets.size() == static_cast<std::size_t>(document.targets().count())
                && pane->scene()->layers.size() == static_cast<std::size_t>(document.layers().count()));
    if (!document.targets().count())
        return;
    const TargetEntry& last = document.targets().at(document.targets().count() - 1);
    QTRY_VERIFY(pane->scene()->targets.back().position == (ScenePoint{last.x, last.y, last.z}));
}

void ViewEditingTest::chooseView(const QString& accessibleName)
{
    for (auto* button : dialog_->dialog.preview()->findChildren<QAbstractButton*>())
        if (button->accessibleName() == accessibleName) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    QFAIL(qPrintable("no button " + accessibleName));
}

void ViewEditingTest::drag(QPoint from, QPoint to, const std::function<void()>& during)
{
    QTest::mousePress(view(), Qt::LeftButton, {}, from);
    constexpr int kSteps = 6;
    for (int i = 1; i <= kSteps; ++i)
        QTest::mouseMove(view(), from + (to - from) * i / kSteps);
    if (during)
        during();
    QTest::mouseRelease(view(), Qt::LeftButton, {}, to);
}

std::optional<EditHandle> ViewEditingTest::handle(HandleKind kind, int face) const
{
    for (const EditHandle& h : view()->selectionHandles())
        if (h.kind == kind && (face < 0 || h.face == face))
            return h;
    return std::nullopt;
}

void ViewEditingTest::viewButtonsAndKeysChooseTheView()
{
    QCOMPARE(view()->mode(), ViewMode::Perspective);
    chooseView("Top view");
    QCOMPARE(view()->mode(), ViewMode::Top);
    // Top: from above, x to the right, -z up the screen: never mirrored, so
    // x, -z and y turn as in the perspective view.
    QVERIFY(pixelOf({5, 0, 0}).x() > pixelOf({0, 0, 0}).x());
    QVERIFY(pixelOf({0, 0, -5}).y() < pixelOf({0, 0, 0}).y());
    QVERIFY(view()->camera().eye().y() > view()->camera().target().y());
    struct Key {
        Qt::Key key;
        ViewMode mode;
        const char* button;
    };
    for (const Key& k : {Key{Qt::Key_1, ViewMode::Front, "Front view"}, Key{Qt::Key_3, ViewMode::Side, "Side view"},
                         Key{Qt::Key_7, ViewMode::Top, "Top view"}, Key{Qt::Key_5, ViewMode::Perspective, "Perspective view"}}) {
        QTest::keyClick(view(), k.key);
        QCOMPARE(view()->mode(), k.mode);
        for (auto* button : dialog_->dialog.preview()->findChildren<QAbstractButton*>())
            if (button->accessibleName() == k.button)
                QVERIFY2(button->isChecked(), k.button);
    }
    QTest::keyClick(view(), Qt::Key_1);
    // Front: from the +z side looking along -z, x to the right, y up.
    QVERIFY(pixelOf({5, 0, 0}).x() > pixelOf({0, 0, 0}).x());
    QVERIFY(pixelOf({0, 5, 0}).y() < pixelOf({0, 0, 0}).y());
    QVERIFY(view()->camera().eye().z() > view()->camera().target().z());
    QTest::keyClick(view(), Qt::Key_3);
    // Side: from the +x side looking along -x, -z to the right, y up.
    QVERIFY(pixelOf({0, 0, -5}).x() > pixelOf({0, 0, 0}).x());
    QVERIFY(pixelOf({0, 5, 0}).y() < pixelOf({0, 0, 0}).y());
    QVERIFY(view()->camera().eye().x() > view()->camera().target().x());
    // Orthographic: a point's place on the screen doesn't depend on its depth.
    QCOMPARE(pixelOf({-50, 1, 2}), pixelOf({50, 1, 2}));
    // The wheel zooms towards the mouse: the point under it stays there.
    const QPoint under = pixelOf({0, 3, -4});
    QWheelEvent wheel(under, view()->mapToGlobal(under), {}, QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    const float unitsBefore = view()->camera().unitsPerPixel(view()->size());
    QApplication::sendEvent(view(), &wheel);
    QVERIFY(view()->camera().unitsPerPixel(view()->size()) < unitsBefore * 0.8f);
    QVERIFY((pixelOf({0, 3, -4}) - under).manhattanLength() <= 1);
    // Panning works here too.
    const QPoint before = pixelOf({0, 0, -5});
    QTest::mousePress(view(), Qt::MiddleButton, {}, QPoint(50, 50));
    QTest::mouseMove(view(), QPoint(90, 50));
    QTest::mouseRelease(view(), Qt::MiddleButton, {}, QPoint(90, 50));
    QVERIFY(pixelOf({0, 0, -5}).x() > before.x() + 30);
}

void ViewEditingTest::theGridSizeAndSnappingAreRemembered()
{
    PreviewPane* pane = dialog_->dialog.preview();
    auto* sizes = pane->findChild<QComboBox*>();
    QVERIFY(sizes);
    QCOMPARE(sizes->accessibleName(), QString("Grid size"));
    QStringList offered;
    for (int i = 0; i < sizes->count(); ++i)
        offered << sizes->itemText(i);
    QCOMPARE(offered, QStringList({"0.125", "0.25", "0.5", "1", "2", "4", "8", "16"}));
    QCOMPARE(pane->gridStep(), 1.0f);
    QVERIFY(pane->snaps());
    // [ and ] step through the sizes and stop at the ends.
    QTest::keyClick(view(), Qt::Key_BracketLeft);
    QTest::keyClick(view(), Qt::Key_BracketLeft);
    QCOMPARE(pane->gridStep(), 0.25f);
    QCOMPARE(view()->gridStep(), 0.25f);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(view(), Qt::Key_BracketRight);
    QCOMPARE(pane->gridStep(), 16.0f);
    QTest::keyClick(view(), Qt::Key_BracketLeft);
    for (auto* box : pane->findChildren<QCheckBox*>())
        if (box->accessibleName() == "Snap to grid")
            box->click();
    QVERIFY(!pane->snaps());
    QVERIFY(!view()->snaps());
    // The next session starts with them.
    PreviewPane next(dialog_->dialog.document());
    QCOMPARE(next.gridStep(), 8.0f);
    QVERIFY(!next.snaps());
}

void ViewEditingTest::dragsMoveATargetOnTheGridInTopView_data()
{
    QTest::addColumn<float>("grid");
    QTest::addColumn<int>("pixels");
    QTest::newRow("grid 1") << 1.0f << 90;
    QTest::newRow("grid 0.25") << 0.25f << 37;
}

void ViewEditingTest::dragsMoveATargetOnTheGridInTopView()
{
    QFETCH(float, grid);
    QFETCH(int, pixels);
    MainDialog& dialog = dialog_->dialog;
    dialog.preview()->setGridStep(grid);
    chooseView("Top view");
    const LevelDocument& document = dialog.document();
    const QString listBefore = listOf(dialog, kTargetList)->item(0)->text();
    const int steps = document.undoStack().count();
    const QPoint from = pixelOf({3, kFloor, -2});
    const QPoint to = from + QPoint(pixels, 0);
    const float wanted = 3 + pixels * view()->camera().unitsPerPixel(view()->size());
    drag(from, to, [&] {
        // The form and the list follow during the drag, as the form writes
        // numbers.
        const TargetEntry& moving = document.targets().at(0);
        QVERIFY(moving.x > 3);
        const float position[3] = {moving.x, moving.y, moving.z};
        const QString shown = QString::fromStdString(formatFixed4List(position, 3));
        QCOMPARE(textOf(dialog, kPosition), shown);
        QCOMPARE(listOf(dialog, kTargetList)->item(0)->text(), shown);
    });
    const TargetEntry& moved = document.targets().at(0);
    // x on the grid, within half a step of the mouse; y and z as they were.
    QCOMPARE(moved.x, snapToGrid(moved.x, grid));
    QVERIFY2(std::fabs(moved.x - wanted) <= grid / 2 + 1e-4f, qPrintable(QString::number(moved.x)));
    QCOMPARE(moved.y, kFloor);
    QCOMPARE(moved.z, -2.0f);
    QCOMPARE(listOf(dialog, kTargetList)->currentRow(), 0);
    QCOMPARE(document.undoStack().count(), steps + 1);
    QCOMPARE(document.undoStack().undoText(), QString("Move Target"));
    // Ctrl+Z puts back the exact texts.
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(document.targets().at(0), (TargetEntry{3, kFloor, -2, 0}));
    QCOMPARE(listOf(dialog, kTargetList)->item(0)->text(), listBefore);
    QCOMPARE(textOf(dialog, kPosition), QString("3.0000,0.5000,-2.0000"));
}

void ViewEditingTest::escapeDuringADragPutsEverythingBack()
{
    MainDialog& dialog = dialog_->dialog;
    chooseView("Front view");
    const LevelDocument& document = dialog.document();
    const int steps = document.undoStack().count();
    auto* loader = dialog.preview()->findChild<SceneLoader*>();
    QVERIFY(loader);
    QTRY_VERIFY(!loader->busy());
    const int lookups = loader->fileLookups();
    const QPoint from = pixelOf({3, kFloor, -2});
    drag(from, from + QPoint(-60, -45), [&] {
        QVERIFY(document.targets().at(0).y > kFloor); // up the screen is up
        QCOMPARE(document.targets().at(0).z, -2.0f);  // the front view moves x and y
        waitForTheScene();
        QTest::keyClick(view(), Qt::Key_Escape);
        QCOMPARE(document.targets().at(0), (TargetEntry{3, kFloor, -2, 0}));
    });
    QVERIFY(dialog.isVisible()); // Escape ended the drag, not the editor
    QCOMPARE(document.undoStack().count(), steps);
    QCOMPARE(textOf(dialog, kPosition), QString("3.0000,0.5000,-2.0000"));
    // The drag looked at no file.
    waitForTheScene();
    QCOMPARE(loader->fileLookups(), lookups);
}

void ViewEditingTest::undoDuringADragEndsIt()
{
    MainDialog& dialog = dialog_->dialog;
    chooseView("Top view");
    const LevelDocument& document = dialog.document();
    const int steps = document.undoStack().count();
    const QPoint from = pixelOf({3, kFloor, -2});
    QTest::mousePress(view(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view(), from + QPoint(30, 0));
    QTest::mouseMove(view(), from + QPoint(60, 0));
    QVERIFY(document.targets().at(0).x > 3);
    // Ctrl+Z takes the drag back; the mouse moving on changes nothing.
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(document.targets().at(0), (TargetEntry{3, kFloor, -2, 0}));
    QTest::mouseMove(view(), from + QPoint(90, 0));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, from + QPoint(90, 0));
    QCOMPARE(document.targets().at(0), (TargetEntry{3, kFloor, -2, 0}));
    QCOMPARE(document.undoStack().count(), steps + 1);
    QCOMPARE(document.undoStack().index(), steps);
    // A drag whose release never came ends at the next press.
    waitForTheScene();
    QTest::mousePress(view(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view(), from + QPoint(60, 0));
    QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(document.targets().at(0).x > 3);
    QCOMPARE(document.undoStack().undoText(), QString("Move Target"));
}

void ViewEditingTest::theRightClickMenuPlacesThingsOnTheSurface()
{
    MainDialog& dialog = dialog_->dialog;
    const LevelDocument& document = dialog.document();
    const auto chooseFromMenu = [&](QPoint at, const QString& item) {
        // Through the window, as the desktop delivers it, so that Qt makes
        // the context menu event.
        QTest::mouseClick(dialog.windowHandle(), Qt::RightButton, {}, view()->mapTo(&dialog, at));
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        QStringList items;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                items << action->text();
            if (action->text() == item)
                chosen = action;
        }
        QCOMPARE(items, QStringList({"Add goal target here", "Add brake target here", "Set start position here",
                                     "Frame selection"}));
        QVERIFY(chosen && chosen->isEnabled());
        chosen->trigger();
        menu->close();
    };
    // On the floor (Collision), at its height.
    const int steps = document.undoStack().count();
    chooseFromMenu(pixelOf({-4, kFloor, 2}), "Add goal target here");
    QCOMPARE(document.targets().count(), 2);
    const TargetEntry& goal = document.targets().at(1);
    QCOMPARE(goal.y, kFloor);
    QCOMPARE(goal.kind, 0);
    QCOMPARE(goal.x, -4.0f); // on the grid: snapping is on
    QCOMPARE(goal.z, 2.0f);
    QCOMPARE(document.undoStack().count(), steps + 1);
    QCOMPARE(listOf(dialog, kTargetList)->currentRow(), 1);
    chooseFromMenu(pixelOf({4, kFloor, 4}), "Add brake target here");
    QCOMPARE(document.targets().at(2).kind, 1);
    // Beyond the floor: on the grid plane y = 0, on the grid.
    waitForTheScene();
    chooseFromMenu(pixelOf({25.2f, 0, 3.1f}), "Set start position here");
    QCOMPARE(textOf(dialog, kStartPosition), QString("25.0000,0.0000,3.0000,0.0,30.0,0.0"));
    QCOMPARE(document.undoStack().undoText(), QString("Set Start Position"));
    QCOMPARE(document.undoStack().count(), steps + 3);
}

void ViewEditingTest::aTriggerFaceHandleChangesExactlyItsNumber()
{
    MainDialog& dialog = dialog_->dialog;
    const LevelDocument& document = dialog.document();
    listOf(dialog, kLayerList)->setCurrentRow(1);
    chooseView("Top view");
    QTRY_VERIFY(handle(HandleKind::TriggerFace));
    const QStringList before = numbersOf(textOf(dialog, kTriggerArea));
    QCOMPARE(before, QStringList({"-2.0000", "2.0000", "0.0000", "3.0000", "3.0000", "7.0000"}));
    // The handles are yellow; the one under the mouse lights up.
    const auto isHandle = [&](QPoint at, bool lit) {
        const QRgb c = view()->grabFramebuffer().convertToFormat(QImage::Format_RGB32).pixel(at);
        const bool yellow = qRed(c) > 220 && qGreen(c) > 180 && qBlue(c) < (lit ? 200 : 60);
        return yellow && (qBlue(c) > 100) == lit;
    };
    const auto highX = handle(HandleKind::TriggerFace, 1);
    QVERIFY(highX);
    QVERIFY(isHandle(pixelOf(highX->position), false));
    QTest::mouseMove(view(), pixelOf(highX->position));
    QCOMPARE(view()->hovered(), highX);
    QVERIFY(isHandle(pixelOf(highX->position), true));
    // The high x face, dragged 1.5 grid steps to the right: x2 becomes 4.
    const auto face = handle(HandleKind::TriggerFace, 1);
    QVERIFY(face);
    const QPoint from = pixelOf(face->position);
    const float perUnit = 1 / view()->camera().unitsPerPixel(view()->size());
    drag(from, from + QPoint(static_cast<int>(1.6f * perUnit), 12));
    QStringList after = numbersOf(textOf(dialog, kTriggerArea));
    QStringList expected = before;
    expected[1] = "4.0000";
    QCOMPARE(after, expected);
    QCOMPARE(document.undoStack().undoText(), QString("Resize Trigger Area"));
    // The low x face dragged past the high one stops on it.
    waitForTheScene();
    const auto low = handle(HandleKind::TriggerFace, 0);
    QVERIFY(low);
    drag(pixelOf(low->position), pixelOf(low->position) + QPoint(static_cast<int>(9 * perUnit), 0));
    after = numbersOf(textOf(dialog, kTriggerArea));
    expected[0] = "4.0000";
    QCOMPARE(after, expected);
}

void ViewEditingTest::theMotionEndHandleSetsTheSpeed()
{
    MainDialog& dialog = dialog_->dialog;
    const LevelDocument& document = dialog.document();
    listOf(dialog, kLayerList)->setCurrentRow(1);
    chooseView("Top view");
    QTRY_VERIFY(handle(HandleKind::MotionEnd));
    QTest::keyClick(view(), Qt::Key_F);
    // The block's centre is (0, 1.5, 5); 10 frames of 0.1 put its end at x 1.
    const auto end = handle(HandleKind::MotionEnd);
    QVERIFY(end);
    QCOMPARE(end->position, (ScenePoint{1, 1.5f, 5}));
    const float perUnit = 1 / view()->camera().unitsPerPixel(view()->size());
    const QPoint from = pixelOf(end->position);
    drag(from, from + QPoint(static_cast<int>(2 * perUnit), static_cast<int>(-3 * perUnit)));
    // Up the screen is -z in the top view: the end now lies at x 3, z 2, and
    // the speed takes it there in the same 10 frames.
    const LayerEntry& layer = document.layers().at(1);
    QCOMPARE(layer.frames, 10);
    QVERIFY(std::fabs(layer.speed[0] - 0.3f) < 1e-6f);
    QCOMPARE(layer.speed[1], 0.0f);
    QVERIFY(std::fabs(layer.speed[2] + 0.3f) < 1e-6f);
    QCOMPARE(textOf(dialog, kSpeed), QString("0.3000,0.0000,-0.3000"));
    QCOMPARE(document.undoStack().undoText(), QString("Change Motion End"));
}

void ViewEditingTest::theStartRingTurnsInFifteenDegreeSteps()
{
    MainDialog& dialog = dialog_->dialog;
    chooseView("Top view");
    // A click on the start's marker selects it and shows its ring.
    QTest::mouseClick(view(), Qt::LeftButton, {}, pixelOf({0, 1, -6}));
    QVERIFY(view()->startSelected());
    const auto ring = handle(HandleKind::StartRing);
    QVERIFY(ring);
    const float radius = ringRadius(view()->handleSize());
    const auto onRing = [&](float degrees) {
        const float a = degrees * 3.14159265f / 180;
        return pixelOf({radius * std::sin(a), 1, -6 + radius * std::cos(a)});
    };
    // The start turns by as much as the mouse turns round it from where the
    // ring was grabbed (it faces 30 degrees), to 15 degree steps.
    struct Turn {
        float grabbed, degrees;
        const char* written;
    };
    for (const Turn& turn : {Turn{30, 50, "45.0"}, Turn{30, -100, "255.0"}, Turn{30, 11, "15.0"},
                             Turn{120, 170, "75.0"}}) {
        drag(onRing(turn.grabbed), onRing(turn.degrees));
        const QStringList numbers = numbersOf(textOf(dialog, kStartPosition));
        QCOMPARE(numbers, QStringList({"0.0000", "1.0000", "-6.0000", "0.0", turn.written, "0.0"}));
        QCOMPARE(dialog.document().undoStack().undoText(), QString("Turn Start Position"));
        dialog.document().undo();
        waitForTheScene();
    }
}

void ViewEditingTest::arrowKeysMoveTheSelectionByAGridStep()
{
    MainDialog& dialog = dialog_->dialog;
    const LevelDocument& document = dialog.document();
    dialog.preview()->setGridStep(0.5f);
    chooseView("Top view");
    listOf(dialog, kTargetList)->setCurrentRow(0);
    QTRY_VERIFY(handle(HandleKind::TargetMove));
    view()->setFocus();
    const int steps = document.undoStack().count();
    QTest::keyClick(view(), Qt::Key_Right);
    QTest::keyClick(view(), Qt::Key_Up);
    QTest::keyClick(view(), Qt::Key_PageUp);
    QCOMPARE(document.targets().at(0), (TargetEntry{3.5f, 1.0f, -2.5f, 0})); // up the screen is -z
    QCOMPARE(document.undoStack().count(), steps + 3);
    QCOMPARE(document.undoStack().undoText(), QString("Move Target"));
    // The start, once chosen in the view.
    QTest::mouseClick(view(), Qt::LeftButton, {}, pixelOf({0, 1, -6}));
    QVERIFY(view()->startSelected());
    QTest::keyClick(view(), Qt::Key_Left);
    QTest::keyClick(view(), Qt::Key_PageDown);
    QCOMPARE(textOf(dialog, kStartPosition), QString("-0.5000,0.5000,-6.0000,0.0,30.0,0.0"));
}

void ViewEditingTest::thePointUnderTheMouseIsShown()
{
    PreviewPane* pane = dialog_->dialog.preview();
    QLabel* readout = nullptr;
    for (auto* label : pane->findChildren<QLabel*>())
        if (label->accessibleName() == "Point under the mouse")
            readout = label;
    QVERIFY(readout);
    chooseView("Top view");
    // On the floor: on the grid across, at the floor's height; beyond it,
    // on the grid plane, on the grid.
    QTest::mouseMove(view(), pixelOf({-3.1f, kFloor, 4.2f}));
    QCOMPARE(readout->text(), QString("x -3.00  y 0.50  z 4.00"));
    QTest::mouseMove(view(), pixelOf({-14, 0, 2}));
    QCOMPARE(readout->text(), QString("x -14.00  y 0.00  z 2.00"));
    // While dragging: what changes and by how much.
    const QPoint from = pixelOf({3, kFloor, -2});
    drag(from, pixelOf({5, kFloor, -2}), [&] {
        QCOMPARE(readout->text(), QString("Target 1: x 5.00 (+2.00)  y 0.50  z -2.00"));
    });
}

void ViewEditingTest::theGridIsDrawnWithItsAxes()
{
    MainDialog& dialog = dialog_->dialog;
    // An empty level seen from the top: the x axis line runs across the
    // middle in red, the z axis line up it in blue.
    dialog.document().reset({}, dir_->file("empty.kgp"));
    waitForTheScene();
    chooseView("Top view");
    QTest::keyClick(view(), Qt::Key_F);
    const QImage image = view()->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    const QPoint origin = pixelOf({0, 0, 0});
    // The brightest of a few pixels across each line.
    const auto across = [&](QPoint at, QPoint step, auto channel) {
        QRgb best = 0;
        for (int i = -2; i <= 2; ++i)
            if (channel(image.pixel(at + step * i)) > channel(best))
                best = image.pixel(at + step * i);
        return best;
    };
    const QRgb onX = across(origin + QPoint(40, 0), QPoint(0, 1), [](QRgb c) { return qRed(c); });
    const QRgb onZ = across(origin + QPoint(0, -40), QPoint(1, 0), [](QRgb c) { return qBlue(c); });
    QVERIFY2(qRed(onX) > 150 && qGreen(onX) < 90, qPrintable(QString::number(onX, 16)));
    QVERIFY2(qBlue(onZ) > 150 && qRed(onZ) < 120, qPrintable(QString::number(onZ, 16)));
    dialog.preview()->setShowsGrid(false);
    const QImage hidden = view()->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    for (int i = -2; i <= 2; ++i)
        QCOMPARE(hidden.pixel(origin + QPoint(40, i)), hidden.pixel(origin + QPoint(40, 20)));
}

QTEST_MAIN(ViewEditingTest)
#include "view_editing_test.moc"
