// The text export of parametric filters that room-measurement programs write
// ("Filter 1: ON PK Fc 1000 Hz Gain -3.0 dB Q 1.41"), read into filters the bands can hold
// or into a list of the lines that cannot be used.
#pragma once

#include "eq/Filter.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Q of a second-order shelf given without one (a shelf slope of 1, 12 dB per octave).
inline constexpr double kShelfDefaultQ = 0.7071;

// One filter line as the text gives it.
struct TextFilter {
    int line = 0;               // 1-based line number in the text
    int number = -1;            // the number after "Filter", or -1 for "Filter:" without one
    bool enabled = true;        // "ON"; an "OFF" filter is read but takes no band
    std::string typeToken;      // the type as written ("PK", "LSC", ...)
    FilterType type = kPeaking; // kPeaking, kLowShelf or kHighShelf
    double hz = 0;
    double db = 0;
    double q = 0;
};

// A line that cannot be used, with the reason in the operator's terms.
struct TextProblem {
    int line = 0;
    std::string text;
};

struct FilterTextResult {
    std::vector<TextFilter> filters;   // in text order, OFF filters included
    std::optional<double> preampDb;    // the "Preamp:" line, when there is one
    std::vector<TextProblem> problems; // empty when the text can be used
    int headerLines = 0;               // lines before the first filter that were skipped
};

// Reads the whole text: a UTF-8 byte-order mark, CRLF or LF line ends, blank lines and
// comments ('#', ';' or "//") are accepted anywhere; lines before the first filter or preamp
// line that are neither (the export's title, date and notes) are skipped unless they name an
// Fc. Every later line must be a filter, a preamp, a comment or blank. Pass, notch, all-pass and first-order
// shelf filters are refused, never approximated. Safe on any bytes.
FilterTextResult parseFilterText(std::string_view text);

} // namespace zel
