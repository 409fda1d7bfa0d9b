// Layer and target editing in the editor: per-kind rules, conversions between
// the forms and the stored entries, limits, removal and the list
// notifications, driven through the real widgets. After every step each list
// must mirror its table.
#include <QApplication>
#include <QTest>

#include <memory>

#include "dialog_under_test.h"
#include "editor_driver.h"
#include "fake_platform_services.h"
#include "model/project_file.h"
#include "support/temp_dir.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

Q_DECLARE_METATYPE(kes::editor::LayerForm)

namespace {

LayerForm staticLayer(const std::string& objPath)
{
    LayerForm form;
    form.objPath = objPath;
    return form;
}

// The four motion fields' enable states: Speed, Frames, Vibration, Trigger.
QList<bool> motionFieldStates(const MainDialog& dialog)
{
    return {isEnabled(dialog, kSpeed), isEnabled(dialog, kFramesTillReset), isEnabled(dialog, kVibration),
            isEnabled(dialog, kTriggerArea)};
}

QStringList layerFormTexts(const MainDialog& dialog)
{
    return {textOf(dialog, kObjFile), textOf(dialog, kBmpFile), textOf(dialog, kSpeed),
            textOf(dialog, kFramesTillReset), textOf(dialog, kVibration), textOf(dialog, kTriggerArea)};
}

} // namespace

class EditorEditingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DialogUnderTest> dialogUnderTest;

private slots:
    void init() { dialogUnderTest = std::make_unique<DialogUnderTest>(); }
    void cleanup() { dialogUnderTest.reset(); }
    void kindEnablesItsFields_data();
    void kindEnablesItsFields();
    void addLayerIsEnabledForACompleteForm_data();
    void addLayerIsEnabledForACompleteForm();
    void addingAStaticLayerStoresTheDisabledFields();
    void pathsAreCutTo249Bytes_data();
    void pathsAreCutTo249Bytes();
    void the33rdLayerShowsTheLimitAndChangesNothing();
    void removingALayerKeepsRowsMatchingEntries_data();
    void removingALayerKeepsRowsMatchingEntries();
    void removeWithoutSelectionDoesNothing();
    void triggerAreaIsStoredInElementOrderAndShownAsTyped();
    void numbersAreShownWithFourDecimals();
    void selectedLayerIsShownInTheForm();
    void listNotificationsKeepWhatWasTyped_data();
    void listNotificationsKeepWhatWasTyped();
    void addingASelectedLayerAppendsACopy();
    void layerOfAnUnknownKindSelectsNoKind();
    void targetRowsShowThePosition_data();
    void targetRowsShowThePosition();
    void targetsOfTheSamePlaceShowTheirOwnKind();
    void the33rdTargetShowsTheLimitAndChangesNothing();
    void removingATargetKeepsRowsMatchingEntries();
    void refocusingTheTargetListKeepsWhatWasTyped();
};

void EditorEditingTest::kindEnablesItsFields_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<bool>>("enabled"); // Speed, Frames, Vibration, Trigger Area
    QTest::newRow("Static") << 0 << QList<bool>{false, false, false, false};
    QTest::newRow("Moving") << 1 << QList<bool>{true, true, false, false};
    QTest::newRow("Vibrating") << 2 << QList<bool>{true, false, true, false};
    QTest::newRow("Trigger") << 3 << QList<bool>{true, true, false, true};
    QTest::newRow("Animated") << 4 << QList<bool>{false, true, false, false};
    QTest::newRow("Animated-Trigger") << 5 << QList<bool>{false, true, false, true};
}

