#include "app/preview/preview_renderer.h"

#include <algorithm>

#include <QFile>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLShaderProgram>
#include <QVector4D>

#include "scene/scene_motion.h"
#include "scene/texture_shrink.h"

namespace kes::editor {
namespace {

// One corner of a triangle in a layer's buffer.
struct Vertex {
    float x, y, z;
    float u, v;
};

QVector4D colour(const float* c)
{
    return {c[0], c[1], c[2], c[3]};
}

QString shaderSource(const QString& name)
{
    QFile file(":/kesgen/preview/shaders/" + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool buildProgram(QOpenGLShaderProgram& program, const QString& name, QString& reason)
{
    if (!program.addShaderFromSourceCode(QOpenGLShader::Vertex, shaderSource(name + ".vert"))
        || !program.addShaderFromSourceCode(QOpenGLShader::Fragment, shaderSource(name + ".frag"))
        || !program.link()) {
        reason = QStringLiteral("the %1 shaders do not compile: %2").arg(name, program.log().trimmed());
        return false;
    }
    return true;
}

} // namespace

PreviewRenderer::PreviewRenderer() = default;

PreviewRenderer::~PreviewRenderer() = default;

bool PreviewRenderer::initialize(QString& reason)
{
    if (!initializeOpenGLFunctions()) {
        reason = QStringLiteral("OpenGL 3.3 core functions are not available");
        return false;
    }
    meshProgram_ = std::make_unique<QOpenGLShaderProgram>();
    lineProgram_ = std::make_unique<QOpenGLShaderProgram>();
    imageProgram_ = std::make_unique<QOpenGLShaderProgram>();
    if (!buildProgram(*meshProgram_, "mesh", reason) || !buildProgram(*lineProgram_, "lines", reason)
        || !buildProgram(*imageProgram_, "image", reason))
        return false;
    glGenVertexArrays(1, &imageVao_);
    for (auto [vao, vbo] : {std::pair{&overlayVao_, &overlayVbo_}, std::pair{&transientVao_, &transientVbo_}}) {
        glGenVertexArrays(1, vao);
        glGenBuffers(1, vbo);
        glBindVertexArray(*vao);
        glBindBuffer(GL_ARRAY_BUFFER, *vbo);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(OverlayVertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(OverlayVertex),
                              reinterpret_cast<const void*>(offsetof(OverlayVertex, r)));
    }
    glBindVertexArray(0);
    initialized_ = true;
    return true;
}

std::shared_ptr<PreviewRenderer::LayerBuffers>
PreviewRenderer::buffersFor(const SceneLayer& layer, std::vector<std::shared_ptr<LayerBuffers>>& previous)
{
    if (layer.frames.empty())
        return nullptr;
    for (auto& kept : previous)
        if (kept && kept->frames == layer.frames)
            return kept;
    auto buffers = std::make_shared<LayerBuffers>();
    buffers->frames = layer.frames;
    std::size_t vertices = 0;
    for (const auto& frame : layer.frames) {
        buffers->first.push_back(static_cast<int>(vertices));
        buffers->count.push_back(static_cast<int>(frame->faces.size() * 3));
        vertices += frame->faces.size() * 3;
    }
    glGenVertexArrays(1, &buffers->vao);
    glGenBuffers(1, &buffers->vbo);
    glBindVertexArray(buffers->vao);
    glBindBuffer(GL_ARRAY_BUFFER, buffers->vbo);
    const std::size_t bytes = vertices * sizeof(Vertex);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
    // The reader's faces become vertices on their way into the buffer: one
    // pass, no copy of the mesh in between.
    if (bytes > 0) {
        auto* out = static_cast<Vertex*>(glMapBufferRange(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes),
                                                          GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT));
        if (out) {
            for (const auto& frame : layer.frames)
                for (const MeshFace& face : frame->faces)
                    for (std::size_t k = 0; k < 3; ++k)
                        *out++ = {face.position[k].x, face.position[k].y, face.position[k].z, face.uv[k].u,
                                  face.uv[k].v};
            glUnmapBuffer(GL_ARRAY_BUFFER);
        }
    }
    uploadedBytes_ += bytes;
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, u)));
    glBindVertexArray(0);
    return buffers;
}

unsigned PreviewRenderer::textureFor(const std::shared_ptr<const SceneTexture>& texture) const
{
    const auto found = textures_.find(texture.get());
    return found == textures_.end() || found->second.stage == TextureStage::Room ? 0 : found->second.id;
}

