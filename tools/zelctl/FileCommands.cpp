// show and curve: a mode file printed field by field, or as one block's EQ response.
#include "FileCommands.h"

#include "Inputs.h"
#include "JsonOutput.h"
#include "app/Startup.h"
#include "eq/CurveModels.h"
#include "model/FieldTable.h"
#include "modes/ModeFile.h"
#include "modes/ModeName.h"

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
    if (options.json) {
        printJson(out, showJson(options.args[0], p));
        return kExitOk;
    }
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
    int block = -1;
    std::string error;
    if (!parseBlock(options.args[1], block, error))
        return fail(kExitUsage, error);

    DeviceParams file{};
    if (!readModeInput(options.args[0], file, error))
        return fail(kExitUsage, error);

    // The curve models live on the live store; this process has no other use for it.
    startUp();
    std::memcpy(reinterpret_cast<std::uint8_t*>(&liveParams) + kModeStoreFirstByte,
                reinterpret_cast<const std::uint8_t*>(&file) + kModeStoreFirstByte,
                kModePayloadSize);

    const bool dance = danceBankOf(file, block, options.bank);
    attachBlock(block, dance);

    const CKTVEQ& model = curveModel(block);
    LevelArray sum{};
    for (int i = 0; i < model.size(); ++i) {
        const LevelArray& level = model.filterAt(i)->levelDb();
        for (std::size_t k = 0; k < sum.size(); ++k)
            sum[k] += level[k];
    }
    if (options.json) {
        nlohmann::json points = nlohmann::json::array();
        for (std::size_t k = 0; k < sum.size(); ++k)
            points.push_back({{"hz", CurveGrid[k]}, {"db", sum[k]}});
        printJson(out, {{"file", options.args[0]},
                        {"block", block},
                        {"bank", isSceneBlock(block) ? nlohmann::json(dance ? "dance" : "singing")
                                                     : nlohmann::json()},
                        {"points", points}});
        return kExitOk;
    }
    for (std::size_t k = 0; k < sum.size(); ++k)
        std::fprintf(out, "%.1f %.6f\n", CurveGrid[k], sum[k]);
    return kExitOk;
}

} // namespace zel::ctl
