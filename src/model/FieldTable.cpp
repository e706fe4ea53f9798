// FieldTable: the named fields of the parameter store, built once from the record's layout.
#include "model/FieldTable.h"

#include "model/DataConver.h"
#include "model/EqTables.h"
#include "model/StoreWrite.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace zel {

namespace {

constexpr std::uint16_t kFullByte = 0xFF;

struct Range {
    std::uint16_t min;
    std::uint16_t max;
};
constexpr Range kFlag{0, 1};
constexpr Range kDigit{0, 9};
// Spare bytes and bytes that no control writes: every byte value is possible.
constexpr Range kAnyByte{0, kFullByte};

// byteParam by index: echo repeats, echo/reverb and direct levels (percent), output and
// record mixes (index x 2 percent), right-channel pre-delay and delay (delay is index - 50).
constexpr Range kByteParamRange[34] = {
    {0, 90},  {0, 90},  {0, 100}, {0, 100}, {0, 100}, {0, 100}, {0, 100}, {0, 100}, {0, 100},
    {0, 100}, {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250},
    {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250}, {0, 250},
    {0, 250}, {0, 250}, {0, 250}, {0, 50},  {0, 50},  {0, 100}, {0, 100},
};

// timeParam by index: echo pre-delay and delay (x 2 ms), reverb pre-delay (x 2 ms) and
// reverb time (x 62.5 ms), output delays (x 0.1 ms; the Subwoofer's is centred on 500).
constexpr Range kTimeParamRange[14] = {
    {0, 125},  {0, 250}, {0, 125}, {0, 80},  {0, 500}, {0, 500}, {0, 500},
    {0, 1000}, {0, 500}, {0, 500}, {0, 125}, {0, 250}, {0, 125}, {0, 80},
};

// Crossover records by command index. The echo and reverb filters carry no slope the
// program sets, and only the two Subwoofer filters use the user Q: those bytes keep the
// full byte range.
struct FilterRange {
    Range freq;
    Range slope;
    Range userQ;
    bool subwoofer;
};
constexpr Range kHighPassLow{0, 143};  // up to 303 Hz
constexpr Range kHighPassHigh{0, 205}; // up to 1000 Hz
constexpr Range kLowPass{298, 362};    // 5990 Hz .. 20.6 kHz, also the echo high-damp
constexpr Range kSlope{0, 1};          // 12 / 24 dB per octave
constexpr Range kSubType{0, 4};        // Bessel, Butterworth, Linkwitz-Riley, two user types
constexpr Range kUserQ{0, 28};         // UserQTable; the Subwoofer sliders offer 0..23 of it
constexpr FilterRange kFilterRange[16] = {
    {kHighPassLow, kSlope, kAnyByte, false},    // 0 music high-pass
    {kHighPassLow, kSlope, kAnyByte, false},    // 1 microphone A high-pass
    {kHighPassLow, kSlope, kAnyByte, false},    // 2 microphone B high-pass
    {kHighPassLow, kSlope, kAnyByte, false},    // 3 Center high-pass
    {kHighPassLow, kSubType, kUserQ, true},     // 4 Subwoofer high-pass
    {kHighPassHigh, kAnyByte, kAnyByte, false}, // 5 echo A high-pass
    {kHighPassHigh, kAnyByte, kAnyByte, false}, // 6 reverb A high-pass
    {kHighPassHigh, kAnyByte, kAnyByte, false}, // 7 echo B high-pass
    {kHighPassHigh, kAnyByte, kAnyByte, false}, // 8 reverb B high-pass
    {kLowPass, kAnyByte, kAnyByte, false},      // 9 echo A low-pass
    {kLowPass, kAnyByte, kAnyByte, false},      // 10 reverb A low-pass
    {kLowPass, kAnyByte, kAnyByte, false},      // 11 echo A high-damp
    {kLowPass, kAnyByte, kAnyByte, false},      // 12 echo B low-pass
    {kLowPass, kAnyByte, kAnyByte, false},      // 13 reverb B low-pass
    {kLowPass, kAnyByte, kAnyByte, false},      // 14 echo B high-damp
    {kHighPassLow, kSubType, kUserQ, true},     // 15 Subwoofer low-pass
};

// Master levels and volume limits: music and microphone go to 84, the effect to 70.
constexpr Range kLevelRange[3] = {{0, 84}, {0, 84}, {0, 70}};

// Singing-bank elements are those with a Dance copy.
Bank bankOf(BankedArray array, int index) {
    return hasDanceCopy(array, index) ? Bank::Singing : Bank::Shared;
}

std::string indexed(std::string_view base, int i) {
    return std::string(base) + '[' + std::to_string(i) + ']';
}

class TableBuilder {
public:
    std::vector<Field> fields;

