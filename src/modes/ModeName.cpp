// Mode names between the store's GBK bytes and UTF-8.
#include "modes/ModeName.h"

#include "modes/ModeTexts.h"
#include "platform/CodePage.h"

namespace zel {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// Length of the GBK character starting at `s[0]`: 1 for ASCII, 2 for a lead byte followed by
// a trail byte, 0 when no character starts there.
std::size_t gbkCharLength(const unsigned char* s, std::size_t left) {
    if (s[0] < 0x80)
        return 1;
    if (s[0] >= 0x81 && s[0] <= 0xFE && left >= 2 && s[1] >= 0x40 && s[1] <= 0xFE && s[1] != 0x7F)
        return 2;
    return 0;
}

} // namespace

bool encodeModeName(std::string_view utf8, std::string& stored, std::string& error) {
    for (char c : utf8) {
        if (isControl(static_cast<unsigned char>(c))) {
            error = pick(modetext::NameControl);
            return false;
        }
    }
    if (!utf8ToGbk(utf8, stored)) {
        error = pick(modetext::NameNotGbk);
        return false;
    }
    if (stored.size() > static_cast<std::size_t>(kModeNameLength)) {
        error = pick(modetext::NameTooLongPrefix) + std::to_string(stored.size()) +
                pick(modetext::NameTooLongSuffix);
        return false;
    }
    return true;
}

std::string decodeModeName(const char* stored, std::size_t size) {
    while (size > 0 && (stored[size - 1] == ' ' || stored[size - 1] == '\0'))
        --size;
    std::string out;
    if (gbkToUtf8(std::string_view(stored, size), out))
        return out;
    // Character by character, so one bad byte costs one replacement and not the name.
    out.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(stored);
    std::string one;
    for (std::size_t i = 0; i < size;) {
        const std::size_t n = gbkCharLength(s + i, size - i);
        if (n != 0 && gbkToUtf8(std::string_view(stored + i, n), one)) {
            out += one;
            i += n;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

std::string modeNameText(const DeviceParams& p, int mode) {
    if (mode < 0 || mode >= kModeCount)
        return {};
    return decodeModeName(p.modeName[mode], kModeNameLength);
}

std::string textFieldText(const DeviceParams& p, const Field& f) {
    return decodeModeName(reinterpret_cast<const char*>(&p) + f.offset, f.size());
}

} // namespace zel
