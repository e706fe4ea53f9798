// CAboutDlg: the About box (dialog 100) of the system menu.
#pragma once

#include <QDialog>

namespace zel {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace zel
