// Files in the editor: paths stored relative to the project's folder, file
// dialogs that start there, dropped files, animation frame files, marks on
// fields whose text won't give what was typed, the problems gathered before
// a level is written, and Relink.
#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUndoStack>
#include <QUrl>

#include <filesystem>

#include "check/field_checks.h"
#include "editor_driver.h"
#include "editor_test_assets.h"
#include "fake_platform_services.h"
#include "model/project_file.h"
#include "support/temp_dir.h"
#ifdef KESGEN_CLI
#include "cli/cli_runner.h"
#endif

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;
using kes::test::TempDir;

namespace {

void writeTriangle(const std::string& path)
{
    kes::test::writeFile(path, std::string(kTriangleObj));
}

// Drags `urls` onto `target` and drops them there; true when the target took
// the drop (a refused drag never reaches the drop).
bool dropUrls(QWidget* target, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

bool dropFiles(QWidget* target, const std::vector<std::string>& paths)
{
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    return dropUrls(target, urls);
}

// Saves the dialog's project as `path`, which makes its folder the project's.
void saveAs(MainDialog& dialog, FakePlatformServices& services, const std::string& path)
{
    services.fileAnswers = {path};
    click(dialog, kSave);
}

bool isMarked(const MainDialog& dialog, int id)
{
    return dialog.control(id)->styleSheet().contains("#d02020");
}

QString tipOf(const MainDialog& dialog, int id)
{
    return dialog.control(id)->toolTip();
}

QString frameNote(const MainDialog& dialog)
{
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->accessibleName() == "Frame files")
            return label->text();
    return "(no note)";
}

} // namespace

class EditorFilesAndChecksTest : public QObject {
    Q_OBJECT

private slots:
    void pickedFilesAreStoredRelativeToTheProject();
    void savingElsewhereKeepsNamingTheSameFiles();
    void filesDroppedOnTheFields();
    void meshesDroppedOnTheLayerList();
    void aProjectDroppedOnTheWindowOpens();
    void pickingAFrameFileStoresTheAnimationsBase();
    void numberChecks_data();
    void numberChecks();
    void fieldsAreMarkedAsTheDesignerTypes_data();
    void fieldsAreMarkedAsTheDesignerTypes();
    void fileFieldsAreChecked();
    void problemsAreGatheredBeforeGenerating();
    void problemsAreThoseOfTheCommandLineCheck();
    void relinkRewritesMissingPaths();
};

void EditorFilesAndChecksTest::pickedFilesAreStoredRelativeToTheProject()
{
    TempDir folder;
    std::filesystem::create_directories(folder.path() / "meshes");
    FakePlatformServices services;
    MainDialog dialog(services);
    typeInto(dialog, kTitle, "Dune: Sea");

    // Before the project has a file, Save suggests the title as its name.
    saveAs(dialog, services, folder.file("dunes.kgp"));
    QCOMPARE(services.fileRequests[0].start.suggestedName, std::string("Dune_ Sea.kgp"));

    services.fileAnswers = {folder.file("meshes/dune.obj"), "/elsewhere/sand.bmp"};
    click(dialog, kBrowseObj);
    click(dialog, kBrowseBmp);
    QCOMPARE(textOf(dialog, kObjFile), QString("meshes/dune.obj"));
    QCOMPARE(textOf(dialog, kBmpFile), QString("/elsewhere/sand.bmp")); // outside: as picked
    for (std::size_t i = 1; i < services.fileRequests.size(); ++i)
        QCOMPARE(services.fileRequests[i].start.folder, folder.path().string());

    click(dialog, kGenerate); // cancelled
    QCOMPARE(services.fileRequests.back().start.suggestedName, std::string("dunes.kes"));
    QCOMPARE(services.fileRequests.back().start.folder, folder.path().string());
    click(dialog, kSave);
    QCOMPARE(services.fileRequests.back().start.suggestedName, std::string("dunes.kgp"));
}

