#include "extract/level_extraction.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <iterator>
#include <tuple>

#include "assets/obj_reader.h"
#include "assets/parallel_for.h"
#include "extract/bitmap_encoding.h"
#include "extract/obj_text.h"
#include "levelfile/layer_descriptor.h"
#include "levelfile/level_encoding.h"
#include "levelfile/level_format.h"
#include "levelfile/level_reader.h"
#include "levelfile/texture_compression.h"
#include "model/counted_text.h"
#include "model/number_text.h"
#include "model/printable_text.h"
#include "model/project_file.h"

namespace kes {
namespace {

bool sameBits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

template <std::size_t N>
bool sameBits(const std::array<float, N>& a, const std::array<float, N>& b)
{
    for (std::size_t i = 0; i < N; ++i)
        if (!sameBits(a[i], b[i]))
            return false;
    return true;
}

// A float as messages show it: its shortest text, and its bits for a NaN.
std::string shown(float value)
{
    if (!std::isnan(value))
        return formatShortest(value);
    char bits[16];
    std::snprintf(bits, sizeof bits, "0x%08X", static_cast<unsigned>(std::bit_cast<std::uint32_t>(value)));
    return formatShortest(value) + " (bits " + bits + ")";
}

std::string layerFileStem(int layer)
{
    char stem[16];
    std::snprintf(stem, sizeof stem, "layer%02d", layer + 1);
    return stem;
}

class KeyedChunks {
public:
    explicit KeyedChunks(const LevelFile& level) : level_(level) {}
    const KeyedChunk* find(ChunkKind kind, ChunkKey key) const
    {
        for (const KeyedChunk& chunk : level_.keyedChunks)
            if (chunk.kind == kind && chunk.key == key)
                return &chunk;
        return nullptr;
    }

private:
    const LevelFile& level_;
};

struct ExpectedChunk {
    ChunkKind kind;
    ChunkKey key;
    bool operator==(const ExpectedChunk&) const = default;
};

// The keyed chunks generation writes for `targets` targets, in its order.
std::vector<ExpectedChunk> generatedKeyedChunks(int targets)
{
    std::vector<ExpectedChunk> chunks = {
        {ChunkKind::FloatChunk, kFramesLRKey},
        {ChunkKind::IntegerChunk, kTargetCountKey},
        {ChunkKind::VectorChunk, kStartPositionKey},
        {ChunkKind::VectorChunk, kStartRotationKey},
        {ChunkKind::VectorChunk, kBackgroundColorKey},
    };
    for (int n = 1; n <= targets; ++n) {
        const auto index = static_cast<std::uint16_t>(n);
        chunks.push_back({ChunkKind::IntegerChunk, ChunkKey{kIntegerGroup, index}});
        chunks.push_back({ChunkKind::VectorChunk, ChunkKey{kTargetGroup, index}});
    }
    return chunks;
}

// What one layer gives: its row of the project, its files and its warnings.
// Layers are extracted each on its own, on any thread, and put together in
// layer order.
struct ExtractedLayer {
    LayerEntry entry;
    std::vector<ExtractedFile> files;
    std::vector<std::string> warnings;

    void warn(const std::string& what) { warnings.push_back(printableText(what)); }
};

class Extractor {
public:
    Extractor(std::span<const std::uint8_t> bytes, const LevelFile& level, LevelExtraction& out, int threads)
        : bytes_(bytes), level_(level), out_(out), keyed_(level), threads_(threads)
    {
    }

    void run(const std::string& name);

private:
    void warn(const std::string& what) { out_.warnings.push_back(printableText(what)); }
    void header();
    void settings();
    int targets();
    void keyedOrder(int targetCount);
    ExtractedLayer layer(int index, const LevelLayer& layer) const;
    void frames(int index, const LevelLayer& layer, ExtractedLayer& out) const;
    void texture(int index, const LevelLayer& layer, ExtractedLayer& out) const;
    void roundTripSettings(const LevelProject& readBack);

