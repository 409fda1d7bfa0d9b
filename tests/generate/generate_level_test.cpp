#include <atomic>

#include <gtest/gtest.h>

#include "generate/generate_level.h"
#include "support/level_fixtures.h"
#include "levelfile/level_reader.h"
#include "model/number_text.h"

namespace kes {
namespace {

using test::TempDir;

struct Generated {
    GenerationResult result;
    LevelFile level;
};

Generated generateAndRead(const LevelProject& project, const std::string& path, const GenerationOptions& options = {})
{
    Generated out;
    out.result = generateLevel(project, path, options);
    if (out.result.status) {
        Status read = loadLevelFile(path, out.level);
        EXPECT_TRUE(read) << read.reason();
    }
    return out;
}

// The keyed chunks and layers in file order, as "kind group index" tokens.
std::vector<std::string> chunkOrder(const LevelFile& level)
{
    std::vector<std::pair<std::uint64_t, std::string>> chunks;
    for (const KeyedChunk& c : level.keyedChunks)
        chunks.push_back({c.offset, std::to_string(int(c.kind)) + " " + std::to_string(c.key.group) + " "
                                        + std::to_string(c.key.index)});
    for (const LevelLayer& l : level.layers)
        chunks.push_back({l.offset, "layer " + std::to_string(l.kind)});
    std::sort(chunks.begin(), chunks.end());
    std::vector<std::string> order;
    for (auto& c : chunks)
        order.push_back(c.second);
    return order;
}

const KeyedChunk* find(const LevelFile& level, ChunkKind kind, ChunkKey key)
{
    for (const KeyedChunk& c : level.keyedChunks)
        if (c.kind == kind && c.key == key)
            return &c;
    return nullptr;
}

LayerEntry layer(const std::string& obj, LayerKind kind, int frames = 0)
{
    LayerEntry entry;
    entry.objPath = obj;
    entry.kind = static_cast<std::int32_t>(kind);
    entry.frames = frames;
    return entry;
}

TEST(GenerateLevel, EmptyTablesGiveTheBasicsOnly)
{
    TempDir dir;
    LevelProject project; // defaults: "Level" by "You"
    Generated g = generateAndRead(project, dir.file("empty.kes"));
    ASSERT_TRUE(g.result.status) << g.result.status.reason();
    EXPECT_EQ(g.level.header.chunkCounts, (std::array<std::uint16_t, 5>{0, 3, 1, 1, 0}));
    EXPECT_EQ(g.level.size, 114u + 5 + 3);
    EXPECT_EQ(g.result.bytes, g.level.size);
    EXPECT_EQ(chunkOrder(g.level), (std::vector<std::string>{"4 1 0", "3 1 0", "2 -1 0", "2 -1 1", "2 -100 0"}));
    EXPECT_EQ(find(g.level, ChunkKind::IntegerChunk, kTargetCountKey)->integer, 0);
}

TEST(GenerateLevel, SettingsAreConvertedAsTyped)
{
    TempDir dir;
    LevelProject project;
    project.settings.title = "Caves";
    project.settings.author = "";
    project.settings.versionMajor = "70000";
    project.settings.versionMinor = "12abc";
    project.settings.framesLR = "12";
    project.settings.startPosition = "1.5, 2,3,4,5,-6.25 rest";
    project.settings.backgroundColor = "255,128,0";
    Generated g = generateAndRead(project, dir.file("level.kes"));
    ASSERT_TRUE(g.result.status) << g.result.status.reason();
    EXPECT_EQ(g.level.header.title, "Caves");
    EXPECT_EQ(g.level.header.author, "");
    EXPECT_EQ(g.level.header.versionMajor, 4464); // 70000 modulo 65536
    EXPECT_EQ(g.level.header.versionMinor, 12);
    EXPECT_EQ(g.level.header.formatId, kFormatId);
    EXPECT_EQ(find(g.level, ChunkKind::FloatChunk, kFramesLRKey)->number, 12.0f);
    EXPECT_EQ(find(g.level, ChunkKind::VectorChunk, kStartPositionKey)->vector, (std::array<float, 3>{1.5f, 2, 3}));
    EXPECT_EQ(find(g.level, ChunkKind::VectorChunk, kStartRotationKey)->vector, (std::array<float, 3>{4, 5, -6.25f}));
    EXPECT_EQ(find(g.level, ChunkKind::VectorChunk, kBackgroundColorKey)->vector,
              (std::array<float, 3>{255, 128, 0}));
}

TEST(GenerateLevel, TargetsFollowTheBackgroundColourInTableOrder)
{
    TempDir dir;
    LevelProject project;
    project.targets.append(TargetEntry{1, 2, 3, 1});
    project.targets.append(TargetEntry{-4, 5.5f, 6, 0});
    Generated g = generateAndRead(project, dir.file("level.kes"));
    ASSERT_TRUE(g.result.status) << g.result.status.reason();
    EXPECT_EQ(g.level.header.chunkCounts, (std::array<std::uint16_t, 5>{0, 5, 3, 1, 0}));
    EXPECT_EQ(chunkOrder(g.level), (std::vector<std::string>{"4 1 0", "3 1 0", "2 -1 0", "2 -1 1", "2 -100 0",
                                                             "3 1 1", "2 1 1", "3 1 2", "2 1 2"}));
    EXPECT_EQ(find(g.level, ChunkKind::IntegerChunk, kTargetCountKey)->integer, 2);
    EXPECT_EQ(find(g.level, ChunkKind::IntegerChunk, ChunkKey{1, 1})->integer, 1);
    EXPECT_EQ(find(g.level, ChunkKind::IntegerChunk, ChunkKey{1, 2})->integer, 0);
    EXPECT_EQ(find(g.level, ChunkKind::VectorChunk, ChunkKey{1, 2})->vector, (std::array<float, 3>{-4, 5.5f, 6}));
}

// A level using every layer kind, textures, an animation and both targets:
// every layer chunk says what its entry says.
TEST(GenerateLevel, EveryLayerKindIsWrittenAsItsEntrySays)
{
    TempDir dir;
    test::writeObj(dir.file("one.obj"), test::fixtureTriangles(2));
    for (int f = 1; f <= 3; ++f)
        test::writeObj(dir.file("anim_00000" + std::to_string(f) + ".obj"), test::fixtureTriangles(f, 10 * f));
    const test::Bytes pixels = test::fixturePixels(5, 3);
    test::writeBmp(dir.file("tex.bmp"), 5, 3, pixels);

    LevelProject project;
    project.targets.append(TargetEntry{1, 2, 3, 0});
    project.targets.append(TargetEntry{4, 5, 6, 1});
    const std::array<float, 6> typedArea = {1, 2, 3, 4, 5, 6};
    for (int kind = 0; kind < kLayerKindCount; ++kind) {
        LayerEntry entry = layer("one.obj", LayerKind(kind), 40);
        entry.speed = {0.5f, float(kind), -1};
        entry.vibration = {7, 8, 9};
        entry.triggerArea = triggerAreaFromTypedOrder(typedArea);
        entry.collision = kind % 2;
        entry.draw = 1;
        entry.bmpPath = "tex.bmp";
        if (kind == int(LayerKind::Animated) || kind == int(LayerKind::AnimatedTrigger)) {
            entry.objPath = "anim.obj";
            entry.frames = 3;
        }
        project.layers.append(entry);
    }
    GenerationOptions options;
    options.baseFolder = dir.path().string();
    std::vector<int> progress;
    options.progress = [&](int i, int n) {
        EXPECT_EQ(n, 6);
        progress.push_back(i);
    };
    Generated g = generateAndRead(project, dir.file("level.kes"), options);
    ASSERT_TRUE(g.result.status) << g.result.status.reason();
    EXPECT_EQ(progress, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(g.level.layers.size(), 6u);
    EXPECT_EQ(g.result.triangles, 4u * 2 + 2 * (1 + 2 + 3));
    EXPECT_EQ(g.result.triangles, g.level.triangleCount());

    for (int kind = 0; kind < kLayerKindCount; ++kind) {
        SCOPED_TRACE(kind);
        const LevelLayer& l = g.level.layers[std::size_t(kind)];
        const LayerEntry& e = project.layers.at(kind);
        EXPECT_EQ(l.kind, kind);
        EXPECT_EQ(l.flags, (e.collision ? 1 : 0) + 4);
        const bool animated = kind == 4 || kind == 5;
        ASSERT_EQ(l.meshFrames.size(), animated ? 3u : 1u);
        if (animated) {
            EXPECT_EQ(l.frameCount, 3);
            for (std::size_t f = 0; f < 3; ++f) {
                EXPECT_EQ(l.meshFrames[f].triangleCount, f + 1);
                EXPECT_EQ(l.meshFrames[f].triangles[0], test::fixtureTriangle(10 * int(f + 1)).corners[0][0]);
            }
        } else {
            EXPECT_EQ(l.meshFrames[0].triangleCount, 2u);
        }
        if (kind == 1 || kind == 2 || kind == 3) {
            EXPECT_EQ(l.speed, e.speed);
        }
        if (kind == 1 || kind == 3) {
            EXPECT_EQ(l.frames, 40.0f);
        }
        if (kind == 2) {
            EXPECT_EQ(l.vibration, e.vibration);
        }
        if (kind == 3 || kind == 5) { // typed 1..6 reach the file as (1, 4, 6, 2, 3, 5)
            EXPECT_EQ(l.triggerArea, (std::array<float, 6>{1, 4, 6, 2, 3, 5}));
        }
        ASSERT_EQ(l.textures.size(), 1u);
        EXPECT_EQ(l.textures[0].width, 5);
        EXPECT_EQ(l.textures[0].height, 3);
        EXPECT_EQ(l.textures[0].pixels, pixels);
    }
}

TEST(GenerateLevel, ALayerThatIsNotDrawnNeverOpensItsTexture)
{
    TempDir dir;
    test::writeObj(dir.file("one.obj"), test::fixtureTriangles(1));
    LevelProject project;
    LayerEntry entry = layer(dir.file("one.obj"), LayerKind::Static);
    entry.draw = 0;
    entry.collision = 1;
    entry.bmpPath = dir.file("does-not-exist.bmp"); // reading it would fail
    project.layers.append(entry);
    Generated g = generateAndRead(project, dir.file("level.kes"));
    ASSERT_TRUE(g.result.status) << g.result.status.reason();
    EXPECT_EQ(g.level.layers[0].flags, 1);
    EXPECT_TRUE(g.level.layers[0].textures.empty());
}

TEST(GenerateLevel, RelativePathsAreTakenFromTheProjectFolder)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "meshes");
    test::writeObj(dir.file("meshes/one.obj"), test::fixtureTriangles(1));
    LevelProject project;
    project.layers.append(layer("meshes/one.obj", LayerKind::Static));
    project.layers.append(layer(dir.file("meshes/one.obj"), LayerKind::Static)); // absolute