    void add(std::string name, std::size_t offset, FieldWidth width, Range range, Delivery delivery,
             std::uint8_t command, int deviceIndex, Bank bank = Bank::Shared,
             Display display = Display::None) {
        fields.push_back(Field{std::move(name), static_cast<std::uint16_t>(offset), width,
                               range.min, range.max, delivery, command,
                               static_cast<std::int16_t>(deviceIndex), bank, display});
    }

    // One byte per element of a byte array; the frame's index is the element's unless the
    // frame carries the whole array.
    void byteArray(std::string_view base, std::size_t offset, int count, Range range,
                   std::uint8_t command, Delivery delivery = Delivery::ChangeDetector,
                   bool wholeArray = false) {
        for (int i = 0; i < count; ++i)
            add(indexed(base, i), offset + static_cast<std::size_t>(i), FieldWidth::Byte, range,
                delivery, command, command == 0 || wholeArray ? -1 : i);
    }

    void eqBand(const std::string& prefix, std::size_t offset, int deviceIndex, Bank bank) {
        add(prefix + ".freq", offset + offsetof(EqBand, freq), FieldWidth::Word, {0, 361},
            Delivery::ChangeDetector, 0x03, deviceIndex, bank, Display::PeqFreq);
        add(prefix + ".gain", offset + offsetof(EqBand, gain), FieldWidth::Word, {0, 360},
            Delivery::ChangeDetector, 0x03, deviceIndex, bank, Display::EqGain);
        add(prefix + ".q", offset + offsetof(EqBand, q), FieldWidth::Byte, {0, 100},
            Delivery::ChangeDetector, 0x03, deviceIndex, bank, Display::Q);
        add(prefix + ".type", offset + offsetof(EqBand, type), FieldWidth::Byte, {0, 2},
            Delivery::ChangeDetector, 0x03, deviceIndex, bank);
    }