void EditorFilesAndChecksTest::savingElsewhereKeepsNamingTheSameFiles()
{
    TempDir folder;
    std::filesystem::create_directories(folder.path() / "meshes");
    std::filesystem::create_directories(folder.path() / "copy");
    writeTriangle(folder.file("meshes/dune.obj"));
    LevelProject project;
    LayerEntry layer;
    layer.objPath = "meshes/dune.obj";
    layer.bmpPath = "copy/sand.bmp";
    project.layers.append(layer);
    QVERIFY(kes::saveProject(project, folder.file("dunes.kgp")).ok());

    FakePlatformServices services;
    MainDialog dialog(services, folder.file("dunes.kgp"));
    clickRow(dialog, kLayerList, 0);
    saveAs(dialog, services, folder.file("copy/dunes.kgp"));
    QCOMPARE(services.messages.back().text, std::string("Project saved."));
    // The mesh lies outside the new folder: named in full; the texture lies
    // inside: named from there. The form follows.
    const std::string mesh = (folder.path() / "meshes" / "dune.obj").string();
    QCOMPARE(dialog.document().layers().at(0).objPath, mesh);
    QCOMPARE(dialog.document().layers().at(0).bmpPath, std::string("sand.bmp"));
    QCOMPARE(rowTexts(dialog, kLayerList), QStringList{QString::fromStdString(mesh)});
    QCOMPARE(textOf(dialog, kObjFile), QString::fromStdString(mesh));
    LevelProject saved;
    QVERIFY(kes::loadProject(folder.file("copy/dunes.kgp"), saved).ok());
    QCOMPARE(saved.layers.at(0).objPath, mesh);
    QCOMPARE(saved.layers.at(0).bmpPath, std::string("sand.bmp"));
    // The project it came from is unchanged.
    QVERIFY(kes::loadProject(folder.file("dunes.kgp"), saved).ok());
    QCOMPARE(saved.layers.at(0).objPath, std::string("meshes/dune.obj"));
}

void EditorFilesAndChecksTest::filesDroppedOnTheFields()
{
    TempDir folder;
    writeTriangle(folder.file("rock.obj"));
    kes::test::writeFile(folder.file("rock.bmp"), smallBmp());
    kes::test::writeFile(folder.file("notes.txt"), std::string("x"));
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    setChecked(dialog, kDraw, true);

    QVERIFY(dropFiles(dialog.control(kObjFile), {folder.file("rock.obj")}));
    QCOMPARE(textOf(dialog, kObjFile), QString::fromStdString(folder.file("rock.obj"))); // a path, not a URL
    QVERIFY(dropFiles(dialog.control(kBmpFile), {folder.file("rock.bmp")}));
    QCOMPARE(textOf(dialog, kBmpFile), QString::fromStdString(folder.file("rock.bmp")));

    // Refused, leaving the field as it was: the wrong kind of file, two
    // files, a file that is not local, and a text file on a text field.
    QVERIFY(!dropFiles(dialog.control(kObjFile), {folder.file("rock.bmp")}));
    QVERIFY(!dropFiles(dialog.control(kObjFile), {folder.file("rock.obj"), folder.file("rock.obj")}));
    QVERIFY(!dropUrls(dialog.control(kObjFile), {QUrl("https://example.com/rock.obj")}));
    QVERIFY(!dropFiles(dialog.control(kBmpFile), {folder.file("notes.txt")}));
    QVERIFY(!dropFiles(dialog.control(kTitle), {folder.file("rock.obj")}));
    QVERIFY(!dropFiles(dialog.control(kSpeed), {folder.file("notes.txt")}));
    QCOMPARE(textOf(dialog, kObjFile), QString::fromStdString(folder.file("rock.obj")));
    QCOMPARE(textOf(dialog, kTitle), QString("Level"));
    QVERIFY(services.messages.empty());
    QVERIFY(services.questions.empty());
}

void EditorFilesAndChecksTest::meshesDroppedOnTheLayerList()
{
    TempDir folder;
    for (const char* name : {"a.obj", "b.obj", "c.OBJ"})
        writeTriangle(folder.file(name));
    kes::test::writeFile(folder.file("b.bmp"), smallBmp());
    FakePlatformServices services;
    MainDialog dialog(services);
    saveAs(dialog, services, folder.file("level.kgp"));
    QWidget* rows = listOf(dialog, kLayerList)->viewport();

    QVERIFY(!dropFiles(rows, {folder.file("a.obj"), folder.file("b.bmp")})); // not all meshes
    QCOMPARE(dialog.document().layers().count(), 0);
    QVERIFY(dropFiles(rows, {folder.file("a.obj"), folder.file("b.obj"), folder.file("c.OBJ")}));
    QCOMPARE(rowTexts(dialog, kLayerList), (QStringList{"a.obj", "b.obj", "c.OBJ"}));
    for (int i = 0; i < 3; ++i) {
        const LayerEntry& layer = dialog.document().layers().at(i);
        QCOMPARE(layer.kind, 0);
        QCOMPARE(layer.collision, std::uint8_t(1));
        QCOMPARE(layer.draw, std::uint8_t(i == 1)); // b has a texture beside it
    }
    QCOMPARE(dialog.document().layers().at(1).bmpPath, std::string("b.bmp"));
    QCOMPARE(listsMismatch(dialog), QString());
    dialog.document().undoStack().undo(); // one drop, one step
    QCOMPARE(dialog.document().layers().count(), 0);
    dialog.document().undoStack().redo();
    QCOMPARE(dialog.document().layers().count(), 3);

    // Beyond 32 layers the limit's message, once.
    std::vector<std::string> many(40, folder.file("a.obj"));
    QVERIFY(dropFiles(rows, many));
    QCOMPARE(dialog.document().layers().count(), 32);
    QCOMPARE(services.messages.back().caption, std::string("Layer Limit"));
    QCOMPARE(services.messages.size(), std::size_t(2)); // "Project saved." and the limit
}

