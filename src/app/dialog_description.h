// The editor's dialog as data: its size and every control with its id, kind,
// caption, rectangle and style, in creation order, which is also the keyboard
// tab order. Rectangles are in dialog units (see dialog_units.h).
#pragma once

#include <span>

namespace kes::editor {

// Ids of the controls that take part in commands.
enum ControlId : int {
    kNoId = -1,
    kQuit = 2,
    kBrowseObj = 1001,
    kSave = 1002,
    kOpen = 1004,
    kGenerate = 1007,
    kObjFile = 1009,
    kLayerList = 1011,
    kTitle = 1015,
    kAuthor = 1016,
    kVersionMajor = 1018,
    kVersionMinor = 1020,
    kBmpFile = 1023,
    kDraw = 1025,
    kCollision = 1027,
    kRemoveLayer = 1031,
    kAddLayer = 1032,
    kSpeed = 1034,
    kFramesTillReset = 1037,
    kVibration = 1038,
    kStartPosition = 1041,
    kBackgroundColor = 1043,
    kAddTarget = 1046,
    kRemoveTarget = 1048,
    kTargetList = 1049,
    kPosition = 1051,
    kTargetKind = 1053,
    kLayerKind = 1054,
    kFramesLR = 1056,
    kTriggerArea = 1057,
    kBrowseBmp = 1059,
    kRecentProjects = 1060,
    kUpdateLayer = 1061,
    kMoveLayerUp = 1062,
    kMoveLayerDown = 1063,
    kUpdateTarget = 1064,
    kMoveTargetUp = 1065,
    kMoveTargetDown = 1066,
    kRelink = 1067,
    kHelp = 1068,
    kImportLevel = 1069,
};

enum class ControlKind {
    PushButton,
    Label,
    GroupBox,
    Edit,          // single line
    ListBox,       // unsorted, one selected row at most
    CheckBox,
    DropDownList,  // a selection list the user can't type into
};

enum ControlStyle : unsigned {
    kPlain = 0,
    kDigitsOnly = 1, // an edit that accepts only digits as typed characters
};

struct ControlDescription {
    int id;                     // kNoId for labels and group boxes
    ControlKind kind;
    const char* caption;        // shown text of buttons, check boxes, labels, group boxes
    int x, y, width, height;    // dialog units
    unsigned style;             // ControlStyle flags
    const char* accessibleName; // what a screen reader announces; empty: the caption
};

inline constexpr char kDialogCaption[] = "Kestrin Level Generator";
inline constexpr int kDialogWidth = 454;  // dialog units
inline constexpr int kDialogHeight = 264; // dialog units
// A drop-down list is as tall as an edit while closed; its rectangle's height
// is the height of the opened list.
inline constexpr int kDropDownClosedHeight = 14;

// The controls of the dialog in creation (and tab) order.
std::span<const ControlDescription> dialogControls();

} // namespace kes::editor