void EditorEditingTest::kindEnablesItsFields()
{
    QFETCH(int, kind);
    QFETCH(QList<bool>, enabled);
    auto& [services, dialog] = *dialogUnderTest;
    chooseRow(dialog, kLayerKind, 5);
    chooseRow(dialog, kLayerKind, kind);
    QCOMPARE(comboOf(dialog, kLayerKind)->currentIndex(), kind);
    QCOMPARE(motionFieldStates(dialog), enabled);
    // BMP File follows "Draw" alone; the other layer controls are always enabled.
    QVERIFY(!isEnabled(dialog, kBmpFile));
    setChecked(dialog, kDraw, true);
    QVERIFY(isEnabled(dialog, kBmpFile));
    for (int id : {kObjFile, kDraw, kCollision, kLayerKind, kBrowseObj, kBrowseBmp, kLayerList})
        QVERIFY(isEnabled(dialog, id));
}

void EditorEditingTest::addLayerIsEnabledForACompleteForm_data()
{
    QTest::addColumn<LayerForm>("form");
    QTest::addColumn<bool>("enabled");
    auto form = [](int kind, std::string obj, std::string speed, std::string frames, std::string vibration,
                   std::string trigger) {
        LayerForm f;
        f.kind = kind;
        f.objPath = std::move(obj);
        f.speed = std::move(speed);
        f.framesTillReset = std::move(frames);
        f.vibration = std::move(vibration);
        f.triggerArea = std::move(trigger);
        return f;
    };
    LayerForm drawnWithoutBmp = form(0, "a.obj", "", "", "", "");
    drawnWithoutBmp.draw = true;
    LayerForm drawnWithBmp = drawnWithoutBmp;
    drawnWithBmp.bmpPath = "a.bmp";
    LayerForm notDrawnWithBmp = form(0, "a.obj", "", "", "", "");
    notDrawnWithBmp.bmpPath = "a.bmp";

    QTest::newRow("Static with OBJ, junk elsewhere") << form(0, "a.obj", "junk", "0", "x", "1") << true;
    QTest::newRow("Static without OBJ") << form(0, "", "1,2,3", "5", "1,2,3", "1,2,3,4,5,6") << false;
    QTest::newRow("drawn without BMP") << drawnWithoutBmp << false;
    QTest::newRow("drawn with BMP") << drawnWithBmp << true;
    QTest::newRow("not drawn with BMP") << notDrawnWithBmp << true;
    QTest::newRow("Moving, frames empty") << form(1, "a.obj", "1,2,3", "", "", "") << false;
    QTest::newRow("Moving, frames 0") << form(1, "a.obj", "1,2,3", "0", "", "") << false;
    QTest::newRow("Moving, frames 5") << form(1, "a.obj", "1,2,3", "5", "", "") << true;
    QTest::newRow("Moving, speed of two numbers") << form(1, "a.obj", "1,2", "5", "", "") << false;
    QTest::newRow("Moving, speed blank before comma") << form(1, "a.obj", "1 ,2,3", "5", "", "") << false;
    QTest::newRow("Vibrating without vibration") << form(2, "a.obj", "1,2,3", "", "", "") << false;
    QTest::newRow("Vibrating, frames not needed") << form(2, "a.obj", "1,2,3", "", "0.5,0.5,0.5", "") << true;
    QTest::newRow("Vibrating without speed") << form(2, "a.obj", "", "", "0.5,0.5,0.5", "") << false;
    QTest::newRow("Trigger, five area numbers") << form(3, "a.obj", "1,2,3", "5", "", "1,2,3,4,5") << false;
    QTest::newRow("Trigger complete") << form(3, "a.obj", "1,2,3", "5", "", "1,2,3,4,5,6") << true;
    QTest::newRow("Trigger without frames") << form(3, "a.obj", "1,2,3", "", "", "1,2,3,4,5,6") << false;
    QTest::newRow("Animated with frames") << form(4, "a.obj", "", "3", "", "") << true;
    QTest::newRow("Animated without frames") << form(4, "a.obj", "1,2,3", "", "", "") << false;
    QTest::newRow("Animated-Trigger complete") << form(5, "a.obj", "", "3", "", "1,2,3,4,5,6") << true;
    QTest::newRow("Animated-Trigger without area") << form(5, "a.obj", "", "3", "", "") << false;
}

