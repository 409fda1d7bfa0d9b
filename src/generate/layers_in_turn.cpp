#include "generate/layer_writing.h"

namespace kes {

Status writeLayersInTurn(LevelFileWriter& writer, const std::vector<LayerPlan>& layers, const LayerProgress& progress,
                         std::vector<ReaderWarning>& warnings)
{
    const int layerCount = static_cast<int>(layers.size());
    Status status = Status::success();
    for (int i = 0; i < layerCount && status; ++i) {
        const LayerPlan& plan = layers[static_cast<std::size_t>(i)];
        if (progress)
            progress(i, layerCount);
        LayerDescriptor descriptor = plan.descriptor;
        if (Status loaded = loadTextureSet(plan.texturePath, descriptor); !loaded)
            status = Status::failure(plan.name + ": " + loaded.reason());
        else if (!writer.writeLayer(plan.objPath, descriptor))
            status = Status::failure(plan.name + ": " + writer.lastError());
    }
    warnings.insert(warnings.end(), writer.warnings().begin(), writer.warnings().end());
    return status;
}

} // namespace kes
