// CFaultPlan: frame selectors and the per-frame fault decision.
#include "FaultPlan.h"

#include <cstdlib>

namespace zel::sim {

std::string parseSelector(const std::string& text, FrameSelector& out) {
    out = FrameSelector{};
    char* end = nullptr;
    if (text.rfind("cmd:", 0) == 0) {
        const std::string rest = text.substr(4);
        const unsigned long code = std::strtoul(rest.c_str(), &end, 16);
        if (end == rest.c_str() || code > 0xFF)
            return "\"" + text + "\": expected cmd:HH with a hexadecimal command byte";
        out.command = static_cast<int>(code);
        if (*end == 'x') {
            const std::string count = end + 1;
            if (count == "all") {
                out.times = -1;
            } else {
                out.times = std::atoi(count.c_str());
                if (out.times <= 0)
                    return "\"" + text + "\": the count after x must be positive or \"all\"";
            }
        } else if (*end != '\0') {
            return "\"" + text + "\": unexpected text after the command byte";
        }
        return {};
    }
    out.frameNumber = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || out.frameNumber < 1)
        return "\"" + text + "\": expected a frame number from 1 or cmd:HH[xK]";
    return {};
}

FaultDecision CFaultPlan::decide(long frameNumber, std::uint8_t command) {
    FaultDecision d;
    for (FaultRule& rule : m_rules) {
        FrameSelector& w = rule.which;
        bool hit = false;
        if (w.frameNumber > 0) {
            hit = w.frameNumber == frameNumber;
        } else if (w.command == command && w.times != 0) {
            hit = true;
            if (w.times > 0)
                --w.times;
        }
        if (!hit)
            continue;
        switch (rule.kind) {
        case FaultRule::Kind::Drop:
            d.reply = false;
            break;
        case FaultRule::Kind::Repeat:
            d.status = rule.status;
            break;
        case FaultRule::Kind::Stall:
            d.stallAfter = rule.stallAfter;
            d.stallMs = rule.stallMs;
            break;
        }
    }
    if (m_chaosPermille > 0 && static_cast<int>(nextRandom(1000)) < m_chaosPermille) {
        switch (nextRandom(5)) {
        case 0:
            d.reply = false;
            break;
        case 1:
            d.status = static_cast<std::uint8_t>(1 + nextRandom(3));
            break;
        case 2:
            d.stallAfter = static_cast<int>(nextRandom(6));
            d.stallMs = nextRandom(4) == 0 ? -1 : static_cast<int>(50 + nextRandom(650));
            break;
        case 3:
            d.garbage = static_cast<int>(1 + nextRandom(40));
            break;
        default:
            d.slowMs = static_cast<int>(1 + nextRandom(3));
            break;
        }
    }
    return d;
}

unsigned CFaultPlan::nextRandom(unsigned n) {
    // xorshift32: reproducible from the seed, the same on every platform.
    std::uint32_t x = m_chaosState;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    m_chaosState = x;
    return x % n;
}

} // namespace zel::sim
