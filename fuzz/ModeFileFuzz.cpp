// Fuzzes the mode-file loader with every load part: the first input byte picks the part
// (including parts that do not exist), the rest is the file. A refused file must leave the
// store, sentParams and fileParams as they were and say so once; an accepted one may
// change only the part's own fields (and master volumes pulled under the new limits), and
// the curve models it re-attaches must stay finite.
#include "eq/CurveModels.h"
#include "model/Defaults.h"
#include "modes/ModeFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace zel;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

class CountingUi : public ModeUi {
public:
    void message(const std::string&) override { ++messages; }
    bool confirm(const std::string&) override { return true; }
    int messages = 0;
};

const std::uint8_t* bytesOf(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

bool sameBytes(const DeviceParams& a, const DeviceParams& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Store offsets that load part `part` may write.
std::array<bool, kDeviceParamsSize> writable(int part) {
    std::array<bool, kDeviceParamsSize> w{};
    if (part == PartAll) {
        w.fill(true);
        for (std::size_t k = 0; k < kModeStoreFirstByte; ++k)
            w[k] = false;
        for (std::size_t k = 0; k < sizeof DeviceParams::modeName; ++k)
            w[offsetof(DeviceParams, modeName) + k] = false;
    } else {
        for (const StoreRange& r : modePartRanges(part))
            for (std::size_t k = 0; k < r.size; ++k)
                w[r.offset + k] = true;
    }
    return w;
}

struct World {
    DeviceParams factory{};
    World() {
        installCurveModels();
        initDefaults();
        factory = liveParams;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World world;
    if (size == 0)
        return 0;
    const int part = data[0] % 8;

    // A room where edits are pending, so that what goes to sentParams shows.
    liveParams = world.factory;
    sentParams = world.factory;
    fileParams = world.factory;
    liveParams.masterVolume[1] = 60;
    liveParams.eqBand[3].gain = 100;
    const DeviceParams live = liveParams, sent = sentParams, file = fileParams;

    ModeArchive ar;
    ar.bytes.assign(data + 1, data + size);
    CountingUi ui;
    const int applied = serializeMode(ar, part, ui);

    if (applied == 0) {
        check(ui.messages == 1, "a refused file says so once");
        check(sameBytes(live, liveParams), "a refused file leaves the store");
        check(sameBytes(sent, sentParams), "a refused file leaves sentParams");
        check(sameBytes(file, fileParams), "a refused file leaves fileParams");
        return 0;
    }
    check(applied == 1 && ui.messages == 0, "an accepted file is applied silently");
    check(part < kModePartCount && ar.bytes.size() == kModeFileSize, "only whole files of a part");
    check(ar.bytes[0] == 8 && std::memcmp(&ar.bytes[1], "ZEL_3.00", 8) == 0, "only the header");

    const auto mayWrite = writable(part);
    for (std::size_t k = 0; k < kDeviceParamsSize; ++k) {
        const std::uint8_t fromFile = ar.bytes[k + kModeHeaderSize - kModeStoreFirstByte];
        if (k < kModeStoreFirstByte) {
            continue; // the master levels, checked below
        } else if (mayWrite[k]) {
            check(bytesOf(liveParams)[k] == fromFile, "the part's fields come from the file");
        } else {
            check(bytesOf(liveParams)[k] == bytesOf(live)[k], "other fields stay");
        }
    }
    for (int i = 0; i < 3; ++i) {
        const std::uint8_t limit = fileParams.volumeLimit[2 * i + 1];
        const std::uint8_t was = live.masterVolume[i];
        check(liveParams.masterVolume[i] == (was > limit ? limit : was),
              "a master volume is pulled under the mode's limit only");
    }
    for (int block = 0; block < kEqBlockCount; ++block) {
        const CKTVEQ& model = curveModel(block);
        for (int i = 0; i < model.size(); ++i)
            for (double level : model.filterAt(i)->levelDb())
                check(std::isfinite(level), "curve levels stay finite");
    }
    return 0;
}
