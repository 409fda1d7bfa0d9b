#include "synthetic_level.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "model/byte_order.h"
#include "support/bmp_builder.h"
#include "model/file_io.h"
#include "model/project_file.h"

namespace kes::bench {
namespace {

void writeWhole(const std::filesystem::path& path, const void* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(data, 1, size, file) == size;
    if (file && std::fclose(file) != 0)
        ok = false;
    if (!ok)
        throw std::runtime_error("cannot write '" + path.string() + "'");
}

// Appends a number as an exporter does: fixed point, six decimals.
void appendNumber(std::string& out, double value)
{
    char buffer[48];
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    out.append(buffer, r.ptr);
}

void appendIndex(std::string& out, std::uint64_t value)
{
    char buffer[24];
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, r.ptr);
}

// Rolling hills that move with `phase`.
double height(double x, double z, double phase, double seed)
{
    return 2.5 * std::sin(0.11 * x + phase + seed) * std::cos(0.07 * z - 0.5 * phase)
        + 0.8 * std::sin(0.31 * z + 1.7 * seed);
}

// A grid of side x side quads over 100 x 100 units, two triangles per quad,
// with one position, texture coordinate and normal per grid point. Returns the
// number of bytes written.
std::uint64_t writeHeightfield(const std::filesystem::path& path, int side, double phase, double seed)
{
    const int points = side + 1;
    const double step = 100.0 / side;
    std::string text;
    text.reserve(std::size_t(points) * points * 100 + std::size_t(side) * side * 2 * 60);
    text += "# kesgen benchmark heightfield\no terrain\n";
    for (int i = 0; i < points; ++i) {
        for (int j = 0; j < points; ++j) {
            double x = -50 + i * step, z = -50 + j * step;
            text += "v ";
            appendNumber(text, x);
            text += ' ';
            appendNumber(text, height(x, z, phase, seed));
            text += ' ';
            appendNumber(text, z);
            text += '\n';
        }
    }
    for (int i = 0; i < points; ++i) {
        for (int j = 0; j < points; ++j) {
            text += "vt ";
            appendNumber(text, double(i) / side);
            text += ' ';
            appendNumber(text, double(j) / side);
            text += '\n';
        }
    }
    for (int i = 0; i < points; ++i) {
        for (int j = 0; j < points; ++j) {
            double x = -50 + i * step, z = -50 + j * step, d = 0.01;
            double dx = (height(x + d, z, phase, seed) - height(x - d, z, phase, seed)) / (2 * d);
            double dz = (height(x, z + d, phase, seed) - height(x, z - d, phase, seed)) / (2 * d);
            double length = std::sqrt(dx * dx + 1 + dz * dz);
            text += "vn ";
            appendNumber(text, -dx / length);
            text += ' ';
            appendNumber(text, 1 / length);
            text += ' ';
            appendNumber(text, -dz / length);
            text += '\n';
        }
    }
    text += "s 1\n";
    auto corner = [&](std::uint64_t index) {
        text += ' ';
        for (int k = 0; k < 3; ++k) {
            if (k > 0)
                text += '/';
            appendIndex(text, index);
        }
    };
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            std::uint64_t a = std::uint64_t(i) * points + j + 1, b = a + 1, c = a + points, d = c + 1;
            text += 'f';
            corner(a);
            corner(c);
            corner(b);
            text += "\nf";
            corner(b);
            corner(c);
            corner(d);
            text += '\n';
        }
    }
    writeWhole(path, text.data(), text.size());
    return text.size();
}