    void filter(const std::string& prefix, std::size_t offset, int deviceIndex, Bank bank) {
        const FilterRange& r = kFilterRange[deviceIndex];
        add(prefix + ".freq", offset + offsetof(FilterParams, freq), FieldWidth::Word, r.freq,
            Delivery::ChangeDetector, 0x04, deviceIndex, bank, Display::XoverFreq);
        add(prefix + ".slope", offset + offsetof(FilterParams, slope), FieldWidth::Byte, r.slope,
            Delivery::ChangeDetector, 0x04, deviceIndex, bank);
        add(prefix + ".userQ", offset + offsetof(FilterParams, userQ), FieldWidth::Byte, r.userQ,
            Delivery::ChangeDetector, 0x04, deviceIndex, bank,
            r.subwoofer ? Display::UserQ : Display::None);
    }
};

std::vector<Field> buildTable() {
    TableBuilder t;
    const auto at = [](std::size_t groupOffset, int i, std::size_t elementSize) {
        return groupOffset + static_cast<std::size_t>(i) * elementSize;
    };

    for (int i = 0; i < 3; ++i)
        t.add(indexed("masterVolume", i), offsetof(DeviceParams, masterVolume) + std::size_t(i),
              FieldWidth::Byte, kLevelRange[i], Delivery::ChangeDetector, 0x01, i);
    t.byteArray("masterMute", offsetof(DeviceParams, masterMute), 3, kFlag, 0x01,
                Delivery::Derived);

    for (int i = 0; i < 34; ++i)
        t.add(indexed("byteParam", i), offsetof(DeviceParams, byteParam) + std::size_t(i),
              FieldWidth::Byte, kByteParamRange[i], Delivery::ChangeDetector, 0x02, i,
              bankOf(BankedArray::ByteParam, i));

    for (int i = 0; i < kEqBandCount; ++i)
        t.eqBand(indexed("eqBand", i), at(offsetof(DeviceParams, eqBand), i, sizeof(EqBand)), i,
                 bankOf(BankedArray::EqBand, i));

    for (int i = 0; i < 16; ++i)
        t.filter(indexed("filter", i), at(offsetof(DeviceParams, filter), i, sizeof(FilterParams)),
                 i, bankOf(BankedArray::Filter, i));

    for (int i = 0; i < 14; ++i)
        t.add(indexed("timeParam", i), at(offsetof(DeviceParams, timeParam), i, sizeof(U16le)),
              FieldWidth::Word, kTimeParamRange[i], Delivery::ChangeDetector, 0x05, i);

    t.byteArray("fbeMode", offsetof(DeviceParams, fbeMode), 2, {0, 5}, 0x06);

    for (int i = 0; i < 7; ++i) {
        const std::string prefix = indexed("compressor", i);
        const std::size_t base =
            at(offsetof(DeviceParams, compressor), i, sizeof(CompressorParams));
        t.add(prefix + ".threshold", base + offsetof(CompressorParams, threshold), FieldWidth::Byte,
              {0, 34}, Delivery::ChangeDetector, 0x07, i);
        t.add(prefix + ".attack", base + offsetof(CompressorParams, attack), FieldWidth::Byte,
              {0, 15}, Delivery::ChangeDetector, 0x07, i, Bank::Shared, Display::AttackTime);
        t.add(prefix + ".release", base + offsetof(CompressorParams, release), FieldWidth::Byte,
              {0, 7}, Delivery::ChangeDetector, 0x07, i, Bank::Shared, Display::CompRelease);
        t.add(prefix + ".ratio", base + offsetof(CompressorParams, ratio), FieldWidth::Byte,
              {0, 40}, Delivery::ChangeDetector, 0x07, i, Bank::Shared, Display::Ratio);
    }

    t.byteArray("outputMute", offsetof(DeviceParams, outputMute), 6, kFlag, 0x08);

    for (int i = 0; i < kEqSectionCount; ++i)
        t.add(indexed("eqBypass", i), offsetof(DeviceParams, eqBypass) + std::size_t(i),
              FieldWidth::Byte, kFlag, Delivery::ChangeDetector, 0x09, i,
              bankOf(BankedArray::EqBypass, i));

    t.add("spare981", offsetof(DeviceParams, spare981), FieldWidth::Byte, kAnyByte, Delivery::Never,
          0, -1);

    for (int i = 0; i < 3; ++i) {
        const std::string prefix = indexed("noiseGate", i);
        const std::size_t base = at(offsetof(DeviceParams, noiseGate), i, sizeof(NoiseGateParams));
        t.add(prefix + ".threshold", base + offsetof(NoiseGateParams, threshold), FieldWidth::Byte,
              {0, 60}, Delivery::ChangeDetector, 0x0A, i);
        t.add(prefix + ".attack", base + offsetof(NoiseGateParams, attack), FieldWidth::Byte,
              {0, 15}, Delivery::ChangeDetector, 0x0A, i, Bank::Shared, Display::AttackTime);
        t.add(prefix + ".release", base + offsetof(NoiseGateParams, release), FieldWidth::Byte,
              {0, 7}, Delivery::ChangeDetector, 0x0A, i, Bank::Shared, Display::GateRelease);
        // The frame carries only the first three bytes of the record.
        t.add(prefix + ".spare", base + offsetof(NoiseGateParams, spare), FieldWidth::Byte,
              kAnyByte, Delivery::Never, 0, -1);
    }

    for (int i = 0; i < 28; ++i)
        t.add(indexed("phase", i), offsetof(DeviceParams, phase) + std::size_t(i), FieldWidth::Byte,
              kFlag, Delivery::ChangeDetector, 0x0B, i, bankOf(BankedArray::Phase, i),
              Display::Polarity);

    // Inputs 1, 2, optical and USB are 0, 1, 3 and 4; no control offers 2.
    t.add("musicInputPort", offsetof(DeviceParams, musicInputPort), FieldWidth::Byte, {0, 4},
          Delivery::ChangeDetector, 0x31, -1);
    t.add("musicInputGain", offsetof(DeviceParams, musicInputGain), FieldWidth::Byte, {0, 2},
          Delivery::ChangeDetector, 0x31, -1);
    // The password frames carry all digits at once, two to a byte.
    t.byteArray("keyLockPassword", offsetof(DeviceParams, keyLockPassword), 4, kDigit, 0x32,
                Delivery::Command, true);
    t.add("keyLockOff", offsetof(DeviceParams, keyLockOff), FieldWidth::Byte, kFlag,
          Delivery::Command, 0x33, -1);
    t.add("userMode", offsetof(DeviceParams, userMode), FieldWidth::Byte, kFlag, Delivery::Command,
          0x35, -1);
    t.byteArray("adminPassword", offsetof(DeviceParams, adminPassword), 6, kDigit, 0x34,
                Delivery::Command, true);

    for (int i = 0; i < 6; ++i)
        t.add(indexed("volumeLimit", i), offsetof(DeviceParams, volumeLimit) + std::size_t(i),
              FieldWidth::Byte, kLevelRange[i / 2], Delivery::ChangeDetector, 0x36, i);

    for (int m = 0; m < kModeCount; ++m)
        t.add(indexed("modeName", m), at(offsetof(DeviceParams, modeName), m, kModeNameLength),
              FieldWidth::Text, {0, 0}, Delivery::Command, 0x37, m);

    t.byteArray("outputSolo", offsetof(DeviceParams, outputSolo), 6, kFlag, 0, Delivery::Never);
    t.add("scene", offsetof(DeviceParams, scene), FieldWidth::Byte, {0, 2},
          Delivery::ChangeDetector, 0x3A, -1);
    t.add("lastManualScene", offsetof(DeviceParams, lastManualScene), FieldWidth::Byte, {1, 2},
          Delivery::Never, 0, -1);

    // The Dance copies carry the frame index of their Singing element and its range.
    const std::size_t dance = offsetof(DeviceParams, dance);
    for (int k = 0; k < 16; ++k) {
        const int index = singingIndexOf(BankedArray::ByteParam, k);
        t.add(indexed("dance.byteParam", k),
              dance + offsetof(DanceBank, byteParam) + std::size_t(k), FieldWidth::Byte,
              kByteParamRange[index], Delivery::ChangeDetector, 0x02, index, Bank::Dance);
    }
    for (int k = 0; k < kDanceEqBandCount; ++k)
        t.eqBand(indexed("dance.eqBand", k),
                 at(dance + offsetof(DanceBank, eqBand), k, sizeof(EqBand)),
                 singingIndexOf(BankedArray::EqBand, k), Bank::Dance);
    for (int k = 0; k < 4; ++k)
        t.filter(indexed("dance.filter", k),
                 at(dance + offsetof(DanceBank, filter), k, sizeof(FilterParams)),
                 singingIndexOf(BankedArray::Filter, k), Bank::Dance);
    for (int k = 0; k < 16; ++k)
        t.add(indexed("dance.phase", k), dance + offsetof(DanceBank, phase) + std::size_t(k),
              FieldWidth::Byte, kFlag, Delivery::ChangeDetector, 0x0B,
              singingIndexOf(BankedArray::Phase, k), Bank::Dance, Display::Polarity);

    // The System page's selected device mode; the device learns it only inside the
    // name and mode-load commands.
    t.add("currentMode", offsetof(DeviceParams, currentMode), FieldWidth::Byte, {0, 5},
          Delivery::Never, 0, -1);
    t.add("spare1417", offsetof(DeviceParams, spare1417), FieldWidth::Byte, kAnyByte,
          Delivery::Never, 0, -1);
    for (int k = 0; k < 5; ++k)
        t.add(indexed("dance.eqBypass", k), offsetof(DeviceParams, danceEqBypass) + std::size_t(k),
              FieldWidth::Byte, kFlag, Delivery::ChangeDetector, 0x09,
              singingIndexOf(BankedArray::EqBypass, k), Bank::Dance);
    t.add("spare1423", offsetof(DeviceParams, spare1423), FieldWidth::Byte, kAnyByte,
          Delivery::Never, 0, -1);

    // Records list their members in declaration order, so offset order is build order;
    // the sort only guards against a future out-of-order addition.
    std::stable_sort(t.fields.begin(), t.fields.end(),
                     [](const Field& a, const Field& b) { return a.offset < b.offset; });
    return std::move(t.fields);
}

struct Registry {
    std::vector<Field> fields = buildTable();
    std::unordered_map<std::string_view, const Field*> byName = [this] {
        std::unordered_map<std::string_view, const Field*> m;
        for (const Field& f : fields)
            m.emplace(f.name, &f);
        return m;
    }();
};

const Registry& registry() {
    static const Registry r;
    return r;
}

const std::uint8_t* bytesOf(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}
std::uint8_t* bytesOf(DeviceParams& p) {
    return reinterpret_cast<std::uint8_t*>(&p);
}

template <std::size_t N>
std::string tableText(const std::array<std::string_view, N>& table, unsigned value,
                      std::string_view unit = {}) {
    if (value >= N)
        return {};
    std::string s(table[value]);
    if (!unit.empty())
        s.append(" ").append(unit);
    return s;
}

std::string hzText(double hz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, hz >= 101.0 ? "%.0f Hz" : "%.1f Hz", hz);
    return buf;
}

