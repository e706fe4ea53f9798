// Field counts per mode block.
#include "ModeDifference.h"

#include "link/DumpFrame.h"
#include "model/FieldTable.h"
#include "modes/ModeFile.h"

#include <cstring>
#include <vector>

namespace zel::ctl {

namespace {

// Store bytes a dump writes: loading one dump over two different stores leaves exactly
// those bytes equal.
const std::vector<bool>& dumpCarried() {
    static const std::vector<bool> carried = [] {
        DeviceParams source{};
        std::vector<std::uint8_t> frame(4096);
        buildDumpFrame(source, frame.data(), frame.size());
        DeviceParams zeros, ones;
        std::memset(&zeros, 0x00, sizeof zeros);
        std::memset(&ones, 0xFF, sizeof ones);
        loadDumpPayload(zeros, frame.data());
        loadDumpPayload(ones, frame.data());
        const auto* a = reinterpret_cast<const std::uint8_t*>(&zeros);
        const auto* b = reinterpret_cast<const std::uint8_t*>(&ones);
        std::vector<bool> v(sizeof(DeviceParams));
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = a[i] == b[i];
        return v;
    }();
    return carried;
}

// The block of a store byte, -1 outside every part.
int blockOf(std::size_t offset) {
    for (int part = PartMusic; part <= PartSystem; ++part)
        for (const StoreRange& r : modePartRanges(part))
            if (offset >= r.offset && offset < r.offset + r.size)
                return part - PartMusic;
    return -1;
}

} // namespace

const char* modeBlockName(int block) {
    static const char* const names[kModeBlockCount] = {"music", "micA", "micB", "outputs",
                                                       "system"};
    return block >= 0 && block < kModeBlockCount ? names[block] : "";
}

int ModeDifference::total() const {
    int n = 0;
    for (int f : fields)
        n += f;
    return n;
}

std::string ModeDifference::summary() const {
    std::string s;
    for (int b = 0; b < kModeBlockCount; ++b)
        if (fields[static_cast<std::size_t>(b)] > 0)
            s += (s.empty() ? "" : ", ") + std::string(modeBlockName(b)) + " " +
                 std::to_string(fields[static_cast<std::size_t>(b)]);
    return s.empty() ? "none" : s;
}

ModeDifference compareModeFields(const DeviceParams& device, const DeviceParams& mode) {
    ModeDifference d;
    const std::vector<bool>& carried = dumpCarried();
    for (const Field& f : allFields()) {
        if (f.isText() || f.offset < kModeStoreFirstByte || !carried[f.offset])
            continue;
        if (f.delivery != Delivery::ChangeDetector && f.delivery != Delivery::Command)
            continue;
        const int block = blockOf(f.offset);
        if (block >= 0 && readField(device, f) != readField(mode, f))
            ++d.fields[static_cast<std::size_t>(block)];
    }
    return d;
}

} // namespace zel::ctl
