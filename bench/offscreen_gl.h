// An OpenGL 3.3 core context, current on an offscreen surface: what the
// benchmarks draw and upload with, as the preview's view does.
#pragma once

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

namespace kes::bench {

struct OffscreenGl {
    QOpenGLContext context;
    QOffscreenSurface surface;

    // False when this display offers no such context.
    bool start()
    {
        QSurfaceFormat format;
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
        context.setFormat(format);
        surface.setFormat(format);
        surface.create();
        return context.create() && context.makeCurrent(&surface);
    }
};

} // namespace kes::bench
