// OutputPage: what sets the four output pages apart - control ids, store fields, strips and
// crossover extras - as one table row per page; COutputDlg is the one implementation.
#pragma once

#include "gui/pages/PanelDlg.h"

#include <array>
#include <span>

namespace zel {

// One output channel of a page: its mute and solo, its delay row and captions.
struct OutputChannel {
    int output; // index into outputMute / outputSolo
    int muteId;
    int soloId;
    int headingId; // 0: the page has one channel and no heading
    int delayCaptionId;
    const SliderRow* delay;
};

struct OutputPage {
    enum class Crossover { None, HighPass, Subwoofer };

    int blockId; // EqBlockId 7..10
    int templateWidthDlu;
    int bands;
    int eqResetId;
    int eqBypassId;
    int levelGroupId;
    int limiterGroupId;
    int firstPhase; // phase index of the music level's polarity (Singing bank)
    std::array<int, 4> levelCaptionIds;
    std::array<int, 4> polarityIds;
    std::array<int, 4> limiterCaptionIds;
    std::span<const SliderRow, 4> levels;
    std::span<const SliderRow, 4> limiter;
    std::span<const OutputChannel> channels;
    Crossover crossover;
    int highPassFilter; // filter[] index of the high-pass record (Singing bank), or -1
    int lowPassFilter;  // filter[] index of the low-pass record, or -1
    std::span<const SliderRow> crossoverRows; // HighPass: freq; Subwoofer: HPF freq, HPF Q,
                                              // LPF freq, LPF Q
    std::span<const ControlText> texts;       // the page's own texts beyond the family's
    // Main and Center bind their band filters as soon as a manual scene is entered.
    bool bindsOnSceneEntry;
    // Main attaches its strips only when a manual scene is shown; the others at set-up.
    bool attachesAtSetUp;
};

extern const OutputPage kMainPage;
extern const OutputPage kCenterPage;
extern const OutputPage kSubPage;
extern const OutputPage kRearPage;

// The crossover controls of the Center and Subwoofer pages.
namespace xover {
inline constexpr int CenterSlopeCaption = 1253;
inline constexpr int CenterSlopeList = 1036;
inline constexpr int SubHighPassTypeList = 3770;
inline constexpr int SubLowPassTypeList = 3771;
inline constexpr int SubHighPassQCaption = 3724;
inline constexpr int SubLowPassQCaption = 3723;
inline constexpr int SubHighPassTypeCaption = 3719;
inline constexpr int SubLowPassTypeCaption = 3722;
inline constexpr int SubHighPassCaption = 3718;
inline constexpr int SubLowPassCaption = 3720;
inline constexpr int CenterHighPassCaption = 3618;
} // namespace xover

} // namespace zel
