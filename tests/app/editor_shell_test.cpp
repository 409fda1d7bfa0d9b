// The editor's shell: start, layout, enable rules of "Generate Level...",
// Quit/Escape/Enter, Open, Save, Browse and Generate, driven through the
// real widgets with scripted platform services.
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <stdexcept>
#include <memory>

#include "app/dialog_builder.h"
#include "app/dialog_units.h"
#include "app/file_filters.h"
#include "app/startup.h"
#include "app/tab_order.h"
#include "dialog_under_test.h"
#include "editor_driver.h"
#include "fake_platform_services.h"
#include "levelfile/level_reader.h"
#include "model/project_file.h"
#include "support/temp_dir.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

namespace {

const int kSettingIds[] = {kTitle, kAuthor, kVersionMajor, kVersionMinor, kStartPosition, kBackgroundColor, kFramesLR};

QStringList settingTexts(const MainDialog& dialog)
{
    QStringList texts;
    for (int id : kSettingIds)
        texts << textOf(dialog, id);
    return texts;
}

// A project with one layer and one target, as a file would hold it.
LevelProject sampleProject()
{
    LevelProject project;
    project.settings.title = "Sample";
    project.settings.author = "Tester";
    project.settings.versionMajor = "4";
    project.settings.versionMinor = "2";
    project.settings.framesLR = "12";
    project.settings.startPosition = "1,2,3,4,5,6";
    project.settings.backgroundColor = "0.1,0.2,0.3";
    LayerEntry layer;
    layer.objPath = "rock.obj";
    layer.kind = 1;
    layer.speed = {1, 2, 3};
    layer.frames = 9;
    project.layers.append(layer);
    project.targets.append(TargetEntry{1.5f, 2.5f, 3.5f, 1});
    return project;
}

std::vector<std::uint8_t> withLayerCount(std::vector<std::uint8_t> bytes, std::int32_t count)
{
    const auto value = static_cast<std::uint32_t>(count);
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(1022 + i) = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

bool sameFilter(const FileFilter& a, const FileFilter& b)
{
    return a.description == b.description && a.pattern == b.pattern && a.defaultExtension == b.defaultExtension;
}

} // namespace

class EditorShellTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DialogUnderTest> dialogUnderTest;

private slots:
    void init() { dialogUnderTest = std::make_unique<DialogUnderTest>(); }
    void cleanup() { dialogUnderTest.reset(); }
    void startsWithDefaultsAndEnableStates();
    void dialogUnitsRoundToTheNearestPixel_data();
    void dialogUnitsRoundToTheNearestPixel();
    void buildsTheDescribedDialog();
    void bindingRefusesAMissingOrMistypedControl();
    void namesEveryControlForScreenReaders();
    void digitsOnlyEditsRefuseOtherTypedCharacters();
    void loadsTheProjectNamedAtStart();
    void startsWithDefaultsWithoutAReadableProject_data();
    void startsWithDefaultsWithoutAReadableProject();
    void reportsAFileNamedAtStartThatIsNoProject();
    void generateIsEnabledByTheSettings_data();
    void generateIsEnabledByTheSettings();
    void endsLikeQuitAskingOnlyAboutTheTypedLayer_data();
    void endsLikeQuitAskingOnlyAboutTheTypedLayer();
    void enterInAnEditDoesNothing();
    void openOfAFileThatIsNoProjectChangesNothing_data();
    void openOfAFileThatIsNoProjectChangesNothing();
    void openCancelledChangesNothing();
    void saveThenOpenRestoresEveryText();
    void failedSaveIsReportedAndCancelledSaveWritesNothing();
    void browseFillsTheFieldOrLeavesIt();
    void generateCancelledDoesNothing();
    void generateWritesALevelTheReaderAccepts();
    void generateFailureShowsTheErrorWithItsReason();
};

