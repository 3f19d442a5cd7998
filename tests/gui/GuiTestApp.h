#pragma once
// The one application object of the GUI test process, whichever test asks for it first.
#include "app/Application.h"

namespace qmtest {

inline qm::TApplication& GuiApp() {
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at process exit Qt's own globals may be gone before it.
    static qm::TApplication* app = new qm::TApplication(argc, argv);
    return *app;
}

} // namespace qmtest
