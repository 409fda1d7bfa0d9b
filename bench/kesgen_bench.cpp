// kesgen-bench: measures, side by side in one run, on one level,
//   1. our OBJ reader against tinyobjloader on the same file;
//   2. our texture compression against one compress2 call at level 6;
//   3. whole generation (one thread, and the parallel pipeline) against the
//      floor: reading every mesh with our reader plus one compress2 call per
//      texture;
//   4. with --one_mesh, on a level of one large mesh: whole generation (one
//      thread, and all threads) against tinyobjloader's load of the mesh and
//      against our reader's parse of it with as many threads, and the same
//      generation into a folder kept in memory (/dev/shm), which shows how
//      much of it is the disk making the file durable;
// and the peak memory of generation in a fresh process, then prints the
// ratios against their targets.
//
// kesgen-bench --level=PROJECT.kgp [--obj=FILE.obj] [--one_mesh=PROJECT.kgp]
//              [--threads=N] [--repetitions=N] [--generate_tool=PATH]
//              [benchmark flags]
//
// Every figure is the fastest of the repetitions (at least 5 for the one-mesh
// level), which is the one least disturbed by other work on the machine.
// Each generation starts once everything written before it is on the disk.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>
#include <unistd.h>
#include <zlib.h>

#include "assets/bmp_reader.h"
#include "assets/obj_reader.h"
#include "generate/generate_level.h"
#include "command_line.h"
#include "level_inputs.h"
#include "levelfile/texture_compression.h"
#include "model/file_io.h"
#include "peak_memory.h"

