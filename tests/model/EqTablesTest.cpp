#include "model/EqTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zel {
namespace {

// Three significant figures, halves rounded up, computed independently of the table.
double roundTo3Figures(double v) {
    const double scale = std::pow(10.0, std::floor(std::log10(v)) - 2);
    return std::floor(v / scale + 0.5) * scale;
}

TEST(EqTables, GridFollowsTheThirtySixStepsPerOctaveRule) {
    for (int k = 0; k < 420; ++k) {
        if (k >= 116 && k <= 119)
            continue;
        const double expected = roundTo3Figures(1000.0 * std::pow(2.0, (k - 239) / 36.0));
        EXPECT_NEAR(CurveGrid[k], expected, expected * 1e-9) << "k = " << k;
    }
    EXPECT_EQ(CurveGrid[116], 94.0);
    EXPECT_EQ(CurveGrid[117], 95.0);
    EXPECT_EQ(CurveGrid[118], 97.0);
    EXPECT_EQ(CurveGrid[119], 99.0);
    EXPECT_EQ(CurveGrid[0], 10.0);
    EXPECT_EQ(CurveGrid[239], 1000.0);
    EXPECT_EQ(CurveGrid[419], 32000.0);
}

TEST(EqTables, TableWindowsOnTheGrid) {
    EXPECT_EQ(FreqTable[0], 19.7);
    EXPECT_EQ(FreqTable[361], 20600.0);
    EXPECT_EQ(XoverFreqTable[0], 19.3);
    EXPECT_EQ(XoverFreqTable[82], 94.0);
    EXPECT_EQ(XoverFreqTable[143], 303.0);
    EXPECT_EQ(XoverFreqTable[205], 1000.0);
    EXPECT_EQ(XoverFreqTable[298], 5990.0);
    EXPECT_EQ(XoverFreqTable[362], 20600.0);
    EXPECT_EQ(QTable[10], 0.71);
    EXPECT_EQ(QTable[100], 128.0);
    EXPECT_EQ(UserQTable[12], 0.78);
    EXPECT_EQ(UserQTable[28], 2.0);
}

TEST(EqTables, NearestIndex) {
    struct Case {
        double x;
        int expected;
    };
    const Case peq[] = {
        {24.3, 11}, {12500, 335}, {1000, 204},  {1010, 205} /* tie goes up */,
        {1, 0},     {19.7, 0},    {20600, 361}, {30000, -1},
    };
    for (const Case& c : peq)
        EXPECT_EQ(nearestIndex(FreqTable, c.x), c.expected) << c.x;
    EXPECT_EQ(nearestIndex(XoverFreqTable, 1000), 205);
    EXPECT_EQ(nearestIndex(QTable, 0.7), 10);
}

} // namespace
} // namespace zel
