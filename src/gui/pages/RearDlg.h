// CRearDlg: the Rear output (template 153), left and right.
#pragma once

#include "gui/pages/OutputDlg.h"

namespace zel {

class CRearDlg : public COutputDlg {
public:
    explicit CRearDlg(QWidget* parent = nullptr) : COutputDlg(kRearPage, parent) {}
};

} // namespace zel
