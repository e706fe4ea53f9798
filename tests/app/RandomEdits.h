// RandomEdits: store edits of every kind a page makes, drawn from a seeded generator, for the
// tests that compare the device with the PC's store after many of them.
#pragma once

#include "model/DeviceParams.h"

#include <cstdint>
#include <random>

namespace zel::test {

class RandomEdits {
public:
    explicit RandomEdits(unsigned seed) : m_rng(seed) {}

    int pick(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }
    std::uint8_t u8(int n) { return static_cast<std::uint8_t>(pick(n)); }

    // One field of the Singing bank or the scene-independent fields.
    void singing(DeviceParams& p) {
        switch (pick(14)) {
        case 0:
            setMasterVolume(p, pick(3), u8(85));
            break;
        case 1:
            p.byteParam[pick(34)] = u8(100);
            break;
        case 2:
            band(p.eqBand[pick(kEqBandCount)]);
            break;
        case 3:
            filter(p.filter[pick(16)]);
            break;
        case 4:
            p.timeParam[pick(14)] = static_cast<std::uint16_t>(pick(2000));
            break;
        case 5:
            p.fbeMode[pick(2)] = u8(6);
            break;
        case 6:
            p.compressor[pick(7)] = {u8(60), u8(30), u8(30), u8(16)};
            break;
        case 7:
            p.outputMute[pick(6)] = u8(2);
            break;
        case 8:
            p.eqBypass[pick(15)] = u8(2);
            break;
        case 9: {
            NoiseGateParams& g = p.noiseGate[pick(3)];
            g.threshold = u8(60), g.attack = u8(30), g.release = u8(30);
            break;
        }
        case 10:
            p.phase[pick(28)] = u8(2);
            break;
        case 11:
            p.musicInputPort = u8(5), p.musicInputGain = u8(3);
            break;
        case 12:
            p.volumeLimit[pick(6)] = u8(85);
            break;
        default:
            band(p.eqBand[pick(10)]);
            break;
        }
    }

    // One field of the Dance bank.
    void dance(DeviceParams& p) {
        switch (pick(5)) {
        case 0:
            p.dance.byteParam[pick(16)] = u8(100);
            break;
        case 1:
            band(p.dance.eqBand[pick(kDanceEqBandCount)]);
            break;
        case 2:
            filter(p.dance.filter[pick(4)]);
            break;
        case 3:
            p.dance.phase[pick(16)] = u8(2);
            break;
        default:
            p.danceEqBypass[pick(5)] = u8(2);
            break;
        }
    }

private:
    void band(EqBand& b) {
        b.freq = static_cast<std::uint16_t>(pick(362));
        b.gain = static_cast<std::uint16_t>(pick(361));
        b.q = u8(101);
        b.type = u8(3);
    }
    void filter(FilterParams& f) {
        f.freq = static_cast<std::uint16_t>(pick(363));
        f.slope = u8(5);
        f.userQ = u8(20);
    }

    std::mt19937 m_rng;
};

} // namespace zel::test
