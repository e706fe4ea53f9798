// DataConver: the text tables of the dynamics controls, the lookups between physical values
// and the stored table indices, and the conversion of stored mode names to and from text.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

// Attack times in milliseconds (the pages add "ms"); index of compressor and gate attack.
inline constexpr std::array<std::string_view, 16> AttackTimeTable = {
    "0.5", "0.7", "1.0", "1.4", "2.0", "2.8", "4.0", "5.7",
    "8.0", "11",  "16",  "23",  "32",  "45",  "64",  "90",
};

// Compressor release as a multiple of the attack time.
inline constexpr std::array<std::string_view, 8> CompReleaseTable = {
    "Atk X2", "Atk X4", "Atk X6", "Atk X8", "Atk X12", "Atk X16", "Atk X24", "Atk X32",
};

// Noise-gate release as a multiple of the attack time.
inline constexpr std::array<std::string_view, 8> GateReleaseTable = {
    "Atk X6", "Atk X12", "Atk X18", "Atk X24", "Atk X36", "Atk X48", "Atk X72", "Atk X96",
};

// Compressor ratios; the device's steps widen towards the top and end in a limiter (100).
inline constexpr std::array<std::string_view, 41> RatioTable = {
    "1.0", "1.2", "1.4",  "1.6",  "1.8",  "2.0", "2.4", "2.8", "3.2", "3.6", "4.0",
    "4.4", "4.8", "5.2",  "5.6",  "6.0",  "6.4", "6.8", "7.2", "7.6", "8.0", "8.4",
    "9.0", "9.6", "10.2", "10.8", "11.4", "12",  "13",  "14",  "15",  "16",  "17",
    "18",  "19",  "20",   "22",   "24",   "26",  "30",  "100",
};

// Nearest parametric-band frequency index (0..361) for f in Hz; -1 above the last entry.
int freqToPeqIndex(double hz);
// FreqTable[index]; index 0..361 (asserted).
double peqIndexToFreq(int index);
// Nearest crossover frequency index (0..362) for f in Hz; -1 above the last entry.
int freqToXoverIndex(double hz);
// XoverFreqTable[index]; index 0..362 (asserted). Index 0 is the "off" position.
double xoverIndexToFreq(int index);
// Nearest Q index (0..100); -1 above the last entry.
int qToIndex(double q);

// The first n bytes of a stored text (up to the first zero byte), spaces trimmed at both
// ends. Stored mode names are 20 bytes, space-padded and not terminated.
std::string bytesToText(const char* bytes, std::size_t n);

// Copies text into dest and pads with spaces up to n bytes. A text longer than n bytes is
// refused: dest is left untouched and the result is false.
bool textToBytes(char* dest, std::size_t n, std::string_view text);

// The caption of a polarity button: "+" for a non-zero flag, "-" for zero.
constexpr std::string_view PolarityText(unsigned flag) {
    return flag != 0 ? "+" : "-";
}

} // namespace zel
