// Draws a scene with OpenGL 3.3 core: the layers from buffers uploaded once
// per change, then markers, boxes and arrows. Needs the caller's context to
// be current in every call.
//
// The layers' meshes are the slow part of a frame (millions of triangles).
// They are drawn into an image of their own, colour and depth, which is
// drawn again only when what it shows changes; every frame copies it into
// the target and draws the overlay (markers, boxes, the selection, the
// see-through parts) over it. A change of the overlay, the selection or the
// background therefore costs the overlay only.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include <QMatrix4x4>
#include <QPoint>
#include <QSize>
#include <QVector3D>
#include <QOpenGLFunctions_3_3_Core>
#include <QString>

#include "app/preview/overlay_geometry.h"
#include "scene/scene.h"

class QOpenGLShaderProgram;

namespace kes::editor {

class PreviewRenderer : protected QOpenGLFunctions_3_3_Core {
public:
    PreviewRenderer();
    ~PreviewRenderer();
    PreviewRenderer(const PreviewRenderer&) = delete;
    PreviewRenderer& operator=(const PreviewRenderer&) = delete;

    // Prepares the shaders; false, with the reason, when the context can't
    // run them.
    bool initialize(QString& reason);

    // Uploads what changed: meshes and textures the previous scene did not
    // hold, and the markers. Meshes and textures shared with the previous
    // scene stay where they are.
    void setScene(std::shared_ptr<const Scene> scene, const PreviewSelection& selection);
    // Uploads the markers again for another selection.
    void setSelection(const PreviewSelection& selection);
    // Whether the start marker is drawn (uploads the markers again when
    // this changes).
    void setStartShown(bool shown);
    bool startShown() const { return startShown_; }

    // Draws into the bound framebuffer, within its viewport; each animated
    // layer shows its frame `frame` (from 0, wrapping round its own frame
    // count). `moving`: each layer where the motion playback has it at that
    // frame (scene_motion.h). The meshes are drawn again only when the
    // camera, the viewport's size or what a layer shows (its mesh frame, its
    // place, its texture, drawn or collision-only) differs from the last
    // call's.
    void render(const QMatrix4x4& viewProjection, int frame, bool moving);

    // Draws vertices uploaded for this draw only (the grid, the handles, the
    // axis indicator), after render(): `solids` as triangles, `lines` as line
    // pairs, blended by their alpha.
    enum class Depth {
        Tested,  // hidden behind the level
        Level,   // hidden behind the level, but drawn over a surface it lies on
        OnTop,   // never hidden
    };
    void drawTransient(const std::vector<OverlayVertex>& solids, const std::vector<OverlayVertex>& lines,
                       const QMatrix4x4& viewProjection, Depth depth);

    // Frees every graphics object.
    void release();

    // Bytes uploaded to the graphics card since the last setScene (for tests
    // that check what is uploaded again).
    std::size_t uploadedBytes() const { return uploadedBytes_; }
    // How many times the layers' meshes were drawn, and how many frames
    // (for tests and benchmarks).
    int meshPasses() const { return meshPasses_; }
    // Whether textures are still being made, a step each frame: the caller
    // draws again soon.
    bool texturesPending() const { return texturesPending_; }
    int frames() const { return frames_; }

private:
    struct LayerBuffers {
        std::vector<std::shared_ptr<const SceneMeshFrame>> frames;
        unsigned vao = 0;
        unsigned vbo = 0;
        std::vector<int> first;   // of each frame, in vertices
        std::vector<int> count;   // of each frame
    };
    // How far a texture is made: room for it (not drawn yet), its pixels
    // (drawn from its full size alone), or all its sizes.
    enum class TextureStage { Room, Pixels, Complete };
    struct TextureObject {
        std::shared_ptr<const SceneTexture> texture;
        unsigned id = 0;
        TextureStage stage = TextureStage::Room;
        int levels = 1; // the sizes there is room for
    };

