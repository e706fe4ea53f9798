// DataConver: table lookups and stored-text conversions.
#include "model/DataConver.h"

#include "model/EqTables.h"

#include <cassert>
#include <cstring>

namespace zel {

int freqToPeqIndex(double hz) {
    return nearestIndex(FreqTable, hz);
}

double peqIndexToFreq(int index) {
    assert(index >= 0 && static_cast<std::size_t>(index) < FreqTable.size());
    return FreqTable[static_cast<std::size_t>(index)];
}

int freqToXoverIndex(double hz) {
    return nearestIndex(XoverFreqTable, hz);
}

double xoverIndexToFreq(int index) {
    assert(index >= 0 && static_cast<std::size_t>(index) < XoverFreqTable.size());
    return XoverFreqTable[static_cast<std::size_t>(index)];
}

int qToIndex(double q) {
    return nearestIndex(QTable, q);
}

std::string bytesToText(const char* bytes, std::size_t n) {
    std::string_view s(bytes, n);
    // A never-written name is all zero bytes; anything after a zero byte is not text.
    if (const auto nul = s.find('\0'); nul != std::string_view::npos)
        s = s.substr(0, nul);
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

bool textToBytes(char* dest, std::size_t n, std::string_view text) {
    if (text.size() > n)
        return false;
    if (!text.empty())
        std::memcpy(dest, text.data(), text.size());
    std::memset(dest + text.size(), ' ', n - text.size());
    return true;
}

} // namespace zel