    std::span<const std::uint8_t> bytes_;
    const LevelFile& level_;
    LevelExtraction& out_;
    KeyedChunks keyed_;
    std::array<float, 6> start_{};
    std::array<float, 3> background_{};
    float framesLR_ = 0;
    int threads_;
};

void Extractor::header()
{
    const LevelFileHeader& h = level_.header;
    LevelSettings& s = out_.project.settings;
    if (h.formatId != kFormatId)
        warn("the format id differs from the one generation writes (the 16 bytes from byte 6)");
    for (auto [text, field, what] : {std::tuple{&h.title, &s.title, "title"}, std::tuple{&h.author, &s.author, "author"}}) {
        *field = *text;
        if (text->find('\0') != std::string::npos)
            warn(std::string("the ") + what + " holds a NUL byte; a project keeps the text before it");
        else if (text->size() > kTextCapacity)
            warn(std::string("the ") + what + " is " + std::to_string(text->size())
                 + " bytes long; a project keeps the first " + std::to_string(capText(*text).size()));
    }
    s.versionMajor = formatInteger(h.versionMajor);
    s.versionMinor = formatInteger(h.versionMinor);
}

void Extractor::settings()
{
    LevelSettings& s = out_.project.settings;
    if (const KeyedChunk* c = keyed_.find(ChunkKind::FloatChunk, kFramesLRKey))
        framesLR_ = c->number;
    if (const KeyedChunk* c = keyed_.find(ChunkKind::VectorChunk, kStartPositionKey))
        std::copy(c->vector.begin(), c->vector.end(), start_.begin());
    if (const KeyedChunk* c = keyed_.find(ChunkKind::VectorChunk, kStartRotationKey))
        std::copy(c->vector.begin(), c->vector.end(), start_.begin() + 3);
    if (const KeyedChunk* c = keyed_.find(ChunkKind::VectorChunk, kBackgroundColorKey))
        background_ = c->vector;
    // A project stores them as a float read from the text as a double;
    // whole numbers are written with all their digits, which that reads
    // exactly (a shortest text could round twice).
    const bool whole = std::isfinite(framesLR_) && std::trunc(framesLR_) == framesLR_;
    s.framesLR = whole ? formatWhole(framesLR_) : formatShortest(framesLR_);
    s.startPosition = formatShortestList(start_.data(), 6);
    s.backgroundColor = formatShortestList(background_.data(), 3);
}

// Target n is the integer chunk (1, n) with its kind and the vector chunk
// (1, n) with its position, for n from 1 on while either is there. Returns
// how many the level has; the project keeps at most 32.
int Extractor::targets()
{
    int count = 0;
    for (std::uint32_t n = 1; n <= 0xFFFF; ++n) {
        const ChunkKey key{kTargetGroup, static_cast<std::uint16_t>(n)};
        const KeyedChunk* kind = keyed_.find(ChunkKind::IntegerChunk, key);
        const KeyedChunk* position = keyed_.find(ChunkKind::VectorChunk, key);
        if (!kind && !position)
            break;
        ++count;
        if (count > kTableCapacity)
            continue;
        TargetEntry target;
        if (kind)
            target.kind = kind->integer;
        if (position) {
            target.x = position->vector[0];
            target.y = position->vector[1];
            target.z = position->vector[2];
        }
        out_.project.targets.append(target);
    }
    if (count > kTableCapacity)
        warn("the level has " + std::to_string(count) + " targets; a project holds 32 and keeps the first 32");
    return count;
}

void Extractor::keyedOrder(int targetCount)
{
    std::vector<ExpectedChunk> found;
    for (const KeyedChunk& chunk : level_.keyedChunks)
        found.push_back({chunk.kind, chunk.key});
    if (found != generatedKeyedChunks(targetCount))
        warn("the level's value chunks are not the ones generation writes, in its order (frames to use L/R, "
             "target count, start position, start rotation, background colour, then per target its kind and "
             "position); generation writes those");
    if (const KeyedChunk* c = keyed_.find(ChunkKind::IntegerChunk, kTargetCountKey); c && c->integer != targetCount)
        warn("the target count chunk says " + std::to_string(c->integer) + ", but the level has "
             + std::to_string(targetCount) + " targets; generation writes " + std::to_string(targetCount));
    if (!level_.layers.empty() && !level_.keyedChunks.empty()
        && level_.keyedChunks.back().offset > level_.layers.front().offset)
        warn("value chunks stand between the layer chunks; generation writes them all before the layers");
}

void Extractor::frames(int index, const LevelLayer& layer, ExtractedLayer& out) const
{
    const LayerEntry& entry = out.entry;
    const std::string label = "layer " + std::to_string(index + 1);
    if (layer.hasNormals())
        out.warn(label + ": its triangles carry normals, which generation never writes (the OBJ files keep them)");
    const auto frameCount = static_cast<std::uint16_t>(layer.meshFrames.size());
    for (std::size_t f = 0; f < layer.meshFrames.size(); ++f) {
        const LevelFrame& frame = layer.meshFrames[f];
        const std::string file = frameMeshPath(entry.objPath, frameCount, static_cast<int>(f) + 1);
        std::string comment = label + (frameCount > 1 ? ", frame " + std::to_string(f + 1) + " of "
                                                            + std::to_string(frameCount)
                                                      : std::string())
            + ", extracted from a level file";
        std::string text = encodeObjText(frame.triangles, layer.hasNormals(), comment);
        // Read it back as generation will and compare to the bit.
        MeshTriangles mesh = decodeObjMesh(text, file);
        std::vector<std::uint8_t> encoded, stored;
        encodeTriangles(mesh, 0, mesh.faces.size(), false, encoded);
        const std::size_t stride = layer.hasNormals() ? 24 : 15;
        for (std::size_t t = 0; t + stride <= frame.triangles.size(); t += stride)
            for (std::size_t k = 0; k < 15; ++k) {
                std::uint8_t b[4];
                const auto bits = std::bit_cast<std::uint32_t>(frame.triangles[t + k]);
                for (int i = 0; i < 4; ++i)
                    b[i] = static_cast<std::uint8_t>(bits >> (8 * i));
                stored.insert(stored.end(), b, b + 4);
            }
        if (mesh.faces.size() != frame.triangleCount || encoded != stored) {
            std::size_t differing = 0;
            for (std::size_t i = 0; i + 4 <= std::min(encoded.size(), stored.size()); i += 4)
                differing += !std::equal(encoded.begin() + i, encoded.begin() + i + 4, stored.begin() + i);
            out.warn(label + ", " + file + ": " + countedText(differing, "number")
                 + (differing == 1 ? " has no OBJ text that reads back to it (NaN); generation writes 0 for it"
                                   : " have no OBJ text that reads back to them (NaN); generation writes 0 for them"));
        }
        out.files.push_back({file, std::vector<std::uint8_t>(text.begin(), text.end())});
    }
}

void Extractor::texture(int index, const LevelLayer& layer, ExtractedLayer& out) const
{
    LayerEntry& entry = out.entry;
    const std::string label = "layer " + std::to_string(index + 1);
    if (layer.textures.empty()) {
        if (layer.isDrawn()) {
            out.warn(label + ": it is drawn but has no texture; a drawn layer of a project always has one, so the "
                         "project's layer is not drawn");
            entry.draw = 0;
        }
        return;
    }
    const LevelTexture& texture = layer.textures.front();
    entry.bmpPath = layerFileStem(index) + ".bmp";
    if (!layer.isDrawn())
        out.warn(label + ": it is not drawn but has a texture; generation writes no texture for a layer that is not "
                     "drawn (the project keeps the file)");
    if (layer.textures.size() > 1)
        out.warn(label + ": it has " + std::to_string(layer.textures.size())
             + " textures; generation writes one, the first");
    if (layer.isDrawn()) {
        std::vector<std::uint8_t> again;
        const std::span<const std::uint8_t> stream = bytes_.subspan(texture.offset + kTextureBlobHeadSize,
                                                                    texture.compressedSize);
        if (!compressTexture(texture.pixels, again) || !std::equal(again.begin(), again.end(), stream.begin(),
                                                                   stream.end()))
            out.warn(label + ": its texture's zlib stream (" + std::to_string(texture.compressedSize)
                 + " bytes) was not made by zlib at level 6 as generation makes it; generation writes the same "
                   "pixels compressed again (" + std::to_string(again.size()) + " bytes)");
    }
    out.files.push_back({entry.bmpPath, encodeBitmap(texture.width, texture.height, texture.pixels)});
}

ExtractedLayer Extractor::layer(int index, const LevelLayer& layer) const
{
    ExtractedLayer out;
    LayerEntry& entry = out.entry;
    const std::string label = "layer " + std::to_string(index + 1);
    entry.objPath = layerFileStem(index) + ".obj";
    entry.kind = layer.kind;
    entry.collision = layer.collides() ? 1 : 0;
    entry.draw = layer.isDrawn() ? 1 : 0;
    entry.speed = layer.speed;
    entry.vibration = layer.vibration;
    entry.triggerArea = layer.triggerArea;
    const LayerKind kind = layerKindOf(layer.kind);
    if (isAnimatedLayerKind(kind)) {
        entry.frames = layer.frameCount;
    } else if (kind == LayerKind::Moving || kind == LayerKind::Trigger) {
        // A project holds "frames till reset/stop" as an integer.
        const float frames = layer.frames;
        const bool whole = std::isfinite(frames) && frames >= -2147483648.0f && frames < 2147483648.0f
            && std::trunc(frames) == frames;
        entry.frames = whole ? static_cast<std::int32_t>(frames) : 0;
        if (!sameBits(static_cast<float>(entry.frames), frames))
            out.warn(label + ": its frames till reset/stop " + shown(frames)
                 + " is no integer of 32 bits, as a project holds it; generation writes "
                 + shown(static_cast<float>(entry.frames)));
    }
    texture(index, layer, out);
    frames(index, layer, out);
    return out;
}

// The settings are texts that generation reads again; compare what it
// will read with what the level holds.
void Extractor::roundTripSettings(const LevelProject& readBack)
{
    const LevelSettings& s = readBack.settings;
    const float framesLR = static_cast<float>(leadingNumber(s.framesLR));
    if (!sameBits(framesLR, framesLR_))
        warn("frames to use L/R " + shown(framesLR_) + ": a project holds them as a whole number; generation writes "
             + shown(framesLR));
    if (!sameBits(parseNumbers6(s.startPosition), start_))
        warn("the start position or rotation holds a NaN whose bits no number text gives back; generation writes "
             + s.startPosition);
    if (!sameBits(parseNumbers3(s.backgroundColor), background_))
        warn("the background colour holds a NaN whose bits no number text gives back; generation writes "
             + s.backgroundColor);
}

void Extractor::run(const std::string& name)
{
    header();
    settings();
    const int targetCount = targets();
    keyedOrder(targetCount);
    const std::size_t kept = std::min(level_.layers.size(), static_cast<std::size_t>(kTableCapacity));
    std::vector<ExtractedLayer> layers(kept);
    parallelFor(kept, threads_, [&](std::size_t i) { layers[i] = layer(static_cast<int>(i), level_.layers[i]); });
    for (ExtractedLayer& extracted : layers) {
        out_.project.layers.append(extracted.entry);
        std::move(extracted.files.begin(), extracted.files.end(), std::back_inserter(out_.files));
        out_.warnings.insert(out_.warnings.end(), extracted.warnings.begin(), extracted.warnings.end());
    }
    if (level_.layers.size() > kept)
        warn("the level has " + std::to_string(level_.layers.size())
             + " layers; a project holds 32 and keeps the first 32");
    const std::vector<std::uint8_t> projectBytes = encodeProject(out_.project);
    LevelProject readBack;
    if (decodeProject(projectBytes, readBack))
        roundTripSettings(readBack);
    out_.files.insert(out_.files.begin(), ExtractedFile{name + ".kgp", projectBytes});
}

} // namespace

Status extractLevel(std::span<const std::uint8_t> bytes, const std::string& name, LevelExtraction& extraction,
                    int threads)
{
    extraction = LevelExtraction{};
    LevelFile level;
    if (Status decoded = decodeLevelFile(bytes, level); !decoded)
        return decoded;
    Extractor(bytes, level, extraction, threads).run(name);
    return Status::success();
}

} // namespace kes