    // What the image of the meshes shows; drawn again when this differs.
    struct MeshImageKey {
        struct Layer {
            std::shared_ptr<LayerBuffers> buffers;
            std::size_t frame = 0;
            QVector3D offset;
            bool draw = false;
            std::shared_ptr<const SceneTexture> texture;
            int textureStage = 0; // TextureStage, or 0 while it can't be drawn
            bool operator==(const Layer&) const = default;
        };
        QMatrix4x4 viewProjection;
        QSize size;
        std::vector<Layer> layers;
        bool operator==(const MeshImageKey&) const = default;
    };
    // The image: a framebuffer with a colour and a depth texture.
    struct MeshImage {
        unsigned framebuffer = 0;
        unsigned colour = 0;
        unsigned depth = 0;
        QSize size;
    };

    std::shared_ptr<LayerBuffers> buffersFor(const SceneLayer& layer,
                                             std::vector<std::shared_ptr<LayerBuffers>>& previous);
    // The texture object of a texture made so far, 0 before.
    unsigned textureFor(const std::shared_ptr<const SceneTexture>& texture) const;
    // Makes the textures the drawn layers need: small ones at once, a large
    // one a step per frame (its room, its pixels, its smaller sizes), so that
    // no frame waits long for them.
    void prepareTextures();
    // A texture made at once, all its sizes.
    void uploadTexture(const std::shared_ptr<const SceneTexture>& texture);
    // A large texture's steps.
    void makeTextureRoom(const std::shared_ptr<const SceneTexture>& texture);
    void fillTexture(TextureObject& object);
    void makeMipmaps(TextureObject& object);
    void uploadOverlay(const OverlayGeometry& overlay);
    // How a layer is drawn: as the level has it, its motion's end as a
    // ghost, or as an entry typed into the form but not added.
    // `Selected` is as the level has it, tinted.
    enum class LayerLook { Level, Selected, MotionEnd, Draft };
    void drawLayer(std::size_t index, int frame, bool moving, LayerLook look);
    void useMeshProgram(const QMatrix4x4& viewProjection);
    MeshImageKey meshImageKey(const QMatrix4x4& viewProjection, const QSize& size, int frame, bool moving) const;
    // The opaque meshes of the level, into the bound framebuffer.
    void drawMeshes(const QMatrix4x4& viewProjection, int frame, bool moving);
    // Makes the image `size` large; false when this context can't.
    bool prepareMeshImage(const QSize& size);
    // Copies the image, colour and depth, into the bound framebuffer whose
    // viewport starts at `origin`.
    void showMeshImage(const QPoint& origin);
    void releaseMeshImage();
    // Everything drawn over the meshes: the selected layer's tint, the
    // markers, outlines and arrows, then the see-through parts (trigger
    // areas, motion ends, the form's entry). Depth-tested against the
    // meshes.
    void renderOverlay(const QMatrix4x4& viewProjection, int frame, bool moving);

    std::unique_ptr<QOpenGLShaderProgram> meshProgram_;
    std::unique_ptr<QOpenGLShaderProgram> lineProgram_;
    std::unique_ptr<QOpenGLShaderProgram> imageProgram_;
    unsigned imageVao_ = 0; // no vertices: the image's triangle is made in its shader
    MeshImage meshImage_;
    MeshImageKey imageKey_;
    bool imageFailed_ = false; // this context can't make the image: meshes drawn every frame
    std::shared_ptr<const Scene> scene_;
    PreviewSelection selection_;
    std::vector<std::shared_ptr<LayerBuffers>> layers_;
    std::map<const SceneTexture*, TextureObject> textures_;
    unsigned overlayVao_ = 0;
    unsigned overlayVbo_ = 0;
    unsigned transientVao_ = 0;
    unsigned transientVbo_ = 0;
    int solidCount_ = 0;
    int lineCount_ = 0;
    int translucentCount_ = 0;
    int selectedLayerCount_ = 0;
    std::size_t uploadedBytes_ = 0;
    bool texturesPending_ = false;
    int meshPasses_ = 0;
    int frames_ = 0;
    bool startShown_ = true;
    bool initialized_ = false;
};

} // namespace kes::editor
