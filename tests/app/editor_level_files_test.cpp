// The editor and level files: "Generate Level..." never writes over a file
// the level is made from, "Open..." of a level file says what it is, and a
// level file can be imported as a project.
#include <QTest>

#include <filesystem>

#include "app/level_import.h"
#include "editor_driver.h"
#include "fake_platform_services.h"
#include "model/project_file.h"
#include "support/temp_dir.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

namespace fs = std::filesystem;

class EditorLevelFilesTest : public QObject {
    Q_OBJECT

private slots:
    void generateRefusesTheFilesTheLevelIsMadeFrom();
    void openingALevelFileSaysWhatItIs();
    void importTurnsALevelFileIntoAProject();
    void importButtonReplacesTheLevelWithTheImportedProject();

private:
    // The example level copied into `dir`.
    static std::string copyExample(const test::TempDir& dir)
    {
        for (const auto& entry : fs::directory_iterator(KESGEN_EXAMPLES_DIR))
            fs::copy_file(entry.path(), dir.path() / entry.path().filename());
        return dir.file("example.kgp");
    }

    // The example level generated into `dir` as example.kes.
    static std::string generateExample(const test::TempDir& dir)
    {
        FakePlatformServices services;
        MainDialog editor(services);
        services.fileAnswers = {copyExample(dir), dir.file("example.kes")};
        click(editor, kOpen);
        click(editor, kGenerate);
        if (services.messages.size() != 1 || services.messages[0].text != "Level created successfully.")
            return {};
        return dir.file("example.kes");
    }
};

void EditorLevelFilesTest::generateRefusesTheFilesTheLevelIsMadeFrom()
{
    test::TempDir dir;
    const std::string project = copyExample(dir);
    for (const std::string& target : {dir.file("ground.obj"), dir.file("wave_000003.obj"), dir.file("grass.bmp"),
                                      dir.file("../" + dir.path().filename().string() + "/flag.bmp")}) {
        FakePlatformServices services;
        MainDialog editor(services);
        services.fileAnswers = {project, target};
        click(editor, kOpen);
        const std::vector<std::uint8_t> before = test::readFile(target);
        click(editor, kGenerate);
        QCOMPARE(services.messages.size(), std::size_t(1));
        QCOMPARE(services.messages[0].text, std::string("An Error occured; double-check entered values."));
        QCOMPARE(services.messages[0].caption, std::string("Error"));
        QVERIFY2(services.messages[0].detail.find("cannot write '" + target + "': it is the ") == 0,
                 services.messages[0].detail.c_str());
        QVERIFY(test::readFile(target) == before);
    }
}

void EditorLevelFilesTest::openingALevelFileSaysWhatItIs()
{
    test::TempDir dir;
    test::writeFile(dir.file("level.kes"), std::string("tk3d and more"));
    test::writeFile(dir.file("other.kgp"), std::string("something else"));
    FakePlatformServices services;
    MainDialog editor(services);
    services.fileAnswers = {dir.file("level.kes"), dir.file("other.kgp")};
    click(editor, kOpen);
    click(editor, kOpen);
    QCOMPARE(services.messages.size(), std::size_t(2));
    QCOMPARE(services.messages[0].text, std::string("Invalid File: Header incorrect."));
    QVERIFY(services.messages[0].detail.find("This is a level file (.kes)") == 0);
    QVERIFY(services.messages[0].detail.find("kesgen-cli extract") != std::string::npos);
    QCOMPARE(services.messages[1].text, std::string("Invalid File: Header incorrect."));
    QCOMPARE(services.messages[1].detail, std::string());
}