std::string numberText(const char* format, double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

} // namespace

std::span<const Field> allFields() {
    return registry().fields;
}

const Field* findField(std::string_view name) {
    const auto& m = registry().byName;
    const auto it = m.find(name);
    return it == m.end() ? nullptr : it->second;
}

const Field* fieldAtOffset(std::size_t offset) {
    const auto fields = allFields();
    const auto it = std::upper_bound(fields.begin(), fields.end(), offset,
                                     [](std::size_t o, const Field& f) { return o < f.offset; });
    if (it == fields.begin())
        return nullptr;
    const Field& f = *(it - 1);
    return offset < f.offset + f.size() ? &f : nullptr;
}

const Field& sceneField(const Field& f, int scene) {
    if (scene != 2 || f.bank != Bank::Singing)
        return f;
    const Field* copy = fieldAtOffset(static_cast<std::size_t>(danceOffsetOf(f.offset)));
    assert(copy && copy->offset == danceOffsetOf(f.offset));
    return *copy;
}

bool inRange(const Field& f, unsigned value) {
    return !f.isText() && value >= f.min && value <= f.max;
}

unsigned readField(const DeviceParams& p, const Field& f) {
    assert(!f.isText());
    const std::uint8_t* b = bytesOf(p) + f.offset;
    return f.width == FieldWidth::Word ? unsigned(b[0]) | (unsigned(b[1]) << 8) : b[0];
}

