// SceneBanks: the one table of the scene-dependent fields - which elements of the store have
// a Dance copy, where that copy sits, and so which bank a frame index belongs to. The change
// detector, the upload, the scene copy, the curve models, the graph and the pages all read
// it; nothing else may spell the mapping out again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel {

struct DeviceParams;
struct EqBand;
struct FilterParams;

// The store arrays whose elements may exist once per music scene. An element's index in
// its Singing array is also the index its frames carry, for either bank.
enum class BankedArray : std::uint8_t { ByteParam, EqBand, Filter, Phase, EqBypass };
inline constexpr int kBankedArrayCount = 5;

// A run of consecutive Singing elements and their Dance copies.
struct BankedRun {
    BankedArray array;
    int first;      // first Singing element (= frame index)
    int count;      // elements in the run
    int danceFirst; // its first element in the Dance array
};

// In the order a scene copy goes: output mix levels, music and output EQ bands, the music,
// Center and Subwoofer crossovers, output polarities, EQ bypass flags.
inline constexpr BankedRun kBankedRuns[] = {
    {BankedArray::ByteParam, 10, 16, 0}, // output mix levels
    {BankedArray::EqBand, 0, 10, 0},     // music
    {BankedArray::EqBand, 70, 23, 10},   // Main, Center, Subwoofer, Rear
    {BankedArray::Filter, 0, 1, 0},      // music high-pass
    {BankedArray::Filter, 3, 2, 1},      // Center and Subwoofer high-pass
    {BankedArray::Filter, 15, 1, 3},     // Subwoofer low-pass
    {BankedArray::Phase, 8, 16, 0},      // output polarities
    {BankedArray::EqBypass, 0, 1, 0},    // music
    {BankedArray::EqBypass, 7, 4, 1},    // Main, Center, Subwoofer, Rear
};

// The Dance element of Singing element `index` of `array`, or -1 when it has none.
constexpr int danceCopyOf(BankedArray array, int index) {
    for (const BankedRun& r : kBankedRuns)
        if (r.array == array && index >= r.first && index < r.first + r.count)
            return r.danceFirst + index - r.first;
    return -1;
}
constexpr bool hasDanceCopy(BankedArray array, int index) {
    return danceCopyOf(array, index) >= 0;
}
// The Singing element (and frame index) of Dance element `element` of `array`, or -1.
constexpr int singingIndexOf(BankedArray array, int element) {
    for (const BankedRun& r : kBankedRuns)
        if (r.array == array && element >= r.danceFirst && element < r.danceFirst + r.count)
            return r.first + element - r.danceFirst;
    return -1;
}
// Elements of the Dance array of `array`.
constexpr int danceCount(BankedArray array) {
    int n = 0;
    for (const BankedRun& r : kBankedRuns)
        if (r.array == array)
            n += r.count;
    return n;
}

// Frame index of each Dance element, for the arrays that have a few.
template <BankedArray A, std::size_t N> constexpr std::array<int, N> danceIndexMap() {
    std::array<int, N> map{};
    for (std::size_t k = 0; k < N; ++k)
        map[k] = singingIndexOf(A, static_cast<int>(k));
    return map;
}
inline constexpr auto kDanceFilterIndex = danceIndexMap<BankedArray::Filter, 4>();
inline constexpr auto kDanceEqBypassIndex = danceIndexMap<BankedArray::EqBypass, 5>();
// The store field a page shows and edits for music scene `scene` (1 Singing, 2 Dance): the
// Dance copy when scene is 2 and the element has one, else the element itself (its Singing
// field, or a field that exists once). A page edits no banked field in Auto (0) and passes
// the scene it shows.
std::uint8_t& sceneByteParam(DeviceParams& p, int index, int scene);
EqBand& sceneEqBand(DeviceParams& p, int index, int scene);
FilterParams& sceneFilter(DeviceParams& p, int index, int scene);
std::uint8_t& scenePhase(DeviceParams& p, int index, int scene);
std::uint8_t& sceneEqBypass(DeviceParams& p, int index, int scene);

// Where a run lies in DeviceParams: the byte offsets of its Singing and Dance elements, which
// are contiguous on both sides, and their size in bytes.
struct BankedBytes {
    std::size_t singing;
    std::size_t dance;
    std::size_t size;
};
BankedBytes bytesOf(const BankedRun& run);

// The byte offset in DeviceParams of the Dance copy of the Singing byte at `offset`, or -1
// when that byte has no Dance copy.
int danceOffsetOf(std::size_t offset);

} // namespace zel
