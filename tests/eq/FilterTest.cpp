#include "eq/Filter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zel {
namespace {

// 288 px is 8 px per dB: exact pixels for 0 dB (y 96) and for +-2.5 dB (y 76 and 116).
constexpr int kW = 800;
constexpr int kH = 288;

EqBand band(int freq, int gain, int q, int type) {
    EqBand b{};
    b.freq = static_cast<std::uint16_t>(freq);
    b.gain = static_cast<std::uint16_t>(gain);
    b.q = static_cast<std::uint8_t>(q);
    b.type = static_cast<std::uint8_t>(type);
    return b;
}

FilterParams xover(int freq, int slope, int userQ) {
    FilterParams x{};
    x.freq = static_cast<std::uint16_t>(freq);
    x.slope = static_cast<std::uint8_t>(slope);
    x.userQ = static_cast<std::uint8_t>(userQ);
    return x;
}

struct RecordingSlider : GainSliderLink {
    int position = -1;
    void setGainPosition(int gainIndex) override { position = gainIndex; }
};

class BandFilter : public ::testing::Test {
protected:
    void SetUp() override { rebind(band(204, 240, 10, 0)); }
    void rebind(EqBand b) {
        rec = b;
        f.setCode(1);
        f.bindBand(&rec);
        f.resize(kW, kH);
        f.setLinkedSlider(&slider);
    }
    // Drag from the marker centre to plot point (x, y).
    void dragTo(int x, int y) {
        f.beginGrab(f.markerRect().center());
        EXPECT_EQ(f.dragPeak({x + kPlotOffsetX, y + kPlotOffsetY}), 1);
    }

