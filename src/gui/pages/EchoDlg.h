// CEchoDlg: the page of both echo effects - pre-EQ and post-EQ, levels with polarities,
// high-pass, low-pass and high-damp, delays, repeat and the right channel's offsets.
#pragma once

#include "gui/pages/EffectDlg.h"

namespace zel {

class CEchoDlg : public CEffectDlg {
    Q_OBJECT

public:
    static constexpr int IdEqReset = 3200;
    static constexpr int IdEqBypass = 3201;
    static constexpr int IdCopy = 1343;
    static constexpr int IdPreEq = 1337;
    static constexpr int IdPostEq = 1341;
    static constexpr int IdLevelPolarity = 1114;
    static constexpr int IdDirectPolarity = 3441;
    static constexpr int IdHighPassSlider = 3233;
    static constexpr int IdLowPassSlider = 3234;
    static constexpr int IdHighDampSlider = 3235;

    explicit CEchoDlg(QWidget* parent = nullptr);
};

} // namespace zel
