// Writes a picture of the editor, for the README:
//   xvfb-run -a editor_screenshot OUTPUT.png [PROJECT.kgp [LAYER_ROW]]
// Opens the project (if given), selects the layer row (if given) so that the
// form shows it and the preview highlights it, waits until the preview has
// read the level's files, and saves the window's image.
#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

#include "app/app_icon.h"
#include "app/dialog_description.h"
#include "app/main_dialog.h"
#include "app/preview/preview_pane.h"
#include "app/qt_platform_services.h"
#include "app/startup.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: editor_screenshot OUTPUT.png [PROJECT.kgp [LAYER_ROW]]\n");
        return 2;
    }
    QApplication::setWindowIcon(kes::editor::applicationIcon());
    kes::editor::QtPlatformServices services;
    const QStringList startArguments = arguments.size() > 2 ? QStringList{arguments[0], arguments[2]}
                                                            : QStringList{arguments[0]};
    kes::editor::MainDialog dialog(services, kes::editor::startupProjectPath(startArguments));
    dialog.show();
    if (arguments.size() > 3)
        dialog.controlAs<QListWidget>(kes::editor::kLayerList)->setCurrentRow(arguments[3].toInt());

    int status = 1;
    QTimer poll;
    int waited = 0;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        const auto& scene = dialog.preview()->scene();
        const bool loaded = scene && scene->loadingLayers() == 0;
        if (!loaded && (waited += poll.interval()) < 20000)
            return;
        poll.stop();
        // One more moment for the view to draw what arrived.
        QTimer::singleShot(300, &dialog, [&] {
            status = dialog.grab().save(arguments[1]) ? 0 : 1;
            dialog.done(0);
        });
    });
    poll.start(100);
    dialog.exec();
    return status;
}