void EditorEditingTest::addLayerIsEnabledForACompleteForm()
{
    QFETCH(LayerForm, form);
    QFETCH(bool, enabled);
    auto& [services, dialog] = *dialogUnderTest;
    typeLayerForm(dialog, form);
    QCOMPARE(isEnabled(dialog, kBmpFile), form.draw);
    QCOMPARE(isEnabled(dialog, kAddLayer), enabled);
    if (enabled) {
        click(dialog, kAddLayer);
        QCOMPARE(dialog.document().layers().count(), 1);
        QVERIFY(dialog.document().layers().at(0) == layerEntryFromForm(form));
    }
}

void EditorEditingTest::addingAStaticLayerStoresTheDisabledFields()
{
    auto& [services, dialog] = *dialogUnderTest;
    LayerForm form;
    form.objPath = "ground.obj";
    form.bmpPath = "grass.bmp";
    form.draw = false;
    form.collision = true;
    form.kind = 0;
    form.speed = "1.5,2";
    form.framesTillReset = "7";
    form.vibration = "0.25,0.5,junk";
    form.triggerArea = "1,2,3,4,5,6";
    typeLayerForm(dialog, form);
    QCOMPARE(motionFieldStates(dialog), (QList<bool>{false, false, false, false}));
    QVERIFY(!isEnabled(dialog, kBmpFile));
    click(dialog, kAddLayer);

    QCOMPARE(dialog.document().layers().count(), 1);
    const LayerEntry& entry = dialog.document().layers().at(0);
    QCOMPARE(entry.objPath, std::string("ground.obj"));
    QCOMPARE(entry.bmpPath, std::string("grass.bmp"));
    QCOMPARE(entry.draw, std::uint8_t(0));
    QCOMPARE(entry.collision, std::uint8_t(1));
    QCOMPARE(entry.kind, 0);
    QCOMPARE(entry.speed, (std::array<float, 3>{1.5f, 2.0f, 0.0f}));
    QCOMPARE(entry.frames, 7);
    QCOMPARE(entry.vibration, (std::array<float, 3>{0.25f, 0.5f, 0.0f}));
    QCOMPARE(entry.triggerArea, (std::array<float, 6>{1, 4, 6, 2, 3, 5}));
    QCOMPARE(rowTexts(dialog, kLayerList), QStringList{"ground.obj"});
    // The form keeps what it held.
    QCOMPARE(layerFormTexts(dialog),
             (QStringList{"ground.obj", "grass.bmp", "1.5,2", "7", "0.25,0.5,junk", "1,2,3,4,5,6"}));
}

void EditorEditingTest::pathsAreCutTo249Bytes_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("stored");
    QTest::newRow("249 characters") << 249 << 249;
    QTest::newRow("260 characters") << 260 << 249;
}

void EditorEditingTest::pathsAreCutTo249Bytes()
{
    QFETCH(int, length);
    QFETCH(int, stored);
    const QString path = QString("m").repeated(length - 4) + ".obj";
    auto& [services, dialog] = *dialogUnderTest;
    LayerForm form = staticLayer(path.toStdString());
    form.draw = true;
    form.bmpPath = QString("t").repeated(length).toStdString();
    typeLayerForm(dialog, form);
    click(dialog, kAddLayer);
    QCOMPARE(int(dialog.document().layers().at(0).objPath.size()), stored);
    QCOMPARE(int(dialog.document().layers().at(0).bmpPath.size()), stored);
    QCOMPARE(rowTexts(dialog, kLayerList), QStringList{path.left(stored)});
    QCOMPARE(listsMismatch(dialog), QString());
}