void EditorShellTest::startsWithDefaultsAndEnableStates()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));

    QCOMPARE(settingTexts(dialog), (QStringList{"Level", "You", "1", "0", "0.0000,0.0000,0.0000,0.0,0.0,0.0",
                                               "0.0000,0.0000,0.0000", "0"}));
    for (int id : {kObjFile, kBmpFile, kSpeed, kFramesTillReset, kVibration, kTriggerArea, kPosition})
        QCOMPARE(textOf(dialog, id), QString());
    QVERIFY(!checkBox(dialog, kDraw)->isChecked());
    QVERIFY(!checkBox(dialog, kCollision)->isChecked());
    QCOMPARE(comboOf(dialog, kLayerKind)->currentIndex(), 0);
    QCOMPARE(comboOf(dialog, kLayerKind)->currentText(), QString("Static"));
    QCOMPARE(comboOf(dialog, kLayerKind)->count(), 6);
    QCOMPARE(comboOf(dialog, kTargetKind)->currentIndex(), 0);
    QCOMPARE(comboOf(dialog, kTargetKind)->itemText(1), QString("Red: Brake down (Collision resets velocity)"));
    QCOMPARE(listOf(dialog, kLayerList)->count(), 0);
    QCOMPARE(listOf(dialog, kTargetList)->count(), 0);

    for (int id : {kGenerate, kQuit, kSave, kOpen, kImportLevel, kBrowseObj, kBrowseBmp, kDraw, kCollision, kLayerKind,
                   kTargetKind, kObjFile, kPosition, kLayerList, kTargetList})
        QVERIFY2(isEnabled(dialog, id), qPrintable(QString::number(id)));
    for (int id : {kAddLayer, kRemoveLayer, kAddTarget, kRemoveTarget, kSpeed, kFramesTillReset, kVibration,
                   kTriggerArea, kBmpFile})
        QVERIFY2(!isEnabled(dialog, id), qPrintable(QString::number(id)));

    QCOMPARE(QApplication::focusWidget(), dialog.control(kQuit));
    QVERIFY(services.messages.empty());
    QVERIFY(services.fileRequests.empty());
}

void EditorShellTest::dialogUnitsRoundToTheNearestPixel_data()
{
    QTest::addColumn<int>("baseX");
    QTest::addColumn<int>("baseY");
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QRect>("pixels");
    // x * baseX / 4 and y * baseY / 8, halves rounded up.
    QTest::newRow("Quit, 6 x 13 font") << 6 << 13 << QRect(82, 248, 33, 14) << QRect(123, 403, 50, 23);
    QTest::newRow("label, 7 x 16 font") << 7 << 16 << QRect(8, 16, 14, 8) << QRect(14, 32, 25, 16);
    QTest::newRow("dialog, 6 x 13 font") << 6 << 13 << QRect(0, 0, 454, 264) << QRect(0, 0, 681, 429);
    QTest::newRow("odd units, 5 x 11 font") << 5 << 11 << QRect(1, 1, 3, 5) << QRect(1, 1, 4, 7);
}

void EditorShellTest::dialogUnitsRoundToTheNearestPixel()
{
    QFETCH(int, baseX);
    QFETCH(int, baseY);
    QFETCH(QRect, units);
    QFETCH(QRect, pixels);
    const DialogUnits mapping(baseX, baseY);
    QCOMPARE(mapping.toPixels(units.x(), units.y(), units.width(), units.height()), pixels);
}

