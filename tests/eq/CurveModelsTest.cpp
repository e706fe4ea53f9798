#include "eq/CurveModels.h"

#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zel {
namespace {

constexpr int kW = 800;
constexpr int kH = 288;

class CurveModels : public ::testing::Test {
protected:
    void SetUp() override {
        installCurveModels();
        initDefaults();
        for (int id = 0; id < kEqBlockCount; ++id)
            curveModel(id).resize(kW, kH);
    }
};

TEST_F(CurveModels, EachBlockSitsOnItsOwnRecords) {
    struct Case {
        int blockId;
        int firstBand;
        int bands;
        int hpf; // filter[] index or -1
        int lpf;
        int code;
    };
    const Case cases[] = {
        {0, 0, 10, 0, -1, 0},      {1, 10, 20, 1, -1, 1},     {2, 50, 5, 5, 9, 2},
        {3, 55, 5, 6, 10, 3},      {4, 30, 20, 2, -1, 4},     {5, 60, 5, 7, 12, 2},
        {6, 65, 5, 8, 13, 6},      {7, 70, 5, -1, -1, 0},     {8, 75, 5, 3, -1, 8},
        {9, 80, 3, 4, 15, 9},      {10, 83, 10, -1, -1, 0},   {11, 93, 10, -1, -1, 11},
        {12, 103, 10, -1, -1, 12}, {13, 113, 10, -1, -1, 13}, {14, 123, 10, -1, -1, 14},
    };
    for (const Case& c : cases) {
        const CKTVEQ& m = curveModel(c.blockId);
        SCOPED_TRACE(c.blockId);
        ASSERT_EQ(m.bandCount(), c.bands);
        ASSERT_EQ(m.size(), c.bands + (c.hpf >= 0) + (c.lpf >= 0));
        for (int i = 0; i < c.bands; ++i) {
            EXPECT_EQ(m.filterAt(i)->band(), &liveParams.eqBand[c.firstBand + i]);
            EXPECT_EQ(m.filterAt(i)->getLabel(), std::to_string(i + 1));
        }
        EXPECT_EQ(m.hasHighPass(), c.hpf >= 0);
        EXPECT_EQ(m.hasLowPass(), c.lpf >= 0);
        if (c.hpf >= 0) {
            EXPECT_EQ(m.highPass()->xover(), &liveParams.filter[c.hpf]);
            EXPECT_EQ(m.highPass()->getLabel(), "H");
            EXPECT_EQ(m.highPass()->code(), c.code);
        }
        if (c.lpf >= 0) {
            EXPECT_EQ(m.lowPass()->xover(), &liveParams.filter[c.lpf]);
            EXPECT_EQ(m.lowPass()->getLabel(), "L");
        }
    }
}

TEST_F(CurveModels, InitialisingAgainKeepsTheSameFilters) {
    CFilter* first = curveModel(1).filterAt(0);
    liveParams.eqBand[10].gain = 360;
    initDefaults();
    EXPECT_EQ(curveModel(1).size(), 21);
    EXPECT_EQ(curveModel(1).filterAt(0), first);
    EXPECT_EQ(first->band(), &liveParams.eqBand[10]);
    EXPECT_EQ(first->levelDb()[0], 0.0); // shows the defaults again
}

TEST_F(CurveModels, FlatBlockSumsToTheZeroLine) {
    CKTVEQ& m = curveModel(0); // ten 0 dB bands, high-pass off
    m.buildSumCurve();
    const float zero = static_cast<float>(dbToY(0, kH) + kPlotOffsetY);
    for (const PointF& p : m.sumCurve())
        ASSERT_EQ(p.y, zero);
    EXPECT_EQ(m.sumCurve()[0].x, static_cast<float>(kPlotOffsetX));
    EXPECT_GT(m.sumCurve()[419].x, static_cast<float>(kW + kPlotOffsetX)); // past 30 kHz
}

TEST_F(CurveModels, SumIsNotLimitedToThePlot) {
    CKTVEQ& m = curveModel(0);
    for (int i : {0, 1}) {
        m.filterAt(i)->setFreqIndex(204);
        m.filterAt(i)->setGainIndex(360);
    }
    m.buildSumCurve();
    EXPECT_NEAR(m.sumCurve()[239].y, dbToY(24.0, kH) + kPlotOffsetY, 1e-3);
    EXPECT_LT(m.sumCurve()[239].y, static_cast<float>(kPlotOffsetY)); // above the plot
}

TEST_F(CurveModels, SumIncludesTheCrossovers) {
    CKTVEQ& m = curveModel(9); // Subwoofer low-pass at 303 Hz by default
    m.buildSumCurve();
    const LevelArray& lpf = m.lowPass()->levelDb();
    EXPECT_LT(lpf[419], -60.0);
    EXPECT_NEAR(m.sumCurve()[419].y, dbToY(lpf[419], kH) + kPlotOffsetY, 1e-2);
}

TEST_F(CurveModels, LowPassDragStopsAtItsRange) {
    struct Case {
        int blockId;
        int toX; // plot x the marker centre is dragged to
        int freqIndex;
    };
    const Case cases[] = {
        {9, -30, 0},   // the Subwoofer low-pass reaches index 0 and is off
        {9, kW, 143},  // ... and stops at 303 Hz going up
        {2, -30, 298}, // the echo low-pass stays at 5990 Hz and up
        {2, kW + 99, 362}, {2, 0, 298},
    };
    for (const Case& c : cases) {
        initDefaults();
        CFilter* lpf = curveModel(c.blockId).lowPass();
        lpf->beginGrab(lpf->markerRect().center());
        EXPECT_EQ(lpf->dragXover({c.toX + kPlotOffsetX, 50}), 1);
        EXPECT_EQ(lpf->frequencyIndex(), c.freqIndex) << "block " << c.blockId << " x " << c.toX;
    }
    initDefaults();
    CFilter* sub = curveModel(9).lowPass();
    sub->beginGrab(sub->markerRect().center());
    sub->dragXover({kPlotOffsetX - 30, 50});
    EXPECT_EQ(liveParams.filter[15].freq, 0);
    for (double v : sub->levelDb())
        ASSERT_EQ(v, 0.0);
    EXPECT_EQ(sub->buildInfoText(), "19.3Hz ");
}

TEST_F(CurveModels, HighPassReachesFurtherOnTheEffectPreEqs) {
    struct Case {
        int blockId;
        int freqIndex; // dragged to the right edge
    };
    const Case cases[] = {{1, 143}, {2, 205}, {6, 205}, {8, 143}, {9, 143}};
    for (const Case& c : cases) {
        CFilter* hpf = curveModel(c.blockId).highPass();
        hpf->beginGrab(hpf->markerRect().center());
        hpf->dragXover({kW + kPlotOffsetX + 40, 50});
        EXPECT_EQ(hpf->frequencyIndex(), c.freqIndex) << "block " << c.blockId;
    }
}

TEST_F(CurveModels, SyncSentReattachesOnlyTheSingleBankBlocks) {
    DeviceParams received = liveParams;
    received.eqBand[10].gain = 360; // microphone A band 1: +12 dB
    received.eqBand[93].gain = 360; // echo A post-EQ band 1
    received.filter[0].freq = 100;  // music high-pass
    received.eqBand[0].gain = 360;  // music band 1: left to the music page
    received.eqBand[70].gain = 360; // Main band 1: left to the Main page
    std::memcpy(&liveParams, &received, sizeof received);
    syncSent();

    EXPECT_EQ(std::memcmp(&sentParams, &liveParams, sizeof liveParams), 0);
    const int peak = 35 + 11; // grid point of band 1's default 24.3 Hz
    EXPECT_GT(curveModel(1).filterAt(0)->levelDb()[peak], 11.0);
    EXPECT_GT(curveModel(11).filterAt(0)->levelDb()[peak], 11.0);
    EXPECT_LT(curveModel(0).highPass()->levelDb()[0], -10.0);
    EXPECT_EQ(curveModel(0).filterAt(0)->levelDb()[peak], 0.0);
    EXPECT_EQ(curveModel(7).filterAt(0)->levelDb()[peak], 0.0);
}

} // namespace
} // namespace zel
