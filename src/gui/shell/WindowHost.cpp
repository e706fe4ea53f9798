// CWindowHost: the controller's requests as main-window operations.
#include "gui/shell/WindowHost.h"

#include "gui/modes/SystemDlg.h"
#include "gui/shell/ZELDlgDlg.h"

#include <QMessageBox>

#include <cstdio>

namespace zel {

MessageTarget& CWindowHost::messageTarget() {
    return m_window;
}

void CWindowHost::setTitle(const std::string& title) {
    m_window.setWindowTitle(QString::fromStdString(title));
    // Lets scripts and the start-up benchmark see the link state without a screen.
    if (qEnvironmentVariableIsSet("ZEL_TITLE_LOG")) {
        std::fprintf(stderr, "zel: title %s\n", title.c_str());
        std::fflush(stderr);
    }
}

void CWindowHost::startTimer(int id, std::chrono::milliseconds period) {
    m_window.setWindowTimer(id, static_cast<int>(period.count()));
}

void CWindowHost::stopTimer(int id) {
    m_window.killWindowTimer(id);
}

void CWindowHost::enableSystemPanel() {
    // The link only knows the panel as its message target.
    if (auto* panel = dynamic_cast<CSystemDlg*>(m_window.command().systemPanel()))
        panel->enablePage();
}

void CWindowHost::refreshFromStore() {
    m_window.RefreshFromStore();
}

void CWindowHost::showCommError(const std::string& text) {
    QMessageBox::critical(&m_window, QStringLiteral("Application Error"),
                          QString::fromStdString(text));
}

void CWindowHost::closeMainWindow() {
    m_window.close();
}

} // namespace zel
