#include "app/main_dialog_controls.h"

#include <stdexcept>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/dialog_description.h"

namespace kes::editor {
namespace {

template <typename Widget>
void bindControl(Widget*& member, const std::map<int, QWidget*>& byId, int id)
{
    const auto found = byId.find(id);
    member = found == byId.end() ? nullptr : qobject_cast<Widget*>(found->second);
    if (!member) {
        throw std::logic_error("the main dialog has no control " + std::to_string(id) + " of type "
                               + Widget::staticMetaObject.className());
    }
}

} // namespace

MainDialogControls bindMainDialogControls(const std::map<int, QWidget*>& byId)
{
    MainDialogControls c{};
    bindControl(c.quit, byId, kQuit);
    bindControl(c.save, byId, kSave);
    bindControl(c.open, byId, kOpen);
    bindControl(c.importLevel, byId, kImportLevel);
    bindControl(c.recentProjects, byId, kRecentProjects);
    bindControl(c.generate, byId, kGenerate);
    bindControl(c.title, byId, kTitle);
    bindControl(c.author, byId, kAuthor);
    bindControl(c.versionMajor, byId, kVersionMajor);
    bindControl(c.versionMinor, byId, kVersionMinor);
    bindControl(c.startPosition, byId, kStartPosition);
    bindControl(c.backgroundColor, byId, kBackgroundColor);
    bindControl(c.framesLR, byId, kFramesLR);
    bindControl(c.layerList, byId, kLayerList);
    bindControl(c.addLayer, byId, kAddLayer);
    bindControl(c.removeLayer, byId, kRemoveLayer);
    bindControl(c.updateLayer, byId, kUpdateLayer);
    bindControl(c.moveLayerUp, byId, kMoveLayerUp);
    bindControl(c.moveLayerDown, byId, kMoveLayerDown);
    bindControl(c.relink, byId, kRelink);
    bindControl(c.objFile, byId, kObjFile);
    bindControl(c.browseObj, byId, kBrowseObj);
    bindControl(c.bmpFile, byId, kBmpFile);
    bindControl(c.browseBmp, byId, kBrowseBmp);
    bindControl(c.draw, byId, kDraw);
    bindControl(c.collision, byId, kCollision);
    bindControl(c.layerKind, byId, kLayerKind);
    bindControl(c.speed, byId, kSpeed);
    bindControl(c.framesTillReset, byId, kFramesTillReset);
    bindControl(c.vibration, byId, kVibration);
    bindControl(c.triggerArea, byId, kTriggerArea);
    bindControl(c.targetList, byId, kTargetList);
    bindControl(c.addTarget, byId, kAddTarget);
    bindControl(c.removeTarget, byId, kRemoveTarget);
    bindControl(c.updateTarget, byId, kUpdateTarget);
    bindControl(c.moveTargetUp, byId, kMoveTargetUp);
    bindControl(c.moveTargetDown, byId, kMoveTargetDown);
    bindControl(c.position, byId, kPosition);
    bindControl(c.targetKind, byId, kTargetKind);
    return c;
}

} // namespace kes::editor