void EditorFilesAndChecksTest::aProjectDroppedOnTheWindowOpens()
{
    TempDir folder;
    LevelProject project;
    project.settings.title = "Dropped";
    QVERIFY(kes::saveProject(project, folder.file("dropped.kgp")).ok());
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(dropFiles(&dialog, {folder.file("dropped.kgp")}));
    QCOMPARE(textOf(dialog, kTitle), QString("Dropped"));
    QCOMPARE(dialog.document().folder(), folder.path().string());
    // Dropped on a field it opens as well, after asking about unsaved
    // changes; anything else on the window is refused.
    typeInto(dialog, kTitle, "Changed");
    QVERIFY(dropFiles(dialog.control(kObjFile), {folder.file("dropped.kgp")}));
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(textOf(dialog, kTitle), QString("Changed")); // cancelled
    services.answers = {Answer::Discard};
    QVERIFY(dropFiles(dialog.control(kObjFile), {folder.file("dropped.kgp")}));
    QCOMPARE(textOf(dialog, kTitle), QString("Dropped"));
    QVERIFY(!dropFiles(&dialog, {folder.file("dropped.kes")}));
    QVERIFY(services.messages.empty());
}

void EditorFilesAndChecksTest::pickingAFrameFileStoresTheAnimationsBase()
{
    TempDir folder;
    for (int frame = 1; frame <= 3; ++frame)
        writeTriangle(folder.file("wave_00000" + std::to_string(frame) + ".obj"));
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    saveAs(dialog, services, folder.file("sea.kgp"));

    // A static layer takes the frame file as its mesh.
    services.fileAnswers = {folder.file("wave_000001.obj")};
    click(dialog, kBrowseObj);
    QCOMPARE(textOf(dialog, kObjFile), QString("wave_000001.obj"));
    QCOMPARE(frameNote(dialog), QString());

    // An animated one takes the base and the frames found.
    chooseRow(dialog, kLayerKind, 4);
    services.fileAnswers = {folder.file("wave_000002.obj")};
    click(dialog, kBrowseObj);
    QCOMPARE(textOf(dialog, kObjFile), QString("wave.obj"));
    QCOMPARE(textOf(dialog, kFramesTillReset), QString("3"));
    QCOMPARE(frameNote(dialog), QString("3 frame files found"));
    QVERIFY(!isMarked(dialog, kObjFile));
    QVERIFY(isEnabled(dialog, kAddLayer));

    // More frames than there are files: the field says which one is missing.
    typeInto(dialog, kFramesTillReset, "5");
    QVERIFY(isMarked(dialog, kObjFile));
    QVERIFY2(tipOf(dialog, kObjFile).contains("wave_000004.obj' doesn't exist (5 frames needed)"),
             qPrintable(tipOf(dialog, kObjFile)));
    QCOMPARE(frameNote(dialog), QString("3 frame files found"));

    // Dropped the same way.
    typeInto(dialog, kObjFile, "");
    QVERIFY(dropFiles(dialog.control(kObjFile), {folder.file("wave_000003.obj")}));
    QCOMPARE(textOf(dialog, kObjFile), QString("wave.obj"));
    QCOMPARE(textOf(dialog, kFramesTillReset), QString("3"));
}

