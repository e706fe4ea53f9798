// The dump frame: one field list walked in both directions.
#include "link/DumpFrame.h"

#include <cassert>

namespace zel {

namespace {

// Walks the payload in frame order. `c` moves one byte per u8 and two (low first) per u16.
template <class Cursor, class Params> void walkDump(Cursor& c, Params& p) {
    c.u8(p.scene);
    for (int i = 0; i < 3; ++i)
        c.masterVolume(p, i);
    for (auto& v : p.byteParam)
        c.u8(v);
    for (auto& b : p.eqBand)
        c.u16(b.freq);
    for (auto& b : p.eqBand)
        c.u16(b.gain);
    for (auto& b : p.eqBand)
        c.u8(b.q);
    for (auto& b : p.eqBand)
        c.u8(b.type);
    for (auto& f : p.filter)
        c.u16(f.freq);
    // Only the filters with a selectable slope or user Q carry them.
    c.u8(p.filter[0].slope);
    c.u8(p.filter[3].slope);
    c.u8(p.filter[4].slope);
    c.u8(p.filter[15].slope);
    c.u8(p.filter[4].userQ);
    c.u8(p.filter[15].userQ);
    for (auto& t : p.timeParam)
        c.u16(t);
    for (auto& v : p.fbeMode)
        c.u8(v);
    for (auto& x : p.compressor)
        c.u8(x.threshold);
    for (auto& x : p.compressor)
        c.u8(x.attack);
    for (auto& x : p.compressor)
        c.u8(x.release);
    for (auto& x : p.compressor)
        c.u8(x.ratio);
    for (auto& v : p.outputMute)
        c.u8(v);
    for (auto& v : p.eqBypass)
        c.u8(v);
    for (auto& g : p.noiseGate)
        c.u8(g.threshold);
    for (auto& g : p.noiseGate)
        c.u8(g.attack);
    for (auto& g : p.noiseGate)
        c.u8(g.release);
    for (auto& v : p.phase)
        c.u8(v);
    c.u8(p.musicInputPort);
    c.u8(p.musicInputGain);
    for (auto& v : p.keyLockPassword)
        c.u8(v);
    c.u8(p.keyLockOff);
    for (auto& v : p.adminPassword)
        c.u8(v);
    c.u8(p.userMode);
    for (auto& v : p.volumeLimit)
        c.u8(v);
    for (auto& name : p.modeName)
        for (auto& ch : name)
            c.ch(ch);
    for (auto& v : p.dance.byteParam)
        c.u8(v);
    for (auto& b : p.dance.eqBand)
        c.u16(b.freq);
    for (auto& b : p.dance.eqBand)
        c.u16(b.gain);
    for (auto& b : p.dance.eqBand)
        c.u8(b.q);
    for (auto& b : p.dance.eqBand)
        c.u8(b.type);
    for (auto& f : p.dance.filter)
        c.u16(f.freq);
    for (auto& f : p.dance.filter)
        c.u8(f.slope);
    c.u8(p.dance.filter[2].userQ);
    c.u8(p.dance.filter[3].userQ);
    for (auto& v : p.dance.phase)
        c.u8(v);
    c.u8(p.currentMode);
    for (auto& v : p.danceEqBypass)
        c.u8(v);
}

struct DumpWriter {
    std::uint8_t* out;
    std::size_t at = kDumpPayloadBegin;

    void u8(std::uint8_t v) { out[at++] = v; }
    void ch(char v) { out[at++] = static_cast<std::uint8_t>(v); }
    void u16(const U16le& v) {
        out[at++] = v.bytes[0];
        out[at++] = v.bytes[1];
    }
    void masterVolume(const DeviceParams& p, int i) { u8(p.masterVolume[i]); }
};

struct DumpReader {
    const std::uint8_t* in;
    std::size_t at = kDumpPayloadBegin;

    void u8(std::uint8_t& v) { v = in[at++]; }
    void ch(char& v) { v = static_cast<char>(in[at++]); }
    void u16(U16le& v) {
        v.bytes[0] = in[at++];
        v.bytes[1] = in[at++];
    }
    void masterVolume(DeviceParams& p, int i) { setMasterVolume(p, i, in[at++]); }
};

} // namespace

std::size_t buildDumpFrame(const DeviceParams& params, std::uint8_t* out, std::size_t capacity) {
    if (out == nullptr || capacity < kDumpPayloadEnd)
        return 0;
    out[0] = 0xFF;
    out[1] = 0x55;
    out[2] = 0x03;
    out[3] = 0xCC;
    out[4] = static_cast<std::uint8_t>(kDumpLengthField >> 8); // the one big-endian field
    out[5] = static_cast<std::uint8_t>(kDumpLengthField & 0xFF);
    DumpWriter w{out};
    walkDump(w, params);
    assert(w.at == kDumpPayloadEnd);
    return w.at;
}

void loadDumpPayload(DeviceParams& params, const std::uint8_t* frame) {
    DumpReader r{frame};
    walkDump(r, params);
    assert(r.at == kDumpPayloadEnd);
}

} // namespace zel
