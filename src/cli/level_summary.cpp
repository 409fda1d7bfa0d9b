#include "cli/level_summary.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <unordered_map>

#include "model/number_text.h"

namespace kes::cli {
namespace {

using Json = nlohmann::ordered_json;

// A float as the shortest decimal that reads back to it (0.1f gives 0.1, not
// 0.10000000149011612). Infinities and NaN, which JSON numbers cannot hold,
// give the strings "inf", "-inf" and "nan".
Json number(float value)
{
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    if (std::isnan(value))
        return "nan";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    double wide = 0;
    std::from_chars(buffer, result.ptr, wide);
    return wide;
}

template <std::size_t N>
Json numbers(const std::array<float, N>& values)
{
    Json list = Json::array();
    for (float v : values)
        list.push_back(number(v));
    return list;
}

// The trigger area by corner name, from the stored element order.
Json triggerArea(const std::array<float, 6>& stored)
{
    const std::array<float, 6> typed = triggerAreaToTypedOrder(stored);
    const char* names[6] = {"x1", "x2", "y1", "y2", "z1", "z2"};
    Json area = Json::object();
    for (std::size_t i = 0; i < 6; ++i)
        area[names[i]] = number(typed[i]);
    return area;
}

std::string targetKindShortName(std::int32_t kind)
{
    switch (static_cast<TargetKind>(kind)) {
    case TargetKind::Goal: return "Goal";
    case TargetKind::Brake: return "Brake";
    default: return "unknown";
    }
}

std::string layerKindLabel(std::int32_t kind)
{
    std::string_view name = layerKindName(kind);
    return name.empty() ? "unknown" : std::string(name);
}

// The keyed chunks of a level by kind and key; the first of equal keys wins.
class KeyedChunkIndex {
public:
    explicit KeyedChunkIndex(const LevelFile& level)
    {
        for (const KeyedChunk& chunk : level.keyedChunks)
            chunks_.emplace(slot(chunk.kind, chunk.key), &chunk);
    }
    const KeyedChunk* find(ChunkKind kind, ChunkKey key) const
    {
        auto found = chunks_.find(slot(kind, key));
        return found == chunks_.end() ? nullptr : found->second;
    }

private:
    static std::uint64_t slot(ChunkKind kind, ChunkKey key)
    {
        return (std::uint64_t(kind) << 32) | (std::uint64_t(std::uint16_t(key.group)) << 16) | key.index;
    }
    std::unordered_map<std::uint64_t, const KeyedChunk*> chunks_;
};

// Text of a JSON value for the readable summary.
std::string show(const Json& value)
{
    if (value.is_array()) {
        std::string text;
        for (const Json& item : value)
            text += (text.empty() ? "" : ", ") + show(item);
        return text;
    }
    if (value.is_object()) {
        std::string text;
        for (const auto& [key, item] : value.items())
            text += (text.empty() ? "" : ", ") + key + " " + show(item);
        return text;
    }
    if (value.is_string())
        return value.get<std::string>();
    return value.dump();
}

} // namespace

Json levelSummary(const LevelFile& level)
{
    const LevelFileHeader& h = level.header;
    Json summary;
    summary["type"] = "level";
    summary["bytes"] = level.size;
    std::string formatId;
    for (std::uint8_t byte : h.formatId) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        formatId += hex;
    }
    summary["header"] = {
        {"title", h.title},
        {"author", h.author},
        {"versionMajor", h.versionMajor},
        {"versionMinor", h.versionMinor},
        {"formatId", formatId},
        {"chunkCounts",
         {{"layers", h.chunkCounts[0]}, {"vectors", h.chunkCounts[1]}, {"integers", h.chunkCounts[2]},
          {"floats", h.chunkCounts[3]}, {"fifth", h.chunkCounts[4]}}},
    };