    EqBand rec{};
    CFilter f;
    RecordingSlider slider;
};

TEST_F(BandFilter, PeakingBoostReachesItsGainAtTheCentre) {
    for (int q : {0, 10, 50, 100}) {
        rebind(band(204, 360, q, 0)); // 1000 Hz, +12 dB
        EXPECT_NEAR(f.levelDb()[239], 12.0, 1e-6) << "Q index " << q;
        EXPECT_LT(f.levelDb()[0], 0.2);
    }
    rebind(band(204, 240, 10, 0));
    for (double v : f.levelDb())
        EXPECT_EQ(v, 0.0);
}

TEST_F(BandFilter, InfoTexts) {
    struct Case {
        EqBand band;
        const char* text;
    };
    const Case cases[] = {
        {band(204, 240, 10, 0), "PEQ  1000Hz 0.71Q 0.0dB"},
        {band(nearestIndex(FreqTable, 8000), 210, 10, 2), "Hs  8000Hz 0.710Q -3.0dB"},
        {band(84, 255, 16, 1), "Ls  99.0Hz 1.000Q 1.5dB"},   // below 101 Hz: one decimal
        {band(85, 0, 100, 0), "PEQ  101Hz 128.00Q -24.0dB"}, // 101 Hz and up: none
    };
    for (const Case& c : cases) {
        rebind(c.band);
        EXPECT_EQ(f.buildInfoText(), c.text);
        EXPECT_EQ(f.infoText(), c.text);
    }
}

TEST_F(BandFilter, DragStoresWholeDecibelsAndClampsAtBothEnds) {
    struct Case {
        int y;
        int gainIndex;
    };
    const Case cases[] = {
        {0, 360},   {-40, 360},   // top edge and above it: +12 dB
        {kH, 0},    {kH + 40, 0}, // bottom edge and below it: -24 dB
        {96, 240},                // the 0 dB line
        {76, 270},                // exactly +2.5 dB rounds away from zero to +3 dB
        {116, 210},               // exactly -2.5 dB rounds to -3 dB
        {77, 260},                // +2.375 dB
    };
    for (const Case& c : cases) {
        rebind(band(204, 240, 10, 0));
        dragTo(100, c.y);
        EXPECT_EQ(rec.gain, c.gainIndex) << "y = " << c.y;
        EXPECT_EQ(slider.position, c.gainIndex);
        EXPECT_DOUBLE_EQ(f.gainDb(), c.gainIndex * 0.1 - 24);
    }
}

TEST_F(BandFilter, DragFrequencyStaysInsideTheBandTable) {
    struct Case {
        int x;
        int freqIndex;
    };
    const Case cases[] = {{kW + 50, 361}, {kW, 361}, {0, 0}, {-50, 0}};
    for (const Case& c : cases) {
        rebind(band(204, 240, 10, 0));
        dragTo(c.x, 50);
        EXPECT_EQ(rec.freq, c.freqIndex) << "x = " << c.x;
        EXPECT_EQ(f.freqHz(), FreqTable[static_cast<std::size_t>(c.freqIndex)]);
    }
}

TEST_F(BandFilter, DragThatDoesNotMoveChangesNothing) {
    rebind(band(204, 300, 10, 0));
    slider.position = -1;
    f.beginGrab({f.markerRect().left + 3, f.markerRect().top + 2}); // grabbed off-centre
    EXPECT_EQ(f.dragPeak({f.markerRect().left + 3, f.markerRect().top + 2}), 1);
    EXPECT_EQ(rec.gain, 300);
    EXPECT_EQ(rec.freq, 204);
    EXPECT_EQ(slider.position, -1);
}

TEST_F(BandFilter, QDragStepsEveryTenPixelsFromTheMarkerCentre) {
    struct Case {
        int startQ;
        int dx;
        int q;
    };
    const Case cases[] = {{10, 9, 10},  {10, 10, 11}, {10, -25, 8},
                          {10, -9, 10}, {1, -40, 0},  {99, 50, 100}};
    for (const Case& c : cases) {
        rebind(band(204, 240, c.startQ, 0));
        f.beginGrab(f.markerRect().center());
        // Every move is measured from the grab: passing through other positions is harmless.
        EXPECT_EQ(f.dragQ(f.markerRect().center().x + c.dx / 2), 1);
        EXPECT_EQ(f.dragQ(f.markerRect().center().x + c.dx), 1);
        EXPECT_EQ(rec.q, c.q) << c.startQ << " moved " << c.dx;
    }
}

TEST_F(BandFilter, MarkerAndInfoRectStayInsideThePlot) {
    // Right edge: the text box is pushed left to end at the plot's right edge, 200 px wide.
    rebind(band(361, 300, 10, 0));
    const Rect m = f.markerRect();
    EXPECT_EQ(m.width(), 16);
    EXPECT_EQ(f.infoRect().right, kW + kPlotOffsetX);
    EXPECT_EQ(f.infoRect().width(), 200);
    EXPECT_EQ(f.infoRect().top, m.top + 35); // a boost puts the text below the marker
    EXPECT_EQ(f.infoRect().bottom, m.bottom + 85);

    // Left edge, a cut: text box from the plot's left edge, above the marker.
    rebind(band(0, 100, 10, 0));
    EXPECT_EQ(f.infoRect().left, kPlotOffsetX);
    EXPECT_EQ(f.infoRect().right, kPlotOffsetX + 200);
    EXPECT_EQ(f.infoRect().top, f.markerRect().top - 50);
    EXPECT_EQ(f.infoRect().bottom, f.markerRect().top + 50);

    // Top and bottom: +12 dB keeps the marker's top on the plot's, -24 dB its bottom.
    rebind(band(204, 360, 10, 0));
    EXPECT_EQ(f.markerRect().top, kPlotOffsetY);
    rebind(band(204, 0, 10, 0));
    EXPECT_EQ(f.markerRect().bottom, kH + kPlotOffsetY);
    EXPECT_EQ(f.markerRect().height(), 16);
}

TEST_F(BandFilter, OutlineIsClosedAlongTheZeroDecibelLine) {
    rebind(band(204, 360, 10, 0));
    const auto& poly = f.polygon();
    EXPECT_EQ(poly.front(), (Point{kPlotOffsetX, 96 + kPlotOffsetY}));
    EXPECT_EQ(poly.back(), (Point{kW + kPlotOffsetX, 96 + kPlotOffsetY}));
    EXPECT_EQ(poly[1 + 239].y, kPlotOffsetY);      // +12 dB at the top
    EXPECT_EQ(poly[1 + 419].x, kW + kPlotOffsetX); // 32 kHz is limited to the right edge
}

class CrossoverFilter : public ::testing::Test {
protected:
    void make(int code, int type, FilterParams r) {
        rec = r;
        f.setCode(code);
        f.setType(type);
        f.bindXover(&rec);
        f.resize(kW, kH);
    }
    FilterParams rec{};
    CFilter f;
};

TEST_F(CrossoverFilter, OffFilterIsFlatWhateverItsSlope) {
    struct Case {
        int code;
        int slope;
    };
    const Case cases[] = {{0, 0}, {0, 1}, {1, 0}, {2, 1}, {8, 1}, {9, 0}, {9, 2}, {9, 4}};
    for (const Case& c : cases) {
        make(c.code, kHighPass, xover(0, c.slope, 5));
        for (double v : f.levelDb())
            ASSERT_EQ(v, 0.0) << "code " << c.code << " slope " << c.slope;
        EXPECT_EQ(f.buildInfoText(), "19.3Hz ");
    }
    make(0, kHighPass, xover(143, 0, 0));
    EXPECT_EQ(f.buildInfoText(), "303Hz ");
    make(0, kHighPass, xover(81, 0, 0)); // below 94 Hz: one decimal
    EXPECT_EQ(f.buildInfoText(), "91.9Hz ");
}

TEST_F(CrossoverFilter, QAndSectionsFollowCodeAndSlope) {
    struct Case {
        int code;
        int slope;
        int userQ;
        double q;
        int sections;
    };
    const Case cases[] = {
        {0, 0, 0, 0.7071, 1},
        {0, 1, 0, 0.7212, 2},
        {8, 0, 0, 0.7071, 1},
        {8, 1, 0, 0.7212, 2},
        {1, 1, 0, 0.71, 1},
        {6, 0, 0, 0.71, 1},
        {9, 0, 0, 0.5219, 2},
        {9, 1, 0, 0.5412, 2},
        {9, 2, 0, 0.71, 2},
        {9, 3, 7, 0.61, 1},
        {9, 4, 7, 0.61, 2},
        {9, 4, 28, 2.0, 2},
        // Combinations no panel produces.
        {7, 1, 0, 0.71, 1},
        {0, 2, 0, 0.7212, 2},
        {8, 255, 0, 0.7212, 2},
        {9, 5, 12, 0.78, 2},
        {9, 3, 200, 2.0, 1}, // a user-Q index past the table
    };
    for (int type : {kHighPass, kLowPass}) {
        for (const Case& c : cases) {
            make(c.code, type, xover(120, c.slope, c.userQ));
            const BiquadKind kind = type == kHighPass ? BiquadKind::HighPass : BiquadKind::LowPass;
            LevelArray expected{};
            evaluateLevelsDirect(designBiquad(kind, XoverFreqTable[120], c.q, 1.0), c.sections,
                                 expected);
            for (int i = 0; i < kGridPoints; ++i)
                ASSERT_NEAR(f.levelDb()[i], expected[i], 1e-9)
                    << "code " << c.code << " slope " << c.slope << " point " << i;
        }
    }
}

TEST_F(CrossoverFilter, TwoSectionsDrawExactlyTwiceTheLevel) {
    make(9, kHighPass, xover(143, 3, 9));
    const LevelArray one = f.levelDb();
    f.setSlope(4);
    for (int i = 0; i < kGridPoints; ++i)
        ASSERT_EQ(f.levelDb()[i], 2 * one[i]);
    EXPECT_LT(one[0], -40.0); // 10 Hz is far below a 303 Hz corner
}

TEST_F(CrossoverFilter, HighPassDraggedToTheLeftEdgeSwitchesOff) {
    make(1, kHighPass, xover(100, 1, 0));
    f.setDragRange(0, 143);
    f.beginGrab(f.markerRect().center());
    EXPECT_EQ(f.dragXover({kPlotOffsetX, 200}), 1);
    EXPECT_EQ(rec.freq, 0);
    for (double v : f.levelDb())
        ASSERT_EQ(v, 0.0);
    EXPECT_EQ(f.dragPeak({100, 100}), 0);
    EXPECT_EQ(f.dragQ(100), 0);
}

TEST_F(CrossoverFilter, MarkerOnlyMovesSideways) {
    make(1, kHighPass, xover(100, 0, 0));
    f.setDragRange(0, 143);
    const int top = f.markerRect().top;
    EXPECT_EQ(top, static_cast<int>(kH / 36.0 * 10) + kPlotOffsetY); // +2 dB
    f.beginGrab(f.markerRect().center());
    f.dragXover({f.markerRect().center().x + 30, 5});
    EXPECT_GT(rec.freq, 100);
    EXPECT_EQ(f.markerRect().top, top);

    make(2, kLowPass, xover(330, 0, 0));
    EXPECT_EQ(f.markerRect().top, 96 + kPlotOffsetY); // 0 dB
}

} // namespace
} // namespace zel
