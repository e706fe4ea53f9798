#include "eq/FilterText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zel {
namespace {

TEST(FilterText, ReadsTheExportsFilterForms) {
    struct Case {
        const char* line;
        int number;
        FilterType type;
        double hz, db, q;
    };
    const Case cases[] = {
        {"Filter 1: ON PK Fc 1000 Hz Gain -3.0 dB Q 1.41", 1, kPeaking, 1000, -3, 1.41},
        {"Filter  12: ON  PK       Fc   63.5 Hz  Gain  -5.0 dB  Q  6.00", 12, kPeaking, 63.5, -5,
         6},
        {"Filter 2: ON LSC Fc 105 Hz Gain 4.0 dB Q 0.71", 2, kLowShelf, 105, 4, 0.71},
        {"Filter 3: ON LS Fc 80 Hz Gain +6 dB", 3, kLowShelf, 80, 6, kShelfDefaultQ},
        {"Filter 3: ON LS 12dB Fc 80 Hz Gain 6 dB", 3, kLowShelf, 80, 6, kShelfDefaultQ},
        {"Filter 4: ON LSQ Fc 90 Hz Gain 2 dB Q 0.9", 4, kLowShelf, 90, 2, 0.9},
        {"Filter 5: ON HS Fc 8000 Hz Gain -2 dB", 5, kHighShelf, 8000, -2, kShelfDefaultQ},
        {"Filter 6: ON HSC Fc 10 kHz Gain -3.5 dB Q 0.5", 6, kHighShelf, 10000, -3.5, 0.5},
        {"Filter 7: ON HSQ Fc 12000Hz Gain 1dB Q 1", 7, kHighShelf, 12000, 1, 1},
        {"Filter: ON PK Fc 250 Hz Gain 2 dB Q 2", -1, kPeaking, 250, 2, 2},
        {"filter 8: on pk fc 500 hz gain -1 db q 3", 8, kPeaking, 500, -1, 3},
        {"Filter 9: ON PK Fc 700 Gain -1 Q 3", 9, kPeaking, 700, -1, 3},
        // One octave is Q = sqrt(2) / (2 - 1).
        {"Filter 10: ON PK Fc 63 Hz Gain -5 dB BW Oct 1.0", 10, kPeaking, 63, -5, std::sqrt(2.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const FilterTextResult r = parseFilterText(c.line);
        ASSERT_TRUE(r.problems.empty()) << r.problems[0].text;
        ASSERT_EQ(r.filters.size(), 1u);
        const TextFilter& f = r.filters[0];
        EXPECT_TRUE(f.enabled);
        EXPECT_EQ(f.number, c.number);
        EXPECT_EQ(f.type, c.type);
        EXPECT_DOUBLE_EQ(f.hz, c.hz);
        EXPECT_DOUBLE_EQ(f.db, c.db);
        EXPECT_DOUBLE_EQ(f.q, c.q);
        EXPECT_EQ(f.line, 1);
    }
}

TEST(FilterText, AcceptsAWholeExportWithHeaderBomCrlfCommentsAndOffFilters) {
    const std::string text = "\xEF\xBB\xBF"
                             "Filter Settings file\r\n"
                             "\r\n"
                             "Room EQ V5.31\r\n"
                             "Dated: Dec 1, 2026 8:00:00 PM\r\n"
                             "Notes: left speaker\r\n"
                             "Preamp: -6.5 dB\r\n"
                             "# moved down after the second measurement\r\n"
                             "Filter 1: ON PK Fc 50 Hz Gain -8 dB Q 4\r\n"
                             "; a comment\r\n"
                             "// another\r\n"
                             "Filter 2: OFF PK Fc 60 Hz Gain -3 dB Q 4\r\n"
                             "Filter 3: ON None\r\n"
                             "Filter 4: OFF LP Fc 60 Hz\r\n"
                             "Filter 5: ON HS Fc 9000 Hz Gain 2 dB";
    const FilterTextResult r = parseFilterText(text);
    ASSERT_TRUE(r.problems.empty()) << r.problems[0].text;
    EXPECT_EQ(r.headerLines, 4);
    ASSERT_TRUE(r.preampDb.has_value());
    EXPECT_DOUBLE_EQ(*r.preampDb, -6.5);
    // The empty slot is left out; OFF filters are kept, disabled, with their line numbers.
    ASSERT_EQ(r.filters.size(), 4u);
    EXPECT_EQ(r.filters[0].line, 8);
    EXPECT_FALSE(r.filters[1].enabled);
    EXPECT_FALSE(r.filters[2].enabled);
    EXPECT_EQ(r.filters[2].typeToken, "LP");
    EXPECT_TRUE(r.filters[3].enabled);
    EXPECT_EQ(r.filters[3].line, 14);
    EXPECT_EQ(r.filters[3].type, kHighShelf);
}

TEST(FilterText, RefusesWhatTheBandsCannotMakeAndMalformedLines) {
    struct Case {
        const char* text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"Filter 1: ON LP Fc 80 Hz", 1, "pass filters (LP)"},
        {"Filter 1: ON HPQ Fc 80 Hz Q 0.7", 1, "pass filters (HPQ)"},
        {"Filter 1: ON NO Fc 80 Hz", 1, "notch filters"},
        {"Filter 1: ON AP Fc 80 Hz Q 1", 1, "all-pass filters"},
        {"Filter 1: ON BP Fc 80 Hz Q 1", 1, "band-pass filters"},
        {"Filter 1: ON LS 6dB Fc 80 Hz Gain 3 dB", 1, "6dB per octave"},
        {"Filter 1: ON XYZ Fc 80 Hz", 1, "unknown filter type 'XYZ'"},
        {"Filter 1: PK Fc 80 Hz Gain 1 dB Q 1", 1, "expected ON or OFF"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1 dB", 1, "no Q"},
        {"Filter 1: ON PK Gain 1 dB Q 1", 1, "no Fc"},
        {"Filter 1: ON LSC Fc 80 Hz", 1, "no Gain"},
        {"Filter 1: ON PK Fc abc Hz Gain 1 dB Q 1", 1, "Fc needs a number"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1,5 dB Q 1", 1, "after Gain is not dB"},
        {"Filter 1: ON PK Fc 80 mHz Gain 1 dB Q 1", 1, "after Fc is not Hz or kHz"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1 dB Q 1 x", 1, "after Q: Q is a plain number"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1 dB Q 1 Q 2", 1, "Q or BW is given twice"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1 dB Q 1 BW Oct 1", 1, "Q or BW is given twice"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1 dB BW 60", 1, "BW needs 'Oct'"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1 dB Q 0", 1, "Q must lie between"},
        {"Filter 1: ON PK Fc 0 Hz Gain 1 dB Q 1", 1, "Fc must lie between"},
        {"Filter 1: ON PK Fc 100 kHz Gain 1 dB Q 1", 1, "Fc must lie between"},
        {"Filter 1: ON PK Fc 1e400 Hz Gain 1 dB Q 1", 1, "Fc needs a number"},
        {"Filter 1: ON PK Fc 80 Hz Gain 99 dB Q 1", 1, "Gain must lie between"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1 dB Q nan", 1, "Q needs a number"},
        {"Filter 1: ON PK Fc 80 Hz Gain 1 dB Q 1\nFliter 2: ON PK Fc 90 Hz", 2,
         "not a filter line"},
        {"Room EQ\nFliter 1: ON PK Fc 90 Hz Gain 1 dB Q 1", 2, "not a filter line"},
        {"Preamp: loud", 1, "a preamp needs a gain in dB"},
        {"Preamp: -3 dB\nPreamp: -2 dB", 2, "a second preamp line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FilterTextResult r = parseFilterText(c.text);
        ASSERT_EQ(r.problems.size(), 1u);
        EXPECT_EQ(r.problems[0].line, c.line);
        EXPECT_NE(r.problems[0].text.find(c.says), std::string::npos) << r.problems[0].text;
    }
}

TEST(FilterText, EveryBadLineIsReportedAndControlBytesAreNotEchoed) {
    const FilterTextResult r = parseFilterText("Filter 1: ON LP Fc 80 Hz\n"
                                               "Filter 2: ON PK Fc 80 Hz Gain 1 dB Q 1\n"
                                               "Filter 3: ON \x1b[2JPK\n");
    ASSERT_EQ(r.problems.size(), 2u);
    EXPECT_EQ(r.problems[0].line, 1);
    EXPECT_EQ(r.problems[1].line, 3);
    EXPECT_EQ(r.problems[1].text.find('\x1b'), std::string::npos) << r.problems[1].text;
    EXPECT_EQ(r.filters.size(), 1u);
}

} // namespace
} // namespace zel