void EditorShellTest::buildsTheDescribedDialog()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    const DialogUnits units = DialogUnits::forFont(dialog.font());

    QCOMPARE(dialog.windowTitle(), QString("Kestrin Level Generator"));
    // The form keeps its size; the preview beside it takes the rest of the
    // resizable window (tests/app/preview_pane_test.cpp).
    const QSize size(units.toPixelsX(454), units.toPixelsY(264));
    QCOMPARE(dialog.height(), size.height());
    QVERIFY(dialog.width() > size.width());
    QCOMPARE(dialog.minimumHeight(), size.height());
    QCOMPARE(dialog.maximumHeight(), QWIDGETSIZE_MAX); // the lists grow with its height
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!dialog.windowIcon().isNull());

    // Every control where the description puts it, with its caption; tab
    // stops as the layout reads.
    QList<QWidget*> expectedTabOrder;
    for (int id : tabOrder())
        expectedTabOrder << dialog.control(id);
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    const QList<QGroupBox*> groups = dialog.findChildren<QGroupBox*>();
    for (const ControlDescription& control : dialogControls()) {
        const QString caption = QString::fromUtf8(control.caption);
        const int height = control.kind == ControlKind::DropDownList ? kDropDownClosedHeight : control.height;
        const QRect rect = units.toPixels(control.x, control.y, control.width, height);
        if (control.id == kNoId) {
            QWidget* found = nullptr;
            for (QLabel* label : labels)
                if (label->text() == caption && label->geometry() == rect)
                    found = label;
            for (QGroupBox* group : groups)
                if (group->title() == caption && group->geometry() == rect)
                    found = group;
            QVERIFY2(found, qPrintable("no label or group box " + caption));
            continue;
        }
        QWidget* widget = dialog.control(control.id);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), rect);
        if (auto* push = qobject_cast<QPushButton*>(widget)) {
            QCOMPARE(push->text(), caption);
            QVERIFY(!push->autoDefault());
            QVERIFY(!push->isDefault());
        }
        if (auto* box = qobject_cast<QCheckBox*>(widget))
            QCOMPARE(box->text(), caption);
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            QVERIFY(!combo->isEditable());
        QVERIFY2(expectedTabOrder.contains(widget), qPrintable(QString::number(control.id)));
    }
    QWidget* first = dialog.control(kTitle);
    QList<QWidget*> chain{first};
    for (QWidget* w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain())
        if (w->parentWidget() == &dialog && (w->focusPolicy() & Qt::TabFocus))
            chain << w;
    QCOMPARE(chain, expectedTabOrder);

    bool hasFooter = false;
    for (QLabel* label : labels)
        hasFooter = hasFooter || label->text() == "1 Frame = 1/25 second.";
    QVERIFY(hasFooter);
}

void EditorShellTest::bindingRefusesAMissingOrMistypedControl()
{
    QWidget parent;
    std::map<int, QWidget*> byId = buildDialogControls(parent, dialogControls(), DialogUnits(6, 13), [](int) {});
    const MainDialogControls bound = bindMainDialogControls(byId);
    QCOMPARE(static_cast<QWidget*>(bound.layerKind), byId.at(kLayerKind));
    QCOMPARE(static_cast<QWidget*>(bound.quit), byId.at(kQuit));

    std::map<int, QWidget*> missing = byId;
    missing.erase(kTargetKind);
    QVERIFY_THROWS_EXCEPTION(std::logic_error, bindMainDialogControls(missing));
    std::map<int, QWidget*> mistyped = byId;
    mistyped[kLayerKind] = byId.at(kTitle); // an edit where a drop-down list belongs
    QVERIFY_THROWS_EXCEPTION(std::logic_error, bindMainDialogControls(mistyped));
}

void EditorShellTest::namesEveryControlForScreenReaders()
{
    const std::pair<int, const char*> names[] = {
        {kTitle, "Title"},
        {kAuthor, "Author"},
        {kVersionMajor, "Version"},
        {kVersionMinor, "Minor version"},
        {kStartPosition, "Start Position [x,y,z,rx,ry,rz]"},
        {kBackgroundColor, "Background Color [r,g,b]"},
        {kFramesLR, "Frames to use L/R"},
        {kObjFile, "OBJ File"},
        {kBmpFile, "BMP File"},
        {kSpeed, "Speed [x,y,z]"},
        {kFramesTillReset, "Frames till reset/stop"},
        {kVibration, "Vibration Width [x,y,z]"},
        {kTriggerArea, "Trigger Area [x1,x2,y1,y2,z1,z2]"},
        {kPosition, "Position [x,y,z]"},
        {kLayerList, "Layers"},
        {kTargetList, "Targets"},
        {kLayerKind, "Layer kind"},
        {kTargetKind, "Target kind"},
        {kAddLayer, "Add layer"},
        {kRemoveLayer, "Remove layer"},
        {kAddTarget, "Add target"},
        {kRemoveTarget, "Remove target"},
        {kBrowseObj, "Browse OBJ file"},
        {kBrowseBmp, "Browse BMP file"},
        {kQuit, "Quit"},
        {kSave, "Save..."},
        {kOpen, "Open..."},
        {kImportLevel, "Import level file"},
        {kRecentProjects, "Recent projects"},
        {kGenerate, "Generate Level..."},
        {kDraw, "Draw"},
        {kCollision, "Collision"},
        {kHelp, "Help"},
        {kUpdateLayer, "Update layer"},
        {kUpdateTarget, "Update target"},
        {kMoveLayerUp, "Move layer up"},
        {kMoveLayerDown, "Move layer down"},
        {kMoveTargetUp, "Move target up"},
        {kMoveTargetDown, "Move target down"},
        {kRelink, "Relink missing files"},
    };
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    int named = 0;
    for (const auto& [id, name] : names) {
        QWidget* widget = dialog.control(id);
        QCOMPARE(widget->accessibleName(), QString(name)); // what UI Automation announces
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible);
        if (qobject_cast<QComboBox*>(widget)) {
            // AT-SPI gives a drop-down list's current row as its name and
            // announces the label it is labelled by.
            const auto labels = accessible->relations(QAccessible::Label);
            QCOMPARE(labels.size(), 1);
            QCOMPARE(labels.first().first->text(QAccessible::Name), QString(name));
        } else {
            QCOMPARE(accessible->text(QAccessible::Name), QString(name));
        }
        ++named;
    }
    // Every control with an id is in the table above.
    int withId = 0;
    for (const ControlDescription& control : dialogControls())
        withId += control.id != kNoId;
    QCOMPARE(named, withId);
    // The visible captions stay as they are.
    QCOMPARE(button(dialog, kAddLayer)->text(), QString("< Add <"));
    QCOMPARE(button(dialog, kBrowseBmp)->text(), QString("Browse..."));
}

