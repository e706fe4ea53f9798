// OutputPage: the table of differences of Main, Center, Subwoofer and Rear.
#include "gui/pages/OutputPage.h"

#include "gui/pages/SceneBank.h"
#include "model/DeviceParams.h"

namespace zel {

namespace {

using Target = SliderRow::Target;

// A level of the music scene shown; none while Auto, so a level slider then only shows.
template <int Index> std::uint8_t* sceneLevel(int bank) {
    return bank < 0 ? nullptr : bankByteParam(Index, bank);
}
template <int C> std::uint8_t* threshold(int) {
    return &liveParams.compressor[C].threshold;
}
template <int C> std::uint8_t* attack(int) {
    return &liveParams.compressor[C].attack;
}
template <int C> std::uint8_t* release(int) {
    return &liveParams.compressor[C].release;
}
template <int C> std::uint8_t* ratio(int) {
    return &liveParams.compressor[C].ratio;
}
template <int T> U16le* delay(int) {
    return &liveParams.timeParam[T];
}

constexpr SliderRow levelRow(int slider, int label, std::uint8_t* (*field)(int)) {
    return {slider, label, 0, 250, kLabelInt, 2, 0, "%", Target::Byte, field, nullptr};
}

// Music, direct, echo and reverb levels from byteParam[First]; sliders and labels in a run.
template <int First> constexpr std::array<SliderRow, 4> levelRows(int slider, int label) {
    return {{levelRow(slider, label, sceneLevel<First>),
             levelRow(slider + 1, label + 1, sceneLevel<First + 1>),
             levelRow(slider + 2, label + 2, sceneLevel<First + 2>),
             levelRow(slider + 3, label + 3, sceneLevel<First + 3>)}};
}

// Threshold, attack, release and ratio of compressor[C]; sliders and labels in a run.
template <int C> constexpr std::array<SliderRow, 4> limiterRows(int slider, int label) {
    return {{
        {slider, label, 0, 34, kLabelInt, 1, 20, "dB", Target::Byte, threshold<C>, nullptr},
        {slider + 1, label + 1, 0, 15, kLabelAttackTime, 1, 0, "ms", Target::Byte, attack<C>,
         nullptr},
        {slider + 2, label + 2, 0, 7, kLabelCompRelease, 1, 0, nullptr, Target::Byte, release<C>,
         nullptr},
        {slider + 3, label + 3, 0, 40, kLabelRatio, 1, 0, nullptr, Target::Byte, ratio<C>, nullptr},
    }};
}

// 0.0 .. 50.0 ms; the Subwoofer's runs -50.0 .. +50.0 ms around its middle.
template <int T> constexpr SliderRow delayRow(int slider, int label, bool centred) {
    return {slider,  label,    0,   centred ? 1000 : 500, kLabelReal, 1, 0, "ms", Target::Word,
            nullptr, delay<T>, 0.1, centred ? 50.0 : 0.0};
}

constexpr SliderRow xoverFreqRow(int slider, int label, Target target, const char* unit) {
    return {slider, label, 0, 143, kLabelXoverFreq, 1, 0, unit, target, nullptr, nullptr};
}
constexpr SliderRow userQRow(int slider, int label, Target target) {
    return {slider, label, 0, 23, kLabelUserQ, 1, 0, nullptr, target, nullptr, nullptr};
}

// ---- Main (150) ----
const auto kMainLevels = levelRows<10>(3460, 3420);
const auto kMainLimiter = limiterRows<3>(3464, 3424);
const SliderRow kMainDelays[2] = {delayRow<4>(3468, 3428, false), delayRow<5>(3469, 3429, false)};
const OutputChannel kMainChannels[2] = {
    {0, 3446, 3447, 3408, 3410, &kMainDelays[0]},
    {1, 3448, 3449, 3409, 3411, &kMainDelays[1]},
};
const ControlText kMainTexts[] = {
    {3408, "左通道", "L-CH"},
    {3409, "右通道", "R-CH"},
    {3410, "左通道延时", "L-CH Delay"},
    {3411, "右通道延时", "R-CH Delay"},
};

// ---- Center (151) ----
const auto kCenterLevels = levelRows<14>(3630, 3620);
const auto kCenterLimiter = limiterRows<5>(3634, 3624);
const SliderRow kCenterDelay = delayRow<6>(3639, 3629, false);
const OutputChannel kCenterChannels[1] = {{3, 3606, 3607, 0, 3619, &kCenterDelay}};
const SliderRow kCenterXover[1] = {xoverFreqRow(3638, 3628, Target::HighPassFreq, nullptr)};
const ControlText kCenterTexts[] = {
    {3619, "延时", "Delay"},
    {xover::CenterHighPassCaption, "高通", "HPF"},
    {xover::CenterSlopeCaption, "滤波器斜率", "LPH"},
};

// ---- Subwoofer (152) ----
const auto kSubLevels = levelRows<22>(3750, 3730);
const auto kSubLimiter = limiterRows<4>(3754, 3734);
const SliderRow kSubDelay = delayRow<7>(3761, 3739, true);
const OutputChannel kSubChannels[1] = {{2, 3706, 3707, 0, 3721, &kSubDelay}};
const SliderRow kSubXover[4] = {
    xoverFreqRow(3758, 3738, Target::HighPassFreq, "Hz"),
    userQRow(3762, 3742, Target::HighPassUserQ),
    xoverFreqRow(3759, 3740, Target::LowPassFreq, "Hz"),
    userQRow(3760, 3741, Target::LowPassUserQ),
};
const ControlText kSubTexts[] = {
    {3721, "延时", "Delay"},
    {xover::SubHighPassCaption, "高通", "HPF"},
    {xover::SubHighPassQCaption, "高通Q值", "HPF Q"},
    {xover::SubHighPassTypeCaption, "滤波器斜率", "Slope/OCT"},
    {xover::SubLowPassCaption, "低通", "LPF"},
    {xover::SubLowPassQCaption, "低通Q值", "LPF Q"},
    {xover::SubLowPassTypeCaption, "滤波器斜率", "Slope/OCT"},
};

// ---- Rear (153) ----
const auto kRearLevels = levelRows<18>(3540, 3530);
const auto kRearLimiter = limiterRows<6>(3544, 3534);
const SliderRow kRearDelays[2] = {delayRow<8>(3548, 3538, false), delayRow<9>(3549, 3539, false)};
const OutputChannel kRearChannels[2] = {
    {4, 3506, 3508, 3520, 3518, &kRearDelays[0]},
    {5, 3507, 3509, 3521, 3519, &kRearDelays[1]},
};
const ControlText kRearTexts[] = {
    {3520, "左通道", "L-CH"},
    {3521, "右通道", "R-CH"},
    {3518, "左通道延时", "L-CH Delay"},
    {3519, "右通道延时", "R-CH Delay"},
};

} // namespace

const OutputPage kMainPage{
    .blockId = 7,
    .templateWidthDlu = 878,
    .bands = 5,
    .eqResetId = 3442,
    .eqBypassId = 3443,
    .levelGroupId = 1377,
    .limiterGroupId = 1378,
    .firstPhase = 8,
    .levelCaptionIds = {3400, 3401, 3402, 3403},
    .polarityIds = {3444, 3445, 3440, 3450},
    .limiterCaptionIds = {3404, 3405, 3406, 3407},
    .levels = kMainLevels,
    .limiter = kMainLimiter,
    .channels = kMainChannels,
    .crossover = OutputPage::Crossover::None,
    .highPassFilter = -1,
    .lowPassFilter = -1,
    .crossoverRows = {},
    .texts = kMainTexts,
    .bindsOnSceneEntry = true,
    .attachesAtSetUp = false,
};

const OutputPage kCenterPage{
    .blockId = 8,
    .templateWidthDlu = 914,
    .bands = 5,
    .eqResetId = 3600,
    .eqBypassId = 3601,
    .levelGroupId = 1380,
    .limiterGroupId = 1379,
    .firstPhase = 12,
    .levelCaptionIds = {3610, 3611, 3612, 3613},
    .polarityIds = {3602, 3603, 3604, 3605},
    .limiterCaptionIds = {3614, 3615, 3616, 3617},
    .levels = kCenterLevels,
    .limiter = kCenterLimiter,
    .channels = kCenterChannels,
    .crossover = OutputPage::Crossover::HighPass,
    .highPassFilter = 3,
    .lowPassFilter = -1,
    .crossoverRows = kCenterXover,
    .texts = kCenterTexts,
    .bindsOnSceneEntry = true,
    .attachesAtSetUp = true,
};

const OutputPage kSubPage{
    .blockId = 9,
    .templateWidthDlu = 904,
    .bands = 3,
    .eqResetId = 3700,
    .eqBypassId = 3701,
    .levelGroupId = 1382,
    .limiterGroupId = 1381,
    .firstPhase = 20,
    .levelCaptionIds = {3710, 3711, 3712, 3713},
    .polarityIds = {3702, 3703, 3704, 3705},
    .limiterCaptionIds = {3714, 3715, 3716, 3717},
    .levels = kSubLevels,
    .limiter = kSubLimiter,
    .channels = kSubChannels,
    .crossover = OutputPage::Crossover::Subwoofer,
    .highPassFilter = 4,
    .lowPassFilter = 15,
    .crossoverRows = kSubXover,
    .texts = kSubTexts,
    .bindsOnSceneEntry = false,
    .attachesAtSetUp = true,
};

const OutputPage kRearPage{
    .blockId = 10,
    .templateWidthDlu = 917,
    .bands = 10,
    .eqResetId = 3500,
    .eqBypassId = 3501,
    .levelGroupId = 1384,
    .limiterGroupId = 1383,
    .firstPhase = 16,
    .levelCaptionIds = {3510, 3511, 3512, 3513},
    .polarityIds = {3502, 3503, 3504, 3505},
    .limiterCaptionIds = {3514, 3515, 3516, 3517},
    .levels = kRearLevels,
    .limiter = kRearLimiter,
    .channels = kRearChannels,
    .crossover = OutputPage::Crossover::None,
    .highPassFilter = -1,
    .lowPassFilter = -1,
    .crossoverRows = {},
    .texts = kRearTexts,
    .bindsOnSceneEntry = false,
    .attachesAtSetUp = true,
};

} // namespace zel
