#include "extract/obj_text.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "model/number_text.h"

namespace kes {
namespace {

std::string objNumber(float value)
{
    if (std::isinf(value))
        return value > 0 ? "1e39" : "-1e39";
    return formatShortest(value);
}

struct BitsHash {
    std::size_t operator()(const std::array<std::uint32_t, 3>& bits) const
    {
        std::uint64_t h = bits[0];
        h = h * 0x9E3779B97F4A7C15ull ^ bits[1];
        h = h * 0x9E3779B97F4A7C15ull ^ bits[2];
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

// Numbers each distinct vertex line once, writing it when first seen.
class VertexLines {
public:
    VertexLines(const char* keyword, int size) : keyword_(keyword), size_(size) {}

    std::size_t index(const float* values, std::string& text)
    {
        std::array<std::uint32_t, 3> bits{};
        for (int i = 0; i < size_; ++i)
            bits[static_cast<std::size_t>(i)] = std::bit_cast<std::uint32_t>(values[i]);
        auto [found, added] = indices_.try_emplace(bits, indices_.size() + 1);
        if (added) {
            text += keyword_;
            for (int i = 0; i < size_; ++i)
                text += ' ' + objNumber(values[i]);
            text += '\n';
        }
        return found->second;
    }

private:
    const char* keyword_;
    int size_;
    std::unordered_map<std::array<std::uint32_t, 3>, std::size_t, BitsHash> indices_;
};

} // namespace

std::string encodeObjText(const std::vector<float>& triangles, bool withNormals, const std::string& comment)
{
    const std::size_t stride = withNormals ? 24 : 15;
    std::string text = "# " + comment + "\n";
    VertexLines positions("v", 3), uvs("vt", 2), normals("vn", 3);
    std::string vertexText;
    for (std::size_t t = 0; t + stride <= triangles.size(); t += stride) {
        const float* triangle = triangles.data() + t;
        std::string face = "f";
        for (int c = 0; c < 3; ++c) {
            const float* corner = triangle + 5 * c;
            face += ' ' + std::to_string(positions.index(corner, vertexText));
            face += '/' + std::to_string(uvs.index(corner + 3, vertexText));
            if (withNormals)
                face += '/' + std::to_string(normals.index(triangle + 15 + 3 * c, vertexText));
        }
        // Vertex lines must stand above the first face that uses them.
        text += vertexText;
        vertexText.clear();
        text += face;
        text += '\n';
    }
    return text;
}

} // namespace kes
