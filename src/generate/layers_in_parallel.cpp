#include <algorithm>
#include <cstdint>

#include "generate/layer_parts.h"
#include "generate/layer_writing.h"
#include "generate/ordered_jobs.h"
#include "levelfile/level_encoding.h"

namespace kes {
namespace {

// The parts of all layers that take time to make, numbered in file order:
// each layer's frames, then its texture when it has one.
class LayerParts {
public:
    explicit LayerParts(const std::vector<LayerPlan>& layers) : layers_(layers)
    {
        std::size_t count = 0;
        for (const LayerPlan& plan : layers) {
            first_.push_back(count);
            count += plan.descriptor.frameCount + (plan.texturePath ? 1u : 0u);
        }
        first_.push_back(count);
    }

    std::size_t count() const { return first_.back(); }

    // Makes part `number`; called on the worker threads.
    PreparedPart prepare(std::size_t number) const
    {
        // The last layer that starts at or before `number`: layers without
        // parts start where the next one does.
        const auto layer = static_cast<std::size_t>(std::upper_bound(first_.begin(), first_.end(), number)
                                                    - first_.begin() - 1);
        const LayerPlan& plan = layers_[layer];
        const std::size_t part = number - first_[layer];
        const std::uint16_t frames = plan.descriptor.frameCount;
        if (part < frames)
            return prepareFrame(frameMeshPath(plan.objPath, frames, static_cast<int>(part + 1)),
                                plan.descriptor.normals != 0);
        return prepareTexture(*plan.texturePath);
    }

private:
    const std::vector<LayerPlan>& layers_;
    std::vector<std::size_t> first_; // number of each layer's first part, then the total
};

} // namespace

Status writeLayersInParallel(LevelFileWriter& writer, const std::vector<LayerPlan>& layers, int threads,
                             const LayerProgress& progress, std::vector<ReaderWarning>& warnings)
{
    const LayerParts parts(layers);
    // Two parts per worker: one being made, one done and waiting, so that a
    // worker rarely waits for the writer.
    const std::size_t window = 2 * static_cast<std::size_t>(std::max(threads, 1));
    OrderedJobs<PreparedPart> prepared(parts.count(), threads, window,
                                       [&parts](std::size_t number) { return parts.prepare(number); });

    const int layerCount = static_cast<int>(layers.size());
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < layerCount; ++i) {
        const LayerPlan& plan = layers[static_cast<std::size_t>(i)];
        if (progress)
            progress(i, layerCount);
        const std::size_t warningsBefore = warnings.size();
        auto failure = [&](const std::string& reason) { return Status::failure(plan.name + ": " + reason); };
        auto write = [&](const std::vector<std::uint8_t>& data) { return writer.writePreparedLayerPart(data); };

        bytes.clear();
        encodeLayerHead(plan.descriptor, bytes);
        if (!writer.beginPreparedLayer() || !write(bytes))
            return failure(writer.lastError());
        std::uint64_t triangles = 0;
        for (int frame = 0; frame < plan.descriptor.frameCount; ++frame) {
            PreparedPart part = prepared.take();
            if (!part.status) {
                // Written in turn, the layer would have read its texture
                // before its meshes, and failed there first.
                LayerDescriptor texture;
                if (Status loaded = loadTextureSet(plan.texturePath, texture); !loaded) {
                    warnings.resize(warningsBefore);
                    return failure(loaded.reason());
                }
                return failure(part.status.reason());
            }
            warnings.insert(warnings.end(), part.warnings.begin(), part.warnings.end());
            if (!write(part.head) || !write(part.body))
                return failure(writer.lastError());
            triangles += part.triangles;
        }
        bytes.clear();
        encodeTextureCount(plan.texturePath ? 1 : 0, bytes);
        if (!write(bytes))
            return failure(writer.lastError());
        if (plan.texturePath) {
            PreparedPart part = prepared.take();
            if (!part.status) {
                if (part.failsBeforeMeshes)
                    warnings.resize(warningsBefore);
                return failure(part.status.reason());
            }
            if (!write(part.head) || !write(part.body))
                return failure(writer.lastError());
        }
        if (!writer.finishPreparedLayer(triangles))
            return failure(writer.lastError());
    }
    return Status::success();
}

} // namespace kes
