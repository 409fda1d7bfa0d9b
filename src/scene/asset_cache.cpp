#include "scene/asset_cache.h"

#include <system_error>

#include "model/file_io.h"

namespace kes {

std::optional<FileStamp> stampFile(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path file = pathFromUtf8(path);
    if (!std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    FileStamp stamp;
    stamp.size = std::filesystem::file_size(file, error);
    if (error)
        return std::nullopt;
    stamp.modified = std::filesystem::last_write_time(file, error);
    if (error)
        return std::nullopt;
    return stamp;
}

namespace {

template <typename Map>
auto lookUp(const Map& map, const std::string& path, const FileStamp& stamp)
    -> decltype(map.begin()->second.value)
{
    auto found = map.find(path);
    if (found == map.end() || !(found->second.stamp == stamp))
        return nullptr;
    return found->second.value;
}

template <typename Map>
void keepOnlyIn(Map& map, const std::set<std::string>& paths)
{
    for (auto it = map.begin(); it != map.end();)
        it = paths.count(it->first) ? std::next(it) : map.erase(it);
}

} // namespace

std::shared_ptr<const SceneMeshFrame> SceneAssetCache::mesh(const std::string& path, const FileStamp& stamp) const
{
    std::lock_guard lock(mutex_);
    return lookUp(meshes_, path, stamp);
}

std::shared_ptr<const SceneTexture> SceneAssetCache::texture(const std::string& path, const FileStamp& stamp) const
{
    std::lock_guard lock(mutex_);
    return lookUp(textures_, path, stamp);
}

void SceneAssetCache::keepMesh(const std::string& path, const FileStamp& stamp,
                               std::shared_ptr<const SceneMeshFrame> mesh)
{
    std::lock_guard lock(mutex_);
    meshes_[path] = {stamp, std::move(mesh)};
}

void SceneAssetCache::keepTexture(const std::string& path, const FileStamp& stamp,
                                  std::shared_ptr<const SceneTexture> texture)
{
    std::lock_guard lock(mutex_);
    textures_[path] = {stamp, std::move(texture)};
}

void SceneAssetCache::forget(const std::string& path)
{
    std::lock_guard lock(mutex_);
    meshes_.erase(path);
    textures_.erase(path);
}

void SceneAssetCache::keepOnly(const std::set<std::string>& paths)
{
    std::lock_guard lock(mutex_);
    keepOnlyIn(meshes_, paths);
    keepOnlyIn(textures_, paths);
}

int SceneAssetCache::reads() const
{
    std::lock_guard lock(mutex_);
    return reads_;
}

void SceneAssetCache::countRead()
{
    std::lock_guard lock(mutex_);
    ++reads_;
}

} // namespace kes