void EditorLevelFilesTest::importTurnsALevelFileIntoAProject()
{
    test::TempDir dir;
    QCOMPARE(generateExample(dir), dir.file("example.kes"));
    fs::create_directory(dir.path() / "imported");
    FakePlatformServices services;
    services.fileAnswers = {dir.file("example.kes"), dir.file("imported/castle.kgp")};
    QCOMPARE(importLevelFile(services, nullptr), dir.file("imported/castle.kgp"));
    QVERIFY(services.messages.empty()); // the example comes back byte for byte
    LevelProject imported;
    QVERIFY(loadProject(dir.file("imported/castle.kgp"), imported));
    QCOMPARE(imported.layers.count(), 6);
    QVERIFY(fs::exists(dir.file("imported/layer05_000004.obj")));

    // Cancelling either dialog imports nothing; a damaged level is an error box.
    services.fileAnswers = {dir.file("example.kes"), ""};
    QCOMPARE(importLevelFile(services, nullptr), std::string());
    test::writeFile(dir.file("bad.kes"), std::string("tk3d"));
    services.fileAnswers = {dir.file("bad.kes"), dir.file("bad.kgp")};
    QCOMPARE(importLevelFile(services, nullptr), std::string());
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].icon, MessageIcon::Error);
    QVERIFY(!fs::exists(dir.file("bad.kgp")));
}

// The "Import level file" button asks about unsaved changes as Open... does,
// opens the imported project in place of the level, and never replaces a
// file other than the chosen project file.
void EditorLevelFilesTest::importButtonReplacesTheLevelWithTheImportedProject()
{
    test::TempDir dir;
    const std::string level = generateExample(dir);
    QVERIFY(!level.empty());
    fs::create_directory(dir.path() / "imported");
    FakePlatformServices services;
    MainDialog editor(services);
    QCOMPARE(button(editor, kImportLevel)->accessibleName(), QString("Import level file"));
    typeInto(editor, kTitle, "Unsaved work");

    // Cancel keeps the level; no file dialog opens.
    click(editor, kImportLevel);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(services.questions[0].text, std::string("Save changes to the level before opening another project?"));
    QVERIFY(services.fileRequests.empty());
    QCOMPARE(textOf(editor, kTitle), QString("Unsaved work"));

    // Discard: the level file, then the project beside it by the level's name.
    services.answers = {Answer::Discard};
    services.fileAnswers = {level, dir.file("imported/castle.kgp")};
    click(editor, kImportLevel);
    QCOMPARE(services.fileRequests.size(), std::size_t(2));
    QVERIFY(!services.fileRequests[0].save);
    QCOMPARE(services.fileRequests[0].filter.pattern, std::string("*.kes"));
    QVERIFY(services.fileRequests[1].save);
    QCOMPARE(services.fileRequests[1].start.folder, dir.path().string());
    QCOMPARE(services.fileRequests[1].start.suggestedName, std::string("example.kgp"));
    QVERIFY(services.messages.empty());
    QCOMPARE(editor.document().layers().count(), 6);
    QCOMPARE(textOf(editor, kTitle), QString("Example Valley"));
    QVERIFY(!editor.document().isModified());
    QVERIFY(editor.windowTitle().contains("castle"));
    QVERIFY(fs::exists(dir.file("imported/layer01.obj")));

    // Again into the same folder: the meshes there are not replaced, and
    // the level stays as it is. The file dialog starts in its folder.
    test::writeFile(dir.file("imported/layer01.obj"), std::string("# mine\n"));
    services.fileAnswers = {level, dir.file("imported/other.kgp")};
    click(editor, kImportLevel);
    QCOMPARE(services.fileRequests[2].start.folder, dir.file("imported"));
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("The level file could not be imported."));
    QVERIFY2(services.messages[0].detail.find("already holds a file named 'layer01.") != std::string::npos,
             services.messages[0].detail.c_str());
    const std::vector<std::uint8_t> mine = test::readFile(dir.file("imported/layer01.obj"));
    QCOMPARE(std::string(mine.begin(), mine.end()), std::string("# mine\n"));
    QVERIFY(!fs::exists(dir.file("imported/other.kgp")));
    QVERIFY(editor.windowTitle().contains("castle"));
}

QTEST_MAIN(EditorLevelFilesTest)
#include "editor_level_files_test.moc"