void EditorFilesAndChecksTest::numberChecks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("reason"); // empty: no problem
    QTest::newRow("three") << "1,2.5,-3" << 3 << "";
    QTest::newRow("blanks after commas") << "1, 2, 3" << 3 << "";
    QTest::newRow("exponent") << "1e3,0,.5" << 3 << "";
    QTest::newRow("trailing blank") << "1,2,3 " << 3 << "";
    QTest::newRow("empty is for the enable rules") << "" << 3 << "";
    QTest::newRow("too few") << "1,2,3,4,5" << 6 << "needs 6 numbers separated by commas, but holds 5";
    QTest::newRow("too many") << "1,2,3,4" << 3 << "holds 4 numbers; only the first 3 are used";
    QTest::newRow("stray character") << "1,2x,3" << 3 << "number 2 ('2x') is not a number";
    QTest::newRow("missing") << "1,,3" << 3 << "number 2 is missing";
    QTest::newRow("blank before comma") << "1 ,2,3" << 3 << "a blank before a comma ends the numbers after number 1";
    QTest::newRow("too large") << "1e39,0,0" << 3 << "number 1 (1e39) is too large for the file's 32-bit numbers";
    QTest::newRow("infinity") << "0,inf,0" << 3 << "number 2 ('inf') is not a finite number";
    QTest::newRow("not a number") << "0,0,nan" << 3 << "number 3 ('nan') is not a finite number";
    QTest::newRow("decimal comma") << "0,5;1;2" << 3 << "number 2 ('5;1;2') is not a number";
}

void EditorFilesAndChecksTest::numberChecks()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QString, reason);
    const FieldCheck check = checkNumberList(text.toStdString(), count);
    QCOMPARE(QString::fromStdString(check.reason), reason);
    QCOMPARE(check.mark == FieldCheck::Mark::Problem, !reason.isEmpty());
}

void EditorFilesAndChecksTest::fieldsAreMarkedAsTheDesignerTypes_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("kind"); // the layer kind to pick first
    QTest::addColumn<QString>("wrong");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("right");
    QTest::newRow("start position") << int(kStartPosition) << 0 << "0,0,0,0,0" << "needs 6 numbers" << "0,0,0,0,0,0";
    QTest::newRow("background colour") << int(kBackgroundColor) << 0 << "0.5 ,0,0" << "blank before a comma"
                                       << "0.5,0,0";
    QTest::newRow("version") << int(kVersionMajor) << 0 << "70000" << "would be written as 4464" << "7";
    QTest::newRow("minor version") << int(kVersionMinor) << 0 << "65536" << "written as 0" << "65535";
    QTest::newRow("title") << int(kTitle) << 0 << QString(300, 't') << "holds 300 bytes; the project keeps only the first 249"
                           << QString(249, 't');
    QTest::newRow("author, 8-bit") << int(kAuthor) << 0 << QString(130, QChar(0x00d6)) << "holds 260 bytes"
                                   << QString(124, QChar(0x00d6));
    QTest::newRow("position") << int(kPosition) << 0 << "1,2,3,4" << "only the first 3" << "1,2,3";
    QTest::newRow("speed") << int(kSpeed) << 1 << "1,x,3" << "('x') is not a number" << "1,0,3";
    QTest::newRow("vibration") << int(kVibration) << 2 << "1e40,0,0" << "too large" << "1,0,0";
    QTest::newRow("trigger area") << int(kTriggerArea) << 3 << "1,2,3,4,5" << "needs 6" << "1,2,3,4,5,6";
    QTest::newRow("frames of an animation") << int(kFramesTillReset) << 4 << "70000" << "at most 65535 frames"
                                            << "7";
}

void EditorFilesAndChecksTest::fieldsAreMarkedAsTheDesignerTypes()
{
    QFETCH(int, field);
    QFETCH(int, kind);
    QFETCH(QString, wrong);
    QFETCH(QString, reason);
    QFETCH(QString, right);
    FakePlatformServices services;
    MainDialog dialog(services);
    chooseRow(dialog, kLayerKind, kind);
    const QString help = "What the field holds";
    dialog.control(field)->setToolTip(help);
    const bool generateBefore = isEnabled(dialog, kGenerate);
    typeInto(dialog, field, right);
    QVERIFY(!isMarked(dialog, field));
    typeInto(dialog, field, wrong);
    QVERIFY(isMarked(dialog, field));
    QVERIFY2(tipOf(dialog, field).contains(reason), qPrintable(tipOf(dialog, field)));
    QVERIFY(tipOf(dialog, field).endsWith(help));
    typeInto(dialog, field, right);
    QVERIFY(!isMarked(dialog, field));
    QCOMPARE(tipOf(dialog, field), help); // the field's own tooltip is back
    QCOMPARE(isEnabled(dialog, kGenerate), generateBefore);
    // A field the kind doesn't use carries no mark, whatever it holds.
    if (kind != 0) {
        typeInto(dialog, field, wrong);
        chooseRow(dialog, kLayerKind, 0);
        QVERIFY(!isMarked(dialog, field));
    }
}

