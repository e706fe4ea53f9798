// The dump frame: its documented byte layout, and a dump built from one store and parsed
// back into another.
#include "LinkTestSupport.h"

#include <random>

namespace zel::test {
namespace {

void fillPattern(DeviceParams& p, unsigned seed) {
    std::mt19937 rng(seed);
    auto* raw = reinterpret_cast<std::uint8_t*>(&p);
    for (std::size_t i = 0; i < sizeof p; ++i)
        raw[i] = static_cast<std::uint8_t>(rng());
}

class DumpFrameTest : public LinkTest {};

TEST_F(DumpFrameTest, BuiltDumpPlacesEveryFieldAtItsFrameOffset) {
    DeviceParams p;
    fillPattern(p, 7);
    Bytes frame(kDumpPayloadEnd, 0xEE);
    ASSERT_EQ(buildDumpFrame(p, frame.data(), frame.size()), kDumpPayloadEnd);
    EXPECT_EQ(toHex(Bytes(frame.begin(), frame.begin() + 6)), "FF 55 03 CC 05 5E");

    auto lo = [](const U16le& v) { return v.bytes[0]; };
    auto hi = [](const U16le& v) { return v.bytes[1]; };
    const std::pair<std::size_t, std::uint8_t> at[] = {
        {6, p.scene},
        {7, p.masterVolume[0]},
        {9, p.masterVolume[2]},
        {10, p.byteParam[0]},
        {43, p.byteParam[33]},
        {44, lo(p.eqBand[0].freq)},
        {45, hi(p.eqBand[0].freq)},
        {309, hi(p.eqBand[132].freq)},
        {310, lo(p.eqBand[0].gain)},
        {575, hi(p.eqBand[132].gain)},
        {576, p.eqBand[0].q},
        {708, p.eqBand[132].q},
        {709, p.eqBand[0].type},
        {841, p.eqBand[132].type},
        {842, lo(p.filter[0].freq)},
        {873, hi(p.filter[15].freq)},
        {874, p.filter[0].slope},
        {875, p.filter[3].slope},
        {876, p.filter[4].slope},
        {877, p.filter[15].slope},
        {878, p.filter[4].userQ},
        {879, p.filter[15].userQ},
        {880, lo(p.timeParam[0])},
        {907, hi(p.timeParam[13])},
        {908, p.fbeMode[0]},
        {909, p.fbeMode[1]},
        {910, p.compressor[0].threshold},
        {917, p.compressor[0].attack},
        {924, p.compressor[0].release},
        {931, p.compressor[0].ratio},
        {937, p.compressor[6].ratio},
        {938, p.outputMute[0]},
        {944, p.eqBypass[0]},
        {958, p.eqBypass[14]},
        {959, p.noiseGate[0].threshold},
        {962, p.noiseGate[0].attack},
        {965, p.noiseGate[0].release},
        {967, p.noiseGate[2].release},
        {968, p.phase[0]},
        {995, p.phase[27]},
        {996, p.musicInputPort},
        {997, p.musicInputGain},
        {998, p.keyLockPassword[0]},
        {1002, p.keyLockOff},
        {1003, p.adminPassword[0]},
        {1009, p.userMode},
        {1010, p.volumeLimit[0]},
        {1015, p.volumeLimit[5]},
        {1016, static_cast<std::uint8_t>(p.modeName[0][0])},
        {1135, static_cast<std::uint8_t>(p.modeName[5][19])},
        {1136, p.dance.byteParam[0]},
        {1151, p.dance.byteParam[15]},
        {1152, lo(p.dance.eqBand[0].freq)},
        {1217, hi(p.dance.eqBand[32].freq)},
        {1218, lo(p.dance.eqBand[0].gain)},
        {1284, p.dance.eqBand[0].q},
        {1317, p.dance.eqBand[0].type},
        {1349, p.dance.eqBand[32].type},
        {1350, lo(p.dance.filter[0].freq)},
        {1357, hi(p.dance.filter[3].freq)},
        {1358, p.dance.filter[0].slope},
        {1361, p.dance.filter[3].slope},
        {1362, p.dance.filter[2].userQ},
        {1363, p.dance.filter[3].userQ},
        {1364, p.dance.phase[0]},
        {1379, p.dance.phase[15]},
        {1380, p.currentMode},
        {1381, p.danceEqBypass[0]},
        {1385, p.danceEqBypass[4]},
    };
    for (const auto& [offset, value] : at)
        EXPECT_EQ(frame[offset], value) << "frame byte " << offset;

    EXPECT_EQ(buildDumpFrame(p, frame.data(), kDumpPayloadEnd - 1), 0u) << "too small a buffer";
}

TEST_F(DumpFrameTest, ParsedDumpFillsTheDumpFieldsAndKeepsTheRest) {
    DeviceParams device;
    fillPattern(device, 11);
    device.masterVolume[1] = 0; // one muted level among two that are not
    device.masterVolume[0] = 5;
    device.masterVolume[2] = 70;
    fillPattern(liveParams, 12);
    const DeviceParams prior = liveParams;

    Bytes frame(kDumpPayloadEnd);
    ASSERT_EQ(buildDumpFrame(device, frame.data(), frame.size()), kDumpPayloadEnd);
    TxRecord[2] = 3;
    TxRecord[3] = 0xAA;
    RxRecord[mark::SyncMark] = 1;
    EXPECT_EQ(feed(frame), static_cast<int>(kDumpPayloadEnd) - 1);

    // What the store must hold: the device's values, except what the dump does not carry.
    DeviceParams expected = device;
    for (int i = 0; i < 3; ++i)
        expected.masterMute[i] = device.masterVolume[i] == 0 ? 1 : 0;
    for (int f : {1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14})
        expected.filter[f].slope = prior.filter[f].slope;
    for (int f : {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14})
        expected.filter[f].userQ = prior.filter[f].userQ;
    expected.dance.filter[0].userQ = prior.dance.filter[0].userQ;
    expected.dance.filter[1].userQ = prior.dance.filter[1].userQ;
    for (int g = 0; g < 3; ++g)
        expected.noiseGate[g].spare = prior.noiseGate[g].spare;
    std::memcpy(expected.outputSolo, prior.outputSolo, sizeof expected.outputSolo);
    expected.lastManualScene = prior.lastManualScene;
    expected.spare981 = prior.spare981;
    expected.spare1417 = prior.spare1417;
    expected.spare1423 = prior.spare1423;

    for (std::size_t i = 0; i < sizeof(DeviceParams); ++i)
        ASSERT_EQ(bytesOf(liveParams)[i], bytesOf(expected)[i]) << "store byte " << i;
    EXPECT_EQ(std::memcmp(&liveParams, &sentParams, sizeof liveParams), 0)
        << "nothing of the dump is sent back";
    const auto posted = mainWindow.tryTake();
    ASSERT_TRUE(posted.has_value());
    EXPECT_EQ(posted->id, WM_LINK_SYNCED);
}

} // namespace
} // namespace zel::test
