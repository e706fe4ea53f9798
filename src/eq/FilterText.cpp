// Reader of the parametric-filter text export.
#include "eq/FilterText.h"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace zel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Beyond these a filter is no measurement result: half the device's sample rate, and far
// past any gain or Q a room correction uses.
constexpr double kMaxTextHz = kSampleRate / 2;
constexpr double kMaxTextGainDb = 60;
constexpr double kMaxTextQ = 1000;
constexpr double kMaxTextOctaves = 10;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isSpace(s[i]))
            ++i;
        const std::size_t start = i;
        while (i < s.size() && !isSpace(s[i]))
            ++i;
        if (i > start)
            out.push_back(s.substr(start, i - start));
    }
    return out;
}

// A decimal number at the start of `s` (an optional sign, digits, an optional fraction and
// exponent); `rest` is what follows it, such as an attached unit. False unless it is finite.
bool leadingNumber(std::string_view s, double& value, std::string_view& rest) {
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() == '+' || s.front() == '-')
        return false;
    const auto [end, ec] =
        std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (ec != std::errc() || !std::isfinite(value))
        return false;
    if (negative)
        value = -value;
    rest = s.substr(static_cast<std::size_t>(end - s.data()));
    return true;
}

// Printable form of a line or word for a message: control bytes become '?', and it is cut
// to a readable length.
std::string shown(std::string_view s) {
    constexpr std::size_t kMax = 60;
    std::string out;
    for (char c : s.substr(0, kMax))
        out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    if (s.size() > kMax)
        out += "...";
    return out;
}

// Why a type the bands cannot make is refused; empty for a type that is not refused.
std::string refusedType(std::string_view t) {
    for (std::string_view pass : {"LP", "LPQ", "LP1", "LPF", "HP", "HPQ", "HP1", "HPF"})
        if (equalsNoCase(t, pass))
            return "pass filters (" + std::string(t) +
                   ") are not offered by the EQ bands; set the block's crossover filters "
                   "instead";
    if (equalsNoCase(t, "BP"))
        return "band-pass filters (BP) are not offered by the EQ bands";
    if (equalsNoCase(t, "NO"))
        return "notch filters (NO) are not offered by the EQ bands; use a PK filter with "
               "negative gain";
    if (equalsNoCase(t, "AP"))
        return "all-pass filters (AP) are not offered by the EQ bands";
    return {};
}

bool shelfType(std::string_view t, FilterType& type) {
    for (std::string_view s : {"LS", "LSC", "LSQ"})
        if (equalsNoCase(t, s)) {
            type = kLowShelf;
            return true;
        }
    for (std::string_view s : {"HS", "HSC", "HSQ"})
        if (equalsNoCase(t, s)) {
            type = kHighShelf;
            return true;
        }
    return false;
}

// The words of one filter line after "Filter N:". Returns an empty string, or the problem.
std::string readFilterWords(const std::vector<std::string_view>& w, TextFilter& f) {
    if (w.empty() || (!equalsNoCase(w[0], "ON") && !equalsNoCase(w[0], "OFF")))
        return "expected ON or OFF after the filter number";
    f.enabled = equalsNoCase(w[0], "ON");
    if (w.size() < 2)
        return f.enabled ? "no filter type" : std::string();
    f.typeToken = std::string(w[1]);
    if (!f.enabled)
        return {}; // an OFF filter does nothing, whatever its type
    if (equalsNoCase(w[1], "None"))
        return {}; // an empty slot of the export
    if (std::string why = refusedType(w[1]); !why.empty())
        return why;

    std::size_t i = 2;
    bool shelf = false;
    if (equalsNoCase(w[1], "PK") || equalsNoCase(w[1], "PEQ")) {
        f.type = kPeaking;
    } else if (shelfType(w[1], f.type)) {
        shelf = true;
        // "LS 6dB" / "LS 12dB": the shelf's slope per octave.
        double slope = 0;
        std::string_view unit;
        if (i < w.size() && leadingNumber(w[i], slope, unit) && equalsNoCase(unit, "dB")) {
            if (slope != 12)
                return "shelves of " + shown(w[i]) +
                       " per octave are not offered by the EQ bands (only 12 dB)";
            ++i;
        }
    } else {
        return "unknown filter type '" + shown(w[1]) + "'";
    }

    bool haveFc = false, haveGain = false, haveQ = false;
    const auto keyFlag = [&](std::string_view key) -> bool* {
        if (equalsNoCase(key, "Fc"))
            return &haveFc;
        if (equalsNoCase(key, "Gain"))
            return &haveGain;
        if (equalsNoCase(key, "Q") || equalsNoCase(key, "BW"))
            return &haveQ;
        return nullptr;
    };
    while (i < w.size()) {
        const std::string_view key = w[i++];
        bool* seen = keyFlag(key);
        if (!seen)
            return "unknown parameter '" + shown(key) + "'";
        if (*seen)
            return seen == &haveQ ? "Q or BW is given twice" : shown(key) + " is given twice";
        *seen = true;
        // Older exports give the bandwidth in octaves instead of a Q: "BW Oct 0.50".
        const bool octaves = equalsNoCase(key, "BW");
        if (octaves && (i >= w.size() || !equalsNoCase(w[i++], "Oct")))
            return "BW needs 'Oct' and a bandwidth in octaves";
        double value = 0;
        std::string_view unit;
        if (i >= w.size() || !leadingNumber(w[i], value, unit))
            return shown(key) + " needs a number";
        ++i;
        // The unit may be attached ("1000Hz") or the next word ("1000 Hz").
        if (unit.empty() && i < w.size() && !keyFlag(w[i]))
            unit = w[i++];
        if (seen == &haveFc) {
            if (equalsNoCase(unit, "kHz"))
                value *= 1000;
            else if (!unit.empty() && !equalsNoCase(unit, "Hz"))
                return "'" + shown(unit) + "' after Fc is not Hz or kHz";
            if (!(value > 0) || value >= kMaxTextHz)
                return "Fc must lie between 0 and 96000 Hz";
            f.hz = value;
        } else if (seen == &haveGain) {
            if (!unit.empty() && !equalsNoCase(unit, "dB"))
                return "'" + shown(unit) + "' after Gain is not dB";
            if (std::abs(value) > kMaxTextGainDb)
                return "Gain must lie between -60 and +60 dB";
            f.db = value;
        } else if (octaves) {
            if (!unit.empty())
                return "'" + shown(unit) + "' after BW Oct: the bandwidth is a plain number";
            if (!(value > 0) || value > kMaxTextOctaves)
                return "BW must lie between 0 and 10 octaves";
            const double span = std::exp2(value);
            f.q = std::sqrt(span) / (span - 1);
        } else {
            if (!unit.empty())
                return "'" + shown(unit) + "' after Q: Q is a plain number";
            if (!(value > 0) || value > kMaxTextQ)
                return "Q must lie between 0 and 1000";
            f.q = value;
        }
    }
    if (!haveFc)
        return "no Fc";
    if (!haveGain)
        return "no Gain";
    if (!haveQ) {
        if (!shelf)
            return "no Q";
        f.q = kShelfDefaultQ;
    }
    return {};
}