    const KeyedChunkIndex keyed(level);
    Json settings = Json::object();
    if (const KeyedChunk* c = keyed.find(ChunkKind::FloatChunk, kFramesLRKey))
        settings["framesLR"] = number(c->number);
    if (const KeyedChunk* c = keyed.find(ChunkKind::IntegerChunk, kTargetCountKey))
        settings["targetCount"] = c->integer;
    if (const KeyedChunk* c = keyed.find(ChunkKind::VectorChunk, kStartPositionKey))
        settings["startPosition"] = numbers(c->vector);
    if (const KeyedChunk* c = keyed.find(ChunkKind::VectorChunk, kStartRotationKey))
        settings["startRotation"] = numbers(c->vector);
    if (const KeyedChunk* c = keyed.find(ChunkKind::VectorChunk, kBackgroundColorKey))
        settings["backgroundColor"] = numbers(c->vector);
    summary["settings"] = settings;

    // Targets: the integer chunk (1, n) holds the kind, the vector chunk (1, n)
    // the position; n counts from 1.
    Json targets = Json::array();
    for (std::uint16_t n = 1;; ++n) {
        const KeyedChunk* kind = keyed.find(ChunkKind::IntegerChunk, ChunkKey{kIntegerGroup, n});
        const KeyedChunk* position = keyed.find(ChunkKind::VectorChunk, ChunkKey{kTargetGroup, n});
        if (!kind && !position)
            break;
        Json target = {{"number", n}};
        if (kind) {
            target["kind"] = kind->integer;
            target["kindName"] = targetKindShortName(kind->integer);
        }
        if (position)
            target["position"] = numbers(position->vector);
        targets.push_back(target);
        if (n == 0xFFFF)
            break;
    }
    summary["targets"] = targets;

    Json layers = Json::array();
    int number1 = 0;
    for (const LevelLayer& layer : level.layers) {
        Json entry = {
            {"number", ++number1},
            {"offset", layer.offset},
            {"kind", layer.kind},
            {"kindName", layerKindLabel(layer.kind)},
            {"flags", layer.flags},
            {"draw", layer.isDrawn()},
            {"collision", layer.collides()},
            {"normals", layer.hasNormals()},
        };
        switch (layerKindOf(layer.kind)) {
        case LayerKind::Moving:
            entry["speed"] = numbers(layer.speed);
            entry["framesTillResetStop"] = number(layer.frames);
            break;
        case LayerKind::Vibrating:
            entry["speed"] = numbers(layer.speed);
            entry["vibration"] = numbers(layer.vibration);
            break;
        case LayerKind::Trigger:
            entry["speed"] = numbers(layer.speed);
            entry["framesTillResetStop"] = number(layer.frames);
            entry["triggerArea"] = triggerArea(layer.triggerArea);
            break;
        case LayerKind::AnimatedTrigger:
            entry["triggerArea"] = triggerArea(layer.triggerArea);
            break;
        default:
            break;
        }
        Json frames = Json::array();
        std::uint64_t triangles = 0;
        for (const LevelFrame& frame : layer.meshFrames) {
            frames.push_back(frame.triangleCount);
            triangles += frame.triangleCount;
        }
        entry["frameCount"] = layer.meshFrames.size();
        entry["trianglesPerFrame"] = frames;
        entry["triangles"] = triangles;
        Json textures = Json::array();
        for (const LevelTexture& texture : layer.textures)
            textures.push_back({{"width", texture.width}, {"height", texture.height},
                                {"compressedBytes", texture.compressedSize}});
        entry["textures"] = textures;
        layers.push_back(entry);
    }
    summary["layers"] = layers;
    summary["triangles"] = level.triangleCount();
    return summary;
}

Json projectSummary(const LevelProject& project)
{
    const LevelSettings& s = project.settings;
    Json summary;
    summary["type"] = "project";
    summary["settings"] = {
        {"title", s.title},
        {"author", s.author},
        {"versionMajor", s.versionMajor},
        {"versionMinor", s.versionMinor},
        {"framesLR", s.framesLR},
        {"startPosition", s.startPosition},
        {"backgroundColor", s.backgroundColor},
    };
    Json targets = Json::array();
    for (int i = 0; i < project.targets.count(); ++i) {
        const TargetEntry& t = project.targets.at(i);
        targets.push_back({{"number", i + 1},
                           {"kind", t.kind},
                           {"kindName", targetKindShortName(t.kind)},
                           {"position", numbers(std::array<float, 3>{t.x, t.y, t.z})}});
    }
    summary["targets"] = targets;
    Json layers = Json::array();
    for (int i = 0; i < project.layers.count(); ++i) {
        const LayerEntry& l = project.layers.at(i);
        layers.push_back({{"number", i + 1},
                          {"objPath", l.objPath},
                          {"bmpPath", l.bmpPath},
                          {"kind", l.kind},
                          {"kindName", layerKindLabel(l.kind)},
                          {"draw", l.draw != 0},
                          {"collision", l.collision != 0},
                          {"speed", numbers(l.speed)},
                          {"framesTillResetStop", l.frames},
                          {"vibration", numbers(l.vibration)},
                          {"triggerArea", triggerArea(l.triggerArea)}});
    }
    summary["layers"] = layers;
    return summary;
}

