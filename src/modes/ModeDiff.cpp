// Field-by-field comparison of two parameter stores.
#include "modes/ModeDiff.h"

#include "modes/ModeName.h"

#include "link/DumpFrame.h"
#include "modes/ModeFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace zel {

namespace {

using ByteMask = std::array<bool, kDeviceParamsSize>;

// The bytes a processor's dump sets: a dump of an all-zero store loaded over a store of
// another pattern, and the other way round, changes exactly those.
ByteMask dumpBytes() {
    ByteMask mask{};
    for (const std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        DeviceParams source;
        DeviceParams target;
        std::memset(&source, fill, sizeof source);
        std::memset(&target, fill ^ 0xFF, sizeof target);
        std::array<std::uint8_t, kDumpPayloadEnd> frame{};
        buildDumpFrame(source, frame.data(), frame.size());
        loadDumpPayload(target, frame.data());
        const auto* t = reinterpret_cast<const std::uint8_t*>(&target);
        for (std::size_t i = 0; i < kDeviceParamsSize; ++i)
            mask[i] = mask[i] || t[i] == fill;
    }
    return mask;
}

ByteMask scopeBytes(const DiffScope& scope) {
    ByteMask mask{};
    if (scope.part > 0) {
        for (const StoreRange& r : modePartRanges(scope.part))
            for (std::size_t i = 0; i < r.size; ++i)
                mask[r.offset + i] = true;
    } else {
        for (std::size_t i = kModeStoreFirstByte; i < kDeviceParamsSize; ++i)
            mask[i] = true;
        if (scope.part == 0) // a whole load keeps the device's own mode names
            for (std::size_t i = 0; i < sizeof DeviceParams::modeName; ++i)
                mask[offsetof(DeviceParams, modeName) + i] = false;
    }
    if (scope.dumpOnly) {
        static const ByteMask dump = dumpBytes();
        for (std::size_t i = 0; i < mask.size(); ++i)
            mask[i] = mask[i] && dump[i];
    }
    return mask;
}

// The record a member belongs to when it is shown on one line with its siblings.
std::string recordOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return name;
    const std::string_view base(name.data(), dot);
    for (std::string_view r : {"eqBand[", "dance.eqBand[", "filter[", "dance.filter["})
        if (base.substr(0, r.size()) == r)
            return std::string(base);
    return name;
}

std::string blockOf(const std::string& name) {
    return name.substr(0, name.find('['));
}

// Only EQ bands have a type member.
const char* const kBandTypeNames[] = {"peak", "low shelf", "high shelf"};

std::string shownText(const Field& f, unsigned value) {
    std::string t = displayText(f, value);
    if (t.empty() && f.name.ends_with(".type") && value < std::size(kBandTypeNames))
        t = kBandTypeNames[value];
    return t;
}

// A mode name in quotes, with quotes, backslashes and control bytes escaped.
std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string valueText(const FieldChange& c, bool second) {
    if (c.field->isText())
        return quoted(second ? c.textB : c.textA);
    const unsigned v = second ? c.b : c.a;
    const std::string& t = second ? c.textB : c.textA;
    return t.empty() ? std::to_string(v) : std::to_string(v) + " (" + t + ")";
}

std::string changeText(const FieldChange& c) {
    return valueText(c, false) + " -> " + valueText(c, true);
}

} // namespace

StoreDiff diffStores(const DeviceParams& a, const DeviceParams& b, const DiffScope& scope) {
    const ByteMask mask = scopeBytes(scope);
    StoreDiff d;
    for (const Field& f : allFields()) {
        if (!mask[f.offset])
            continue;
        FieldChange c;
        c.field = &f;
        if (f.isText()) {
            c.textA = textFieldText(a, f);
            c.textB = textFieldText(b, f);
            if (c.textA == c.textB)
                continue;
        } else {
            c.a = readField(a, f);
            c.b = readField(b, f);
            if (c.a == c.b)
                continue;
            c.textA = shownText(f, c.a);
            c.textB = shownText(f, c.b);
        }
        const std::string record = recordOf(f.name);
        if (d.records.empty() || d.records.back().record != record)
            d.records.push_back(RecordChange{record, blockOf(f.name), {}});
        d.records.back().fields.push_back(std::move(c));
        ++d.fieldCount;
        const std::string block = d.records.back().block;
        auto it = std::find_if(d.blocks.begin(), d.blocks.end(),
                               [&](const BlockCount& bc) { return bc.block == block; });
        if (it == d.blocks.end())
            d.blocks.push_back({block, 1});
        else
            ++it->fields;
    }
    return d;
}

std::string changeLine(const RecordChange& r) {
    if (r.fields.size() == 1)
        return r.fields[0].field->name + ": " + changeText(r.fields[0]);
    std::string line = r.record + ":";
    for (std::size_t i = 0; i < r.fields.size(); ++i) {
        const std::string& name = r.fields[i].field->name;
        line += (i ? ", " : " ") + name.substr(r.record.size() + 1) + " " + changeText(r.fields[i]);
    }
    return line;
}

std::string summaryLine(const StoreDiff& d) {
    if (d.same())
        return "no differences";
    std::string line =
        std::to_string(d.fieldCount) + (d.fieldCount == 1 ? " field differs:" : " fields differ:");
    for (std::size_t i = 0; i < d.blocks.size(); ++i)
        line += (i ? ", " : " ") + d.blocks[i].block + " " + std::to_string(d.blocks[i].fields);
    return line;
}

} // namespace zel