// "Filter", an optional number, ':'. False when the line is no filter line at all.
bool filterHead(std::string_view line, int& number, std::string_view& rest, bool& badNumber) {
    if (!startsWithNoCase(line, "Filter"))
        return false;
    std::string_view s = trim(line.substr(6));
    number = -1;
    badNumber = false;
    if (!s.empty() && s.front() >= '0' && s.front() <= '9') {
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), number);
        if (ec != std::errc()) {
            badNumber = true;
            number = -1;
        }
        std::size_t used = 0;
        while (used < s.size() && s[used] >= '0' && s[used] <= '9')
            ++used;
        s = trim(s.substr(used));
    }
    if (s.empty() || s.front() != ':')
        return false;
    rest = s.substr(1);
    return true;
}

} // namespace

FilterTextResult parseFilterText(std::string_view text) {
    FilterTextResult r;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());

    bool started = false; // a filter or preamp line has been seen
    int lineNo = 0;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::string_view raw = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        ++lineNo;
        const std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#' || line.front() == ';' || line.substr(0, 2) == "//")
            continue;

        int number = -1;
        std::string_view rest;
        bool badNumber = false;
        if (filterHead(line, number, rest, badNumber)) {
            started = true;
            TextFilter f;
            f.line = lineNo;
            f.number = number;
            std::string why = badNumber ? "filter number out of range" : std::string();
            if (why.empty())
                why = readFilterWords(words(rest), f);
            if (!why.empty())
                r.problems.push_back({lineNo, why + ": " + shown(line)});
            else if (!f.enabled || !equalsNoCase(f.typeToken, "None"))
                r.filters.push_back(std::move(f));
            continue;
        }
        if (startsWithNoCase(line, "Preamp") && trim(line.substr(6)).substr(0, 1) == ":") {
            started = true;
            const std::string_view value = trim(trim(line.substr(6)).substr(1));
            const std::vector<std::string_view> w = words(value);
            double db = 0;
            std::string_view unit;
            bool ok = !w.empty() && w.size() <= 2 && leadingNumber(w[0], db, unit);
            if (ok && w.size() == 2)
                ok = unit.empty() && equalsNoCase(w[1], "dB");
            else if (ok)
                ok = unit.empty() || equalsNoCase(unit, "dB");
            if (!ok)
                r.problems.push_back({lineNo, "a preamp needs a gain in dB: " + shown(line)});
            else if (r.preampDb)
                r.problems.push_back({lineNo, "a second preamp line: " + shown(line)});
            else
                r.preampDb = db;
            continue;
        }
        // The export's title lines come first; a line that names a corner frequency is a
        // mistyped filter wherever it stands.
        bool namesFc = false;
        for (const std::string_view word : words(line))
            namesFc = namesFc || equalsNoCase(word, "Fc");
        if (!started && !namesFc) {
            ++r.headerLines;
            continue;
        }
        r.problems.push_back({lineNo, "not a filter line: " + shown(line)});
    }
    return r;
}

} // namespace zel
