#include <filesystem>
#include <algorithm>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "model/byte_order.h"
#include "model/file_io.h"
#include "model/project_file.h"
#include "model/records.h"
#include "support/temp_dir.h"

namespace kes {
namespace {

using test::TempDir;

LevelProject sampleProject(int layerCount, int targetCount)
{
    LevelProject project;
    project.settings.title = "Caves";
    project.settings.author = "Ana";
    project.settings.versionMajor = "007";
    project.settings.versionMinor = "70000";
    project.settings.framesLR = "25";
    project.settings.startPosition = "1,2,3,4,5,6";
    project.settings.backgroundColor = "not numbers";
    for (int i = 0; i < layerCount; ++i) {
        LayerEntry layer;
        layer.objPath = "layer" + std::to_string(i) + ".obj";
        layer.bmpPath = "tex.bmp";
        layer.speed = {0.5f, float(i), -1};
        layer.triggerArea = {1, 4, 6, 2, 3, 5};
        layer.kind = i % 6;
        layer.frames = 10 * i;
        layer.draw = 1;
        project.layers.append(layer);
    }
    for (int i = 0; i < targetCount; ++i)
        project.targets.append(TargetEntry{float(i), 2, 3, i % 2});
    return project;
}

TEST(ProjectFile, SizesAndOffsets)
{
    EXPECT_EQ(encodeProject(LevelProject{}).size(), 1030u);
    EXPECT_EQ(encodeProject(sampleProject(2, 3)).size(), 2198u);

    std::vector<std::uint8_t> one = encodeProject(sampleProject(1, 2));
    EXPECT_EQ(getI32(one.data() + 1022), 1);                       // layer count
    EXPECT_EQ(std::string(reinterpret_cast<char*>(one.data() + 1026)), "layer0.obj");
    EXPECT_EQ(getI32(one.data() + 1586), 2);                       // target count
}

// The whole file built by hand from the layout, byte for byte.
TEST(ProjectFile, BytesMatchTheLayout)
{
    LevelProject project = sampleProject(1, 1);
    std::vector<std::uint8_t> expected(1030 + 560 + 16, 0);
    std::uint8_t* p = expected.data();
    std::memcpy(p, "KESGENPROJ", 10);
    std::memcpy(p + 10, "Caves", 5);
    std::memcpy(p + 260, "Ana", 3);
    putI32(p + 510, 7);
    putI32(p + 514, 70000);
    putF32(p + 518, 25.0f);
    std::memcpy(p + 522, "1,2,3,4,5,6", 11);
    std::memcpy(p + 772, "not numbers", 11);
    putI32(p + 1022, 1);
    std::memcpy(p + 1026, "layer0.obj", 10);
    std::memcpy(p + 1026 + 250, "tex.bmp", 7);
    putF32(p + 1026 + 500, 0.5f);
    putF32(p + 1026 + 504, 0.0f);
    putF32(p + 1026 + 508, -1.0f);
    const float area[6] = {1, 4, 6, 2, 3, 5};
    for (int i = 0; i < 6; ++i)
        putF32(p + 1026 + 524 + 4 * i, area[i]);
    putI32(p + 1026 + 548, 0);
    putI32(p + 1026 + 552, 0);
    p[1026 + 556] = 1;
    putI32(p + 1586, 1);
    putF32(p + 1590, 0.0f);
    putF32(p + 1594, 2.0f);
    putF32(p + 1598, 3.0f);
    putI32(p + 1602, 0);
    EXPECT_EQ(encodeProject(project), expected);
}

TEST(ProjectFile, RoundTripShowsNumbersTheWayTheyAreStored)
{
    TempDir dir;
    const std::string path = dir.file("level.kgp");
    LevelProject saved = sampleProject(3, 4);
    ASSERT_TRUE(saveProject(saved, path));

    LevelProject loaded;
    Status status = loadProject(path, loaded);
    ASSERT_TRUE(status) << status.reason();
    EXPECT_EQ(loaded.settings.title, "Caves");
    EXPECT_EQ(loaded.settings.author, "Ana");
    EXPECT_EQ(loaded.settings.versionMajor, "7");      // typed 007
    EXPECT_EQ(loaded.settings.versionMinor, "70000");
    EXPECT_EQ(loaded.settings.framesLR, "25");         // stored as 25.0
    EXPECT_EQ(loaded.settings.startPosition, "1,2,3,4,5,6");
    EXPECT_EQ(loaded.settings.backgroundColor, "not numbers");
    EXPECT_EQ(loaded.layers, saved.layers);
    EXPECT_EQ(loaded.targets, saved.targets);
}

TEST(ProjectFile, FramesAndVersionsAreStoredAsNumbers)
{
    LevelProject project;
    project.settings.framesLR = "12.75abc";
    project.settings.versionMajor = "x";
    std::vector<std::uint8_t> bytes = encodeProject(project);
    EXPECT_EQ(getF32(bytes.data() + 518), 12.75f);
    EXPECT_EQ(getI32(bytes.data() + 510), 0);

    LevelProject loaded;
    ASSERT_TRUE(decodeProject(bytes, loaded));
    EXPECT_EQ(loaded.settings.framesLR, "13");
    EXPECT_EQ(loaded.settings.versionMajor, "0");
}

TEST(ProjectFile, TextFieldWithoutNulIsReadAsItsFirst249Bytes)
{
    std::vector<std::uint8_t> bytes = encodeProject(LevelProject{});
    std::fill(bytes.begin() + 10, bytes.begin() + 260, 'T');
    LevelProject loaded;
    ASSERT_TRUE(decodeProject(bytes, loaded));
    EXPECT_EQ(loaded.settings.title, std::string(249, 'T'));
}

TEST(ProjectFile, ResetRestoresTheDefaults)
{
    LevelProject project = sampleProject(2, 2);
    resetToDefaults(project);
    EXPECT_EQ(project.layers.count(), 0);
    EXPECT_EQ(project.targets.count(), 0);
    EXPECT_EQ(project.settings.title, "Level");
    EXPECT_EQ(project.settings.author, "You");
    EXPECT_EQ(project.settings.versionMajor, "1");
    EXPECT_EQ(project.settings.versionMinor, "0");
    EXPECT_EQ(project.settings.startPosition, "0.0000,0.0000,0.0000,0.0,0.0,0.0");
    EXPECT_EQ(project.settings.backgroundColor, "0.0000,0.0000,0.0000");
    EXPECT_EQ(project.settings.framesLR, "0");
}

// Every refused file leaves the project as it was.
TEST(ProjectFile, RefusesMalformedFilesAndChangesNothing)
{
    const std::vector<std::uint8_t> good = encodeProject(sampleProject(2, 2));
    auto withInt = [&](std::size_t at, std::int32_t value) {
        std::vector<std::uint8_t> bytes = good;
        putI32(bytes.data() + at, value);
        return bytes;
    };
    auto lowerHeader = good;
    std::memcpy(lowerHeader.data(), "kesgenproj", 10);
    // A project claiming 32 layers in 100 bytes: refused without reading past
    // the end or allocating for the claim.
    std::vector<std::uint8_t> claim(good.begin(), good.begin() + 1026);
    putI32(claim.data() + 1022, 32);
    claim.resize(1026 + 100, 0);

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reasonContains;
    };
    const std::size_t targetCountAt = 1026 + 2 * 560;
    const Case cases[] = {
        {"lower-case header", lowerHeader, "Invalid File: Header incorrect."},
        {"empty file", {}, "Invalid File: Header incorrect."},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 10), "ends after 10 bytes"},
        {"negative layer count", withInt(1022, -1), "layer count -1"},
        {"33 layers", withInt(1022, 33), "layer count 33"},
        {"33 targets", withInt(targetCountAt, 33), "target count 33"},
        {"negative target count", withInt(targetCountAt, -5), "target count -5"},
        {"32 layers in 100 bytes", claim, "ends after 1126 bytes"},
        {"last target cut short", std::vector<std::uint8_t>(good.begin(), good.end() - 1), "ends after"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelProject project = sampleProject(1, 1);
        const LevelProject before = project;
        Status status = decodeProject(c.bytes, project);
        EXPECT_FALSE(status);
        EXPECT_NE(status.reason().find(c.reasonContains), std::string::npos) << status.reason();
        EXPECT_EQ(project, before);
    }
}

