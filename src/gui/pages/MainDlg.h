// CMainDlg: the Main output (template 150), left and right.
#pragma once

#include "gui/pages/OutputDlg.h"

namespace zel {

class CMainDlg : public COutputDlg {
public:
    explicit CMainDlg(QWidget* parent = nullptr) : COutputDlg(kMainPage, parent) {}
};

} // namespace zel