namespace kes::bench {
namespace {

struct Settings {
    std::string projectPath;
    std::string objPath;
    std::string oneMeshProjectPath;
    std::string generateTool;
    int threads = 0;
    int repetitions = 3;
};

struct Inputs {
    LevelInputs level;
    std::uint64_t objFileBytes = 0;
    std::vector<std::vector<std::uint8_t>> texturePixels;
    std::uint64_t largestFrameBytes = 0;   // the largest mesh as the reader holds it
    std::uint64_t largestFrameTriangles = 0;
    std::uint64_t largestTextureBytes = 0; // pixels of the largest texture
    std::uint64_t meshBytes = 0;           // all OBJ files
    std::string outputPath;
};

// The level of one large mesh.
struct OneMeshInputs {
    LevelInputs level;
    std::string objPath;
    std::uint64_t objFileBytes = 0;
    std::uint64_t triangles = 0;
    std::uint64_t frameBytes = 0; // the mesh as loadObjMesh holds it
    std::string outputPath;
    // A folder kept in memory (tmpfs), and a level file in it; empty when
    // the system has none.
    std::string memoryFolder = "/dev/shm";
    std::string memoryOutputPath;
};

void fail(benchmark::State& state, const Status& status)
{
    state.SkipWithError(status.reason().c_str());
}

void objOurs(benchmark::State& state, const Inputs& in, const Settings& s)
{
    for (auto _ : state) {
        MeshTriangles mesh;
        std::vector<ReaderWarning> warnings;
        if (Status read = loadObjMesh(s.objPath, mesh, &warnings); !read)
            return fail(state, read);
        benchmark::DoNotOptimize(mesh.faces.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.objFileBytes));
}

// Our reader, with up to `threads` threads parsing the file.
void objOursWithThreads(benchmark::State& state, const std::string& objPath, std::uint64_t bytes, int threads)
{
    ObjReadOptions options;
    options.threads = threads;
    for (auto _ : state) {
        MeshTriangles mesh;
        std::vector<ReaderWarning> warnings;
        if (Status read = loadObjMesh(objPath, mesh, &warnings, options); !read)
            return fail(state, read);
        benchmark::DoNotOptimize(mesh.faces.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void objTinyobjloader(benchmark::State& state, const std::string& objPath, std::uint64_t bytes)
{
    const std::string folder = std::filesystem::path(objPath).parent_path().string();
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warning, error;
        // The faces are triangles already, so tinyobjloader's fastest
        // setting (no triangulation) reads the same.
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, objPath.c_str(), folder.c_str(),
                              false)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(attrib.vertices.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void textureOurs(benchmark::State& state, const Inputs& in, const Settings&)
{
    const std::vector<std::uint8_t>& pixels = in.texturePixels.front();
    std::vector<std::uint8_t> compressed;
    for (auto _ : state) {
        if (Status done = compressTexture(pixels, compressed); !done)
            return fail(state, done);
        benchmark::DoNotOptimize(compressed.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pixels.size()));
}

// One compress2 call at level 6 into a buffer that is large enough.
bool compressOnce(const std::vector<std::uint8_t>& pixels, std::vector<std::uint8_t>& buffer)
{
    uLongf size = compressBound(static_cast<uLong>(pixels.size()));
    if (buffer.size() < size)
        buffer.resize(size);
    return compress2(buffer.data(), &size, pixels.data(), static_cast<uLong>(pixels.size()), 6) == Z_OK;
}

void textureCompress2(benchmark::State& state, const Inputs& in, const Settings&)
{
    const std::vector<std::uint8_t>& pixels = in.texturePixels.front();
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        if (!compressOnce(pixels, buffer)) {
            state.SkipWithError("compress2 failed");
            return;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pixels.size()));
}

// The floor, part 1: every mesh of the level through our reader.
void floorMeshes(benchmark::State& state, const Inputs& in, const Settings&)
{
    for (auto _ : state) {
        std::vector<ReaderWarning> warnings;
        for (const std::string& path : in.level.meshPaths) {
            MeshTriangles mesh;
            if (Status read = loadObjMesh(path, mesh, &warnings); !read)
                return fail(state, read);
            benchmark::DoNotOptimize(mesh.faces.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.meshBytes));
}

// The floor, part 2: one compress2 at level 6 of each texture's pixels.
void floorTextures(benchmark::State& state, const Inputs& in, const Settings&)
{
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        for (const auto& pixels : in.texturePixels) {
            if (!compressOnce(pixels, buffer)) {
                state.SkipWithError("compress2 failed");
                return;
            }
            benchmark::DoNotOptimize(buffer.data());
        }
    }
}

// With `newFile`, the level file of the run before is removed first, so that
// generation has no file to replace: on some file systems freeing the old
// file's blocks is a wait of its own (a disk mounted with "discard" trims
// them at once).
void generation(benchmark::State& state, const LevelInputs& level, const std::string& outputPath, int threads,
                bool newFile = false)
{
    GenerationOptions options;
    options.baseFolder = level.baseFolder;
    options.threads = threads;
    if (newFile)
        std::filesystem::remove(outputPath);
    // Each run starts with nothing of the runs before it left to write to
    // the disk.
    ::sync();
    for (auto _ : state) {
        GenerationResult result = generateLevel(level.project, outputPath, options);
        if (!result.status)
            return fail(state, result.status);
        benchmark::DoNotOptimize(result.bytes);
    }
}

// Keeps the fastest repetition of every benchmark while the console shows
// them all.
class FastestRuns : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const double seconds = run.GetAdjustedRealTime() / 1e3; // ms
            auto [it, added] = seconds_.emplace(run.run_name.function_name, seconds);
            if (!added)
                it->second = std::min(it->second, seconds);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Seconds per iteration of the fastest repetition; 0 when it did not run.
    double seconds(const std::string& name) const
    {
        auto it = seconds_.find(name);
        return it == seconds_.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> seconds_;
};

Inputs loadInputs(const Settings& s)
{
    Inputs in;
    in.level = listLevelInputs(s.projectPath);
    in.objFileBytes = std::filesystem::file_size(s.objPath);
    for (const std::string& path : in.level.meshPaths) {
        in.meshBytes += std::filesystem::file_size(path);
        MeshTriangles mesh;
        if (Status read = loadObjMesh(path, mesh); !read)
            throw std::runtime_error(read.reason());
        const std::uint64_t bytes = mesh.faces.size() * (sizeof(MeshFace) + sizeof(FaceNormals));
        if (bytes > in.largestFrameBytes) {
            in.largestFrameBytes = bytes;
            in.largestFrameTriangles = mesh.faces.size();
        }
    }
    for (const std::string& path : in.level.texturePaths) {
        BitmapImage image;
        if (Status read = loadBitmap(path, image); !read)
            throw std::runtime_error(read.reason());
        in.largestTextureBytes = std::max<std::uint64_t>(in.largestTextureBytes, image.pixels.size());
        in.texturePixels.push_back(std::move(image.pixels));
    }
    if (in.texturePixels.empty())
        throw std::runtime_error("the level has no texture to compress");
    in.outputPath = pathToUtf8(pathFromUtf8(in.level.baseFolder) / "generated.kes");
    return in;
}

OneMeshInputs loadOneMeshInputs(const std::string& projectPath)
{
    OneMeshInputs in;
    in.level = listLevelInputs(projectPath);
    if (in.level.meshPaths.size() != 1)
        throw std::runtime_error("'" + projectPath + "' is not a level of one mesh");
    in.objPath = in.level.meshPaths.front();
    in.objFileBytes = std::filesystem::file_size(in.objPath);
    MeshTriangles mesh;
    if (Status read = loadObjMesh(in.objPath, mesh); !read)
        throw std::runtime_error(read.reason());
    in.triangles = mesh.faces.size();
    in.frameBytes = in.triangles * (sizeof(MeshFace) + sizeof(FaceNormals));
    in.outputPath = pathToUtf8(pathFromUtf8(in.level.baseFolder) / "generated.kes");
    std::error_code ec;
    if (std::filesystem::is_directory(in.memoryFolder, ec)) {
        in.memoryOutputPath = in.memoryFolder + "/kesgen-bench-" + std::to_string(std::random_device{}()) + ".kes";
        if (FILE* probe = std::fopen(in.memoryOutputPath.c_str(), "wb"))
            std::fclose(probe);
        else
            in.memoryOutputPath.clear();
    }
    return in;
}

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

void printSummary(const FastestRuns& runs, const Inputs& in, const Settings& s)
{
    const double ours = runs.seconds("obj/ours"), tiny = runs.seconds("obj/tinyobjloader");
    const double texOurs = runs.seconds("texture/ours"), tex2 = runs.seconds("texture/compress2");
    const double meshes = runs.seconds("floor/meshes"), textures = runs.seconds("floor/textures");
    const double floor = meshes + textures;
    const double gen1 = runs.seconds("generate/threads:1");
    const std::string parallelName = "generate/threads:" + std::to_string(s.threads);
    const double genN = runs.seconds(parallelName);
    const double mb = in.objFileBytes / 1e6;

    std::printf("\n## kesgen benchmark summary (fastest of %d repetitions)\n\n", s.repetitions);
    std::printf("Level: %zu mesh files (%.1f MB), %zu textures; OBJ file for the reader: %s (%.1f MB)\n\n",
                in.level.meshPaths.size(), in.meshBytes / 1e6, in.texturePixels.size(), s.objPath.c_str(), mb);
    std::printf("| measure | ours | reference | ratio | target | |\n|---|---|---|---|---|---|\n");
    if (ours > 0 && tiny > 0)
        std::printf("| OBJ reader throughput | %.0f MB/s | tinyobjloader %.0f MB/s | %.2fx | >= 5x | %s |\n", mb / ours,
                    mb / tiny, tiny / ours, verdict(tiny / ours >= 5));
    if (texOurs > 0 && tex2 > 0)
        std::printf("| texture compression, one texture | %.1f ms | compress2 level 6 %.1f ms | %.3fx | <= 1.05x | %s |\n",
                    texOurs * 1e3, tex2 * 1e3, texOurs / tex2, verdict(texOurs / tex2 <= 1.05));
    if (gen1 > 0 && floor > 0)
        std::printf("| generation, 1 thread | %.2f s | floor %.2f s (meshes %.2f + textures %.2f) | %.3fx | <= 1.15x | %s |\n",
                    gen1, floor, meshes, textures, gen1 / floor, verdict(gen1 / floor <= 1.15));
    if (genN > 0 && floor > 0)
        std::printf("| generation, %d threads | %.2f s | floor %.2f s | %.3fx | <= 0.65x | %s |\n", s.threads, genN,
                    floor, genN / floor, verdict(genN / floor <= 0.65));

    if (s.generateTool.empty())
        return;
    const double budget = 2.0 * in.largestFrameBytes + in.largestTextureBytes;
    std::printf("\nPeak memory of generation in a fresh process (largest mesh frame: %llu triangles, %.1f MB as read;"
                " largest texture %.1f MB; budget 2 x frame + texture = %.1f MB above the process's start):\n\n",
                static_cast<unsigned long long>(in.largestFrameTriangles), in.largestFrameBytes / 1e6,
                in.largestTextureBytes / 1e6, budget / 1e6);
    std::printf("| threads | peak RSS | at start | above start | / budget | seconds |\n|---|---|---|---|---|---|\n");
    for (int threads : {1, s.threads}) {
        PeakMemory memory = measurePeakMemory(s.generateTool, s.projectPath, in.outputPath, threads);
        if (!memory.ok) {
            std::printf("| %d | (%s) | | | | |\n", threads, memory.error.c_str());
            continue;
        }
        const double above = double(memory.peakKib - memory.startKib) * 1024;
        std::printf("| %d | %.1f MB | %.1f MB | %.1f MB | %.2f | %.2f |\n", threads, memory.peakKib * 1024 / 1e6,
                    memory.startKib * 1024 / 1e6, above / 1e6, above / budget, memory.seconds);
    }
}

// The one-mesh level's measures take a tenth of a second each: more
// repetitions of them cost little and make their fastest steadier.
int oneMeshRepetitions(const Settings& s)
{
    return std::max(s.repetitions, 5);
}

void printOneMeshSummary(const FastestRuns& runs, const OneMeshInputs& in, const Settings& s)
{
    const std::string n = std::to_string(s.threads);
    const double tiny = runs.seconds("one_mesh/tinyobjloader");
    std::printf("\n## One-mesh level (fastest of %d repetitions)\n\n%s: %.1f MB, %llu triangles, no texture\n\n",
                oneMeshRepetitions(s), in.objPath.c_str(), in.objFileBytes / 1e6, static_cast<unsigned long long>(in.triangles));
    std::printf("| measure | ours | reference | ratio | target | |\n|---|---|---|---|---|---|\n");
    for (int threads : {1, s.threads}) {
        const std::string t = std::to_string(threads);
        const double generation = runs.seconds("one_mesh/generate/threads:" + t);
        const double reader = runs.seconds("one_mesh/obj_ours/threads:" + t);
        if (generation > 0 && tiny > 0) {
            const bool targeted = threads > 1;
            std::printf("| generation, %d thread%s, vs tinyobjloader's load | %.0f ms | %.0f ms | %.2fx faster | %s | %s |\n",
                        threads, threads == 1 ? "" : "s", generation * 1e3, tiny * 1e3, tiny / generation,
                        targeted ? ">= 6x" : "", targeted ? verdict(tiny / generation >= 6) : "");
        }
        // The target compares generation with our reader's parse on one
        // thread, the reader's own way of reading; the parse on as many
        // threads as generation is shown beside it.
        const double readerAlone = runs.seconds("one_mesh/obj_ours/threads:1");
        if (generation > 0 && readerAlone > 0)
            std::printf("| generation, %d thread%s, vs our reader's parse, 1 thread | %.0f ms | %.0f ms | %.2fx | <= 1.3x "
                        "| %s |\n",
                        threads, threads == 1 ? "" : "s", generation * 1e3, readerAlone * 1e3,
                        generation / readerAlone, verdict(generation / readerAlone <= 1.3));
        if (threads > 1 && generation > 0 && reader > 0)
            std::printf("| generation, %d threads, vs our reader's parse, %d threads | %.0f ms | %.0f ms | %.2fx | | |\n",
                        threads, threads, generation * 1e3, reader * 1e3, generation / reader);
        const double newFile = runs.seconds("one_mesh/generate_new_file/threads:" + t);
        if (newFile > 0 && tiny > 0)
            std::printf("| generation of a new level file (none to replace), %d thread%s, vs tinyobjloader's load "
                        "| %.0f ms | %.0f ms | %.2fx faster | | |\n",
                        threads, threads == 1 ? "" : "s", newFile * 1e3, tiny * 1e3, tiny / newFile);
        const double inMemory = runs.seconds("one_mesh/generate_in_memory/threads:" + t);
        if (inMemory > 0 && reader > 0)
            std::printf("| generation into %s (no disk), %d thread%s, vs our reader's parse | %.0f ms | %.0f ms | %.2fx "
                        "| | |\n",
                        in.memoryFolder.c_str(), threads, threads == 1 ? "" : "s", inMemory * 1e3, reader * 1e3,
                        inMemory / reader);
        if (inMemory > 0 && tiny > 0)
            std::printf("| generation into %s (no disk), %d thread%s, vs tinyobjloader's load | %.0f ms | %.0f ms "
                        "| %.2fx faster | | |\n",
                        in.memoryFolder.c_str(), threads, threads == 1 ? "" : "s", inMemory * 1e3, tiny * 1e3,
                        tiny / inMemory);
        if (threads == s.threads)
            break;
    }
    if (s.generateTool.empty())
        return;
    const double budget = 2.0 * in.frameBytes;
    std::printf("\nPeak memory of its generation in a fresh process (budget 2 x frame = %.1f MB):\n\n", budget / 1e6);
    std::printf("| threads | peak RSS | at start | above start | / budget | seconds |\n|---|---|---|---|---|---|\n");
    for (int threads : {1, s.threads}) {
        PeakMemory memory = measurePeakMemory(s.generateTool, s.oneMeshProjectPath, in.outputPath, threads);
        if (!memory.ok) {
            std::printf("| %d | (%s) | | | | |\n", threads, memory.error.c_str());
        } else {
            const double above = double(memory.peakKib - memory.startKib) * 1024;
            std::printf("| %d | %.1f MB | %.1f MB | %.1f MB | %.2f | %.3f |\n", threads, memory.peakKib * 1024 / 1e6,
                        memory.startKib * 1024 / 1e6, above / 1e6, above / budget, memory.seconds);
        }
        if (threads == s.threads)
            break;
    }
}

} // namespace
} // namespace kes::bench

int main(int argc, char** argv)
{
    using namespace kes::bench;
    Settings s;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (takeFlag(argv[i], "--level", s.projectPath) || takeFlag(argv[i], "--obj", s.objPath)
            || takeFlag(argv[i], "--generate_tool", s.generateTool) || takeFlag(argv[i], "--one_mesh", s.oneMeshProjectPath))
            continue;
        if (takeFlag(argv[i], "--threads", value)) {
            s.threads = std::stoi(value);
            continue;
        }
        if (takeFlag(argv[i], "--repetitions", value)) {
            s.repetitions = std::max(1, std::stoi(value));
            continue;
        }
        rest.push_back(argv[i]);
    }
    if (s.projectPath.empty() && s.oneMeshProjectPath.empty()) {
        std::fprintf(stderr, "usage: kesgen-bench --level=PROJECT.kgp [--obj=FILE.obj] [--one_mesh=PROJECT.kgp]"
                             " [--threads=N] [--repetitions=N] [--generate_tool=PATH] [benchmark flags]\n");
        return 2;
    }
    if (s.threads <= 0)
        s.threads = kes::generationThreadCount({});
    Inputs in;
    OneMeshInputs oneMesh;
    try {
        if (!s.oneMeshProjectPath.empty())
            oneMesh = loadOneMeshInputs(s.oneMeshProjectPath);
        if (s.objPath.empty() && !s.projectPath.empty()) {
            LevelInputs level = listLevelInputs(s.projectPath);
            // The largest mesh file of the level.
            for (const std::string& path : level.meshPaths)
                if (s.objPath.empty() || std::filesystem::file_size(path) > std::filesystem::file_size(s.objPath))
                    s.objPath = path;
        }
        if (!s.projectPath.empty())
            in = loadInputs(s);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }

    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data()))
        return 2;

