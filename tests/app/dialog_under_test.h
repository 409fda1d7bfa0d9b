// The dialog that a test drives: a new main dialog with its scripted platform
// services. Test classes make one in init() and destroy it in cleanup(), and
// each test takes it with `auto& [services, dialog] = *dialogUnderTest;`.
#pragma once

#include "app/main_dialog.h"
#include "fake_platform_services.h"

namespace kes::editor_test {

struct DialogUnderTest {
    FakePlatformServices services;
    MainDialog dialog{services};
};

} // namespace kes::editor_test
