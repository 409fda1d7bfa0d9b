// The application's icon.
#pragma once

#include <QIcon>

namespace kes::editor {

// The icon in its 16, 32 and 64 pixel images.
QIcon applicationIcon();

} // namespace kes::editor