void EditorShellTest::digitsOnlyEditsRefuseOtherTypedCharacters()
{
    auto& [services, dialog] = *dialogUnderTest;
    chooseRow(dialog, kLayerKind, 1); // Moving enables Frames till reset/stop
    for (int id : {kVersionMajor, kVersionMinor, kFramesLR, kFramesTillReset}) {
        typeInto(dialog, id, "1a2.3-4 5x");
        QCOMPARE(textOf(dialog, id), QString("12345"));
    }
    // Other edits take any text.
    typeInto(dialog, kTitle, "1a2.3");
    QCOMPARE(textOf(dialog, kTitle), QString("1a2.3"));
}

void EditorShellTest::loadsTheProjectNamedAtStart()
{
    kes::test::TempDir folder;
    const std::string path = folder.file("start project.kgp");
    QVERIFY(saveProject(sampleProject(), path).ok());

    FakePlatformServices services;
    const std::string startup = startupProjectPath({"kesgen", QString::fromStdString(path)});
    QCOMPARE(startup, path);
    MainDialog dialog(services, startup);
    QCOMPARE(settingTexts(dialog), (QStringList{"Sample", "Tester", "4", "2", "1,2,3,4,5,6", "0.1,0.2,0.3", "12"}));
    QCOMPARE(rowTexts(dialog, kLayerList), QStringList{"rock.obj"});
    QCOMPARE(rowTexts(dialog, kTargetList), QStringList{"1.5000,2.5000,3.5000"});
    QVERIFY(dialog.document().project() == sampleProject());
    QCOMPARE(dialog.document().folder(), folder.path().string());
    QVERIFY(services.messages.empty());
    QVERIFY(isEnabled(dialog, kGenerate));
}

void EditorShellTest::startsWithDefaultsWithoutAReadableProject_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no argument") << QStringList{"kesgen"};
    QTest::newRow("empty argument") << QStringList{"kesgen", ""};
    QTest::newRow("missing file") << QStringList{"kesgen", "/nonexistent/folder/level.kgp"};
    QTest::newRow("a folder") << QStringList{"kesgen", QDir::tempPath()};
}

void EditorShellTest::startsWithDefaultsWithoutAReadableProject()
{
    QFETCH(QStringList, arguments);
    const std::string startup = startupProjectPath(arguments);
    QCOMPARE(startup, std::string());
    FakePlatformServices services;
    MainDialog dialog(services, startup);
    QCOMPARE(textOf(dialog, kTitle), QString("Level"));
    QVERIFY(services.messages.empty());
}

