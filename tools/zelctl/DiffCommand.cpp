// diff: every input is checked before a port is opened; the processor is read as pull does.
#include "DiffCommand.h"

#include "FileCommands.h"
#include "Inputs.h"
#include "JsonOutput.h"
#include "LinkSession.h"
#include "app/Startup.h"
#include "modes/ModeDiff.h"

#include <nlohmann/json.hpp>

#include <mutex>

namespace zel::ctl {

namespace {

constexpr const char* kDevice = "device";
constexpr auto kConnectLimit = std::chrono::seconds(30);

nlohmann::json fieldValue(const FieldChange& c, bool second) {
    if (c.field->isText())
        return second ? c.textB : c.textA;
    return second ? c.b : c.a;
}

nlohmann::json diffJson(const ZelctlOptions& options, const StoreDiff& d) {
    nlohmann::json records = nlohmann::json::array();
    for (const RecordChange& r : d.records) {
        nlohmann::json fields = nlohmann::json::array();
        for (const FieldChange& c : r.fields) {
            nlohmann::json f = {
                {"name", c.field->name}, {"a", fieldValue(c, false)}, {"b", fieldValue(c, true)}};
            if (!c.field->isText()) {
                f["aText"] = c.textA;
                f["bText"] = c.textB;
            }
            fields.push_back(std::move(f));
        }
        records.push_back({{"record", r.record}, {"block", r.block}, {"fields", fields}});
    }
    return {{"a", options.args[0]},
            {"b", options.args[1]},
            {"part", options.partGiven ? nlohmann::json(options.part) : nlohmann::json()},
            {"same", d.same()},
            {"fieldCount", d.fieldCount},
            {"blocks", blocksJson(d)},
            {"records", records}};
}

} // namespace

int runDiff(const ZelctlOptions& options, std::FILE* out) {
    const bool deviceA = options.args[0] == kDevice;
    const bool deviceB = options.args[1] == kDevice;
    if (deviceA && deviceB)
        return fail(kDiffTrouble, "diff compares the processor with a mode file, not with itself");

    DeviceParams sides[2]{};
    for (int i = 0; i < 2; ++i) {
        std::string error;
        if (options.args[static_cast<std::size_t>(i)] != kDevice &&
            !readModeInput(options.args[static_cast<std::size_t>(i)], sides[i], error))
            return fail(kDiffTrouble, error);
    }
    if (deviceA || deviceB) {
        startUp();
        CLinkSession session(options.verbose);
        if (!session.connect(options.port, kConnectLimit))
            return fail(kDiffTrouble, session.error());
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        sides[deviceA ? 0 : 1] = liveParams;
    }

    DiffScope scope;
    scope.part = options.partGiven ? options.part : -1;
    scope.dumpOnly = deviceA || deviceB;
    const StoreDiff d = diffStores(sides[0], sides[1], scope);
    if (options.json) {
        printJson(out, diffJson(options, d));
    } else {
        for (const RecordChange& r : d.records)
            std::fprintf(out, "%s\n", changeLine(r).c_str());
        std::fprintf(out, "%s\n", summaryLine(d).c_str());
    }
    return d.same() ? kDiffSame : kDiffDifferent;
}

} // namespace zel::ctl