void EditorEditingTest::the33rdLayerShowsTheLimitAndChangesNothing()
{
    auto& [services, dialog] = *dialogUnderTest;
    typeLayerForm(dialog, staticLayer("tile.obj"));
    for (int i = 0; i < 32; ++i)
        click(dialog, kAddLayer);
    QCOMPARE(dialog.document().layers().count(), 32);
    QVERIFY(services.messages.empty());
    const QStringList form = layerFormTexts(dialog);

    click(dialog, kAddLayer);
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text,
             std::string("You can only create up to 32 Layers with this tool, although Kestrin supports more. "
                         "If you have a usage for more layers, feel free to contact the developer."));
    QCOMPARE(services.messages[0].caption, std::string("Layer Limit"));
    QVERIFY(services.messages[0].icon == MessageIcon::Error);
    QCOMPARE(dialog.document().layers().count(), 32);
    QCOMPARE(listOf(dialog, kLayerList)->count(), 32);
    QCOMPARE(listsMismatch(dialog), QString());
    QCOMPARE(layerFormTexts(dialog), form);
}

void EditorEditingTest::removingALayerKeepsRowsMatchingEntries_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("first") << 0 << QStringList{"b.obj", "c.obj"};
    QTest::newRow("middle") << 1 << QStringList{"a.obj", "c.obj"};
    QTest::newRow("last") << 2 << QStringList{"a.obj", "b.obj"};
}

void EditorEditingTest::removingALayerKeepsRowsMatchingEntries()
{
    QFETCH(int, row);
    QFETCH(QStringList, left);
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    for (const char* name : {"a.obj", "b.obj", "c.obj"}) {
        typeInto(dialog, kObjFile, name);
        click(dialog, kAddLayer);
        QCOMPARE(listsMismatch(dialog), QString());
    }
    clickRow(dialog, kLayerList, row);
    QCOMPARE(selectedRowOf(dialog, kLayerList), row);
    QVERIFY(isEnabled(dialog, kRemoveLayer));
    const QStringList form = layerFormTexts(dialog);

    click(dialog, kRemoveLayer);
    QCOMPARE(rowTexts(dialog, kLayerList), left);
    QCOMPARE(listsMismatch(dialog), QString());
    QCOMPARE(selectedRowOf(dialog, kLayerList), -1);
    QVERIFY(!isEnabled(dialog, kRemoveLayer));
    QCOMPARE(layerFormTexts(dialog), form);
    QVERIFY(services.messages.empty());
}

void EditorEditingTest::removeWithoutSelectionDoesNothing()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    for (const char* name : {"a.obj", "b.obj"}) {
        typeInto(dialog, kObjFile, name);
        click(dialog, kAddLayer);
    }
    QCOMPARE(selectedRowOf(dialog, kLayerList), -1);
    QVERIFY(!isEnabled(dialog, kRemoveLayer));
    click(dialog, kRemoveLayer);
    QTest::keyClick(dialog.control(kRemoveLayer), Qt::Key_Space);
    QCOMPARE(rowTexts(dialog, kLayerList), (QStringList{"a.obj", "b.obj"}));
    QCOMPARE(listsMismatch(dialog), QString());
}

void EditorEditingTest::triggerAreaIsStoredInElementOrderAndShownAsTyped()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    LayerForm form;
    form.objPath = "door.obj";
    form.kind = 3;
    form.speed = "0,1,0";
    form.framesTillReset = "40";
    form.triggerArea = "1,2,3,4,5,6";
    typeLayerForm(dialog, form);
    click(dialog, kAddLayer);
    QCOMPARE(dialog.document().layers().at(0).triggerArea, (std::array<float, 6>{1, 4, 6, 2, 3, 5}));

    clickRow(dialog, kLayerList, 0);
    QCOMPARE(textOf(dialog, kTriggerArea), QString("1.0000,2.0000,3.0000,4.0000,5.0000,6.0000"));
}

