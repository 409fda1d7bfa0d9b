#include "app/dialog_description.h"

#include <array>

namespace kes::editor {
namespace {

using K = ControlKind;

constexpr std::array kControls = std::to_array<ControlDescription>({
    {kQuit, K::PushButton, "Quit", 136, 248, 33, 14, kPlain, "Quit"},
    {kSave, K::PushButton, "Save...", 56, 248, 38, 14, kPlain, "Save..."},
    {kOpen, K::PushButton, "Open...", 2, 248, 38, 14, kPlain, "Open..."},
    {kRecentProjects, K::PushButton, "\xE2\x96\xBE", 41, 248, 13, 14, kPlain, "Recent projects"},
    {kGenerate, K::PushButton, "Generate Level...", 378, 248, 74, 14, kPlain, "Generate Level..."},
    {kNoId, K::Label, "1 Frame = 1/25 second.", 173, 251, 190, 8, kPlain, ""},
    {kNoId, K::GroupBox, " Layers ", 2, 69, 450, 126, kPlain, ""},
    {kNoId, K::GroupBox, " Metadata ", 2, 2, 223, 65, kPlain, ""},
    {kNoId, K::Label, "Title", 8, 16, 14, 8, kPlain, ""},
    {kTitle, K::Edit, "", 35, 13, 185, 14, kPlain, "Title"},
    {kNoId, K::Label, "Author", 8, 32, 22, 8, kPlain, ""},
    {kAuthor, K::Edit, "", 35, 29, 185, 14, kPlain, "Author"},
    {kNoId, K::Label, "Version", 6, 49, 24, 8, kPlain, ""},
    {kVersionMajor, K::Edit, "", 35, 46, 80, 14, kDigitsOnly, "Version"},
    {kNoId, K::Label, ".", 117, 49, 8, 8, kPlain, ""},
    {kVersionMinor, K::Edit, "", 122, 46, 98, 14, kDigitsOnly, "Minor version"},
    {kLayerList, K::ListBox, "", 8, 80, 90, 109, kPlain, "Layers"},
    {kObjFile, K::Edit, "", 184, 80, 211, 14, kPlain, "OBJ File"},
    {kNoId, K::Label, "OBJ File", 155, 83, 27, 8, kPlain, ""},
    {kAddLayer, K::PushButton, "< Add <", 118, 80, 32, 14, kPlain, "Add layer"},
    {kNoId, K::Label, "BMP File", 193, 99, 29, 8, kPlain, ""},
    {kBmpFile, K::Edit, "", 224, 96, 171, 14, kPlain, "BMP File"},
    {kDraw, K::CheckBox, "Draw", 155, 99, 33, 8, kPlain, "Draw"},
    {kCollision, K::CheckBox, "Collision", 155, 114, 41, 8, kPlain, "Collision"},
    {kLayerKind, K::DropDownList, "", 155, 128, 67, 90, kPlain, "Layer kind"},
    {kRemoveLayer, K::PushButton, "Remove", 118, 175, 32, 14, kPlain, "Remove layer"},
    {kSpeed, K::Edit, "", 271, 127, 176, 14, kPlain, "Speed [x,y,z]"},
    {kNoId, K::Label, "Speed [x,y,z]", 227, 130, 42, 8, kPlain, ""},
    {kNoId, K::Label, "Frames till reset/stop", 227, 146, 66, 8, kPlain, ""},
    {kFramesTillReset, K::Edit, "", 295, 143, 152, 14, kDigitsOnly, "Frames till reset/stop"},
    {kNoId, K::Label, "Vibration Width [x,y,z]", 227, 162, 69, 8, kPlain, ""},
    {kVibration, K::Edit, "", 298, 159, 149, 14, kPlain, "Vibration Width [x,y,z]"},
    {kNoId, K::Label, "Trigger Area [x1,x2,y1,y2,z1,z2]", 227, 178, 100, 8, kPlain, ""},
    {kTriggerArea, K::Edit, "", 329, 175, 118, 14, kPlain, "Trigger Area [x1,x2,y1,y2,z1,z2]"},
    {kNoId, K::GroupBox, " Basics ", 230, 2, 222, 65, kPlain, ""},
    {kNoId, K::Label, "Start Position [x,y,z,rx,ry,rz]", 235, 16, 84, 8, kPlain, ""},
    {kNoId, K::Label, "Background Color [r,g,b]", 235, 32, 78, 8, kPlain, ""},
    {kStartPosition, K::Edit, "", 321, 13, 128, 14, kPlain, "Start Position [x,y,z,rx,ry,rz]"},
    {kBackgroundColor, K::Edit, "", 315, 29, 134, 14, kPlain, "Background Color [r,g,b]"},
    {kNoId, K::GroupBox, " Targets ", 2, 197, 450, 46, kPlain, ""},
    {kTargetList, K::ListBox, "", 8, 208, 90, 29, kPlain, "Targets"},
    {kAddTarget, K::PushButton, "< Add <", 118, 208, 32, 14, kPlain, "Add target"},
    {kRemoveTarget, K::PushButton, "Remove", 118, 223, 32, 14, kPlain, "Remove target"},
    {kNoId, K::Label, "Position [x,y,z]", 155, 211, 46, 8, kPlain, ""},
    {kPosition, K::Edit, "", 203, 208, 244, 14, kPlain, "Position [x,y,z]"},
    {kTargetKind, K::DropDownList, "", 192, 224, 255, 40, kPlain, "Target kind"},
    {kNoId, K::Label, "Frames to use L/R", 235, 49, 60, 8, kPlain, ""},
    {kFramesLR, K::Edit, "", 297, 46, 152, 14, kDigitsOnly, "Frames to use L/R"},
    {kBrowseObj, K::PushButton, "Browse...", 397, 80, 50, 14, kPlain, "Browse OBJ file"},
    {kBrowseBmp, K::PushButton, "Browse...", 397, 96, 50, 14, kPlain, "Browse BMP file"},
    {kHelp, K::PushButton, "?", 363, 248, 14, 14, kPlain, "Help"},
    {kMoveLayerUp, K::PushButton, "\u25B2", 100, 80, 16, 14, kPlain, "Move layer up"},
    {kMoveLayerDown, K::PushButton, "\u25BC", 100, 95, 16, 14, kPlain, "Move layer down"},
    {kUpdateLayer, K::PushButton, "Update", 118, 95, 32, 14, kPlain, "Update layer"},
    {kRelink, K::PushButton, "Relink", 118, 160, 32, 14, kPlain, "Relink missing files"},
    {kMoveTargetUp, K::PushButton, "\u25B2", 100, 208, 16, 14, kPlain, "Move target up"},
    {kMoveTargetDown, K::PushButton, "\u25BC", 100, 223, 16, 14, kPlain, "Move target down"},
    {kUpdateTarget, K::PushButton, "Update", 155, 224, 34, 14, kPlain, "Update target"},
    {kImportLevel, K::PushButton, "Import...", 96, 248, 38, 14, kPlain, "Import level file"},
});

} // namespace

std::span<const ControlDescription> dialogControls()
{
    return kControls;
}

} // namespace kes::editor
