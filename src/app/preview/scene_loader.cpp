#include "app/preview/scene_loader.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace kes::editor {

SceneLoader::SceneLoader(QObject* parent) : QObject(parent)
{
    // One build at a time; each build reads its files on several threads.
    pool_.setMaxThreadCount(1);
    // A tool that writes a file often touches it several times; read it once
    // the writing has settled.
    changedFiles_.setSingleShot(true);
    changedFiles_.setInterval(150);
    connect(&changedFiles_, &QTimer::timeout, this, [this] {
        for (const std::string& path : sceneFiles(last_))
            if (touched_.contains(QFileInfo(QString::fromStdString(path)).absoluteFilePath()))
                cache_.forget(path);
        touched_.clear();
        filesChanged_ = true;
        request(last_);
    });
    connect(this, &SceneLoader::sceneReady, this, [this](std::shared_ptr<const Scene> scene) {
        lastScene_ = std::move(scene);
    });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        touched_.insert(path);
        changedFiles_.start();
    });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &changedFiles_, qOverload<>(&QTimer::start));
}

SceneLoader::~SceneLoader()
{
    if (cancelPrevious_)
        cancelPrevious_->store(true);
    pool_.waitForDone();
}

void SceneLoader::setLargestTexture(std::int32_t side)
{
    if (side == largestTexture_)
        return;
    largestTexture_ = side;
    if (!lastScene_)
        return;
    filesChanged_ = true;
    request(last_);
}

void SceneLoader::request(const SceneRequest& request)
{
    if (lastScene_ && !busy() && !filesChanged_ && sameSceneFiles(request, last_)) {
        last_ = request;
        emit sceneReady(std::make_shared<const Scene>(restateScene(*lastScene_, request)));
        return;
    }
    ++fileLookups_;
    filesChanged_ = false;
    last_ = request;
    if (cancelPrevious_)
        cancelPrevious_->store(true);
    ++generation_;

    SceneBuildOptions cachedOnly;
    cachedOnly.cache = &cache_;
    cachedOnly.cachedOnly = true;
    cachedOnly.largestTexture = largestTexture_;
    auto scene = std::make_shared<const Scene>(buildScene(request, cachedOnly));
    const bool complete = scene->loadingLayers() == 0;
    emit sceneReady(scene);
    watch(request);
    if (!complete)
        start(request);
}

void SceneLoader::start(const SceneRequest& request)
{
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    cancelPrevious_ = cancelled;
    const int generation = generation_;
    ++running_;
    emit progress(0, 0);
    pool_.start([this, request, cancelled, generation, largest = largestTexture_] {
        SceneBuildOptions options;
        options.largestTexture = largest;
        options.cache = &cache_;
        options.cancelled = cancelled.get();
        options.progress = [this, cancelled, generation](int done, int total) {
            if (cancelled->load())
                return;
            QMetaObject::invokeMethod(this, [this, generation, done, total] {
                if (generation == generation_)
                    emit progress(done, total);
            }, Qt::QueuedConnection);
        };
        auto scene = std::make_shared<const Scene>(buildScene(request, options));
        QMetaObject::invokeMethod(this, [this, scene, generation, cancelled] {
            --running_;
            if (generation == generation_ && !cancelled->load())
                emit sceneReady(scene);
        }, Qt::QueuedConnection);
    });
}

void SceneLoader::watch(const SceneRequest& request)
{
    // The files, and their folders: a tool that replaces a file by renaming
    // a new one over it ends the watch of the old file.
    QSet<QString> wanted;
    for (const std::string& path : sceneFiles(request)) {
        const QString file = QString::fromStdString(path);
        const QFileInfo info(file);
        if (info.exists())
            wanted.insert(info.absoluteFilePath());
        if (info.absoluteDir().exists())
            wanted.insert(info.absolutePath());
    }
    const QStringList watched = watcher_.files() + watcher_.directories();
    QStringList gone;
    for (const QString& path : watched)
        if (!wanted.contains(path))
            gone.append(path);
    if (!gone.isEmpty())
        watcher_.removePaths(gone);
    QStringList added;
    for (const QString& path : wanted)
        if (!watched.contains(path))
            added.append(path);
    if (!added.isEmpty())
        watcher_.addPaths(added);
}

} // namespace kes::editor