    GenerationOptions options;
    options.baseFolder = dir.path().string();
    Generated g = generateAndRead(project, dir.file("level.kes"), options);
    ASSERT_TRUE(g.result.status) << g.result.status.reason();
    EXPECT_EQ(g.level.layers.size(), 2u);

    // Without the folder, the relative path is looked up in the current folder.
    GenerationResult elsewhere = generateLevel(project, dir.file("other.kes"));
    EXPECT_FALSE(elsewhere.status);
}

// A failed generation names the layer and the file, and leaves the level that
// was at the target before as it was, with no temporary file beside it.
TEST(GenerateLevel, FailureNamesTheLayerAndKeepsTheEarlierLevel)
{
    TempDir dir;
    test::writeObj(dir.file("one.obj"), test::fixtureTriangles(1));
    test::writeFile(dir.file("broken.bmp"), std::string("BM not really a bitmap"));
    const std::string target = dir.file("level.kes");
    test::writeFile(target, std::string("the earlier level"));

    struct Case {
        const char* name;
        LayerEntry entry;
        const char* reasonContains;
    };
    LayerEntry missingMesh = layer("missing.obj", LayerKind::Static);
    LayerEntry missingTexture = layer("one.obj", LayerKind::Static);
    missingTexture.draw = 1;
    missingTexture.bmpPath = "missing.bmp";
    LayerEntry brokenTexture = missingTexture;
    brokenTexture.bmpPath = "broken.bmp";
    LayerEntry missingFrame = layer("one.obj", LayerKind::Animated, 2); // one_000001.obj does not exist
    const Case cases[] = {
        {"missing mesh", missingMesh, "missing.obj"},
        {"missing texture", missingTexture, "missing.bmp"},
        {"broken texture", brokenTexture, "broken.bmp"},
        {"missing frame", missingFrame, "one_000001.obj"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelProject project;
        project.layers.append(layer("one.obj", LayerKind::Static));
        project.layers.append(c.entry);
        GenerationOptions options;
        options.baseFolder = dir.path().string();
        GenerationResult result = generateLevel(project, target, options);
        ASSERT_FALSE(result.status);
        EXPECT_NE(result.status.reason().find("layer 2"), std::string::npos) << result.status.reason();
        EXPECT_NE(result.status.reason().find(c.reasonContains), std::string::npos) << result.status.reason();
        EXPECT_EQ(test::readFile(target), test::Bytes(std::begin("the earlier level"), std::end("the earlier level") - 1));
        std::vector<std::string> entries = dir.entries();
        std::sort(entries.begin(), entries.end());
        EXPECT_EQ(entries, (std::vector<std::string>{"broken.bmp", "level.kes", "one.obj"}));
    }
}

// Cancelled before the first layer, or while a later one is being made, on
// one thread and on several: the earlier level stays and nothing is left.
TEST(GenerateLevel, ACancelledGenerationStopsAndKeepsTheEarlierLevel)
{
    TempDir dir;
    for (int frame = 1; frame <= 3; ++frame)
        test::writeObj(dir.file("wave_00000" + std::to_string(frame) + ".obj"), test::fixtureTriangles(40, frame));
    test::writeBmp(dir.file("tex.bmp"), 8, 4, test::fixturePixels(8, 4));
    LevelProject project;
    for (int i = 0; i < 4; ++i) {
        LayerEntry wave = layer("wave.obj", LayerKind::Animated, 3);
        wave.draw = 1;
        wave.bmpPath = "tex.bmp";
        project.layers.append(wave);
    }
    const std::string target = dir.file("level.kes");
    test::writeFile(target, std::string("the earlier level"));
    for (int threads : {1, 3}) {
        for (int cancelAt : {0, 1, 3}) {
            SCOPED_TRACE("threads " + std::to_string(threads) + ", cancelled at layer " + std::to_string(cancelAt));
            std::atomic<bool> cancel = cancelAt == 0;
            int lastShown = -1;
            GenerationOptions options;
            options.baseFolder = dir.path().string();
            options.threads = threads;
            options.cancel = &cancel;
            options.progress = [&](int shown, int) {
                lastShown = shown;
                if (shown == cancelAt)
                    cancel = true;
            };
            const GenerationResult result = generateLevel(project, target, options);
            EXPECT_FALSE(result.status);
            EXPECT_TRUE(result.cancelled);
            EXPECT_EQ(result.status.reason(), kGenerationCancelled);
            EXPECT_EQ(lastShown, cancelAt == 0 ? -1 : cancelAt) << "went on after the cancel";
            EXPECT_EQ(test::readFile(target).size(), std::string("the earlier level").size());
            EXPECT_EQ(dir.entries().size(), 5u) << "a temporary file was left";
        }
    }
    // Not cancelled: the flag changes nothing.
    std::atomic<bool> cancel = false;
    GenerationOptions options;
    options.baseFolder = dir.path().string();
    options.cancel = &cancel;
    const GenerationResult result = generateLevel(project, target, options);
    EXPECT_TRUE(result.status) << result.status.reason();
    EXPECT_FALSE(result.cancelled);
}

TEST(GenerateLevel, AnOutputFolderThatDoesNotExistFails)
{
    TempDir dir;
    GenerationResult result = generateLevel(LevelProject{}, dir.file("no/such/folder/level.kes"));
    ASSERT_FALSE(result.status);
    EXPECT_NE(result.status.reason().find("level.kes"), std::string::npos) << result.status.reason();
}

TEST(GenerateLevel, ReaderWarningsComeWithTheResult)
{
    TempDir dir;
    test::writeFile(dir.file("odd.obj"), std::string("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 9/1/1\n"));
    LevelProject project;
    project.layers.append(layer(dir.file("odd.obj"), LayerKind::Static));
    GenerationResult result = generateLevel(project, dir.file("level.kes"));
    ASSERT_TRUE(result.status) << result.status.reason();
    ASSERT_FALSE(result.warnings.empty());
    EXPECT_EQ(result.warnings[0].line, 4);
    EXPECT_NE(result.warnings[0].file.find("odd.obj"), std::string::npos);
}

} // namespace
} // namespace kes
