// Bitmaps written by ImageMagick, read here and by ImageMagick itself, must
// give the same pixels.
#include "assets/bmp_reader.h"

#include <cstdlib>
#include <filesystem>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/byte_order.h"
#include "support/temp_dir.h"

namespace kes {
namespace {

// The full path of `name` found on PATH, or empty.
std::string findProgram(const std::string& name)
{
#ifdef _WIN32
    // Windows has a "convert" of its own that converts file systems.
    (void)name;
    return {};
#else
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    std::string folders = path;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::filesystem::path candidate = std::filesystem::path(folders.substr(start, end - start)) / name;
        std::error_code ec;
        auto status = std::filesystem::status(candidate, ec);
        if (!ec && std::filesystem::is_regular_file(status)
            && (status.permissions() & std::filesystem::perms::owner_exec) != std::filesystem::perms::none)
            return candidate.string();
        start = end + 1;
    }
    return {};
#endif
}

// Runs `program` with arguments (none may hold a single quote); true when it
// exits with 0.
bool run(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string command = "'" + program + "'";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    command += " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// A picture of width x height random colours, rows top first, as red, green,
// blue bytes.
std::vector<std::uint8_t> randomPicture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::uint8_t& value : pixels)
        value = static_cast<std::uint8_t>(random() & 0xFF);
    return pixels;
}

void writePpm(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels)
{
    std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    test::writeFile(path, file);
}

// Rows of `pixels` in the opposite order.
std::vector<std::uint8_t> flipRows(const std::vector<std::uint8_t>& pixels, int width, int height)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> flipped;
    flipped.reserve(pixels.size());
    for (int row = height - 1; row >= 0; --row)
        flipped.insert(flipped.end(), pixels.begin() + row * rowBytes, pixels.begin() + (row + 1) * rowBytes);
    return flipped;
}

class BmpFromImageMagick : public ::testing::Test {
protected:
    void SetUp() override
    {
        convert_ = findProgram("convert");
        if (convert_.empty())
            GTEST_SKIP() << "ImageMagick's convert is not installed";
    }

    std::string convert_;
    test::TempDir dir_;
};

TEST_F(BmpFromImageMagick, EveryHeaderFormReadsAsImageMagickReadsIt)
{
    struct Form {
        const char* prefix;
        std::uint32_t headerSize; // what ImageMagick writes in this form
    };
    const Form forms[] = {{"", 124}, {"bmp3:", 40}, {"bmp2:", 12}};
    const std::pair<int, int> sizes[] = {{37, 23}, {16, 9}, {1, 1}, {2, 5}};
    unsigned seed = 1;
    for (auto [width, height] : sizes) {
        const std::vector<std::uint8_t> picture = randomPicture(width, height, seed++);
        const std::string source = dir_.file("in.ppm");
        writePpm(source, width, height, picture);
        for (const Form& form : forms) {
            SCOPED_TRACE(std::string(form.prefix) + " " + std::to_string(width) + "x" + std::to_string(height));
            const std::string bmp = dir_.file("out.bmp");
            const std::string raw = dir_.file("out.raw");
            ASSERT_TRUE(run(convert_, {source, std::string(form.prefix) + bmp}));
            ASSERT_TRUE(run(convert_, {bmp, "-depth", "8", "rgb:" + raw}));
            const std::vector<std::uint8_t> file = test::readFile(bmp);
            ASSERT_GE(file.size(), 18u);
            EXPECT_EQ(getU32(file.data() + 14), form.headerSize);

            BitmapImage image;
            Status status = loadBitmap(bmp, image);
            ASSERT_TRUE(status) << status.reason();
            EXPECT_EQ(image.width, width);
            EXPECT_EQ(image.height, height);
            // ImageMagick delivers the top row first; the reader the file's
            // first row, the bottom one.
            const std::vector<std::uint8_t> imageMagicks = test::readFile(raw);
            EXPECT_TRUE(image.pixels == flipRows(imageMagicks, width, height));
            EXPECT_TRUE(image.pixels == flipRows(picture, width, height));
        }
    }
}

