// MainWindowFixture: set-up and tear-down shared by the main-window and page tests.
#include "MainWindowFixture.h"

#include "app/Startup.h"
#include "model/Defaults.h"
#include "model/Globals.h"
#include "modes/ModePaths.h"

#include <QCoreApplication>

namespace zel::test {

void MainWindowFixture::SetUp() {
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path().toStdString());
    startUp();
    initDefaults();
    initModePaths();
    g_bChinese = 0;
    g_systemLcid = 0x0409;
    g_bHotkeysEnabled = 1;
}

void MainWindowFixture::TearDown() {
    window.reset();
    std::filesystem::current_path(oldCwd);
    g_bChinese = 0;
    g_currentPage = 0;
}

void MainWindowFixture::openWindow() {
    window = std::make_unique<CZELDlgDlg>([](std::vector<SerialPortInfo>&) {});
    showActive(*window);
    deliver();
}

void MainWindowFixture::openWindowOn(const std::string& link) {
    window = std::make_unique<CZELDlgDlg>([link](std::vector<SerialPortInfo>& list) {
        SerialPortInfo info;
        info.portName = link;
        info.openName = link;
        list.push_back(info);
    });
    showActive(*window);
}

void MainWindowFixture::deliver() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace zel::test
