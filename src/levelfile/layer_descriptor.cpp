#include "levelfile/layer_descriptor.h"

#include <utility>

#include "assets/bmp_reader.h"

namespace kes {
namespace {

void clearTextures(LayerDescriptor& descriptor)
{
    descriptor.textureCount = 0;
    descriptor.textureWidths = {};
    descriptor.textureHeights = {};
    for (auto& pixels : descriptor.texturePixels)
        pixels = {};
}

} // namespace

Status loadTextureSet(const std::optional<std::string>& bmpPath, LayerDescriptor& descriptor)
{
    clearTextures(descriptor);
    if (!bmpPath)
        return Status::success();
    BitmapImage image;
    Status status = loadBitmap(*bmpPath, image);
    if (!status)
        return status;
    if (image.width < 0 || image.height < 0 || image.width > 0xFFFF || image.height > 0xFFFF)
        return Status::failure("cannot use texture '" + *bmpPath + "': it is " + std::to_string(image.width)
                               + " x " + std::to_string(image.height)
                               + " pixels, but a level file holds at most 65535 x 65535");
    std::uint64_t expected = std::uint64_t(image.width) * std::uint64_t(image.height) * 3;
    if (image.pixels.size() != expected)
        return Status::failure("cannot use texture '" + *bmpPath + "': the reader delivered "
                               + std::to_string(image.pixels.size()) + " bytes for "
                               + std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels");
    descriptor.textureCount = 1;
    descriptor.textureWidths[0] = static_cast<std::uint16_t>(image.width);
    descriptor.textureHeights[0] = static_cast<std::uint16_t>(image.height);
    descriptor.texturePixels[0] = std::move(image.pixels);
    return Status::success();
}

Status checkLayerDescriptor(const LayerDescriptor& descriptor)
{
    if (descriptor.textureCount > kMaxLayerTextures)
        return Status::failure("a layer holds at most 3 textures, not " + std::to_string(descriptor.textureCount));
    for (std::size_t t = 0; t < descriptor.textureCount; ++t) {
        std::uint64_t expected = std::uint64_t(descriptor.textureWidths[t]) * descriptor.textureHeights[t] * 3;
        if (descriptor.texturePixels[t].size() != expected)
            return Status::failure("texture " + std::to_string(t + 1) + " of the layer holds "
                                   + std::to_string(descriptor.texturePixels[t].size()) + " bytes, but "
                                   + std::to_string(descriptor.textureWidths[t]) + " x "
                                   + std::to_string(descriptor.textureHeights[t]) + " pixels need "
                                   + std::to_string(expected));
    }
    return Status::success();
}

std::string frameMeshPath(const std::string& objPath, std::uint16_t frameCount, int frame)
{
    if (frameCount == 1)
        return objPath;
    std::string path = objPath.size() < 4 ? objPath : objPath.substr(0, objPath.size() - 4);
    std::string number = std::to_string(frame);
    path += '_';
    if (number.size() < 6 && frame >= 0)
        path.append(6 - number.size(), '0');
    path += number;
    path += ".obj";
    return path;
}

} // namespace kes