void EditorShellTest::reportsAFileNamedAtStartThatIsNoProject()
{
    kes::test::TempDir folder;
    const std::string path = folder.file("notes.kgp");
    kes::test::writeFile(path, std::string("Not a project at all"));
    FakePlatformServices services;
    MainDialog dialog(services, startupProjectPath({"kesgen", QString::fromStdString(path)}));
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("Invalid File: Header incorrect."));
    QCOMPARE(services.messages[0].caption, std::string("Could not open"));
    QVERIFY(services.messages[0].icon == MessageIcon::Error);
    QCOMPARE(textOf(dialog, kTitle), QString("Level"));
    QCOMPARE(dialog.document().folder(), std::string());
}

void EditorShellTest::generateIsEnabledByTheSettings_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("title empty") << int(kTitle) << "" << false;
    QTest::newRow("title one character") << int(kTitle) << "x" << true;
    QTest::newRow("author empty") << int(kAuthor) << "" << false;
    QTest::newRow("version empty") << int(kVersionMajor) << "" << false;
    QTest::newRow("minor version empty") << int(kVersionMinor) << "" << false;
    QTest::newRow("start position five numbers") << int(kStartPosition) << "1,2,3,4,5" << false;
    QTest::newRow("start position six numbers and text") << int(kStartPosition) << "1,2,3,4,5,6 and more" << true;
    QTest::newRow("start position integers") << int(kStartPosition) << "1,2,3,4,5,6" << true;
    QTest::newRow("start position blank before comma") << int(kStartPosition) << "1 ,2,3,4,5,6" << false;
    QTest::newRow("start position blanks after commas") << int(kStartPosition) << "1, 2, 3, 4, 5, 6" << true;
    QTest::newRow("start position decimal comma") << int(kStartPosition) << "1,5;2,3;4,5;6" << false;
    QTest::newRow("start position empty") << int(kStartPosition) << "" << false;
    QTest::newRow("background two numbers") << int(kBackgroundColor) << "0.5,0.5" << false;
    QTest::newRow("background three numbers") << int(kBackgroundColor) << "0.5,0.25,1e0" << true;
    QTest::newRow("background words") << int(kBackgroundColor) << "red" << false;
    QTest::newRow("frames L/R empty") << int(kFramesLR) << "" << false;
    QTest::newRow("frames L/R a digit") << int(kFramesLR) << "7" << true;
    QTest::newRow("frames L/R zero") << int(kFramesLR) << "0" << true;
}

void EditorShellTest::generateIsEnabledByTheSettings()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(isEnabled(dialog, kGenerate));
    typeInto(dialog, field, text);
    QCOMPARE(textOf(dialog, field), text);
    QCOMPARE(isEnabled(dialog, kGenerate), enabled);
    // Typing a valid text again re-enables it at once.
    typeInto(dialog, field, field == kStartPosition ? "0,0,0,0,0,0" : field == kBackgroundColor ? "0,0,0" : "1");
    QVERIFY(isEnabled(dialog, kGenerate));
}

void EditorShellTest::endsLikeQuitAskingOnlyAboutTheTypedLayer_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
    QTest::newRow("Quit clicked") << "quit";
    QTest::newRow("Enter on Quit at start") << "enter";
    QTest::newRow("space bar on Quit at start") << "space";
}

void EditorShellTest::endsLikeQuitAskingOnlyAboutTheTypedLayer()
{
    QFETCH(QString, how);
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    // A layer typed into the form is not part of the level, so nothing is
    // unsaved; but it is the designer's work, dropped only when they agree.
    typeInto(dialog, kObjFile, "scratch.obj", false);
    QVERIFY(!dialog.document().isModified());
    services.answers = {Answer::Discard};
    QCOMPARE(QApplication::focusWidget(), dialog.control(kQuit));
    QSignalSpy finished(&dialog, &QDialog::finished);
    if (how == "escape")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else if (how == "close")
        dialog.close();
    else if (how == "quit")
        click(dialog, kQuit);
    else if (how == "enter")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    else if (how == "space")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(finished.count(), 1);
    QVERIFY(services.messages.empty());
    QVERIFY(services.fileRequests.empty());
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(services.questions[0].text, std::string("The form holds a layer that is not added. Discard it?"));
}

