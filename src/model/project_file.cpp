#include "model/project_file.h"

#include <cstring>

#include "model/byte_order.h"
#include "model/file_io.h"
#include "model/number_text.h"
#include "model/records.h"

namespace kes {
namespace {

constexpr std::size_t kLayerCountAt = 1022;

} // namespace

void resetToDefaults(LevelProject& project)
{
    project.layers.clear();
    project.targets.clear();
    project.settings = LevelSettings{};
}

std::vector<std::uint8_t> encodeProject(const LevelProject& project)
{
    const LevelSettings& s = project.settings;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(1030 + kLayerRecordSize * static_cast<std::size_t>(project.layers.count())
                  + kTargetRecordSize * static_cast<std::size_t>(project.targets.count()));
    ByteAppender out(bytes);
    out.bytes(kProjectHeader, kProjectHeaderSize);
    out.textField(capText(s.title), kTextFieldSize);
    out.textField(capText(s.author), kTextFieldSize);
    out.i32(leadingInteger(s.versionMajor));
    out.i32(leadingInteger(s.versionMinor));
    out.f32(static_cast<float>(leadingNumber(s.framesLR)));
    out.textField(capText(s.startPosition), kTextFieldSize);
    out.textField(capText(s.backgroundColor), kTextFieldSize);

    std::uint8_t record[kLayerRecordSize];
    out.i32(project.layers.count());
    for (int i = 0; i < project.layers.count(); ++i) {
        encodeLayerRecord(project.layers.at(i), record);
        out.bytes(record, kLayerRecordSize);
    }
    out.i32(project.targets.count());
    for (int i = 0; i < project.targets.count(); ++i) {
        encodeTargetRecord(project.targets.at(i), record);
        out.bytes(record, kTargetRecordSize);
    }
    return bytes;
}

bool hasProjectHeader(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kProjectHeaderSize && std::memcmp(bytes.data(), kProjectHeader, kProjectHeaderSize) == 0;
}

Status decodeProject(std::span<const std::uint8_t> bytes, LevelProject& project)
{
    if (!hasProjectHeader(bytes))
        return Status::failure(kBadProjectHeaderMessage);
    const std::uint8_t* data = bytes.data();
    const std::size_t size = bytes.size();
    auto shortFile = [&](std::size_t needed) {
        return Status::failure("Invalid File: the file ends after " + std::to_string(size)
                               + " bytes, but its contents need " + std::to_string(needed) + ".");
    };
    if (size < kLayerCountAt + 4)
        return shortFile(kLayerCountAt + 4);

    LevelProject loaded;
    LevelSettings& s = loaded.settings;
    s.title = textFromField(data + 10, kTextFieldSize);
    s.author = textFromField(data + 260, kTextFieldSize);
    s.versionMajor = formatInteger(getI32(data + 510));
    s.versionMinor = formatInteger(getI32(data + 514));
    s.framesLR = formatWhole(getF32(data + 518));
    s.startPosition = textFromField(data + 522, kTextFieldSize);
    s.backgroundColor = textFromField(data + 772, kTextFieldSize);

    std::int32_t layerCount = getI32(data + kLayerCountAt);
    if (layerCount < 0 || layerCount > kTableCapacity)
        return Status::failure("Invalid File: layer count " + std::to_string(layerCount)
                               + " is not between 0 and 32.");
    std::size_t at = kLayerCountAt + 4;
    std::size_t needed = at + kLayerRecordSize * static_cast<std::size_t>(layerCount) + 4;
    if (size < needed)
        return shortFile(needed);
    for (std::int32_t i = 0; i < layerCount; ++i, at += kLayerRecordSize)
        loaded.layers.append(decodeLayerRecord(data + at));

    std::int32_t targetCount = getI32(data + at);
    at += 4;
    if (targetCount < 0 || targetCount > kTableCapacity)
        return Status::failure("Invalid File: target count " + std::to_string(targetCount)
                               + " is not between 0 and 32.");
    needed = at + kTargetRecordSize * static_cast<std::size_t>(targetCount);
    if (size < needed)
        return shortFile(needed);
    for (std::int32_t i = 0; i < targetCount; ++i, at += kTargetRecordSize)
        loaded.targets.append(decodeTargetRecord(data + at));

    project = std::move(loaded);
    return Status::success();
}

Status saveProject(const LevelProject& project, const std::string& path)
{
    std::vector<std::uint8_t> bytes = encodeProject(project);
    AtomicFile file;
    if (Status opened = file.open(path); !opened)
        return opened;
    file.write(bytes.data(), bytes.size());
    return file.commit();
}

Status loadProject(const std::string& path, LevelProject& project)
{
    std::vector<std::uint8_t> bytes;
    if (Status read = loadFileStart(path, kMaxProjectSize, bytes); !read)
        return read;
    return decodeProject(bytes, project);
}

} // namespace kes
