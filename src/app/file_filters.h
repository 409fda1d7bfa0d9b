// The filters of the editor's file dialogs.
#pragma once

#include "app/platform_services.h"

namespace kes::editor {

inline const FileFilter kProjectFilter{"Kestrin Level Generator Projects (*.kgp)", "*.kgp", "kgp"};
inline const FileFilter kLevelFilter{"Kestrin Level Files (*.kes)", "*.kes", "kes"};
inline const FileFilter kObjFilter{"Wavefront OBJ (Triangulated, with Normals and UV Coords)(*.obj)", "*.obj", "obj"};
inline const FileFilter kBmpFilter{"Bitmap Texture (24 bit)(*.bmp)", "*.bmp", "bmp"};

} // namespace kes::editor
