// show and curve: a mode file printed field by field, or as one block's EQ response.
#include "FileCommands.h"

#include "Inputs.h"
#include "eq/CurveModels.h"
#include "model/Defaults.h"
#include "model/FieldTable.h"
#include "modes/ModeFile.h"
#include "modes/ModeName.h"

#include <charconv>
#include <cstring>
#include <string>

namespace zel::ctl {

int fail(int status, const std::string& text) {
    std::fprintf(stderr, "zelctl: %s\n", text.c_str());
    return status;
}

int runShow(const ZelctlOptions& options, std::FILE* out) {
    DeviceParams p{};
    std::string error;
    if (!readModeInput(options.args[0], p, error))
        return fail(kExitUsage, error);
    for (const Field& f : allFields()) {
        if (f.offset < kModeStoreFirstByte)
            continue; // the master levels are not part of a mode file
        if (f.isText()) {
            std::fprintf(out, "%s=\"%s\"\n", f.name.c_str(),
                         escapedText(modeNameText(p, f.deviceIndex)).c_str());
            continue;
        }
        const unsigned v = readField(p, f);
        const std::string shown = displayText(f, v);
        if (shown.empty())
            std::fprintf(out, "%s=%u\n", f.name.c_str(), v);
        else
            std::fprintf(out, "%s=%u %s\n", f.name.c_str(), v, shown.c_str());
    }
    return kExitOk;
}

int runCurve(const ZelctlOptions& options, std::FILE* out) {
    const std::string& blockText = options.args[1];
    int block = -1;
    const auto [end, ec] =
        std::from_chars(blockText.data(), blockText.data() + blockText.size(), block);
    if (ec != std::errc() || end != blockText.data() + blockText.size() || block < 0 ||
        block >= kEqBlockCount)
        return fail(kExitUsage, "BLOCK must be an EQ block number 0..14, not '" + blockText + "'");

    DeviceParams file{};
    std::string error;
    if (!readModeInput(options.args[0], file, error))
        return fail(kExitUsage, error);

    // The curve models live on the live store; this process has no other use for it.
    installCurveModels();
    initDefaults();
    std::memcpy(reinterpret_cast<std::uint8_t*>(&liveParams) + kModeStoreFirstByte,
                reinterpret_cast<const std::uint8_t*>(&file) + kModeStoreFirstByte,
                kModePayloadSize);

    bool dance = false;
    if (isSceneBlock(block)) {
        if (!options.bank.empty())
            dance = options.bank == "dance";
        else
            dance = (file.scene == 0 ? file.lastManualScene : file.scene) == 2;
    }
    attachBlock(block, dance);

    const CKTVEQ& model = curveModel(block);
    LevelArray sum{};
    for (int i = 0; i < model.size(); ++i) {
        const LevelArray& level = model.filterAt(i)->levelDb();
        for (std::size_t k = 0; k < sum.size(); ++k)
            sum[k] += level[k];
    }
    for (std::size_t k = 0; k < sum.size(); ++k)
        std::fprintf(out, "%.1f %.6f\n", CurveGrid[k], sum[k]);
    return kExitOk;
}

} // namespace zel::ctl
