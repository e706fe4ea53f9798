// zel: the desktop control program.
#include "gui/shell/ZELDlgApp.h"
#include "platform/Display.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (!zel::displayAvailable()) {
        // Qt would abort without a display; say how to run instead.
        std::fprintf(stderr, "zel: no display - start it in a desktop session (or with "
                             "QT_QPA_PLATFORM=offscreen); zelctl works without one\n");
        return 1;
    }
    QApplication app(argc, argv);
    zel::CZELDlgApp zelApp;
    zelApp.Start();
    const int rc = QApplication::exec();
    zelApp.Exit();
    return rc;
}