// An endless stream is read only up to the largest project there can be.
TEST(ProjectFile, ReadingStopsAfterTheLargestProjectSize)
{
    EXPECT_EQ(kMaxProjectSize, encodeProject(sampleProject(32, 32)).size());
    if (std::filesystem::exists("/dev/zero")) {
        LevelProject project;
        Status status = loadProject("/dev/zero", project);
        EXPECT_EQ(status.reason(), "Invalid File: Header incorrect.");
    }
    TempDir dir;
    std::vector<std::uint8_t> bytes = encodeProject(sampleProject(2, 3));
    bytes.resize(bytes.size() + 3 * kMaxProjectSize, 0xAB);
    test::writeFile(dir.file("long.kgp"), bytes);
    LevelProject project;
    ASSERT_TRUE(loadProject(dir.file("long.kgp"), project));
    EXPECT_EQ(project.layers.count(), 2);
    EXPECT_EQ(project.targets.count(), 3);
}

TEST(ProjectFile, LoadOfAMissingFileFailsAndChangesNothing)
{
    TempDir dir;
    LevelProject project = sampleProject(1, 1);
    Status status = loadProject(dir.file("missing.kgp"), project);
    EXPECT_FALSE(status);
    EXPECT_NE(status.reason().find("missing.kgp"), std::string::npos);
    EXPECT_EQ(project, sampleProject(1, 1));
}

