// Tests of the value lookups and the stored-text conversions.
#include "model/DataConver.h"
#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace zel {
namespace {

TEST(DataConver, DefaultBandFrequenciesLandOnEvery36thIndex) {
    for (std::size_t k = 0; k < kDefaultFreqs10.size(); ++k)
        EXPECT_EQ(freqToPeqIndex(kDefaultFreqs10[k]), 11 + 36 * static_cast<int>(k))
            << kDefaultFreqs10[k] << " Hz";
}

TEST(DataConver, FrequencyAndQLookups) {
    struct Case {
        const char* what;
        int got;
        int want;
    };
    const Case cases[] = {
        {"peq 1000 Hz", freqToPeqIndex(1000), 204},
        {"xover 1000 Hz", freqToXoverIndex(1000), 205},
        {"peq below the table", freqToPeqIndex(5), 0},
        {"peq top entry", freqToPeqIndex(20600), 361},
        {"peq above the table", freqToPeqIndex(21000), -1},
        {"xover above the table", freqToXoverIndex(25000), -1},
        {"peq tie goes up (24.3 | 24.8)", freqToPeqIndex(24.55), 12},
        {"q 0.71", qToIndex(0.71), 10},
        {"q top entry", qToIndex(128), 100},
        {"q above the table", qToIndex(200), -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want) << c.what;

    EXPECT_DOUBLE_EQ(peqIndexToFreq(204), 1000.0);
    EXPECT_DOUBLE_EQ(peqIndexToFreq(361), 20600.0);
    EXPECT_DOUBLE_EQ(xoverIndexToFreq(143), 303.0);
    EXPECT_DOUBLE_EQ(xoverIndexToFreq(298), 5990.0);
    EXPECT_DOUBLE_EQ(xoverIndexToFreq(362), 20600.0);
}

TEST(DataConverDeathTest, IndexOutsideItsTableIsAProgrammingError) {
#ifdef NDEBUG
    GTEST_SKIP() << "assertions are compiled out";
#else
    EXPECT_DEATH(peqIndexToFreq(362), "");
    EXPECT_DEATH(peqIndexToFreq(-1), "");
    EXPECT_DEATH(xoverIndexToFreq(363), "");
#endif
}

TEST(DataConver, RatioStepsWidenTowardsTheTop) {
    EXPECT_EQ(RatioTable[0], "1.0");
    EXPECT_EQ(RatioTable[5], "2.0");
    EXPECT_EQ(RatioTable[21], "8.4");
    EXPECT_EQ(RatioTable[26], "11.4");
    EXPECT_EQ(RatioTable[27], "12");
    EXPECT_EQ(RatioTable[39], "30");
    EXPECT_EQ(RatioTable[40], "100");
}

TEST(DataConver, BytesToTextTrimsSpacesAndStopsAtZero) {
    struct Case {
        const char* what;
        const char bytes[21]; // 20 stored bytes
        std::string want;
    };
    const Case cases[] = {
        {"padded both sides", "  Party             ", "Party"},
        {"never written", {}, ""},
        {"all spaces", "                    ", ""},
        {"inner spaces kept", "My  Room            ", "My  Room"},
        {"full width", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST"},
        {"zero ends the text", "Bar\0junk            ", "Bar"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bytesToText(c.bytes, 20), c.want) << c.what;
}

TEST(DataConver, TextToBytesPadsWithSpacesAndRefusesOverlongText) {
    char field[21] = "xxxxxxxxxxxxxxxxxxxx"; // byte 20 stands for what follows the field

    ASSERT_TRUE(textToBytes(field, 20, "Pop"));
    EXPECT_EQ(std::string(field, 20), "Pop" + std::string(17, ' '));
    EXPECT_EQ(bytesToText(field, 20), "Pop");

    ASSERT_TRUE(textToBytes(field, 20, ""));
    EXPECT_EQ(std::string(field, 20), std::string(20, ' '));

    ASSERT_TRUE(textToBytes(field, 20, "ABCDEFGHIJKLMNOPQRST"));
    EXPECT_EQ(std::string(field, 20), "ABCDEFGHIJKLMNOPQRST");

    EXPECT_FALSE(textToBytes(field, 20, "ABCDEFGHIJKLMNOPQRSTU"));
    EXPECT_EQ(std::string(field, 20), "ABCDEFGHIJKLMNOPQRST") << "refused text leaves the field";
    EXPECT_EQ(field[20], '\0');
}

TEST(DataConver, PolarityText) {
    EXPECT_EQ(PolarityText(0), "-");
    EXPECT_EQ(PolarityText(1), "+");
    EXPECT_EQ(PolarityText(7), "+");
}

} // namespace
} // namespace zel
