// The filters of a text export placed on the bands of one EQ block: each to the nearest
// frequency, gain and Q the device offers, the weakest dropped when there are more filters
// than bands, and how far the device's curve then is from the one the text asks for.
#pragma once

#include "eq/Biquad.h"
#include "eq/FilterText.h"
#include "model/DeviceParams.h"

#include <span>
#include <vector>

namespace zel {

// More filters than this are refused: the choice of which to keep grows with their square.
inline constexpr int kMaxFitFilters = 256;

// What became of one filter of the text.
struct FilterFit {
    TextFilter asked;
    int band = -1;        // 0-based band of the block it went to; -1 when dropped or off
    bool dropped = false; // on, but the block had no band left for it
    EqBand stored{};      // the record written to that band (when band >= 0)
    bool clipped = false; // an asked value lies beyond what the device offers
};

struct EqFit {
    int blockId = 0;
    int bandCount = 0;
    std::vector<FilterFit> filters; // every filter of the text, in text order
    std::vector<EqBand> bands;      // the block's bands after the import, band 0 first
    LevelArray askedDb{};           // the text's curve: every ON filter, ideal, at the asked values
    LevelArray deviceDb{};          // the block's bands as stored, as the device makes them
    double maxDeviationDb = 0;      // largest |askedDb - deviceDb| on the grid
    int maxDeviationPoint = 0;      // its CurveGrid index
};

// The stored band nearest to an asked filter (frequency and Q by the device's tables,
// gain to 0.1 dB), with `clipped` set when a value had to be brought into range.
EqBand nearestBand(const TextFilter& f, bool& clipped);

// The curve of one filter at exactly the asked values, evaluated on the grid as the
// device's bands are.
void idealLevels(const TextFilter& f, LevelArray& levelDb);

// Places `filters` on the bands of EqBlockId blockId (0..14). The filters that take a band
// keep their text order; bands left over become flat bands at their default frequencies.
// With more ON filters than bands, the filter whose loss changes the asked curve least is
// dropped, one at a time, until they fit. At most kMaxFitFilters filters (asserted).
EqFit fitFilters(std::span<const TextFilter> filters, int blockId);

// The block's band records in `p`: the Dance bank when dance is set and the block has
// one, else the Singing (or only) records.
EqBand* blockBands(DeviceParams& p, int blockId, bool dance);

} // namespace zel
