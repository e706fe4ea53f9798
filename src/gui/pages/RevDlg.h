// CRevDlg: the page of both reverb effects - pre-EQ and post-EQ, levels with polarities,
// high-pass and low-pass, pre-delay and reverb time.
#pragma once

#include "gui/pages/EffectDlg.h"

namespace zel {

class CRevDlg : public CEffectDlg {
    Q_OBJECT

public:
    static constexpr int IdEqReset = 3300;
    static constexpr int IdEqBypass = 3301;
    static constexpr int IdCopy = 1337;
    static constexpr int IdPreEq = 1362;
    static constexpr int IdPostEq = 1363;
    static constexpr int IdLevelPolarity = 3302;
    static constexpr int IdDirectPolarity = 3303;
    static constexpr int IdHighPassSlider = 3322;
    static constexpr int IdLowPassSlider = 3323;
    static constexpr int IdTimeSlider = 3325;

    explicit CRevDlg(QWidget* parent = nullptr);
};

} // namespace zel
