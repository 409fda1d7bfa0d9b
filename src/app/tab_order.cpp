#include "app/tab_order.h"

#include <array>

#include <QWidget>

#include "app/dialog_description.h"

namespace kes::editor {
namespace {

constexpr std::array kTabOrder = {
    // Metadata, then Basics.
    int(kTitle), int(kAuthor), int(kVersionMajor), int(kVersionMinor),
    int(kStartPosition), int(kBackgroundColor), int(kFramesLR),
    // Layers: the list and its buttons, then the form.
    int(kLayerList), int(kMoveLayerUp), int(kMoveLayerDown), int(kAddLayer), int(kUpdateLayer), int(kRelink),
    int(kRemoveLayer), int(kObjFile), int(kBrowseObj), int(kDraw), int(kBmpFile), int(kBrowseBmp), int(kCollision),
    int(kLayerKind), int(kSpeed), int(kFramesTillReset), int(kVibration), int(kTriggerArea),
    // Targets.
    int(kTargetList), int(kMoveTargetUp), int(kMoveTargetDown), int(kAddTarget), int(kRemoveTarget), int(kPosition),
    int(kUpdateTarget), int(kTargetKind),
    // The buttons at the bottom, left to right.
    int(kOpen), int(kRecentProjects), int(kSave), int(kImportLevel), int(kQuit), int(kHelp), int(kGenerate),
};

} // namespace

std::span<const int> tabOrder()
{
    return kTabOrder;
}

void applyTabOrder(const std::map<int, QWidget*>& controls)
{
    QWidget* previous = nullptr;
    for (int id : kTabOrder) {
        auto found = controls.find(id);
        if (found == controls.end())
            continue;
        if (previous)
            QWidget::setTabOrder(previous, found->second);
        previous = found->second;
    }
}

} // namespace kes::editor