// A 24-bit bottom-up BMP of smooth colour gradients with sensor-like noise,
// which compresses about as well as a photograph. Returns its size.
std::uint64_t writePhotoLikeBmp(const std::filesystem::path& path, int side, std::uint32_t seed)
{
    std::vector<std::uint8_t> rows(std::size_t(side) * side * 3);
    std::uint32_t state = seed * 2654435761u + 1;
    auto noise = [&] { // xorshift32, summed twice for a softer spread of about +-5
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return int(state & 7) + int((state >> 8) & 3) - 5;
    };
    const double s = seed * 0.37;
    for (int y = 0; y < side; ++y) {
        std::uint8_t* row = rows.data() + std::size_t(y) * side * 3;
        for (int x = 0; x < side; ++x) {
            double fx = double(x) / side, fy = double(y) / side;
            double light = 0.5 + 0.3 * std::sin(6.0 * fx + s) * std::cos(4.0 * fy - s) + 0.2 * fy;
            double channel[3] = {light * (0.8 + 0.2 * std::sin(3 * fy + s)), light * (0.7 + 0.3 * fx),
                                 light * (0.6 + 0.4 * std::cos(5 * fx * fy + s))};
            for (int k = 2; k >= 0; --k) { // blue, green, red
                int v = int(channel[k] * 255) + noise();
                row[x * 3 + k] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    }
    const std::vector<std::uint8_t> file = test::encodeBmp(side, side, rows);
    writeWhole(path, file.data(), file.size());
    return file.size();
}

std::string twoDigits(int n)
{
    std::string text = std::to_string(n);
    if (text.size() < 2)
        text.insert(text.begin(), '0');
    return text;
}

LevelProject benchmarkProject()
{
    LevelProject project;
    project.settings.title = "Benchmark";
    project.settings.author = "kesgen";
    project.settings.framesLR = "12";
    project.settings.startPosition = "0,5,0,0,0,0";
    project.settings.backgroundColor = "0.2,0.3,0.5";
    project.targets.append(TargetEntry{10, 0, 10, 0});
    project.targets.append(TargetEntry{-10, 0, -10, 1});
    return project;
}

} // namespace

SyntheticLevel makeSyntheticLevel(const std::string& folder, const SyntheticLevelPlan& plan)
{
    namespace fs = std::filesystem;
    const fs::path root = pathFromUtf8(folder);
    fs::create_directories(root / "meshes");
    fs::create_directories(root / "textures");

    SyntheticLevel level;
    LevelProject project = benchmarkProject();

    auto addLayer = [&](const std::string& mesh, LayerKind kind, int frames) {
        const int n = project.layers.count() + 1;
        LayerEntry entry;
        entry.objPath = "meshes/" + mesh;
        entry.bmpPath = "textures/layer_" + twoDigits(n) + ".bmp";
        entry.kind = static_cast<std::int32_t>(kind);
        entry.frames = frames;
        entry.speed = {0.1f * n, 0, 0};
        entry.vibration = {0, 0.5f, 0};
        entry.draw = 1;
        entry.collision = n % 2;
        project.layers.append(entry);
        level.bmpBytes += writePhotoLikeBmp(root / entry.bmpPath, plan.textureSide, std::uint32_t(n));
    };

    // Layer 1: the animation, one numbered mesh file per frame.
    for (int f = 1; f <= plan.animatedFrames; ++f) {
        std::string number = std::to_string(f);
        std::string name = "wave_" + std::string(6 - number.size(), '0') + number + ".obj";
        level.objBytes += writeHeightfield(root / "meshes" / name, plan.animatedGrid, 0.2 * f, 0);
        level.triangles += 2ull * plan.animatedGrid * plan.animatedGrid;
    }
    addLayer("wave.obj", LayerKind::Animated, plan.animatedFrames);

    // Layer 2: the largest single mesh.
    level.objBytes += writeHeightfield(root / "meshes" / "large.obj", plan.largeGrid, 0, 1);
    level.triangles += 2ull * plan.largeGrid * plan.largeGrid;
    level.largestObjPath = pathToUtf8(root / "meshes" / "large.obj");
    addLayer("large.obj", LayerKind::Static, 0);

    // The rest, with the kinds that carry motion parameters in turn.
    const LayerKind kinds[] = {LayerKind::Static, LayerKind::Moving, LayerKind::Vibrating, LayerKind::Trigger};
    for (int m = 0; m < plan.mediumLayers; ++m) {
        std::string name = "layer_" + twoDigits(m + 3) + ".obj";
        level.objBytes += writeHeightfield(root / "meshes" / name, plan.mediumGrid, 0, 2 + m);
        level.triangles += 2ull * plan.mediumGrid * plan.mediumGrid;
        addLayer(name, kinds[m % 4], 100);
    }

    level.layers = project.layers.count();
    level.projectPath = pathToUtf8(root / "level.kgp");
    if (Status saved = saveProject(project, level.projectPath); !saved)
        throw std::runtime_error(saved.reason());
    return level;
}

SyntheticLevel makeOneMeshLevel(const std::string& folder, int grid)
{
    namespace fs = std::filesystem;
    const fs::path root = pathFromUtf8(folder);
    fs::create_directories(root / "meshes");

    SyntheticLevel level;
    LevelProject project = benchmarkProject();
    level.objBytes = writeHeightfield(root / "meshes" / "one.obj", grid, 0, 1);
    level.triangles = 2ull * grid * grid;
    level.largestObjPath = pathToUtf8(root / "meshes" / "one.obj");
    LayerEntry entry;
    entry.objPath = "meshes/one.obj";
    entry.kind = static_cast<std::int32_t>(LayerKind::Static);
    entry.collision = 1;
    project.layers.append(entry);

    level.layers = project.layers.count();
    level.projectPath = pathToUtf8(root / "one.kgp");
    if (Status saved = saveProject(project, level.projectPath); !saved)
        throw std::runtime_error(saved.reason());
    return level;
}

} // namespace kes::bench
