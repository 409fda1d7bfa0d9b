#include "generate/layer_parts.h"

#include <limits>

#include "assets/obj_reader.h"
#include "levelfile/layer_descriptor.h"
#include "levelfile/level_encoding.h"
#include "levelfile/texture_compression.h"

namespace kes {

PreparedPart prepareFrame(const std::string& meshPath, bool withNormals)
{
    PreparedPart part;
    MeshTriangles mesh;
    if (Status read = loadObjMesh(meshPath, mesh, &part.warnings); !read) {
        part.status = read;
        return part;
    }
    if (mesh.faces.size() > std::numeric_limits<std::uint32_t>::max()) {
        part.status = Status::failure("cannot write the mesh of '" + meshPath
                                      + "': it has more triangles than a level file holds");
        return part;
    }
    part.triangles = mesh.faces.size();
    encodeFrameHead(static_cast<std::uint32_t>(mesh.faces.size()), part.head);
    encodeTriangles(mesh, 0, mesh.faces.size(), withNormals, part.body);
    return part;
}

PreparedPart prepareTexture(const std::string& bmpPath)
{
    PreparedPart part;
    LayerDescriptor texture;
    if (Status loaded = loadTextureSet(bmpPath, texture); !loaded) {
        part.status = loaded;
        part.failsBeforeMeshes = true;
        return part;
    }
    Status compressed = compressTexture(texture.texturePixels[0], part.body);
    texture.texturePixels[0] = {};
    if (!compressed) {
        part.status = compressed;
        return part;
    }
    const std::uint16_t width = texture.textureWidths[0], height = texture.textureHeights[0];
    if (part.body.size() > std::numeric_limits<std::uint32_t>::max()) {
        part.status = Status::failure("cannot write a texture of " + std::to_string(width) + " x "
                                      + std::to_string(height) + " pixels: it compresses to more than 4 GiB");
        part.body = {};
        return part;
    }
    encodeTextureBlobHead(width, height, static_cast<std::uint32_t>(part.body.size()), part.head);
    return part;
}

} // namespace kes