void EditorShellTest::enterInAnEditDoesNothing()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    // "Quit" had the focus first; Enter must not press it from an edit.
    typeInto(dialog, kPosition, "1,2,3");
    typeInto(dialog, kObjFile, "a.obj");
    QVERIFY(isEnabled(dialog, kAddTarget));
    QVERIFY(isEnabled(dialog, kAddLayer));
    const QStringList before = settingTexts(dialog);
    for (int id : {kTitle, kAuthor, kVersionMajor, kVersionMinor, kStartPosition, kBackgroundColor, kFramesLR,
                   kObjFile, kPosition}) {
        QTest::mouseClick(dialog.control(id), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), dialog.control(id));
        QTest::keyClick(dialog.control(id), Qt::Key_Return);
        QTest::keyClick(dialog.control(id), Qt::Key_Enter, Qt::KeypadModifier);
    }
    QVERIFY(dialog.isVisible());
    QCOMPARE(settingTexts(dialog), before);
    QCOMPARE(dialog.document().layers().count(), 0);
    QCOMPARE(dialog.document().targets().count(), 0);
    QVERIFY(services.messages.empty());
    QVERIFY(services.fileRequests.empty());
}

void EditorShellTest::openOfAFileThatIsNoProjectChangesNothing_data()
{
    const std::vector<std::uint8_t> valid = encodeProject(sampleProject());
    std::vector<std::uint8_t> lowerCase = valid;
    std::copy_n("kesgenproj", 10, lowerCase.begin());

    QTest::addColumn<QByteArray>("bytes");
    auto bytesOf = [](const std::vector<std::uint8_t>& v) {
        return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
    };
    QTest::newRow("header in lower case") << bytesOf(lowerCase);
    QTest::newRow("shorter than the header") << QByteArray("KESGEN");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("layer count 40") << bytesOf(withLayerCount(valid, 40));
    QTest::newRow("layer count -1") << bytesOf(withLayerCount(valid, -1));
    QTest::newRow("cut short") << bytesOf(std::vector<std::uint8_t>(valid.begin(), valid.end() - 3));
}

void EditorShellTest::openOfAFileThatIsNoProjectChangesNothing()
{
    QFETCH(QByteArray, bytes);
    kes::test::TempDir folder;
    const std::string path = folder.file("broken.kgp");
    kes::test::writeFile(path, bytes.toStdString());
    LevelProject ignored;
    const std::vector<std::uint8_t> raw(bytes.begin(), bytes.end());
    const Status expected = decodeProject(raw, ignored);
    QVERIFY(!expected.ok());

    auto& [services, dialog] = *dialogUnderTest;
    typeInto(dialog, kTitle, "Mine");
    typeTargetForm(dialog, "1,2,3", 1);
    click(dialog, kAddTarget);
    const LevelProject before = dialog.document().project();

    // The level is modified: the changes are discarded first, but the file
    // is no project, so they stay.
    services.answers = {Answer::Discard};
    services.fileAnswers = {path};
    click(dialog, kOpen);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(services.fileRequests.size(), std::size_t(1));
    QVERIFY(!services.fileRequests[0].save);
    QVERIFY(sameFilter(services.fileRequests[0].filter, kProjectFilter));
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, expected.reason());
    QCOMPARE(services.messages[0].caption, std::string("Could not open"));
    QVERIFY(services.messages[0].icon == MessageIcon::Error);
    QVERIFY(dialog.document().project() == before);
    QCOMPARE(listsMismatch(dialog), QString());
    QCOMPARE(dialog.document().folder(), std::string());
    QVERIFY(dialog.document().isModified());
}

void EditorShellTest::openCancelledChangesNothing()
{
    auto& [services, dialog] = *dialogUnderTest;
    typeInto(dialog, kAuthor, "Someone");
    const LevelProject before = dialog.document().project();
    // Cancelled at the question about the changes, then in the file dialog.
    services.answers = {Answer::Cancel, Answer::Discard};
    click(dialog, kOpen);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QVERIFY(services.fileRequests.empty());
    click(dialog, kOpen); // no file answer: cancelled
    QCOMPARE(services.questions.size(), std::size_t(2));
    QCOMPARE(services.fileRequests.size(), std::size_t(1));
    QVERIFY(services.messages.empty());
    QVERIFY(dialog.document().project() == before);
    QVERIFY(dialog.document().isModified());
}

