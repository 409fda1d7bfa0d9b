// F1 and the "?" button: open the designer's guide, or say where it is when
// it can't be found or nothing can open it.
#pragma once

#include "app/platform_services.h"

class QWidget;

namespace kes::editor {

void showGuide(PlatformServices& services, QWidget& window);

} // namespace kes::editor
