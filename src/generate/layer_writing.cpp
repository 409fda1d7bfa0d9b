#include "generate/layer_writing.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "assets/obj_reader.h"
#include "generate/generate_level.h"
#include "generate/ordered_jobs.h"
#include "levelfile/layer_parts.h"
#include "model/file_io.h"

namespace kes {
namespace {

// The parts of all layers, numbered in the order writeLayerParts takes them:
// each layer's texture when it has one, then its frames.
class LevelParts {
public:
    LevelParts(const std::vector<LayerPlan>& layers, int threads) : layers_(layers), threads_(threads)
    {
        std::size_t count = 0;
        for (const LayerPlan& plan : layers) {
            first_.push_back(count);
            count += static_cast<std::size_t>(layerPartCount(plan.descriptor.frameCount, textureCount(plan)));
        }
        first_.push_back(count);
    }

    std::size_t count() const { return first_.back(); }

    static std::uint16_t textureCount(const LayerPlan& plan) { return plan.texturePath ? 1 : 0; }

    // Makes part `number`; called on the worker threads.
    LayerPart make(std::size_t number) const
    {
        // The last layer that starts at or before `number`: layers without
        // parts start where the next one does.
        const auto layer = static_cast<std::size_t>(std::upper_bound(first_.begin(), first_.end(), number)
                                                    - first_.begin() - 1);
        const LayerPlan& plan = layers_[layer];
        const LayerPartIndex part = layerPartAt(static_cast<int>(number - first_[layer]), textureCount(plan));
        if (part.isTexture)
            return makeTexturePart(*plan.texturePath);
        const std::string meshPath = frameMeshPath(plan.objPath, plan.descriptor.frameCount, part.number);
        // On one thread a part is made just when it is written: its frame can
        // then go straight from the mesh file to the level file. So can a
        // mesh file that is parsed on every thread at once anyway.
        const bool withNormals = plan.descriptor.normals != 0;
        if (threads_ <= 1 || parsedOnEveryThread(meshPath))
            return deferFramePart(meshPath, withNormals, threads_);
        return makeFramePart(meshPath, withNormals, threads_);
    }

private:
    bool parsedOnEveryThread(const std::string& meshPath) const
    {
        std::error_code failed;
        const std::uintmax_t size = std::filesystem::file_size(pathFromUtf8(meshPath), failed);
        ObjReadOptions options;
        options.threads = threads_;
        // A file that cannot be sized fails when it is read, as made.
        return !failed && objParsedInChunks(size, options);
    }

    const std::vector<LayerPlan>& layers_;
    int threads_; // threads that may parse one large mesh file at once
    std::vector<std::size_t> first_; // number of each layer's first part, then the total
};

} // namespace

Status writeLayers(LevelFileWriter& writer, const std::vector<LayerPlan>& layers, int threads,
                   const LayerProgress& progress, std::vector<ReaderWarning>& warnings,
                   const std::atomic<bool>* cancel)
{
    auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    const LevelParts parts(layers, threads);
    // Two parts per worker: one being made, one done and waiting, so that a
    // worker rarely waits for the writer.
    const int workers = threads > 1 ? threads : 0;
    const std::size_t window = 2 * static_cast<std::size_t>(std::max(workers, 1));
    OrderedJobs<LayerPart> made(parts.count(), workers, window,
                                [&parts](std::size_t number) { return parts.make(number); });
    auto nextPart = [&made, &cancelled]() {
        if (cancelled()) {
            LayerPart stop;
            stop.status = Status::failure(kGenerationCancelled);
            return stop;
        }
        return made.take();
    };

    const int layerCount = static_cast<int>(layers.size());
    for (int i = 0; i < layerCount; ++i) {
        const LayerPlan& plan = layers[static_cast<std::size_t>(i)];
        if (cancelled())
            return Status::failure(kGenerationCancelled);
        if (progress)
            progress(i, layerCount);
        LayerDescriptor descriptor = plan.descriptor;
        descriptor.textureCount = LevelParts::textureCount(plan);
        if (Status written = writeLayerParts(writer, descriptor, nextPart, warnings); !written)
            return cancelled() ? Status::failure(kGenerationCancelled)
                               : Status::failure(plan.name + ": " + written.reason());
    }
    return Status::success();
}

} // namespace kes