void EditorShellTest::saveThenOpenRestoresEveryText()
{
    kes::test::TempDir folder;
    const std::string path = folder.file("dune sea.kgp");
    const QStringList typed{"Dune Sea", "Ana Ölçer", "3", "12", "1,2,3,4,5,6", "not a colour", "25"};

    auto& [services, dialog] = *dialogUnderTest;
    for (std::size_t i = 0; i < std::size(kSettingIds); ++i)
        typeInto(dialog, kSettingIds[i], typed[static_cast<qsizetype>(i)]);
    QCOMPARE(settingTexts(dialog), typed);
    LayerForm layer;
    layer.objPath = "hill.obj";
    layer.bmpPath = "grass.bmp";
    layer.draw = true;
    layer.kind = 2;
    layer.speed = "0.5,0,0";
    layer.vibration = "1,1,1";
    typeLayerForm(dialog, layer);
    click(dialog, kAddLayer);
    typeTargetForm(dialog, "4,5,6", 1);
    click(dialog, kAddTarget);

    services.fileAnswers = {path};
    click(dialog, kSave);
    QCOMPARE(services.fileRequests.size(), std::size_t(1));
    QVERIFY(services.fileRequests[0].save);
    QVERIFY(sameFilter(services.fileRequests[0].filter, kProjectFilter));
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("Project saved."));
    QCOMPARE(services.messages[0].caption, std::string("Saved."));
    QVERIFY(services.messages[0].icon == MessageIcon::Information);
    QCOMPARE(dialog.document().folder(), folder.path().string());

    FakePlatformServices otherServices;
    MainDialog reopened(otherServices);
    otherServices.fileAnswers = {path};
    click(reopened, kOpen);
    QVERIFY(otherServices.messages.empty());
    QCOMPARE(settingTexts(reopened), typed);
    QVERIFY(reopened.document().project() == dialog.document().project());
    QCOMPARE(rowTexts(reopened, kLayerList), QStringList{"hill.obj"});
    QCOMPARE(rowTexts(reopened, kTargetList), QStringList{"4.0000,5.0000,6.0000"});
    QCOMPARE(selectedRowOf(reopened, kLayerList), -1);
    QCOMPARE(selectedRowOf(reopened, kTargetList), -1);
    QVERIFY(!isEnabled(reopened, kGenerate)); // the background colour doesn't parse
    QCOMPARE(reopened.document().folder(), folder.path().string());
}

void EditorShellTest::failedSaveIsReportedAndCancelledSaveWritesNothing()
{
    kes::test::TempDir folder;
    auto& [services, dialog] = *dialogUnderTest;

    click(dialog, kSave); // cancelled
    QVERIFY(services.messages.empty());
    QVERIFY(folder.entries().empty());

    const std::string unwritable = folder.file("no such folder/level.kgp");
    services.fileAnswers = {unwritable};
    click(dialog, kSave);
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].caption, std::string("Could not save"));
    QVERIFY(services.messages[0].icon == MessageIcon::Error);
    QVERIFY(!services.messages[0].detail.empty());
    QCOMPARE(dialog.document().folder(), std::string());
}

void EditorShellTest::browseFillsTheFieldOrLeavesIt()
{
    auto& [services, dialog] = *dialogUnderTest;
    typeInto(dialog, kObjFile, "keep.obj");

    services.fileAnswers = {""};
    click(dialog, kBrowseObj);
    QCOMPARE(textOf(dialog, kObjFile), QString("keep.obj"));

    services.fileAnswers = {"/levels/mesh.obj", "/levels/skin.bmp"};
    typeInto(dialog, kObjFile, "");
    QVERIFY(!isEnabled(dialog, kAddLayer));
    click(dialog, kBrowseObj);
    QCOMPARE(textOf(dialog, kObjFile), QString("/levels/mesh.obj"));
    QVERIFY(isEnabled(dialog, kAddLayer)); // the rules ran with the new text
    // The BMP "Browse..." works while the BMP File field is disabled.
    QVERIFY(!isEnabled(dialog, kBmpFile));
    click(dialog, kBrowseBmp);
    QCOMPARE(textOf(dialog, kBmpFile), QString("/levels/skin.bmp"));

    QCOMPARE(services.fileRequests.size(), std::size_t(3));
    for (const FileRequest& request : services.fileRequests)
        QVERIFY(!request.save);
    QVERIFY(sameFilter(services.fileRequests[0].filter, kObjFilter));
    QCOMPARE(services.fileRequests[0].filter.description,
             std::string("Wavefront OBJ (Triangulated, with Normals and UV Coords)(*.obj)"));
    QCOMPARE(services.fileRequests[2].filter.description, std::string("Bitmap Texture (24 bit)(*.bmp)"));
    QCOMPARE(services.fileRequests[2].filter.defaultExtension, std::string("bmp"));
    QVERIFY(services.messages.empty());
}

