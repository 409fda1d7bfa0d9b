#include "generated_obj.h"

#include <charconv>
#include <cstdint>
#include <random>

namespace kes::test {
namespace {

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    GeneratedObj run(int objects, int facesPerObject)
    {
        out_.text += "# Exported by a modelling program\n# www.example.org\nmtllib scene.mtl\n";
        for (int object = 0; object < objects; ++object) {
            out_.text.append("o Object_").append(std::to_string(object)).append("\n");
            addVertexLines(40 + pick(40));
            out_.text.append("usemtl Material.").append(std::to_string(object)).append("\n");
            out_.text += object % 2 ? "s 1\n" : "s off\n";
            for (int face = 0; face < facesPerObject; ++face) {
                if (face == facesPerObject / 2) {
                    out_.text.append("g Object_").append(std::to_string(object)).append("_part\n\n");
                    addVertexLines(3);
                    out_.text += "s 2\nl 1 2\n";
                }
                addFace();
            }
        }
        return std::move(out_);
    }

private:
    int pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }

    // A value with a short decimal text, now and then a very small one that
    // is written with an exponent.
    float value()
    {
        float v = static_cast<float>(pick(2000001) - 1000000) / 1000.0f;
        if (pick(7) == 0)
            v *= 1e-7f;
        return v;
    }

    void appendNumber(float v)
    {
        char buffer[32];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        out_.text += ' ';
        out_.text.append(buffer, result.ptr);
    }

    void addVertexLines(int count)
    {
        for (int i = 0; i < count; ++i) {
            Vec3 p{value(), value(), value()};
            positions_.push_back(p);
            out_.text += "v";
            appendNumber(p.x);
            appendNumber(p.y);
            appendNumber(p.z);
            if (pick(5) == 0)
                out_.text += " 0.5 0.25 1"; // vertex colour
            out_.text += "\n";
        }
        for (int i = 0; i < count; ++i) {
            Vec2 t{static_cast<float>(pick(1001)) / 1000.0f, static_cast<float>(pick(1001)) / 1000.0f};
            texCoords_.push_back(t);
            out_.text += "vt";
            appendNumber(t.u);
            appendNumber(t.v);
            out_.text += pick(6) == 0 ? " 0\n" : "\n";
        }
        for (int i = 0; i < count; ++i) {
            Vec3 n{value(), value(), value()};
            normals_.push_back(n);
            out_.text += "vn";
            appendNumber(n.x);
            appendNumber(n.y);
            appendNumber(n.z);
            out_.text += "\n";
        }
    }

    // An index of a list of `size` entries, written absolute or relative;
    // `at` receives the 0-based entry.
    std::string index(std::size_t size, bool relative, std::size_t& at)
    {
        at = static_cast<std::size_t>(pick(static_cast<int>(size)));
        return relative ? std::to_string(static_cast<std::int64_t>(at) - static_cast<std::int64_t>(size))
                        : std::to_string(at + 1);
    }

    void addFace()
    {
        enum Form { full, noTexture, noNormal, positionOnly };
        const Form form = static_cast<Form>(pick(4));
        const bool relative = pick(4) == 0;
        const int corners = pick(8) == 0 ? 4 : 3;
        MeshFace face;
        FaceNormals normals;
        out_.text += "f";
        for (int k = 0; k < corners; ++k) {
            std::size_t p = 0, t = 0, n = 0;
            std::string corner = index(positions_.size(), relative, p);
            if (form == full || form == noNormal)
                corner.append("/").append(index(texCoords_.size(), relative, t));
            else if (form == noTexture)
                corner += "/";
            if (form == full || form == noTexture)
                corner.append("/").append(index(normals_.size(), relative, n));
            out_.text.append(" ").append(corner);
            if (k < 3) {
                face.position[k] = positions_[p];
                if (form == full || form == noNormal)
                    face.uv[k] = texCoords_[t];
                if (form == full || form == noTexture)
                    normals.normal[k] = normals_[n];
            }
        }
        out_.text += "\n";
        out_.faces.push_back(face);
        out_.faceNormals.push_back(normals);
    }

    std::mt19937 random_;
    GeneratedObj out_;
    std::vector<Vec3> positions_;
    std::vector<Vec2> texCoords_;
    std::vector<Vec3> normals_;
};

} // namespace

GeneratedObj generateObj(int objects, int facesPerObject, unsigned seed)
{
    return Generator(seed).run(objects, facesPerObject);
}

} // namespace kes::test
