// Whether this display can run the preview's drawing.
#pragma once

#include <QString>

namespace kes::editor {

// Empty when an OpenGL 3.3 core context can be made and used here; otherwise
// why not, in words for the designer. Checked once per run.
QString openGLUnavailableReason();

} // namespace kes::editor