void writeField(DeviceParams& p, const Field& f, unsigned value) {
    assert(!f.isText());
    assert(value <= (f.width == FieldWidth::Word ? 0xFFFFu : 0xFFu));
    if (f.offset < sizeof p.masterVolume) {
        setMasterVolume(p, f.offset, static_cast<std::uint8_t>(value));
        return;
    }
    std::uint8_t* b = bytesOf(p) + f.offset;
    if (f.width == FieldWidth::Word)
        storeWrite(*reinterpret_cast<U16le*>(b), static_cast<std::uint16_t>(value));
    else
        storeWrite(*b, static_cast<std::uint8_t>(value));
}

std::string readText(const DeviceParams& p, const Field& f) {
    assert(f.isText());
    return bytesToText(reinterpret_cast<const char*>(bytesOf(p) + f.offset), f.size());
}

bool writeText(DeviceParams& p, const Field& f, std::string_view text) {
    assert(f.isText());
    return textToBytes(reinterpret_cast<char*>(bytesOf(p) + f.offset), f.size(), text);
}

std::string displayText(const Field& f, unsigned value) {
    switch (f.display) {
    case Display::None:
        return {};
    case Display::PeqFreq:
        return value < FreqTable.size() ? hzText(FreqTable[value]) : std::string{};
    case Display::XoverFreq:
        if (value == 0)
            return "OFF";
        return value < XoverFreqTable.size() ? hzText(XoverFreqTable[value]) : std::string{};
    case Display::EqGain:
        return value <= 360 ? numberText("%.1f dB", value * 0.1 - 24.0) : std::string{};
    case Display::Q:
        return value < QTable.size() ? numberText("%g", QTable[value]) : std::string{};
    case Display::UserQ:
        return value < UserQTable.size() ? numberText("%g", UserQTable[value]) : std::string{};
    case Display::AttackTime:
        return tableText(AttackTimeTable, value, "ms");
    case Display::CompRelease:
        return tableText(CompReleaseTable, value);
    case Display::GateRelease:
        return tableText(GateReleaseTable, value);
    case Display::Ratio:
        return tableText(RatioTable, value);
    case Display::Polarity:
        return std::string(PolarityText(value));
    }
    return {};
}

} // namespace zel
