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

private:
    // The example level copied into `dir`.
    static std::string copyExample(const test::TempDir& dir)
    {
        for (const auto& entry : fs::directory_iterator(KESGEN_EXAMPLES_DIR))
            fs::copy_file(entry.path(), dir.path() / entry.path().filename());
        return dir.file("example.kgp");
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
    const std::string project = copyExample(dir);
    {
        FakePlatformServices services;
        MainDialog editor(services);
        services.fileAnswers = {project, dir.file("example.kes")};
        click(editor, kOpen);
        click(editor, kGenerate);
        QCOMPARE(services.messages.at(0).text, std::string("Level created successfully."));
    }
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

QTEST_MAIN(EditorLevelFilesTest)
#include "editor_level_files_test.moc"