void EditorFilesAndChecksTest::fileFieldsAreChecked()
{
    TempDir folder;
    writeTriangle(folder.file("rock.obj"));
    kes::test::writeFile(folder.file("rock.bmp"), smallBmp());
    std::vector<std::uint8_t> eightBit = smallBmp();
    eightBit[28] = 8;
    kes::test::writeFile(folder.file("flat.bmp"), eightBit);
    FakePlatformServices services;
    MainDialog dialog(services);
    saveAs(dialog, services, folder.file("level.kgp"));
    setChecked(dialog, kDraw, true);

    const struct {
        int field;
        const char* text;
        const char* reason; // empty: no mark
    } cases[] = {
        {kObjFile, "rock.obj", ""},
        {kObjFile, "missing.obj", "'missing.obj' ('"},
        {kObjFile, "rock.bmp", "is not an OBJ text file"},
        {kBmpFile, "rock.bmp", ""},
        {kBmpFile, "flat.bmp", "8 bits per pixel"},
        {kBmpFile, "rock.obj", "rock.obj"},
        {kBmpFile, "nowhere.bmp", "doesn't exist"},
    };
    for (const auto& c : cases) {
        typeInto(dialog, c.field, c.text);
        QCOMPARE(isMarked(dialog, c.field), c.reason[0] != '\0');
        QVERIFY2(tipOf(dialog, c.field).contains(c.reason), qPrintable(tipOf(dialog, c.field)));
    }
    // A texture that is not drawn is not looked at.
    setChecked(dialog, kDraw, false);
    QVERIFY(!isMarked(dialog, kBmpFile));
}

void EditorFilesAndChecksTest::problemsAreGatheredBeforeGenerating()
{
    TempDir folder;
    kes::test::writeFile(folder.file("quad.obj"), std::string("v 0 0 0\nv 1 0 0\nv 1 0 1\nv 0 0 1\nf 1 2 3 4\n"));
    LevelProject project;
    LayerEntry layer;
    layer.objPath = "quad.obj";
    layer.collision = 1;
    project.layers.append(layer);
    QVERIFY(kes::saveProject(project, folder.file("quads.kgp")).ok());
    FakePlatformServices services;
    MainDialog dialog(services, folder.file("quads.kgp"));

    // Cancel: nothing is written.
    services.fileAnswers = {folder.file("quads.kes")};
    click(dialog, kGenerate);
    QCOMPARE(services.questions.size(), std::size_t(1));
    const RecordedQuestion& question = services.questions[0];
    QCOMPARE(question.caption, std::string("Problems in the Level"));
    QCOMPARE(question.answers, (std::vector<Answer>{Answer::Generate, Answer::Cancel}));
    QVERIFY2(question.text.find("0 errors and 1 warning") != std::string::npos, question.text.c_str());
    const std::string line = "warning: " + folder.file("quad.obj") + ":5: face has 4 corners";
    QVERIFY2(question.detail.find(line) != std::string::npos, question.detail.c_str());
    QVERIFY(services.messages.empty());
    QVERIFY(!std::filesystem::exists(folder.file("quads.kes")));

    // Generate: the success box keeps its text and lists the warning.
    services.fileAnswers = {folder.file("quads.kes")};
    services.answers = {Answer::Generate};
    click(dialog, kGenerate);
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("Level created successfully."));
    QVERIFY2(services.messages[0].detail.find("face has 4 corners") != std::string::npos,
             services.messages[0].detail.c_str());
    QVERIFY(std::filesystem::exists(folder.file("quads.kes")));
}