void EditorEditingTest::numbersAreShownWithFourDecimals()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    LayerForm form;
    form.objPath = "slide.obj";
    form.kind = 2;
    form.speed = "0.12345,-2,1e1";
    form.vibration = "0.00006,0.99999,3";
    typeLayerForm(dialog, form);
    click(dialog, kAddLayer);
    clickRow(dialog, kLayerList, 0);
    QCOMPARE(textOf(dialog, kSpeed), QString("0.1235,-2.0000,10.0000"));
    QCOMPARE(textOf(dialog, kVibration), QString("0.0001,1.0000,3.0000"));

    // Adding the shown layer again stores the rounded value.
    click(dialog, kAddLayer);
    QCOMPARE(dialog.document().layers().count(), 2);
    QCOMPARE(dialog.document().layers().at(1).speed[0], 0.1235f);
    QCOMPARE(dialog.document().layers().at(0).speed[0], 0.12345f);
}

void EditorEditingTest::selectedLayerIsShownInTheForm()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    LayerForm first;
    first.objPath = "wave.obj";
    first.bmpPath = "water.bmp";
    first.draw = true;
    first.collision = false;
    first.kind = 4;
    first.framesTillReset = "4";
    LayerForm second;
    second.objPath = "block.obj";
    second.collision = true;
    second.kind = 2;
    second.speed = "0.5,0,0";
    second.vibration = "0.25,0,0.25";
    typeLayerForm(dialog, first);
    click(dialog, kAddLayer);
    typeLayerForm(dialog, second);
    click(dialog, kAddLayer);

    for (int row : {0, 1, 0}) {
        clickRow(dialog, kLayerList, row);
        const LayerForm shown = layerFormFromEntry(dialog.document().layers().at(row));
        QCOMPARE(layerFormTexts(dialog),
                 (QStringList{QString::fromStdString(shown.objPath), QString::fromStdString(shown.bmpPath),
                              QString::fromStdString(shown.speed), QString::fromStdString(shown.framesTillReset),
                              QString::fromStdString(shown.vibration),
                              QString::fromStdString(shown.triggerArea)}));
        QCOMPARE(checkBox(dialog, kDraw)->isChecked(), row == 0);
        QCOMPARE(checkBox(dialog, kCollision)->isChecked(), row == 1);
        QCOMPARE(comboOf(dialog, kLayerKind)->currentIndex(), row == 0 ? 4 : 2);
        QCOMPARE(isEnabled(dialog, kBmpFile), row == 0);
        QVERIFY(isEnabled(dialog, kRemoveLayer));
    }
    QCOMPARE(textOf(dialog, kFramesTillReset), QString("4"));
    QCOMPARE(textOf(dialog, kVibration), QString("0.0000,0.0000,0.0000"));
}

void EditorEditingTest::listNotificationsKeepWhatWasTyped_data()
{
    QTest::addColumn<QString>("notification");
    QTest::newRow("clicking into the list again") << "refocus";
    QTest::newRow("double click") << "double click";
    QTest::newRow("tabbing out of the list") << "focus out";
}

// The list notifies when it gains or loses the focus and when the shown row
// is clicked again; none of these throws away what was typed.
void EditorEditingTest::listNotificationsKeepWhatWasTyped()
{
    QFETCH(QString, notification);
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    LayerForm form;
    form.objPath = "platform.obj";
    form.kind = 1;
    form.speed = "1,2,3";
    form.framesTillReset = "100";
    typeLayerForm(dialog, form);
    click(dialog, kAddLayer);
    clickRow(dialog, kLayerList, 0);
    QCOMPARE(textOf(dialog, kSpeed), QString("1.0000,2.0000,3.0000"));

    if (notification == "focus out") {
        // Typed while the list keeps the focus, then Tab leaves the list.
        typeInto(dialog, kSpeed, "9,9,9", false);
        QCOMPARE(textOf(dialog, kSpeed), QString("9,9,9"));
        QCOMPARE(QApplication::focusWidget(), dialog.control(kLayerList));
        QTest::keyClick(dialog.control(kLayerList), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != dialog.control(kLayerList));
    } else {
        QTest::mouseClick(dialog.control(kSpeed), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), dialog.control(kSpeed));
        typeInto(dialog, kSpeed, "9,9,9");
        typeInto(dialog, kObjFile, "other.obj");
        QCOMPARE(textOf(dialog, kSpeed), QString("9,9,9"));
        if (notification == "refocus")
            clickRow(dialog, kLayerList, 0);
        else
            doubleClickRow(dialog, kLayerList, 0);
        QCOMPARE(textOf(dialog, kObjFile), QString("other.obj"));
    }
    QCOMPARE(textOf(dialog, kSpeed), QString("9,9,9"));
    QVERIFY(services.questions.empty());
    QCOMPARE(selectedRowOf(dialog, kLayerList), 0);
    QCOMPARE(dialog.document().layers().count(), 1);
    QCOMPARE(dialog.document().layers().at(0).speed, (std::array<float, 3>{1, 2, 3}));
}

