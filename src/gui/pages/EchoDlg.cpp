// CEchoDlg: the echo's rows, texts and blocks as data for the effect page.
#include "gui/pages/EchoDlg.h"

#include "model/DeviceParams.h"

namespace zel {

namespace {

using Target = SliderRow::Target;

// Echo A / B: byteParam[2] / [6] level, [3] / [7] direct level, [0] / [1] repeat,
// [30] / [31] right pre-delay, [32] / [33] right delay; timeParam[0] / [10] pre-delay,
// [1] / [11] delay; filter[11] / [14] the high-damp.
const SliderRow kLevel{
    3230,   3203, 0,   100,          kLabelInt,
    1,      0,    "%", Target::Byte, [](int e) { return &liveParams.byteParam[e != 0 ? 6 : 2]; },
    nullptr};
const SliderRow kDirect{
    3232,   3213, 0,   100,          kLabelInt,
    1,      0,    "%", Target::Byte, [](int e) { return &liveParams.byteParam[e != 0 ? 7 : 3]; },
    nullptr};
const SliderRow kHighPass{
    CEchoDlg::IdHighPassSlider, 3215,    0,      205, kLabelXoverFreq, 1, 0, "Hz",
    Target::HighPassFreq,       nullptr, nullptr};
const SliderRow kLowPass{CEchoDlg::IdLowPassSlider, 3217,    298,    362,
                         kLabelXoverFreq,           1,       0,      "Hz",
                         Target::LowPassFreq,       nullptr, nullptr};
const SliderRow kHighDamp{CEchoDlg::IdHighDampSlider,
                          3219,
                          298,
                          362,
                          kLabelXoverFreq,
                          1,
                          0,
                          "Hz",
                          Target::Word,
                          nullptr,
                          [](int e) { return &liveParams.filter[e != 0 ? 14 : 11].freq; }};
const SliderRow kPreDelay{
    3231, 3211, 0, 125, kLabelInt, 2, 0, "ms", Target::Word, nullptr, [](int e) {
        return &liveParams.timeParam[e != 0 ? 10 : 0];
    }};
const SliderRow kDelay{3236, 3221, 0, 250, kLabelInt, 2, 0, "ms", Target::Word, nullptr, [](int e) {
                           return &liveParams.timeParam[e != 0 ? 11 : 1];
                       }};
const SliderRow kRepeat{
    3237,   3223, 0,   90,           kLabelInt,
    1,      0,    "%", Target::Byte, [](int e) { return &liveParams.byteParam[e != 0 ? 1 : 0]; },
    nullptr};
const SliderRow kRightPreDelay{
    3238,   3225, 0,   50,           kLabelInt,
    1,      0,    "%", Target::Byte, [](int e) { return &liveParams.byteParam[e != 0 ? 31 : 30]; },
    nullptr};
// The right channel's delay is an offset around the left's: index 50 is no offset.
const SliderRow kRightDelay{
    3239,   3227, 0,   100,          kLabelInt,
    1,      50,   "%", Target::Byte, [](int e) { return &liveParams.byteParam[e != 0 ? 33 : 32]; },
    nullptr};

const EffectRow kLevelRows[] = {
    {3202, &kLevel, CEchoDlg::IdLevelPolarity, {0, 4}},
    {3212, &kDirect, CEchoDlg::IdDirectPolarity, {1, 5}},
    {3214, &kHighPass, 0, {}},
    {3216, &kLowPass, 0, {}},
    {3218, &kHighDamp, 0, {}},
};
const EffectRow kDelayRows[] = {
    {3210, &kPreDelay, 0, {}},      {3220, &kDelay, 0, {}},      {3222, &kRepeat, 0, {}},
    {3224, &kRightPreDelay, 0, {}}, {3226, &kRightDelay, 0, {}},
};

const ControlText kTexts[] = {
    {CEchoDlg::IdEqReset, "EQ 重置", "EQ RESET"},
    {CEchoDlg::IdEqBypass, "EQ BYPASS", "EQ BYPASS"},
    {CEchoDlg::IdCopy, "拷贝", "COPY"},
    {CEchoDlg::IdPreEq, "回声前置均衡", LabelPreEq.data()},
    {CEchoDlg::IdPostEq, "回声后置均衡", LabelPostEq.data()},
    {1374, "音量", "Level"},
    {1373, "延时", "Delay"},
    {3202, "回声效果音量", "ECHO Level"},
    {3212, "回声直达声音量", "Direct Level"},
    {3214, "回声高通", "ECHO HPF"},
    {3216, "回声低通", "ECHO LPF"},
    {3218, "回声HighDamp", "ECHO HighDamp"},
    {3210, "回声预延时", "ECHO Pre-Delay"},
    {3220, "回声延时", "ECHO Dealy"},
    {3222, "回声重复比例", "ECHO　Repeat"},
    {3224, "回声右预延时", "ECHO R CH Pre-Delay"},
    {3226, "回声右延时", "ECHO R CH Delay Time"},
};

const EffectPage kEcho{
    780,
    164,
    {2, 5},
    {11, 13},
    CEchoDlg::IdPreEq,
    CEchoDlg::IdPostEq,
    CEchoDlg::IdEqReset,
    CEchoDlg::IdEqBypass,
    CEchoDlg::IdCopy,
    1374,
    1373,
    kLevelRows,
    kDelayRows,
    {11, 14},
    kCopyEchoAToB,
    kCopyEchoBToA,
    kTexts,
};

} // namespace

CEchoDlg::CEchoDlg(QWidget* parent) : CEffectDlg(kEcho, parent) {}

} // namespace zel