TEST_F(BmpFromImageMagick, PaletteAndTopDownFilesAreHandled)
{
    const int width = 7;
    const int height = 5;
    const std::vector<std::uint8_t> picture = randomPicture(width, height, 99);
    writePpm(dir_.file("in.ppm"), width, height, picture);

    // A palette bitmap is refused with a reason.
    ASSERT_TRUE(run(convert_, {dir_.file("in.ppm"), "-type", "Palette", "bmp3:" + dir_.file("palette.bmp")}));
    BitmapImage image;
    Status status = loadBitmap(dir_.file("palette.bmp"), image);
    ASSERT_FALSE(status);
    EXPECT_THAT(status.reason(), ::testing::HasSubstr("bits per pixel; save it as a 24-bit bitmap"));

    // A top-down copy of a bitmap ImageMagick wrote: ImageMagick reads it as
    // the same picture, and so does the reader.
    ASSERT_TRUE(run(convert_, {dir_.file("in.ppm"), "bmp3:" + dir_.file("up.bmp")}));
    std::vector<std::uint8_t> file = test::readFile(dir_.file("up.bmp"));
    ASSERT_GE(file.size(), 54u);
    const std::uint32_t offset = getU32(file.data() + 10);
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> topDown(file.begin(), file.begin() + offset);
    putI32(topDown.data() + 22, -height);
    for (int row = height - 1; row >= 0; --row) {
        auto first = file.begin() + offset + static_cast<std::ptrdiff_t>(row * stride);
        topDown.insert(topDown.end(), first, first + static_cast<std::ptrdiff_t>(stride));
    }
    test::writeFile(dir_.file("down.bmp"), topDown);
    ASSERT_TRUE(run(convert_, {dir_.file("down.bmp"), "-depth", "8", "rgb:" + dir_.file("down.raw")}));
    EXPECT_TRUE(test::readFile(dir_.file("down.raw")) == picture);

    status = loadBitmap(dir_.file("down.bmp"), image);
    ASSERT_TRUE(status) << status.reason();
    EXPECT_EQ(image.height, height);
    EXPECT_TRUE(image.pixels == flipRows(picture, width, height));
}

// docs/guide.md tells designers to save textures with
//   convert in.png -type truecolor BMP3:out.bmp
// Whatever the PNG holds (transparency, grey only, a handful of colours), that
// gives an uncompressed 24-bit bitmap that reads as ImageMagick reads it.
// Without "-type truecolor" a picture of few colours becomes a palette bitmap.
TEST_F(BmpFromImageMagick, TheGuidesCommandGivesA24BitBitmapFromAnyPng)
{
    struct Source {
        const char* name;
        std::vector<std::string> make; // convert arguments before the PNG's path
    };
    const Source sources[] = {
        {"transparent", {"-size", "6x4", "xc:rgba(200,30,10,0.5)"}},
        {"grey", {"-size", "5x3", "gradient:black-white", "-colorspace", "Gray"}},
        {"two colours", {"-size", "7x2", "xc:red", "-fill", "blue", "-draw", "point 1,1"}},
        {"photo", {"-size", "9x5", "plasma:fractal"}},
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.name);
        const std::string png = dir_.file("in.png");
        std::vector<std::string> make = source.make;
        make.push_back(png);
        ASSERT_TRUE(run(convert_, make));

        const std::string bmp = dir_.file("out.bmp");
        ASSERT_TRUE(run(convert_, {png, "-type", "truecolor", "BMP3:" + bmp}));
        const std::vector<std::uint8_t> file = test::readFile(bmp);
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(getU32(file.data() + 14), 40u); // the 40-byte information header
        EXPECT_EQ(getU16(file.data() + 28), 24u); // bits per pixel
        EXPECT_EQ(getU32(file.data() + 30), 0u);  // uncompressed

        BitmapImage image;
        Status status = loadBitmap(bmp, image);
        ASSERT_TRUE(status) << status.reason();
        const std::string raw = dir_.file("out.raw");
        ASSERT_TRUE(run(convert_, {bmp, "-depth", "8", "rgb:" + raw}));
        EXPECT_TRUE(image.pixels == flipRows(test::readFile(raw), image.width, image.height));
    }

    // The option matters: left out, the two-colour picture is saved with a
    // palette, which the reader refuses with advice.
    ASSERT_TRUE(run(convert_, {"-size", "7x2", "xc:red", "-fill", "blue", "-draw", "point 1,1", dir_.file("few.png")}));
    ASSERT_TRUE(run(convert_, {dir_.file("few.png"), "BMP3:" + dir_.file("few.bmp")}));
    BitmapImage image;
    Status status = loadBitmap(dir_.file("few.bmp"), image);
    ASSERT_FALSE(status);
    EXPECT_THAT(status.reason(), ::testing::HasSubstr("save it as a 24-bit bitmap"));
}

} // namespace
} // namespace kes
