// CZELDlgApp: the order matters - language before the first text, defaults before any window.
#include "gui/shell/ZELDlgApp.h"

#include "app/Language.h"
#include "app/Startup.h"
#include "app/TextTables.h"
#include "gui/res/AppIcon.h"
#include "gui/shell/ZELDlgDlg.h"
#include "platform/Locale.h"

#include <QApplication>
#include <QMessageBox>

namespace zel {

CZELDlgApp::CZELDlgApp() = default;

CZELDlgApp::~CZELDlgApp() {
    Exit();
}

void CZELDlgApp::Start() {
    chooseLanguageFromLocale(systemDefaultLcid());
    startUp();
    QApplication::setWindowIcon(appIcon());
    // The user-facing results (passwords) as modal boxes over the window in front.
    setMessageSink([](std::string_view text) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZELDlg"),
                        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                        QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    });
    m_mainWindow = std::make_unique<CZELDlgDlg>();
    m_mainWindow->show();
}

void CZELDlgApp::Exit() {
    m_mainWindow.reset();
    setMessageSink(nullptr);
}

} // namespace zel
