// CRevDlg: the reverb's rows, texts and blocks as data for the effect page.
#include "gui/pages/RevDlg.h"

#include "model/DeviceParams.h"

namespace zel {

namespace {

using Target = SliderRow::Target;

// Reverb A / B: byteParam[4] / [8] level, [5] / [9] direct level; timeParam[2] / [12]
// pre-delay, [3] / [13] reverb time.
const SliderRow kLevel{
    3320,   3305, 0,   100,          kLabelInt,
    1,      0,    "%", Target::Byte, [](int e) { return &liveParams.byteParam[e != 0 ? 8 : 4]; },
    nullptr};
const SliderRow kDirect{
    3321,   3307, 0,   100,          kLabelInt,
    1,      0,    "%", Target::Byte, [](int e) { return &liveParams.byteParam[e != 0 ? 9 : 5]; },
    nullptr};
const SliderRow kHighPass{CRevDlg::IdHighPassSlider, 3311,    0,      205,
                          kLabelXoverFreq,           1,       0,      "Hz",
                          Target::HighPassFreq,      nullptr, nullptr};
const SliderRow kLowPass{CRevDlg::IdLowPassSlider, 3313,    298,    362,
                         kLabelXoverFreq,          1,       0,      "Hz",
                         Target::LowPassFreq,      nullptr, nullptr};
const SliderRow kPreDelay{
    3324, 3315, 0, 125, kLabelInt, 2, 0, "ms", Target::Word, nullptr, [](int e) {
        return &liveParams.timeParam[e != 0 ? 12 : 2];
    }};
// The reverb time goes in 62.5 ms steps.
const SliderRow kTime{CRevDlg::IdTimeSlider,
                      3317,
                      0,
                      80,
                      kLabelReal,
                      1,
                      0,
                      "ms",
                      Target::Word,
                      nullptr,
                      [](int e) { return &liveParams.timeParam[e != 0 ? 13 : 3]; },
                      62.5,
                      0.0};

const EffectRow kLevelRows[] = {
    {3304, &kLevel, CRevDlg::IdLevelPolarity, {2, 6}},
    {3306, &kDirect, CRevDlg::IdDirectPolarity, {3, 7}},
    {3310, &kHighPass, 0, {}},
    {3312, &kLowPass, 0, {}},
};
const EffectRow kDelayRows[] = {
    {3314, &kPreDelay, 0, {}},
    {3316, &kTime, 0, {}},
};

const ControlText kTexts[] = {
    {CRevDlg::IdEqReset, "EQ 重置", "EQ RESET"},
    {CRevDlg::IdEqBypass, "EQ BYPASS", "EQ BYPASS"},
    {CRevDlg::IdCopy, "拷贝", "COPY"},
    {CRevDlg::IdPreEq, "混响前置均衡", LabelPreEq.data()},
    {CRevDlg::IdPostEq, "混响后置均衡", LabelPostEq.data()},
    {1375, "音量", "Level"},
    {1376, "延时", "Delay"},
    {3304, "混响效果音量", "Reverb Level"},
    {3306, "混响直达声音量", "Direct Level"},
    {3310, "混响高通", "Reverb HPF"},
    {3312, "混响低通", "Reverb LPF"},
    {3314, "混响预延时", "Reverb Pre-Delay"},
    {3316, "混响延时", "Reverb Time"},
};

const EffectPage kReverb{
    626,
    164,
    {3, 6},
    {12, 14},
    CRevDlg::IdPreEq,
    CRevDlg::IdPostEq,
    CRevDlg::IdEqReset,
    CRevDlg::IdEqBypass,
    CRevDlg::IdCopy,
    1375,
    1376,
    kLevelRows,
    kDelayRows,
    {-1, -1},
    kCopyRevAToB,
    kCopyRevBToA,
    kTexts,
};

} // namespace

CRevDlg::CRevDlg(QWidget* parent) : CEffectDlg(kReverb, parent) {}

} // namespace zel