    auto fastest = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    const int oneMeshRepetitions = kes::bench::oneMeshRepetitions(s);
    auto add = [&](const char* name, auto function, bool whole, int repetitions = 0) {
        auto* b = benchmark::RegisterBenchmark(name, function)
                      ->Unit(benchmark::kMillisecond)
                      ->UseRealTime()
                      ->Repetitions(repetitions > 0 ? repetitions : s.repetitions)
                      ->ComputeStatistics("min", fastest);
        if (whole)
            b->Iterations(1);
    };
    // Without --level only the one-mesh level is measured.
    const bool withLevel = !s.projectPath.empty();
    if (withLevel) {
        add("obj/ours", [&](benchmark::State& st) { objOurs(st, in, s); }, false);
        add("obj/tinyobjloader", [&](benchmark::State& st) { objTinyobjloader(st, s.objPath, in.objFileBytes); }, false);
        add("texture/ours", [&](benchmark::State& st) { textureOurs(st, in, s); }, false);
        add("texture/compress2", [&](benchmark::State& st) { textureCompress2(st, in, s); }, false);
        add("floor/meshes", [&](benchmark::State& st) { floorMeshes(st, in, s); }, true);
        add("floor/textures", [&](benchmark::State& st) { floorTextures(st, in, s); }, true);
        add("generate/threads:1", [&](benchmark::State& st) { generation(st, in.level, in.outputPath, 1); }, true);
        const std::string parallelName = "generate/threads:" + std::to_string(s.threads);
        if (s.threads > 1)
            add(parallelName.c_str(), [&](benchmark::State& st) { generation(st, in.level, in.outputPath, s.threads); },
                true);
    }
    // The one-mesh level: each measure of it whole, side by side. The names
    // are kept as long as the benchmarks run.
    std::deque<std::string> oneMeshNames;
    auto addOneMesh = [&](const std::string& name, int threads, auto measure) {
        oneMeshNames.push_back(name + "/threads:" + std::to_string(threads));
        add(oneMeshNames.back().c_str(), [measure, threads](benchmark::State& st) { measure(st, threads); }, true,
            oneMeshRepetitions);
    };
    if (!s.oneMeshProjectPath.empty()) {
        add("one_mesh/tinyobjloader",
            [&](benchmark::State& st) { objTinyobjloader(st, oneMesh.objPath, oneMesh.objFileBytes); }, true,
            oneMeshRepetitions);
        std::vector<int> threadCounts{1};
        if (s.threads > 1)
            threadCounts.push_back(s.threads);
        for (int threads : threadCounts) {
            addOneMesh("one_mesh/obj_ours", threads, [&](benchmark::State& st, int t) {
                objOursWithThreads(st, oneMesh.objPath, oneMesh.objFileBytes, t);
            });
            addOneMesh("one_mesh/generate", threads, [&](benchmark::State& st, int t) {
                generation(st, oneMesh.level, oneMesh.outputPath, t);
            });
        }
        for (int threads : threadCounts)
            addOneMesh("one_mesh/generate_new_file", threads, [&](benchmark::State& st, int t) {
                generation(st, oneMesh.level, oneMesh.outputPath, t, true);
            });
        // The same generation with its output in memory, where making the
        // file durable costs nothing: the difference is the disk's share.
        if (!oneMesh.memoryOutputPath.empty())
            for (int threads : threadCounts)
                addOneMesh("one_mesh/generate_in_memory", threads, [&](benchmark::State& st, int t) {
                    generation(st, oneMesh.level, oneMesh.memoryOutputPath, t);
                });
    }

    FastestRuns runs;
    benchmark::RunSpecifiedBenchmarks(&runs);
    if (withLevel) {
        std::filesystem::remove(in.outputPath);
        printSummary(runs, in, s);
    }
    if (!s.oneMeshProjectPath.empty()) {
        std::filesystem::remove(oneMesh.outputPath);
        printOneMeshSummary(runs, oneMesh, s);
        std::filesystem::remove(oneMesh.outputPath);
        if (!oneMesh.memoryOutputPath.empty())
            std::filesystem::remove(oneMesh.memoryOutputPath);
    }
    benchmark::Shutdown();
    if (withLevel)
        std::filesystem::remove(in.outputPath);
    return 0;
}
