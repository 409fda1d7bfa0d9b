// kesgen: the level editor. Takes one optional argument, a project file to
// open at start.
#include <QApplication>

#include "app/app_icon.h"
#include "app/main_dialog.h"
#include "app/qt_platform_services.h"
#include "app/startup.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kesgen"));
    // Where the recent projects (QSettings) and recovery copies are kept.
    QApplication::setOrganizationName(QStringLiteral("kesgen"));
    QApplication::setWindowIcon(kes::editor::applicationIcon());

    kes::editor::QtPlatformServices services;
    kes::editor::MainDialog dialog(services, kes::editor::startupProjectPath(QApplication::arguments()));
    dialog.exec();
    return 0;
}
