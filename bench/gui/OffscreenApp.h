// OffscreenApp: the one QApplication of a GUI benchmark program, on the off-screen platform
// unless the environment names another.
#pragma once

#include <QApplication>

namespace zel {

inline QApplication& offscreenApplication() {
    static int argc = 1;
    static char name[] = "gui_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace zel