void EditorEditingTest::addingASelectedLayerAppendsACopy()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    for (const char* name : {"a.obj", "b.obj"}) {
        typeInto(dialog, kObjFile, name);
        click(dialog, kAddLayer);
    }
    clickRow(dialog, kLayerList, 0);
    click(dialog, kAddLayer);
    QCOMPARE(rowTexts(dialog, kLayerList), (QStringList{"a.obj", "b.obj", "a.obj"}));
    QCOMPARE(selectedRowOf(dialog, kLayerList), 0);
    QCOMPARE(listsMismatch(dialog), QString());
}

void EditorEditingTest::layerOfAnUnknownKindSelectsNoKind()
{
    LevelProject project;
    LayerEntry odd;
    odd.objPath = "odd.obj";
    odd.kind = 9;
    odd.frames = 3;
    project.layers.append(odd);
    kes::test::TempDir folder;
    const std::string path = folder.file("odd.kgp");
    QVERIFY(saveProject(project, path).ok());

    FakePlatformServices services;
    MainDialog dialog(services, path);
    QVERIFY(showAndActivate(dialog));
    clickRow(dialog, kLayerList, 0);
    QCOMPARE(comboOf(dialog, kLayerKind)->currentIndex(), -1);
    QCOMPARE(motionFieldStates(dialog), (QList<bool>{false, false, false, false}));
    QVERIFY(!isEnabled(dialog, kAddLayer));
    chooseRow(dialog, kLayerKind, 4);
    QVERIFY(isEnabled(dialog, kAddLayer));
}

void EditorEditingTest::targetRowsShowThePosition_data()
{
    QTest::addColumn<QString>("position");
    QTest::addColumn<bool>("addable");
    QTest::addColumn<QString>("row");
    QTest::addColumn<float>("x");
    QTest::newRow("three integers") << "1,2,3" << true << "1.0000,2.0000,3.0000" << 1.0f;
    QTest::newRow("two numbers") << "1,2" << false << "" << 0.0f;
    QTest::newRow("five decimals") << "1.23456,0,-0.5" << true << "1.2346,0.0000,-0.5000" << 1.23456f;
    QTest::newRow("blank before comma") << "1 ,2,3" << false << "" << 0.0f;
    QTest::newRow("text after the third number") << "1, 2, 3 metres" << true << "1.0000,2.0000,3.0000" << 1.0f;
    QTest::newRow("empty") << "" << false << "" << 0.0f;
}

void EditorEditingTest::targetRowsShowThePosition()
{
    QFETCH(QString, position);
    QFETCH(bool, addable);
    QFETCH(QString, row);
    QFETCH(float, x);
    auto& [services, dialog] = *dialogUnderTest;
    typeTargetForm(dialog, position, 1);
    QCOMPARE(isEnabled(dialog, kAddTarget), addable);
    if (!addable)
        return;
    click(dialog, kAddTarget);
    QCOMPARE(rowTexts(dialog, kTargetList), QStringList{row});
    QCOMPARE(dialog.document().targets().at(0).x, x);
    QCOMPARE(dialog.document().targets().at(0).kind, 1);
    QCOMPARE(textOf(dialog, kPosition), position);
    QCOMPARE(comboOf(dialog, kTargetKind)->currentIndex(), 1);
}