void PreviewRenderer::makeTextureRoom(const std::shared_ptr<const SceneTexture>& texture)
{
    TextureObject object{texture};
    glGenTextures(1, &object.id);
    glBindTexture(GL_TEXTURE_2D, object.id);
    // Room for every size at once, so that the pixels and the smaller sizes
    // made in later frames go into it without the texture being made again.
    for (int side = std::max(texture->width, texture->height); side > 1; side /= 2)
        ++object.levels;
    QOpenGLContext::currentContext()->extraFunctions()->glTexStorage2D(GL_TEXTURE_2D, object.levels, GL_RGB8,
                                                                       texture->width, texture->height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    textures_[texture.get()] = object;
}

void PreviewRenderer::fillTexture(TextureObject& object)
{
    const SceneTexture& texture = *object.texture;
    glBindTexture(GL_TEXTURE_2D, object.id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Rows as the reader delivers them: the first row is t = 0.
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, texture.width, texture.height, GL_RGB, GL_UNSIGNED_BYTE,
                    texture.pixels.data());
    uploadedBytes_ += texture.pixels.size();
    object.stage = TextureStage::Pixels;
}

void PreviewRenderer::uploadTexture(const std::shared_ptr<const SceneTexture>& texture)
{
    TextureObject object{texture};
    glGenTextures(1, &object.id);
    glBindTexture(GL_TEXTURE_2D, object.id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, texture->width, texture->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 texture->pixels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    uploadedBytes_ += texture->pixels.size();
    object.stage = TextureStage::Complete;
    textures_[texture.get()] = object;
}

void PreviewRenderer::makeMipmaps(TextureObject& object)
{
    // Made here rather than by OpenGL: a software renderer takes several
    // times as long for a large texture.
    glBindTexture(GL_TEXTURE_2D, object.id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::vector<std::uint8_t> smaller, next;
    const std::uint8_t* from = object.texture->pixels.data();
    int width = object.texture->width, height = object.texture->height;
    for (int level = 1; level < object.levels; ++level) {
        halveForMipmap(from, width, height, smaller);
        width = std::max(width / 2, 1);
        height = std::max(height / 2, 1);
        glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, smaller.data());
        std::swap(smaller, next);
        from = next.data();
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, object.levels - 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    object.stage = TextureStage::Complete;
}

void PreviewRenderer::prepareTextures()
{
    // A texture of more texels than this is made a step a frame: its room,
    // its pixels, its smaller sizes (on a software renderer the room alone of
    // a 2048 x 2048 texture takes tens of milliseconds); smaller ones, or all
    // where OpenGL can't make the room first, are made at once.
    constexpr std::int64_t kTexelsAtOnce = std::int64_t(1) << 21;
    texturesPending_ = false;
    if (!scene_)
        return;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const bool roomFirst = QOpenGLContext::currentContext()->hasExtension("GL_ARB_texture_storage");
    bool stepTaken = false;
    for (const SceneLayer& layer : scene_->layers) {
        const std::shared_ptr<const SceneTexture>& texture = layer.texture;
        if (!layer.draw || !texture || texture->width <= 0 || texture->height <= 0 || texture->width > largest
            || texture->height > largest)
            continue; // shown untextured
        const auto found = textures_.find(texture.get());
        if (found != textures_.end() && found->second.stage == TextureStage::Complete)
            continue;
        const bool stepwise = roomFirst && std::int64_t(texture->width) * texture->height > kTexelsAtOnce;
        if (!stepwise) {
            if (found == textures_.end())
                uploadTexture(texture);
            continue;
        }
        if (stepTaken) {
            texturesPending_ = true;
            continue;
        }
        stepTaken = true;
        if (found == textures_.end())
            makeTextureRoom(texture);
        else if (found->second.stage == TextureStage::Room)
            fillTexture(found->second);
        else
            makeMipmaps(found->second);
        texturesPending_ = texturesPending_ || textures_[texture.get()].stage != TextureStage::Complete;
    }
}

void PreviewRenderer::setScene(std::shared_ptr<const Scene> scene, const PreviewSelection& selection)
{
    if (!initialized_)
        return;
    uploadedBytes_ = 0;
    std::vector<std::shared_ptr<LayerBuffers>> previous = std::move(layers_);
    layers_.clear();
    scene_ = std::move(scene);
    if (scene_)
        for (const SceneLayer& layer : scene_->layers)
            layers_.push_back(buffersFor(layer, previous));
    // Free what the new scene no longer uses.
    for (auto& old : previous) {
        if (old && std::find(layers_.begin(), layers_.end(), old) == layers_.end()) {
            glDeleteVertexArrays(1, &old->vao);
            glDeleteBuffers(1, &old->vbo);
            old->vao = old->vbo = 0; // two layers may share them
        }
    }
    // Textures the new scene still uses stay; new ones are made as it is
    // drawn.
    std::map<const SceneTexture*, TextureObject> used;
    if (scene_) {
        for (const SceneLayer& layer : scene_->layers) {
            const auto found = textures_.find(layer.texture.get());
            if (found != textures_.end())
                used[layer.texture.get()] = found->second;
        }
    }
    for (auto& [key, object] : textures_)
        if (!used.count(key))
            glDeleteTextures(1, &object.id);
    textures_ = std::move(used);
    setSelection(selection);
}

void PreviewRenderer::setSelection(const PreviewSelection& selection)
{
    if (!initialized_)
        return;
    selection_ = selection;
    uploadOverlay(scene_ ? buildOverlay(*scene_, selection, startShown_) : OverlayGeometry{});
}

void PreviewRenderer::setStartShown(bool shown)
{
    if (shown == startShown_)
        return;
    startShown_ = shown;
    setSelection(selection_);
}

void PreviewRenderer::uploadOverlay(const OverlayGeometry& overlay)
{
    std::vector<OverlayVertex> all;
    all.reserve(overlay.solids.size() + overlay.lines.size() + overlay.translucent.size()
                + overlay.selectedLayer.size());
    all.insert(all.end(), overlay.solids.begin(), overlay.solids.end());
    all.insert(all.end(), overlay.lines.begin(), overlay.lines.end());
    all.insert(all.end(), overlay.translucent.begin(), overlay.translucent.end());
    all.insert(all.end(), overlay.selectedLayer.begin(), overlay.selectedLayer.end());
    solidCount_ = static_cast<int>(overlay.solids.size());
    lineCount_ = static_cast<int>(overlay.lines.size());
    translucentCount_ = static_cast<int>(overlay.translucent.size());
    selectedLayerCount_ = static_cast<int>(overlay.selectedLayer.size());
    glBindBuffer(GL_ARRAY_BUFFER, overlayVbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(all.size() * sizeof(OverlayVertex)), all.data(),
                 GL_DYNAMIC_DRAW);
    uploadedBytes_ += all.size() * sizeof(OverlayVertex);
}

void PreviewRenderer::drawLayer(std::size_t index, int frame, bool moving, LayerLook look)
{
    const bool ghost = look == LayerLook::MotionEnd;
    const LayerBuffers* buffers = layers_[index].get();
    if (!buffers)
        return;
    const SceneLayer& layer = scene_->layers[index];
    const std::size_t f = static_cast<std::size_t>(frame) % buffers->first.size();
    if (buffers->count[f] == 0)
        return;
    meshProgram_->setUniformValue("highlight", look == LayerLook::Selected ? 0.35f : 0.0f);
    if (look == LayerLook::Draft) {
        // Filled, lit and seen through, in one colour whatever its texture.
        const float* colour = overlay_colour::kDraftLayer;
        meshProgram_->setUniformValue("offset", QVector3D());
        meshProgram_->setUniformValue("textured", false);
        meshProgram_->setUniformValue("lit", true);
        meshProgram_->setUniformValue("colour", QVector4D(colour[0], colour[1], colour[2], colour[3]));
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    } else if (ghost) {
        meshProgram_->setUniformValue("offset", QVector3D(layer.displacement.x, layer.displacement.y,
                                                          layer.displacement.z));
        meshProgram_->setUniformValue("textured", false);
        meshProgram_->setUniformValue("lit", false);
        meshProgram_->setUniformValue("colour", colour(overlay_colour::kGhostMesh));
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    } else {
        const ScenePoint offset = shownMotion(layer, frame, moving);
        meshProgram_->setUniformValue("offset", QVector3D(offset.x, offset.y, offset.z));
        if (layer.draw) {
            const unsigned texture = textureFor(layer.texture);
            meshProgram_->setUniformValue("textured", texture != 0);
            meshProgram_->setUniformValue("lit", true);
            meshProgram_->setUniformValue("colour", colour(overlay_colour::kPlainMesh));
            glBindTexture(GL_TEXTURE_2D, texture);
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        } else {
            meshProgram_->setUniformValue("textured", false);
            meshProgram_->setUniformValue("lit", false);
            meshProgram_->setUniformValue("colour", colour(overlay_colour::kCollisionMesh));
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        }
    }
    glBindVertexArray(buffers->vao);
    glDrawArrays(GL_TRIANGLES, buffers->first[f], buffers->count[f]);
}

void PreviewRenderer::useMeshProgram(const QMatrix4x4& viewProjection)
{
    meshProgram_->bind();
    meshProgram_->setUniformValue("viewProjection", viewProjection);
    meshProgram_->setUniformValue("layerTexture", 0);
    meshProgram_->setUniformValue("lightDirection", QVector3D(0.35f, 0.85f, 0.4f).normalized());
    meshProgram_->setUniformValue("highlightColour", QVector3D(overlay_colour::kSelection[0], overlay_colour::kSelection[1],
                                                               overlay_colour::kSelection[2]));
    glActiveTexture(GL_TEXTURE0);
}

PreviewRenderer::MeshImageKey PreviewRenderer::meshImageKey(const QMatrix4x4& viewProjection, const QSize& size,
                                                            int frame, bool moving) const
{
    MeshImageKey key;
    key.viewProjection = viewProjection;
    key.size = size;
    for (std::size_t i = 0; i < layers_.size(); ++i) {
        const SceneLayer& layer = scene_->layers[i];
        const std::shared_ptr<LayerBuffers>& buffers = layers_[i];
        if (layer.draft || !buffers)
            continue;
        const std::size_t f = static_cast<std::size_t>(frame) % buffers->first.size();
        if (buffers->count[f] == 0)
            continue;
        const ScenePoint offset = shownMotion(layer, frame, moving);
        const auto texture = layer.draw ? textures_.find(layer.texture.get()) : textures_.end();
        const int textureStage = texture == textures_.end() ? 0 : static_cast<int>(texture->second.stage);
        key.layers.push_back({buffers, f, QVector3D(offset.x, offset.y, offset.z), layer.draw,
                              layer.draw ? layer.texture : nullptr, textureStage});
    }
    return key;
}

void PreviewRenderer::drawMeshes(const QMatrix4x4& viewProjection, int frame, bool moving)
{
    ++meshPasses_;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    useMeshProgram(viewProjection);
    for (std::size_t i = 0; i < layers_.size(); ++i)
        if (!scene_->layers[i].draft)
            drawLayer(i, frame, moving, LayerLook::Level);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

bool PreviewRenderer::prepareMeshImage(const QSize& size)
{
    if (imageFailed_)
        return false;
    if (meshImage_.framebuffer && meshImage_.size == size)
        return true;
    releaseMeshImage();
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    auto makeTexture = [this, &size](unsigned& id, GLint format, GLenum layout, GLenum type) {
        glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        glTexImage2D(GL_TEXTURE_2D, 0, format, size.width(), size.height(), 0, layout, type, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    };
    makeTexture(meshImage_.colour, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    makeTexture(meshImage_.depth, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &meshImage_.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, meshImage_.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, meshImage_.colour, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, meshImage_.depth, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    meshImage_.size = size;
    imageKey_ = {};
    if (!complete) {
        releaseMeshImage();
        imageFailed_ = true;
    }
    return complete;
}

void PreviewRenderer::showMeshImage(const QPoint& origin)
{
    // Mesh pixels are opaque and replace the background; the rest of the
    // image is clear. The depth goes along, for the overlay to be hidden
    // behind the meshes as if they were drawn here.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    imageProgram_->bind();
    imageProgram_->setUniformValue("meshColour", 0);
    imageProgram_->setUniformValue("meshDepth", 1);
    imageProgram_->setUniformValue("origin", origin);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, meshImage_.depth);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, meshImage_.colour);
    glBindVertexArray(imageVao_);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    // Not left bound while the image is drawn into.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
}

void PreviewRenderer::releaseMeshImage()
{
    if (meshImage_.framebuffer)
        glDeleteFramebuffers(1, &meshImage_.framebuffer);
    for (unsigned* texture : {&meshImage_.colour, &meshImage_.depth})
        if (*texture)
            glDeleteTextures(1, texture);
    meshImage_ = {};
    imageKey_ = {};
}

void PreviewRenderer::render(const QMatrix4x4& viewProjection, int frame, bool moving)
{
    const std::array<float, 3> background = scene_ ? scene_->background : std::array<float, 3>{};
    glClearColor(background[0], background[1], background[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!initialized_ || !scene_)
        return;
    ++frames_;
    prepareTextures();
    GLint target = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const QSize size(viewport[2], viewport[3]);
    MeshImageKey key = meshImageKey(viewProjection, size, frame, moving);
    if (key.layers.empty()) {
        // No mesh to show.
    } else if (prepareMeshImage(size)) {
        if (!(key == imageKey_)) {
            glBindFramebuffer(GL_FRAMEBUFFER, meshImage_.framebuffer);
            glViewport(0, 0, size.width(), size.height());
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            drawMeshes(viewProjection, frame, moving);
            imageKey_ = std::move(key);
            glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(target));
            glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        }
        showMeshImage({viewport[0], viewport[1]});
    } else {
        drawMeshes(viewProjection, frame, moving);
    }
    renderOverlay(viewProjection, frame, moving);
}

void PreviewRenderer::renderOverlay(const QMatrix4x4& viewProjection, int frame, bool moving)
{
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);

    // The selected layer once more, tinted, where it is the nearest: the
    // same triangles at the same depth as in the image.
    const std::size_t selected = static_cast<std::size_t>(selection_.layer);
    if (selection_.layer >= 0 && selected < layers_.size() && !scene_->layers[selected].draft) {
        useMeshProgram(viewProjection);
        drawLayer(selected, frame, moving, LayerLook::Selected);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }

    lineProgram_->bind();
    lineProgram_->setUniformValue("viewProjection", viewProjection);
    lineProgram_->setUniformValue("offset", QVector3D());
    glBindVertexArray(overlayVao_);
    if (solidCount_ > 0)
        glDrawArrays(GL_TRIANGLES, 0, solidCount_);
    if (lineCount_ > 0)
        glDrawArrays(GL_LINES, solidCount_, lineCount_);
    if (selectedLayerCount_ > 0) {
        const ScenePoint offset =
            selected < scene_->layers.size() ? shownMotion(scene_->layers[selected], frame, moving) : ScenePoint{};
        lineProgram_->setUniformValue("offset", QVector3D(offset.x, offset.y, offset.z));
        glDrawArrays(GL_LINES, solidCount_ + lineCount_ + translucentCount_, selectedLayerCount_);
    }

    // See-through things last, without hiding what lies behind them.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    if (translucentCount_ > 0)
        glDrawArrays(GL_TRIANGLES, solidCount_ + lineCount_, translucentCount_);
    useMeshProgram(viewProjection);
    for (std::size_t i = 0; i < layers_.size(); ++i) {
        if (scene_->layers[i].hasDisplacement)
            drawLayer(i, frame, moving, LayerLook::MotionEnd);
        if (scene_->layers[i].draft)
            drawLayer(i, frame, moving, LayerLook::Draft);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glBindVertexArray(0);
}

void PreviewRenderer::drawTransient(const std::vector<OverlayVertex>& solids, const std::vector<OverlayVertex>& lines,
                                     const QMatrix4x4& viewProjection, Depth depth)
{
    if (!initialized_ || (solids.empty() && lines.empty()))
        return;
    std::vector<OverlayVertex> all;
    all.reserve(solids.size() + lines.size());
    all.insert(all.end(), solids.begin(), solids.end());
    all.insert(all.end(), lines.begin(), lines.end());
    glBindVertexArray(transientVao_);
    glBindBuffer(GL_ARRAY_BUFFER, transientVbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(all.size() * sizeof(OverlayVertex)), all.data(),
                 GL_STREAM_DRAW);
    lineProgram_->bind();
    lineProgram_->setUniformValue("viewProjection", viewProjection);
    lineProgram_->setUniformValue("offset", QVector3D());
    if (depth == Depth::OnTop) {
        glDisable(GL_DEPTH_TEST);
    } else {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
    }
    // A line lying on a surface wins over it: its depth is taken a little
    // nearer the eye.
    if (depth == Depth::Level)
        glDepthRange(0, 1 - 1.0 / 65536);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    if (!solids.empty())
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(solids.size()));
    if (!lines.empty())
        glDrawArrays(GL_LINES, static_cast<GLint>(solids.size()), static_cast<GLsizei>(lines.size()));
    glDepthRange(0, 1);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBindVertexArray(0);
}

void PreviewRenderer::release()
{
    if (!initialized_)
        return;
    for (auto& buffers : layers_) {
        if (buffers) {
            glDeleteVertexArrays(1, &buffers->vao);
            glDeleteBuffers(1, &buffers->vbo);
            buffers->vao = buffers->vbo = 0;
        }
    }
    layers_.clear();
    for (auto& [key, object] : textures_)
        glDeleteTextures(1, &object.id);
    textures_.clear();
    glDeleteVertexArrays(1, &overlayVao_);
    glDeleteBuffers(1, &overlayVbo_);
    glDeleteVertexArrays(1, &transientVao_);
    glDeleteBuffers(1, &transientVbo_);
    glDeleteVertexArrays(1, &imageVao_);
    releaseMeshImage();
    meshProgram_.reset();
    lineProgram_.reset();
    imageProgram_.reset();
    scene_.reset();
    initialized_ = false;
}

} // namespace kes::editor
