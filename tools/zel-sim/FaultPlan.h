// CFaultPlan: which received frames the simulator answers wrongly, and how.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::sim {

// Picks frames: the N-th frame received (from 1, over the simulator's life), or the next
// `times` frames carrying a command (times < 0: all of them).
struct FrameSelector {
    long frameNumber = 0; // 0: select by command
    int command = -1;
    int times = 1;
};

struct FaultRule {
    enum class Kind { Drop, Repeat, Stall } kind = Kind::Drop;
    FrameSelector which;
    std::uint8_t status = 2; // Repeat: the status sent back (1..3 ask for the frame again)
    int stallAfter = 0;      // Stall: reply bytes sent before the pause
    int stallMs = -1;        // Stall: length of the pause; < 0 = the rest never comes
};

// Parses "N" or "cmd:HH[xK]" (K a count or "all"); returns an empty string or the error.
std::string parseSelector(const std::string& text, FrameSelector& out);

// What to do with one received frame.
struct FaultDecision {
    bool reply = true;
    std::uint8_t status = 0;
    int stallAfter = -1; // < 0: no stall
    int stallMs = -1;
    int garbage = 0; // noise bytes before this reply (besides --garbage)
    int slowMs = 0;  // this reply byte by byte, this far apart (besides --slow)
};

class CFaultPlan {
public:
    void add(const FaultRule& rule) { m_rules.push_back(rule); }
    // Random faults: each frame, with probability permille / 1000, one of a dropped reply,
    // a repeat request (status 1..3), a stall (a few bytes, then a pause of up to 700 ms or
    // for ever), noise before the reply, or a reply sent byte by byte.
    void setChaos(unsigned seed, int permille) {
        m_chaosState = seed ? seed : 1;
        m_chaosPermille = permille;
    }
    // Decides for frame number `frameNumber` (from 1) carrying `command`; rules selected
    // by command use up one of their frames. Every matching rule applies.
    FaultDecision decide(long frameNumber, std::uint8_t command);

private:
    unsigned nextRandom(unsigned n);

    std::vector<FaultRule> m_rules;
    std::uint32_t m_chaosState = 1;
    int m_chaosPermille = 0;
};

} // namespace zel::sim