void EditorEditingTest::targetsOfTheSamePlaceShowTheirOwnKind()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    typeTargetForm(dialog, "5,0,5", 0);
    click(dialog, kAddTarget);
    typeTargetForm(dialog, "5,0,5", 1);
    click(dialog, kAddTarget);
    QCOMPARE(rowTexts(dialog, kTargetList), (QStringList{"5.0000,0.0000,5.0000", "5.0000,0.0000,5.0000"}));
    for (int row : {0, 1, 0}) {
        clickRow(dialog, kTargetList, row);
        QCOMPARE(comboOf(dialog, kTargetKind)->currentIndex(), row);
        QCOMPARE(textOf(dialog, kPosition), QString("5.0000,0.0000,5.0000"));
        QVERIFY(isEnabled(dialog, kRemoveTarget));
    }
}

void EditorEditingTest::the33rdTargetShowsTheLimitAndChangesNothing()
{
    auto& [services, dialog] = *dialogUnderTest;
    typeTargetForm(dialog, "1,1,1", 0);
    for (int i = 0; i < 32; ++i)
        click(dialog, kAddTarget);
    QCOMPARE(dialog.document().targets().count(), 32);
    QVERIFY(services.messages.empty());
    click(dialog, kAddTarget);
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text,
             std::string("You can only add up to 32 Targets with this tool, although Kestrin supports more. "
                         "If you have a usage for more targets, feel free to contact the developer."));
    QCOMPARE(services.messages[0].caption, std::string("Target Limit"));
    QVERIFY(services.messages[0].icon == MessageIcon::Error);
    QCOMPARE(dialog.document().targets().count(), 32);
    QCOMPARE(listsMismatch(dialog), QString());
    QCOMPARE(textOf(dialog, kPosition), QString("1,1,1"));
}

void EditorEditingTest::removingATargetKeepsRowsMatchingEntries()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    for (const char* position : {"1,0,0", "2,0,0", "3,0,0"}) {
        typeTargetForm(dialog, position, 0);
        click(dialog, kAddTarget);
    }
    QVERIFY(!isEnabled(dialog, kRemoveTarget)); // nothing selected
    clickRow(dialog, kTargetList, 0);
    typeInto(dialog, kPosition, "7,7,7");
    click(dialog, kRemoveTarget);
    QCOMPARE(rowTexts(dialog, kTargetList), (QStringList{"2.0000,0.0000,0.0000", "3.0000,0.0000,0.0000"}));
    QCOMPARE(listsMismatch(dialog), QString());
    QCOMPARE(selectedRowOf(dialog, kTargetList), -1);
    QVERIFY(!isEnabled(dialog, kRemoveTarget));
    QCOMPARE(textOf(dialog, kPosition), QString("7,7,7"));
}

void EditorEditingTest::refocusingTheTargetListKeepsWhatWasTyped()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    typeTargetForm(dialog, "1,2,3", 1);
    click(dialog, kAddTarget);
    clickRow(dialog, kTargetList, 0);
    QTest::mouseClick(dialog.control(kPosition), Qt::LeftButton);
    typeInto(dialog, kPosition, "8,8,8");
    chooseRow(dialog, kTargetKind, 0);
    clickRow(dialog, kTargetList, 0);
    QCOMPARE(textOf(dialog, kPosition), QString("8,8,8"));
    QCOMPARE(comboOf(dialog, kTargetKind)->currentIndex(), 0);
    QVERIFY(services.questions.empty());
    QCOMPARE(dialog.document().targets().count(), 1);
    QCOMPARE(dialog.document().targets().at(0).kind, 1);
}

QTEST_MAIN(EditorEditingTest)
#include "editor_editing_test.moc"
