// CWindowHost: hosts the connection controller in the main window - titles, window timers,
// message boxes and the refresh after a synchronisation go to the window.
#pragma once

#include "app/ConnectionHost.h"

namespace zel {

class CZELDlgDlg;

class CWindowHost : public ConnectionHost {
public:
    explicit CWindowHost(CZELDlgDlg& window) : m_window(window) {}

    MessageTarget& messageTarget() override;
    void setTitle(const std::string& title) override;
    void startTimer(int id, std::chrono::milliseconds period) override;
    void stopTimer(int id) override;
    void enableSystemPanel() override;
    void refreshFromStore() override;
    void showCommError(const std::string& text) override;
    void closeMainWindow() override;

private:
    CZELDlgDlg& m_window;
};

} // namespace zel
