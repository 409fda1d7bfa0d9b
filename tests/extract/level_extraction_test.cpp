#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "extract/extraction_folder.h"
#include "extract/level_extraction.h"
#include "extract/test_levels.h"
#include "model/project_file.h"
#include "support/temp_dir.h"

namespace kes {
namespace {

using test::kInf;
using test::layerOfKind;
using test::levelsThatComeBack;
using test::TestLayer;
using test::TestLevel;
using test::texturedLayer;
using test::testTexture;
using test::testTriangles;

TEST(LevelExtraction, LevelsAsGenerationWritesThemComeBackByteForByte)
{
    for (const auto& [name, level] : levelsThatComeBack()) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = test::encodeTestLevel(level);
        LevelExtraction extraction;
        ASSERT_TRUE(extractLevel(bytes, "level", extraction));
        for (const std::string& warning : extraction.warnings)
            ADD_FAILURE() << warning;
        std::vector<std::uint8_t> again;
        ASSERT_TRUE(regenerateInMemory(extraction, again));
        EXPECT_TRUE(again == bytes) << again.size() << " bytes instead of " << bytes.size();
        EXPECT_EQ(extraction.files.front().name, "level.kgp");
    }
}

// Layers are made into files on several threads at once; the files, the
// project and the warnings, in their order, are those of one thread.
TEST(LevelExtraction, TheSameOnAnyNumberOfThreads)
{
    TestLevel level;
    for (int i = 0; i < 34; ++i) {
        switch (i % 5) {
        case 0: level.layers.push_back(texturedLayer(4, 3)); break;
        case 1: level.layers.push_back(layerOfKind(LayerKind::Animated, 3)); break;
        case 2:
            level.layers.push_back(layerOfKind(LayerKind::Static));
            level.layers.back().flags |= kLayerFlagDraw; // drawn without a texture: a warning
            break;
        case 3:
            level.layers.push_back(texturedLayer(2, 2));
            level.layers.back().textures.push_back(testTexture(3, 1)); // two textures: a warning
            break;
        default:
            level.layers.push_back(layerOfKind(LayerKind::Moving));
            level.layers.back().frames = 2.5f; // not whole: a warning
        }
    }
    const std::vector<std::uint8_t> bytes = test::encodeTestLevel(level);
    LevelExtraction one;
    ASSERT_TRUE(extractLevel(bytes, "level", one, 1));
    ASSERT_GT(one.warnings.size(), 15u);
    for (const int threads : {2, 3, 8}) {
        SCOPED_TRACE(threads);
        LevelExtraction many;
        ASSERT_TRUE(extractLevel(bytes, "level", many, threads));
        EXPECT_EQ(many.warnings, one.warnings);
        ASSERT_EQ(many.files.size(), one.files.size());
        for (std::size_t i = 0; i < one.files.size(); ++i) {
            EXPECT_EQ(many.files[i].name, one.files[i].name);
            EXPECT_TRUE(many.files[i].bytes == one.files[i].bytes) << one.files[i].name;
        }
    }
}

TEST(LevelExtraction, NamesFilesByLayerAndFrame)
{
    TestLevel level;
    level.layers.push_back(texturedLayer(2, 2));
    level.layers.push_back(layerOfKind(LayerKind::Animated, 2));
    LevelExtraction extraction;
    ASSERT_TRUE(extractLevel(test::encodeTestLevel(level), "castle", extraction));
    std::vector<std::string> names;
    for (const ExtractedFile& file : extraction.files)
        names.push_back(file.name);
    EXPECT_EQ(names, (std::vector<std::string>{"castle.kgp", "layer01.bmp", "layer01.obj", "layer02_000001.obj",
                                               "layer02_000002.obj"}));
    EXPECT_EQ(extraction.project.layers.at(1).objPath, "layer02.obj");
    EXPECT_EQ(extraction.project.layers.at(1).frames, 2);
    EXPECT_EQ(extraction.project.layers.at(0).bmpPath, "layer01.bmp");
    // The project file is what saving the project writes.
    EXPECT_EQ(extraction.files.front().bytes, encodeProject(extraction.project));
}

// What a project cannot express: one warning per item, and generation gives
// a different level.
TEST(LevelExtraction, WarnsForEachItemThatCannotComeBack)
{
    const float payloadNaN = std::bit_cast<float>(0x7FC01234u);
    using Change = std::function<void(TestLevel&)>;
    const struct {
        const char* name;
        Change change;
        const char* warning;
    } cases[] = {
        {"normals", [](TestLevel& l) {
             TestLayer layer = layerOfKind(LayerKind::Static);
             layer.flags |= kLayerFlagNormals;
             layer.meshFrames = {testTriangles(2, 1, true)};
             l.layers.push_back(layer);
         },
         "carry normals"},
        {"other zlib level", [](TestLevel& l) {
             l.layers.push_back(texturedLayer(16, 16));
             l.layers.back().textures[0].zlibLevel = 1;
         },
         "not made by zlib at level 6"},
        {"drawn without texture", [](TestLevel& l) {
             l.layers.push_back(layerOfKind(LayerKind::Static));
             l.layers.back().flags |= kLayerFlagDraw;
         },
         "drawn but has no texture"},
        {"texture of a layer not drawn", [](TestLevel& l) {
             l.layers.push_back(texturedLayer(2, 2));
             l.layers.back().flags = 0;
         },
         "not drawn but has a texture"},
        {"two textures", [](TestLevel& l) {
             l.layers.push_back(texturedLayer(2, 2));
             l.layers.back().textures.push_back(testTexture(3, 1));
         },
         "has 2 textures"},
        {"frames L/R not whole", [](TestLevel& l) { l.framesLR = 2.5f; }, "frames to use L/R 2.5"},
        {"frames till reset not whole", [](TestLevel& l) {
             l.layers.push_back(layerOfKind(LayerKind::Trigger));
             l.layers.back().frames = 2.5f;
         },
         "frames till reset/stop 2.5"},
        {"frames till reset of -0", [](TestLevel& l) {
             l.layers.push_back(layerOfKind(LayerKind::Moving));
             l.layers.back().frames = -0.0f;
         },
         "frames till reset/stop -0"},
        {"NaN with a payload in the start position", [=](TestLevel& l) { l.start[4] = payloadNaN; },
         "start position or rotation"},
        {"NaN in a mesh", [](TestLevel& l) {
             l.layers.push_back(layerOfKind(LayerKind::Static));
             l.layers.back().meshFrames[0][7] = std::numeric_limits<float>::quiet_NaN();
         },
         "1 number has no OBJ text that reads back to it"},
        {"title with a NUL", [](TestLevel& l) { l.title = std::string("ab\0cd", 5); }, "title holds a NUL"},
        {"title longer than a project holds", [](TestLevel& l) { l.title = std::string(300, 'x'); },
         "300 bytes long"},
        {"33 targets", [](TestLevel& l) { l.targets.resize(33); }, "33 targets"},
        {"value chunks in another order", [](TestLevel& l) { l.backgroundFirst = true; }, "in its order"},
        {"wrong target count", [](TestLevel& l) { l.targetCountValue = 4; }, "target count chunk says 4"},
        {"other format id", [](TestLevel& l) { l.formatId[3] ^= 1; }, "format id"},
        {"33 layers", [](TestLevel& l) { l.layers.resize(33, layerOfKind(LayerKind::Static)); }, "33 layers"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestLevel level;
        c.change(level);
        const std::vector<std::uint8_t> bytes = test::encodeTestLevel(level);
        LevelExtraction extraction;
        ASSERT_TRUE(extractLevel(bytes, "level", extraction));
        std::string all;
        for (const std::string& warning : extraction.warnings)
            all += warning + "\n";
        ASSERT_EQ(extraction.warnings.size(), 1u) << all;
        EXPECT_NE(extraction.warnings[0].find(c.warning), std::string::npos) << extraction.warnings[0];
        std::vector<std::uint8_t> again;
        ASSERT_TRUE(regenerateInMemory(extraction, again));
        EXPECT_FALSE(again == bytes);
    }
}

TEST(LevelExtraction, RefusesWhatIsNoLevelFile)
{
    LevelExtraction extraction;
    const std::vector<std::uint8_t> bytes = {'t', 'k', '3', 'd', 0, 0};
    Status status = extractLevel(bytes, "x", extraction);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.reason().rfind("byte ", 0), 0u) << status.reason();
}

// Writing is all or nothing: a refusal or failure leaves no file behind and
// the folder as it was.
TEST(ExtractionFolder, WritesAllOrNothing)
{
    namespace fs = std::filesystem;
    TestLevel level;
    level.layers.push_back(texturedLayer(2, 2));
    LevelExtraction extraction;
    ASSERT_TRUE(extractLevel(test::encodeTestLevel(level), "level", extraction));
    auto listing = [](const fs::path& folder) {
        std::map<std::string, std::uintmax_t> entries;
        for (const auto& entry : fs::directory_iterator(folder))
            entries[entry.path().filename().string()] = entry.is_regular_file() ? entry.file_size() : 0;
        return entries;
    };

    test::TempDir dir;
    // A new folder, even one given with a trailing slash.
    ASSERT_TRUE(writeExtraction(extraction, dir.file("new") + "/", false));
    EXPECT_EQ(listing(dir.path() / "new").size(), 3u);
    EXPECT_EQ(test::readFile(dir.file("new/level.kgp")), extraction.files[0].bytes);
    EXPECT_EQ(listing(dir.path()).size(), 1u) << "no temporary folder is left";

    // An existing folder with other files: they stay.
    fs::create_directory(dir.path() / "mixed");
    test::writeFile(dir.file("mixed/notes.txt"), std::string("mine"));
    ASSERT_TRUE(writeExtraction(extraction, dir.file("mixed"), false));
    EXPECT_EQ(listing(dir.path() / "mixed").size(), 4u);

    // Refusals: a file that would be replaced (without --force), a folder
    // where a file would go (even with --force), a path that is a file.
    fs::create_directory(dir.path() / "taken");
    test::writeFile(dir.file("taken/layer01.obj"), std::string("earlier"));
    fs::create_directories(dir.path() / "blocked/layer01.bmp");
    test::writeFile(dir.file("file"), std::string("a file"));
    const struct {
        std::string folder;
        bool force;
        const char* reason;
    } refusals[] = {
        {dir.file("taken"), false, "already holds 'layer01.obj' (--force replaces it)"},
        {dir.file("blocked"), true, "already holds 'layer01.bmp' and that is no file"},
        {dir.file("file"), false, "it is not a folder"},
        {"", false, "the folder path is empty"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.folder);
        const auto before = listing(dir.path());
        const auto inside = fs::is_directory(r.folder) ? listing(r.folder) : decltype(before){};
        Status status = writeExtraction(extraction, r.folder, r.force);
        ASSERT_FALSE(status);
        EXPECT_NE(status.reason().find(r.reason), std::string::npos) << status.reason();
        EXPECT_EQ(listing(dir.path()), before);
        if (fs::is_directory(r.folder)) {
            EXPECT_EQ(listing(r.folder), inside);
        }
    }
    EXPECT_EQ(test::readFile(dir.file("taken/layer01.obj")), (std::vector<std::uint8_t>{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    ASSERT_TRUE(writeExtraction(extraction, dir.file("taken"), true));
    EXPECT_EQ(test::readFile(dir.file("taken/layer01.obj")), extraction.files[2].bytes);

#ifndef _WIN32
    // A failure while writing (the disk full after the first files) leaves
    // nothing either, in a new folder and in an existing one.
    for (const char* folder : {"full", "mixed"}) {
        SCOPED_TRACE(folder);
        const auto before = listing(dir.path());
        const auto inside = fs::is_directory(dir.path() / folder) ? listing(dir.path() / folder)
                                                                   : decltype(before){};
        Status status = Status::success();
        {
            test::FileSizeLimit limit(100);
            status = writeExtraction(extraction, dir.file(folder), true);
        }
        EXPECT_FALSE(status);
        EXPECT_EQ(listing(dir.path()), before);
        if (!inside.empty()) {
            EXPECT_EQ(listing(dir.path() / folder), inside);
        }
    }
#endif
}

} // namespace
} // namespace kes
