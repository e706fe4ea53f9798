// CZELDlgApp: the application object - language from the locale, the store and curve
// models, then the main window until it closes.
#pragma once

#include <memory>

namespace zel {

class CZELDlgDlg;

class CZELDlgApp {
public:
    CZELDlgApp();
    ~CZELDlgApp();

    // The start-up sequence up to the main window, which it creates and shows. Needs a
    // QApplication. The caller runs the event loop; closing the window ends it.
    void Start();
    // After the loop ended: the main window goes (closing the port first).
    void Exit();

    CZELDlgDlg* mainWindow() const { return m_mainWindow.get(); }

private:
    std::unique_ptr<CZELDlgDlg> m_mainWindow;
};

} // namespace zel
