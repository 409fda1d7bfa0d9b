// The controls of the main dialog with their real types, bound once after the
// dialog is built from its description.
#pragma once

#include <map>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace kes::editor {

struct MainDialogControls {
    QPushButton* quit;
    QPushButton* save;
    QPushButton* open;
    QPushButton* importLevel;
    QPushButton* recentProjects;
    QPushButton* generate;

    // The level's settings.
    QLineEdit* title;
    QLineEdit* author;
    QLineEdit* versionMajor;
    QLineEdit* versionMinor;
    QLineEdit* startPosition;
    QLineEdit* backgroundColor;
    QLineEdit* framesLR;

    // Layers: the list and the form.
    QListWidget* layerList;
    QPushButton* addLayer;
    QPushButton* updateLayer;
    QPushButton* moveLayerUp;
    QPushButton* moveLayerDown;
    QPushButton* relink;
    QPushButton* removeLayer;
    QLineEdit* objFile;
    QPushButton* browseObj;
    QLineEdit* bmpFile;
    QPushButton* browseBmp;
    QCheckBox* draw;
    QCheckBox* collision;
    QComboBox* layerKind;
    QLineEdit* speed;
    QLineEdit* framesTillReset;
    QLineEdit* vibration;
    QLineEdit* triggerArea;

    // Targets: the list and the form.
    QListWidget* targetList;
    QPushButton* addTarget;
    QPushButton* updateTarget;
    QPushButton* moveTargetUp;
    QPushButton* moveTargetDown;
    QPushButton* removeTarget;
    QLineEdit* position;
    QComboBox* targetKind;
};

// The controls of `byId` (as the dialog builder returns them). Throws
// std::logic_error naming the id when a control is missing or of another
// type than the dialog expects, so that a wrong description fails at once.
MainDialogControls bindMainDialogControls(const std::map<int, QWidget*>& byId);

} // namespace kes::editor