std::string levelSummaryText(const Json& summary)
{
    std::ostringstream out;
    const Json& h = summary["header"];
    const Json& counts = h["chunkCounts"];
    out << "type: level file, " << summary["bytes"].get<std::uint64_t>() << " bytes\n";
    out << "title: " << h["title"].get<std::string>() << '\n';
    out << "author: " << h["author"].get<std::string>() << '\n';
    out << "version: " << h["versionMajor"].dump() << '.' << h["versionMinor"].dump() << '\n';
    out << "chunks: layers " << counts["layers"].dump() << ", vectors " << counts["vectors"].dump()
        << ", integers " << counts["integers"].dump() << ", floats " << counts["floats"].dump() << '\n';
    for (const auto& [key, value] : summary["settings"].items())
        out << key << ": " << show(value) << '\n';
    out << "targets: " << summary["targets"].size() << '\n';
    for (const Json& t : summary["targets"]) {
        out << "  target " << t["number"].dump() << ": " << (t.contains("kindName") ? show(t["kindName"]) : "?");
        if (t.contains("position"))
            out << " at " << show(t["position"]);
        out << '\n';
    }
    out << "layers: " << summary["layers"].size() << '\n';
    for (const Json& l : summary["layers"]) {
        out << "  layer " << l["number"].dump() << ": " << show(l["kindName"]);
        std::string flags;
        for (const char* flag : {"draw", "collision", "normals"})
            if (l[flag].get<bool>())
                flags += (flags.empty() ? "" : ", ") + std::string(flag);
        out << " (" << (flags.empty() ? "not drawn, no collision" : flags) << ")\n";
        for (const char* key : {"speed", "framesTillResetStop", "vibration", "triggerArea"})
            if (l.contains(key))
                out << "    " << key << ": " << show(l[key]) << '\n';
        out << "    frames: " << l["frameCount"].dump() << " (" << show(l["trianglesPerFrame"])
            << (l["frameCount"].get<std::size_t>() ? " triangles)" : "no triangles)") << '\n';
        for (const Json& t : l["textures"])
            out << "    texture: " << t["width"].dump() << " x " << t["height"].dump() << " pixels, "
                << t["compressedBytes"].dump() << " bytes compressed\n";
    }
    out << "triangles: " << summary["triangles"].dump() << '\n';
    return out.str();
}

std::string projectSummaryText(const Json& summary)
{
    std::ostringstream out;
    out << "type: project file\n";
    for (const auto& [key, value] : summary["settings"].items())
        out << key << ": " << show(value) << '\n';
    out << "targets: " << summary["targets"].size() << '\n';
    for (const Json& t : summary["targets"])
        out << "  target " << t["number"].dump() << ": " << show(t["kindName"]) << " at " << show(t["position"])
            << '\n';
    out << "layers: " << summary["layers"].size() << '\n';
    for (const Json& l : summary["layers"]) {
        out << "  layer " << l["number"].dump() << ": " << show(l["kindName"]) << ", mesh '"
            << show(l["objPath"]) << "'";
        if (l["draw"].get<bool>())
            out << ", texture '" << show(l["bmpPath"]) << "'";
        out << (l["collision"].get<bool>() ? ", collision" : "") << '\n';
        out << "    speed: " << show(l["speed"]) << "; frames till reset/stop: " << show(l["framesTillResetStop"])
            << "; vibration: " << show(l["vibration"]) << "; trigger area: " << show(l["triggerArea"]) << '\n';
    }
    return out.str();
}

} // namespace kes::cli
