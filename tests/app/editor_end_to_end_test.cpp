// One level made the way a designer makes it: every layer kind and both
// target kinds typed and clicked into the editor, saved, opened in a fresh
// editor, generated, and the level file decoded. Run once more under a
// comma-decimal locale (KESGEN_EXPECT_COMMA_LOCALE set), where the texts must
// still be read with "." as the decimal point.
#include <QApplication>
#include <QTest>

#include <clocale>
#include <cstdlib>
#include <fstream>

#include "editor_driver.h"
#include "editor_test_assets.h"
#include "dialog_under_test.h"
#include "fake_platform_services.h"
#include "levelfile/level_reader.h"
#include "support/temp_dir.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

namespace {

void writeTriangleObj(const std::string& path, float height)
{
    std::ofstream out(path);
    out << "v 0 " << height << " 0\nv 1 " << height << " 0\nv 0 " << height << " 1\n"
        << "vt 0 0\nvt 1 0\nvt 0 1\nvn 0 1 0\n"
        << "f 1/1/1 2/2/1 3/3/1\n";
}

void writeBmp(const std::string& path)
{
    kes::test::writeFile(path, smallBmp());
}

LayerForm layer(int kind, const std::string& obj)
{
    LayerForm form;
    form.kind = kind;
    form.objPath = obj;
    return form;
}

const KeyedChunk* findChunk(const LevelFile& level, ChunkKind kind, ChunkKey key)
{
    for (const KeyedChunk& chunk : level.keyedChunks)
        if (chunk.kind == kind && chunk.key == key)
            return &chunk;
    return nullptr;
}

} // namespace

class EditorEndToEndTest : public QObject {
    Q_OBJECT

    TestUserFolders userFolders;

private slots:
    void initTestCase();
    void buildSaveOpenGenerateAndDecode();
};

void EditorEndToEndTest::initTestCase()
{
    if (std::getenv("KESGEN_EXPECT_COMMA_LOCALE")) {
        // QApplication has taken the locale from the environment.
        if (std::string(std::localeconv()->decimal_point) != ",")
            QSKIP("the comma-decimal locale (de_DE.UTF-8) is not installed");
        QCOMPARE(std::strtod("1.5", nullptr), 1.0); // the C library now stops at "."
    }
}

