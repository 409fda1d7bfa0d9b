#include "app/app_icon.h"

namespace kes::editor {

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 64})
        icon.addFile(QStringLiteral(":/kesgen/icons/kesgen-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace kes::editor
