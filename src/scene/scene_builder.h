// Builds the preview's scene of a level through the same readers and path
// rules as generation.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/level_model.h"
#include "scene/asset_cache.h"
#include "scene/scene.h"

namespace kes {

// What to show: the level's settings and tables. The lists may hold more
// entries than a project's tables (an entry still being typed in the form).
struct SceneRequest {
    LevelSettings settings;
    std::vector<LayerEntry> layers;
    std::vector<TargetEntry> targets;
    // Relative OBJ and BMP paths are taken from this folder unless it is
    // empty (as generation takes them).
    std::string baseFolder;
    // The last layer, and the last target, is an entry typed into the
    // editor's form but not added to the level: drawn ghosted, named as the
    // form's, and never picked.
    bool draftLayer = false;
    bool draftTarget = false;

    bool operator==(const SceneRequest&) const = default;
};

SceneRequest sceneRequestFor(const LevelProject& project, const std::string& baseFolder);

struct SceneBuildOptions {
    // Files are read through this cache when given: unchanged files are not
    // read again, and files the scene no longer names are forgotten.
    SceneAssetCache* cache = nullptr;
    // Read nothing: take meshes and textures from the cache only, and mark
    // the layers whose files are not there as loading.
    bool cachedOnly = false;
    // Worker threads that read the files: 0 as many as generation uses by
    // default (one per core, at most 8); 1 reads on the calling thread.
    int threads = 0;
    // When set and true, reading stops soon and the scene comes back with
    // the unread layers marked as loading.
    const std::atomic<bool>* cancelled = nullptr;
    // Called after each file is read with the number read and the number
    // to read; from the worker threads, one call at a time.
    std::function<void(int done, int total)> progress;
    // The largest side a texture is shown with: a larger texture is shrunk
    // by a whole factor on the worker threads (texture_shrink.h) and listed
    // in Scene::shrunkTextures. 0: no limit.
    std::int32_t largestTexture = 0;
};

// The scene of `request`. Never fails: a file that can't be read becomes a
// problem of its layer ("layer 2 ('door.obj'): cannot read mesh file ..."),
// and the rest is shown. A layer whose mesh (or one of whose animation
// frames) can't be read is shown without a mesh; one whose texture can't be
// read is shown untextured.
Scene buildScene(const SceneRequest& request, const SceneBuildOptions& options = {});

// Whether two requests read the same files the same way: the same folder
// and, layer for layer, the same mesh and texture paths, draw switch,
// whether it is an animation and, for an animation, its frame count. Then, while no file changed on the
// disk, the scene of one can be made from the other's without looking at
// any file.
bool sameSceneFiles(const SceneRequest& a, const SceneRequest& b);

// The scene of `request` made from `previous`, the scene of a request with
// the same files (sameSceneFiles): its meshes, textures and their problems
// are kept, everything else (settings, targets, motion fields, boxes,
// bounds) comes from `request`. Looks at no file; the same as buildScene
// while the files are as `previous` found them.
Scene restateScene(const Scene& previous, const SceneRequest& request);

// The files that `request` reads: every mesh frame and every texture of a
// drawn layer, resolved as generation resolves them.
std::vector<std::string> sceneFiles(const SceneRequest& request);

} // namespace kes
