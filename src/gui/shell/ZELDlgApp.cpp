// CZELDlgApp: the order matters - language before the first text, defaults before any window.
#include "gui/shell/ZELDlgApp.h"

#include "app/Language.h"
#include "app/Startup.h"
#include "gui/res/AppIcon.h"
#include "gui/shell/ZELDlgDlg.h"
#include "platform/Locale.h"

#include <QApplication>

namespace zel {

CZELDlgApp::CZELDlgApp() = default;

CZELDlgApp::~CZELDlgApp() {
    Exit();
}

void CZELDlgApp::Start() {
    chooseLanguageFromLocale(systemDefaultLcid());
    startUp();
    QApplication::setWindowIcon(appIcon());
    m_mainWindow = std::make_unique<CZELDlgDlg>();
    m_mainWindow->show();
}

void CZELDlgApp::Exit() {
    m_mainWindow.reset();
}

} // namespace zel
