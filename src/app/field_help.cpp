#include "app/field_help.h"

#include <array>

#include <QLineEdit>
#include <QString>
#include <QWidget>

#include "app/dialog_description.h"
#include "app/whole_text_tip.h"

namespace kes::editor {
namespace {

// Lengths and positions are in the level's units, those of the meshes'
// coordinates; times in frames of 1/25 second. Numbers use "." as the
// decimal point and "," between them.
constexpr std::array kFieldHelp = std::to_array<FieldHelp>({
    {kTitle, "The level's title, stored in the level file's header.\nText, at most 249 characters.\nExample: Example Valley"},
    {kAuthor, "Who made the level, stored in the level file's header.\nText, at most 249 characters.\nExample: kesgen"},
    {kVersionMajor, "The level's major version (left of the point).\nWhole number, 0 to 65535.\nExample: 1"},
    {kVersionMinor, "The level's minor version (right of the point).\nWhole number, 0 to 65535.\nExample: 2"},
    {kStartPosition,
     "Where the player starts (x,y,z) and how the player is turned there (rx,ry,rz).\n"
     "Six numbers separated by commas; positions in level units (y is up), rotations as the game reads them.\n"
     "Example: 0.0,1.0,-15.0,0.0,0.0,0.0"},
    {kBackgroundColor,
     "The colour behind the level: red, green, blue.\nThree numbers from 0.0 (none) to 1.0 (full).\n"
     "Example: 0.4,0.6,0.9 (a light blue)"},
    {kFramesLR,
     "How many frames the game uses for the left/right controls.\n"
     "Whole number of frames; 1 frame = 1/25 second, so 25 is one second.\nExample: 25"},
    {kLayerList, "The level's layers, drawn in this order. Select a row to show the layer in the form."},
    {kObjFile,
     "The layer's mesh: a Wavefront OBJ file of triangles with texture coordinates and normals.\n"
     "For Animated and Animated-Trigger layers of several frames, the base name: wave.obj reads\n"
     "wave_000001.obj, wave_000002.obj and so on.\nA path; relative paths start at the project's folder.\n"
     "Example: ground.obj"},
    {kBmpFile,
     "The layer's texture: an uncompressed 24-bit BMP file (needed when Draw is on).\n"
     "A path; relative paths start at the project's folder.\nExample: grass.bmp"},
    {kDraw, "On: the layer is drawn with its texture (BMP File). Off: it is not drawn, for example an invisible wall."},
    {kCollision, "On: the player collides with the layer's triangles. Off: the player passes through."},
    {kLayerKind,
     "How the layer behaves. Static: stands still. Moving: moves by Speed each frame, for Frames till\n"
     "reset/stop frames. Vibrating: swings by up to Vibration Width, at Speed. Trigger: moves like Moving\n"
     "once the player enters Trigger Area. Animated: plays its mesh files, one per frame.\n"
     "Animated-Trigger: plays them once the player enters Trigger Area."},
    {kSpeed,
     "How far the layer moves in each frame along x, y and z (Moving, Vibrating, Trigger).\n"
     "Three numbers in level units per frame (1/25 second).\nExample: 0.0,0.05,0.0 (up by 1.25 units a second)"},
    {kFramesTillReset,
     "Moving and Trigger: how many frames the movement lasts before the layer resets or stops.\n"
     "Animated and Animated-Trigger: how many mesh files (frames) the animation has.\n"
     "Whole number of frames, not 0; 1 frame = 1/25 second.\nExample: 100 (four seconds)"},
    {kVibration,
     "How far the layer swings along x, y and z (Vibrating).\nThree numbers in level units.\n"
     "Example: 0.25,0.0,0.25"},
    {kTriggerArea,
     "The box the player must enter to start the layer (Trigger, Animated-Trigger):\n"
     "from x1 to x2, y1 to y2 and z1 to z2.\nSix numbers in level units, in the order x1,x2,y1,y2,z1,z2.\n"
     "Example: -5,5,0,3,-5,5"},
    {kTargetList, "The level's targets. Select a row to show the target in the form."},
    {kPosition, "Where the target is: x, y, z.\nThree numbers in level units (y is up).\nExample: 15.0,1.0,15.0"},
    {kTargetKind,
     "Green: touching the target wins the level.\nRed: touching the target resets the player's speed (a brake)."},
    {kBrowseObj, "Choose the layer's OBJ file."},
    {kBrowseBmp, "Choose the layer's BMP file."},
    {kAddLayer, "Add the form as a new layer at the end of the list."},
    {kRemoveLayer, "Remove the selected layer (or press Delete in the list)."},
    {kUpdateLayer, "Write the form into the selected layer, keeping its place in the list."},
    {kMoveLayerUp, "Move the selected layer one row up."},
    {kMoveLayerDown, "Move the selected layer one row down."},
    {kRelink, "Point missing mesh and texture paths at the files of the same name in the project's folder."},
    {kAddTarget, "Add the form as a new target at the end of the list."},
    {kRemoveTarget, "Remove the selected target (or press Delete in the list)."},
    {kUpdateTarget, "Write the form into the selected target, keeping its place in the list."},
    {kMoveTargetUp, "Move the selected target one row up."},
    {kMoveTargetDown, "Move the selected target one row down."},
    {kOpen, "Open a project file (.kgp)."},
    {kRecentProjects, "Open one of the projects last opened or saved."},
    {kSave, "Save the level as a project file (.kgp)."},
    {kImportLevel, "Import level file: turn a level file (.kes) into a new project, with its meshes and textures, "
                   "and open it."},
    {kQuit, "Close the editor."},
    {kGenerate, "Write the level file (.kes) that the game loads."},
    {kHelp, "Open the designer's guide (F1)."},
});

} // namespace

std::span<const FieldHelp> fieldHelp()
{
    return kFieldHelp;
}

void applyFieldHelp(const std::map<int, QWidget*>& controls)
{
    for (const FieldHelp& help : kFieldHelp) {
        auto found = controls.find(help.id);
        if (found == controls.end())
            continue;
        found->second->setToolTip(QString::fromUtf8(help.text));
        if (auto* field = qobject_cast<QLineEdit*>(found->second))
            showWholeTextInTip(*field);
    }
}

} // namespace kes::editor
