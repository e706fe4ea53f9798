// CSubDlg: the Subwoofer output (template 152), between its high-pass and low-pass crossovers.
#pragma once

#include "gui/pages/OutputDlg.h"

namespace zel {

class CSubDlg : public COutputDlg {
public:
    explicit CSubDlg(QWidget* parent = nullptr) : COutputDlg(kSubPage, parent) {}
};

} // namespace zel