void EditorShellTest::generateCancelledDoesNothing()
{
    kes::test::TempDir folder;
    auto& [services, dialog] = *dialogUnderTest;
    click(dialog, kGenerate);
    QCOMPARE(services.fileRequests.size(), std::size_t(1));
    QVERIFY(services.fileRequests[0].save);
    QVERIFY(sameFilter(services.fileRequests[0].filter, kLevelFilter));
    QVERIFY(services.messages.empty());
    QVERIFY(folder.entries().empty());
}

void EditorShellTest::generateWritesALevelTheReaderAccepts()
{
    kes::test::TempDir folder;
    const std::string path = folder.file("plain.kes");
    auto& [services, dialog] = *dialogUnderTest;
    typeInto(dialog, kTitle, "Plain");
    typeInto(dialog, kVersionMajor, "70000");
    typeInto(dialog, kFramesLR, "12");
    typeTargetForm(dialog, "1,2,3", 1);
    click(dialog, kAddTarget);

    services.fileAnswers = {path};
    services.answers = {Answer::Generate};
    click(dialog, kGenerate);
    // The version is gathered as a problem first; the designer goes on.
    QCOMPARE(services.questions.size(), std::size_t(1));
    QVERIFY2(services.questions[0].detail.find("warning: the major version 70000 is outside 0 to 65535; the level "
                                               "gets 4464")
                 != std::string::npos,
             services.questions[0].detail.c_str());
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("Level created successfully."));
    QCOMPARE(services.messages[0].caption, std::string("Completed"));
    QVERIFY(services.messages[0].icon == MessageIcon::Information);

    LevelFile level;
    const Status read = loadLevelFile(path, level);
    QVERIFY2(read.ok(), read.reason().c_str());
    QCOMPARE(level.header.title, std::string("Plain"));
    QCOMPARE(level.header.author, std::string("You"));
    QCOMPARE(int(level.header.versionMajor), 70000 % 65536);
    QCOMPARE(int(level.header.versionMinor), 0);
    QCOMPARE(level.header.chunkCounts, (std::array<std::uint16_t, 5>{0, 4, 2, 1, 0}));
    QVERIFY(level.layers.empty());
}

void EditorShellTest::generateFailureShowsTheErrorWithItsReason()
{
    kes::test::TempDir folder;
    const std::string path = folder.file("broken.kes");
    auto& [services, dialog] = *dialogUnderTest;
    typeInto(dialog, kObjFile, QString::fromStdString(folder.file("missing-mesh.obj")));
    click(dialog, kAddLayer);

    // The missing mesh is gathered first; stopping there writes nothing.
    services.fileAnswers = {path};
    click(dialog, kGenerate);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(services.questions[0].caption, std::string("Problems in the Level"));
    QVERIFY2(services.questions[0].detail.find("error: layer 1: ") != std::string::npos,
             services.questions[0].detail.c_str());
    QVERIFY(services.messages.empty());
    QVERIFY(folder.entries().empty());

    services.fileAnswers = {path};
    services.answers = {Answer::Generate};
    click(dialog, kGenerate);
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("An Error occured; double-check entered values."));
    QCOMPARE(services.messages[0].caption, std::string("Error"));
    QVERIFY(services.messages[0].icon == MessageIcon::Error);
    QVERIFY2(services.messages[0].detail.find("missing-mesh.obj") != std::string::npos,
             services.messages[0].detail.c_str());
}

QTEST_MAIN(EditorShellTest)
#include "editor_shell_test.moc"