// The box before "Generate Level..." and `kesgen-cli check` list the same
// lines for the same project, whatever kinds of problems it has.
void EditorFilesAndChecksTest::problemsAreThoseOfTheCommandLineCheck()
{
#ifndef KESGEN_CLI
    QSKIP("kesgen-cli runs as a program on Linux only");
#else
    TempDir folder;
    kes::test::writeFile(folder.file("quad.obj"), std::string("v 0 0 0\nv 1 0 0\nv 1 0 1\nv 0 0 1\nf 1 2 3 4\n"));
    writeTriangle(folder.file("ground.obj"));
    LevelProject project;
    project.settings.versionMajor = "70000";
    project.settings.startPosition = "0,0,1e39,0,0,0";
    LayerEntry layer;
    layer.objPath = "quad.obj";
    layer.collision = 1;
    project.layers.append(layer);
    layer.objPath = "C:\\Levels\\Valley\\ground.obj"; // relinked to ground.obj
    layer.bmpPath = "gone.bmp";
    layer.draw = 1;
    project.layers.append(layer);
    project.targets.append(TargetEntry{1, 2, 3, 7});
    const std::string projectPath = folder.file("mixed.kgp");
    QVERIFY(kes::saveProject(project, projectPath).ok());
    FakePlatformServices services;
    MainDialog dialog(services, projectPath);

    services.fileAnswers = {folder.file("mixed.kes")};
    click(dialog, kGenerate);
    QCOMPARE(services.questions.size(), std::size_t(1));
    const std::string& shown = services.questions[0].detail;
    const kes::test::CliRun check = kes::test::runCli("check " + kes::test::quote(projectPath), folder);
    QCOMPARE(check.exitCode, 1);
    QCOMPARE(shown + "\n", check.err);
    for (const char* says : {"0,0,1e39,0,0,0", "70000 is outside", "4 corners", "ground.obj' (the same name",
                             "cannot read texture file", "unknown kind 7"})
        QVERIFY2(shown.find(says) != std::string::npos, says);
#endif
}

void EditorFilesAndChecksTest::relinkRewritesMissingPaths()
{
    TempDir folder;
    writeTriangle(folder.file("ground.obj"));
    kes::test::writeFile(folder.file("ground.bmp"), smallBmp());
    LevelProject project;
    LayerEntry layer;
    layer.objPath = "C:\\Levels\\Valley\\ground.obj";
    layer.bmpPath = "C:\\Levels\\Valley\\ground.bmp";
    layer.draw = 1;
    project.layers.append(layer);
    layer.objPath = "C:\\Levels\\Valley\\gone.obj";
    layer.draw = 0;
    project.layers.append(layer);
    QVERIFY(kes::saveProject(project, folder.file("valley.kgp")).ok());
    FakePlatformServices services;
    MainDialog dialog(services, folder.file("valley.kgp"));

    // The form marks the Windows path as relinked, not as missing.
    clickRow(dialog, kLayerList, 0);
    QVERIFY(!isMarked(dialog, kObjFile));
    QVERIFY(dialog.control(kObjFile)->styleSheet().contains("#d08a00"));
    QVERIFY2(tipOf(dialog, kObjFile).contains("the same name in the project's folder"),
             qPrintable(tipOf(dialog, kObjFile)));

    QVERIFY(isEnabled(dialog, kRelink));
    click(dialog, kRelink);
    QCOMPARE(dialog.document().layers().at(0).objPath, std::string("ground.obj"));
    QCOMPARE(dialog.document().layers().at(0).bmpPath, std::string("ground.bmp"));
    QCOMPARE(dialog.document().layers().at(1).objPath, std::string("C:\\Levels\\Valley\\gone.obj")); // nothing found
    QCOMPARE(dialog.document().layers().at(1).bmpPath, std::string("ground.bmp"));
    QCOMPARE(rowTexts(dialog, kLayerList), (QStringList{"ground.obj", "C:\\Levels\\Valley\\gone.obj"}));
    QCOMPARE(textOf(dialog, kObjFile), QString("ground.obj")); // the form shows the relinked layer
    QCOMPARE(services.messages.back().caption, std::string("Relink"));
    QVERIFY(services.messages.back().detail.find("layer 1: 'C:\\Levels\\Valley\\ground.obj' -> 'ground.obj'")
            != std::string::npos);

    // Nothing left to relink.
    click(dialog, kRelink);
    QVERIFY(services.messages.back().text.find("No missing") == 0);

    // One undo step takes the whole relink back.
    dialog.document().undoStack().undo();
    QCOMPARE(dialog.document().layers().at(0).objPath, std::string("C:\\Levels\\Valley\\ground.obj"));
    QCOMPARE(dialog.document().layers().at(1).bmpPath, std::string("C:\\Levels\\Valley\\ground.bmp"));
}

QTEST_MAIN(EditorFilesAndChecksTest)
#include "editor_files_and_checks_test.moc"