TEST(ProjectFile, FailedSaveLeavesTheEarlierFileAsItWas)
{
    TempDir dir;
    const std::string path = dir.file("level.kgp");
    ASSERT_TRUE(saveProject(sampleProject(1, 1), path));
    const std::vector<std::uint8_t> before = test::readFile(path);

    // A folder that does not exist.
    Status missingFolder = saveProject(sampleProject(2, 2), dir.file("no/such/level.kgp"));
    EXPECT_FALSE(missingFolder);
    EXPECT_NE(missingFolder.reason().find("level.kgp"), std::string::npos);

#ifndef _WIN32
    // The disk fills up in the middle of the new file.
    {
        test::FileSizeLimit limit(1500);
        Status full = saveProject(sampleProject(32, 32), path);
        EXPECT_FALSE(full);
        EXPECT_NE(full.reason().find("file too large"), std::string::npos) << full.reason();
    }
    EXPECT_EQ(test::readFile(path), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"level.kgp"}) << "a temporary file was left";
#endif

    // A folder standing where the file should be.
    std::filesystem::create_directory(dir.path() / "folder.kgp");
    EXPECT_FALSE(saveProject(sampleProject(1, 1), dir.file("folder.kgp")));
}

#ifndef _WIN32
// Saving replaces the file a link names and keeps the link, keeps the
// replaced file's permissions, and refuses targets that are not files.
TEST(ProjectFile, SaveKeepsLinksAndPermissionsAndRefusesSpecialFiles)
{
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string real = dir.file("real.kgp");
    ASSERT_TRUE(saveProject(sampleProject(1, 1), real));
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, dir.path() / "link.kgp");

    ASSERT_TRUE(saveProject(sampleProject(2, 2), dir.file("link.kgp")));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.kgp"));
    EXPECT_EQ(test::readFile(real), encodeProject(sampleProject(2, 2)));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const std::string pipe = dir.file("pipe.kgp");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Status refused = saveProject(sampleProject(1, 1), pipe);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.reason().find("not a regular file"), std::string::npos) << refused.reason();
    EXPECT_TRUE(fs::is_fifo(pipe));
}
#endif

} // namespace
} // namespace kes
