// Builds the preview's scene off the user-interface thread: at once from the
// files already read, then in the background for the rest, rereading only
// files that changed, and again when a file the scene uses changes on disk.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QTimer>

#include "scene/asset_cache.h"
#include "scene/scene_builder.h"

namespace kes::editor {

class SceneLoader : public QObject {
    Q_OBJECT

public:
    explicit SceneLoader(QObject* parent = nullptr);
    ~SceneLoader() override;

    // Shows `request`: sceneReady comes at once with what the cache holds,
    // and again when the files still missing have been read. An earlier
    // request still being read is abandoned. A request that reads the same
    // files as the last one, while none of them changed on the disk, is
    // shown from the last scene without looking at any file.
    void request(const SceneRequest& request);

    // How many requests looked at the files (for tests: a change of a
    // setting, a target or a motion field looks at none).
    int fileLookups() const { return fileLookups_; }

    // The largest side a texture is shown with (SceneBuildOptions); a
    // change reads the textures again.
    void setLargestTexture(std::int32_t side);

    // True while files are being read.
    bool busy() const { return running_ > 0; }

signals:
    void sceneReady(std::shared_ptr<const kes::Scene> scene);
    // Files read so far of the files to read.
    void progress(int done, int total);

private:
    void start(const SceneRequest& request);
    void watch(const SceneRequest& request);

    SceneAssetCache cache_;
    QThreadPool pool_;
    QFileSystemWatcher watcher_;
    QTimer changedFiles_;
    // The files the watcher reported since the scene was last made: read
    // again even if their size and time are the same (a file made
    // unreadable keeps both).
    QSet<QString> touched_;
    std::int32_t largestTexture_ = 0;
    SceneRequest last_;
    std::shared_ptr<const Scene> lastScene_;
    bool filesChanged_ = true; // on the disk, since the last scene was made
    std::shared_ptr<std::atomic<bool>> cancelPrevious_;
    int running_ = 0;
    int fileLookups_ = 0;
    int generation_ = 0;
};

} // namespace kes::editor
