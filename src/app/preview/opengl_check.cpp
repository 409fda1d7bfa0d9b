#include "app/preview/opengl_check.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <optional>

namespace kes::editor {
namespace {

QString check()
{
    const QString platform = QGuiApplication::platformName();
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    QOpenGLContext context;
    context.setFormat(format);
    if (!context.create())
        return QStringLiteral("there is no OpenGL on this display (platform '%1')").arg(platform);
    if (context.isOpenGLES() || context.format().version() < qMakePair(3, 3))
        return QStringLiteral("the preview needs OpenGL 3.3, and this display offers %1.%2")
            .arg(context.format().majorVersion())
            .arg(context.format().minorVersion());
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return QStringLiteral("OpenGL can't draw on this display (platform '%1')").arg(platform);
    context.doneCurrent();
    return {};
}

} // namespace

QString openGLUnavailableReason()
{
    static const QString reason = check();
    return reason;
}

} // namespace kes::editor
