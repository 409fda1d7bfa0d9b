// The dialog that a test drives: a new main dialog with its scripted platform
// services. Test classes make one in init() and destroy it in cleanup(), and
// each test takes it with `auto& [services, dialog] = *dialogUnderTest;`.
#pragma once

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cstdlib>
#include <memory>

#include "app/main_dialog.h"
#include "fake_platform_services.h"
#include "support/temp_dir.h"

namespace kes::editor_test {

// Keeps the editor's per-user files (recovery copies, recent projects) of
// this test program in a temporary home folder of its own, and leaves them
// empty for the next test when it goes. Make one before any dialog.
class TestUserFolders {
public:
    TestUserFolders()
    {
        static const std::unique_ptr<kes::test::TempDir> home = [] {
            auto folder = std::make_unique<kes::test::TempDir>();
            qputenv("HOME", folder->path().string().c_str());
            qunsetenv("XDG_DATA_HOME");
            qunsetenv("XDG_CONFIG_HOME");
            QStandardPaths::setTestModeEnabled(true);
            return folder;
        }();
        (void)home;
    }
    ~TestUserFolders()
    {
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
        QSettings().clear();
    }
};

struct DialogUnderTest : TestUserFolders {
    FakePlatformServices services;
    MainDialog dialog{services};
};

} // namespace kes::editor_test
