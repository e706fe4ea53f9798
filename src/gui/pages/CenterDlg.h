// CCenterDlg: the Center output (template 151), with its high-pass filter.
#pragma once

#include "gui/pages/OutputDlg.h"

namespace zel {

class CCenterDlg : public COutputDlg {
public:
    explicit CCenterDlg(QWidget* parent = nullptr) : COutputDlg(kCenterPage, parent) {}
};

} // namespace zel