void EditorEndToEndTest::buildSaveOpenGenerateAndDecode()
{
    kes::test::TempDir folder;
    writeTriangleObj(folder.file("tri.obj"), 0);
    for (int frame = 1; frame <= 3; ++frame)
        writeTriangleObj(folder.file("anim_00000" + std::to_string(frame) + ".obj"), float(frame));
    for (int frame = 1; frame <= 2; ++frame)
        writeTriangleObj(folder.file("flag_00000" + std::to_string(frame) + ".obj"), float(frame));
    writeBmp(folder.file("skin.bmp"));
    const std::string projectPath = folder.file("valley.kgp");
    const std::string levelPath = folder.file("valley.kes");

    // Build the level by typing and clicking.
    FakePlatformServices services;
    MainDialog editor(services);
    QVERIFY(showAndActivate(editor));
    typeInto(editor, kTitle, "End to End");
    typeInto(editor, kAuthor, "Tester");
    typeInto(editor, kVersionMajor, "2");
    typeInto(editor, kVersionMinor, "3");
    typeInto(editor, kFramesLR, "25");
    typeInto(editor, kStartPosition, "0,1.5,-15,0,90.25,0");
    typeInto(editor, kBackgroundColor, "0.4, 0.6, 0.9");

    LayerForm ground = layer(0, "tri.obj");
    ground.draw = true;
    ground.bmpPath = "skin.bmp";
    ground.collision = true;
    LayerForm platform = layer(1, "tri.obj");
    platform.speed = "0,0.05,0";
    platform.framesTillReset = "100";
    LayerForm block = layer(2, "tri.obj");
    block.speed = "0.5,0,0";
    block.vibration = "0.25,0,0.25";
    block.collision = true;
    LayerForm door = layer(3, "tri.obj");
    door.speed = "0,0.1,0";
    door.framesTillReset = "40";
    door.triggerArea = "-5,5,0,3,-5,5";
    LayerForm wave = layer(4, "anim.obj");
    wave.framesTillReset = "3";
    wave.draw = true;
    wave.bmpPath = "skin.bmp";
    LayerForm flag = layer(5, "flag.obj");
    flag.framesTillReset = "2";
    flag.triggerArea = "10,12,0,4,10,12";
    for (const LayerForm& form : {ground, platform, block, door, wave, flag}) {
        typeLayerForm(editor, form);
        QVERIFY2(isEnabled(editor, kAddLayer), form.objPath.c_str());
        click(editor, kAddLayer);
        QCOMPARE(listsMismatch(editor), QString());
    }
    typeTargetForm(editor, "15,1,15", 0);
    click(editor, kAddTarget);
    typeTargetForm(editor, "-10,0.5,5", 1);
    click(editor, kAddTarget);
    QCOMPARE(listsMismatch(editor), QString());
    QCOMPARE(editor.document().layers().count(), 6);
    QCOMPARE(editor.document().layers().at(1).speed[1], 0.05f);
    QCOMPARE(rowTexts(editor, kTargetList), (QStringList{"15.0000,1.0000,15.0000", "-10.0000,0.5000,5.0000"}));

    services.fileAnswers = {projectPath};
    click(editor, kSave);
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("Project saved."));

    // Open it in a fresh editor started elsewhere.
    FakePlatformServices reopenServices;
    MainDialog reopened(reopenServices);
    reopenServices.fileAnswers = {projectPath, levelPath};
    click(reopened, kOpen);
    QVERIFY(reopened.document().project() == editor.document().project());
    QCOMPARE(rowTexts(reopened, kLayerList), rowTexts(editor, kLayerList));
    QCOMPARE(rowTexts(reopened, kTargetList), rowTexts(editor, kTargetList));
    QVERIFY(isEnabled(reopened, kGenerate));

    // Generate: the relative mesh and texture names resolve against the
    // project's folder.
    click(reopened, kGenerate);
    QCOMPARE(reopenServices.messages.size(), std::size_t(1));
    QCOMPARE(reopenServices.messages[0].text, std::string("Level created successfully."));
    QCOMPARE(reopenServices.messages[0].caption, std::string("Completed"));

    LevelFile level;
    const Status read = loadLevelFile(levelPath, level);
    QVERIFY2(read.ok(), read.reason().c_str());
    QCOMPARE(level.header.title, std::string("End to End"));
    QCOMPARE(level.header.author, std::string("Tester"));
    QCOMPARE(int(level.header.versionMajor), 2);
    QCOMPARE(int(level.header.versionMinor), 3);
    QCOMPARE(level.header.chunkCounts, (std::array<std::uint16_t, 5>{6, 5, 3, 1, 0}));

    const KeyedChunk* frames = findChunk(level, ChunkKind::FloatChunk, kFramesLRKey);
    QVERIFY(frames);
    QCOMPARE(frames->number, 25.0f);
    const KeyedChunk* targetCount = findChunk(level, ChunkKind::IntegerChunk, kTargetCountKey);
    QVERIFY(targetCount);
    QCOMPARE(targetCount->integer, 2);
    const KeyedChunk* start = findChunk(level, ChunkKind::VectorChunk, kStartPositionKey);
    const KeyedChunk* rotation = findChunk(level, ChunkKind::VectorChunk, kStartRotationKey);
    const KeyedChunk* background = findChunk(level, ChunkKind::VectorChunk, kBackgroundColorKey);
    QVERIFY(start && rotation && background);
    QCOMPARE(start->vector, (std::array<float, 3>{0, 1.5f, -15}));
    QCOMPARE(rotation->vector, (std::array<float, 3>{0, 90.25f, 0}));
    QCOMPARE(background->vector, (std::array<float, 3>{0.4f, 0.6f, 0.9f}));
    const KeyedChunk* goalKind = findChunk(level, ChunkKind::IntegerChunk, {kTargetGroup, 1});
    const KeyedChunk* brakeKind = findChunk(level, ChunkKind::IntegerChunk, {kTargetGroup, 2});
    const KeyedChunk* goal = findChunk(level, ChunkKind::VectorChunk, {kTargetGroup, 1});
    const KeyedChunk* brake = findChunk(level, ChunkKind::VectorChunk, {kTargetGroup, 2});
    QVERIFY(goalKind && brakeKind && goal && brake);
    QCOMPARE(goalKind->integer, 0);
    QCOMPARE(brakeKind->integer, 1);
    QCOMPARE(goal->vector, (std::array<float, 3>{15, 1, 15}));
    QCOMPARE(brake->vector, (std::array<float, 3>{-10, 0.5f, 5}));

    QCOMPARE(level.layers.size(), std::size_t(6));
    for (std::size_t i = 0; i < 6; ++i)
        QCOMPARE(int(level.layers[i].kind), int(i));
    QVERIFY(level.layers[0].isDrawn() && level.layers[0].collides());
    QCOMPARE(level.layers[0].textures.size(), std::size_t(1));
    QCOMPARE(int(level.layers[0].textures[0].width), 2);
    QCOMPARE(level.layers[1].speed, (std::array<float, 3>{0, 0.05f, 0}));
    QCOMPARE(level.layers[1].frames, 100.0f);
    QVERIFY(!level.layers[1].isDrawn() && !level.layers[1].collides());
    QCOMPARE(level.layers[2].vibration, (std::array<float, 3>{0.25f, 0, 0.25f}));
    QVERIFY(level.layers[2].collides());
    // Typed x1,x2,y1,y2,z1,z2 = -5,5,0,3,-5,5; stored x1,y2,z2,x2,y1,z1.
    QCOMPARE(level.layers[3].triggerArea, (std::array<float, 6>{-5, 3, 5, 5, 0, -5}));
    QCOMPARE(level.layers[3].frames, 40.0f);
    QCOMPARE(int(level.layers[4].frameCount), 3);
    QCOMPARE(level.layers[4].meshFrames.size(), std::size_t(3));
    QCOMPARE(level.layers[4].textures.size(), std::size_t(1));
    QCOMPARE(int(level.layers[5].frameCount), 2);
    QCOMPARE(level.layers[5].triggerArea, (std::array<float, 6>{10, 4, 12, 12, 0, 10}));
    QCOMPARE(level.triangleCount(), std::uint64_t(4 + 3 + 2));
}

QTEST_MAIN(EditorEndToEndTest)
#include "editor_end_to_end_test.moc"
