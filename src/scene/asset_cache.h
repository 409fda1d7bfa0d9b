// Meshes and textures read for the preview, kept by path and reread only when
// the file's size or modification time changed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "scene/scene.h"

namespace kes {

// What tells one version of a file from another.
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at `path` (UTF-8); none when it can't be examined.
std::optional<FileStamp> stampFile(const std::string& path);

// Safe to use from several threads at once.
class SceneAssetCache {
public:
    // The mesh or texture kept for `path` when it was read from a file with
    // this stamp; null otherwise.
    std::shared_ptr<const SceneMeshFrame> mesh(const std::string& path, const FileStamp& stamp) const;
    std::shared_ptr<const SceneTexture> texture(const std::string& path, const FileStamp& stamp) const;

    void keepMesh(const std::string& path, const FileStamp& stamp, std::shared_ptr<const SceneMeshFrame> mesh);
    void keepTexture(const std::string& path, const FileStamp& stamp, std::shared_ptr<const SceneTexture> texture);

    // Forgets the file at `path`: it is read again, whatever its stamp.
    void forget(const std::string& path);
    // Forgets every file not named in `paths`.
    void keepOnly(const std::set<std::string>& paths);

    // How many files were read into the cache since it was made (for tests
    // and the benchmark).
    int reads() const;
    void countRead();

private:
    template <typename T>
    struct Entry {
        FileStamp stamp;
        std::shared_ptr<const T> value;
    };
    mutable std::mutex mutex_;
    std::map<std::string, Entry<SceneMeshFrame>> meshes_;
    std::map<std::string, Entry<SceneTexture>> textures_;
    int reads_ = 0;
};

} // namespace kes
