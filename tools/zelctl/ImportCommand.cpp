// import-eq: nothing is written unless the whole text is accepted.
#include "ImportCommand.h"

#include "FileCommands.h"
#include "Inputs.h"
#include "JsonOutput.h"
#include "eq/CurveModels.h"
#include "eq/EqFit.h"
#include "eq/FilterText.h"
#include "modes/ModeFile.h"
#include "modes/ModePaths.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace zel::ctl {

namespace {

// A filter text is a few kilobytes; anything far larger is some other file.
constexpr std::size_t kMaxTextBytes = 1 << 20;
// Lines of a refused text reported one by one; a text of another kind would flood the screen.
constexpr std::size_t kMaxProblemLines = 20;

const char* const kBlockNames[kEqBlockCount] = {
    "music",
    "microphone A",
    "echo A pre-EQ",
    "reverb A pre-EQ",
    "microphone B",
    "echo B pre-EQ",
    "reverb B pre-EQ",
    "Main",
    "Center",
    "Subwoofer",
    "Rear",
    "echo A post-EQ",
    "reverb A post-EQ",
    "echo B post-EQ",
    "reverb B post-EQ",
};

bool readText(const std::string& name, std::FILE* in, std::string& text, std::string& error) {
    text.clear();
    if (name == "-") {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, in)) > 0;) {
            text.append(buf, n);
            if (text.size() > kMaxTextBytes)
                break;
        }
        if (std::ferror(in)) {
            error = "cannot read the filter text from standard input";
            return false;
        }
    } else {
        std::error_code ec;
        std::ifstream file(pathFromUtf8(name), std::ios::binary);
        if (std::filesystem::is_directory(pathFromUtf8(name), ec) || !file) {
            error = "cannot read the filter text " + name;
            return false;
        }
        text.resize(kMaxTextBytes + 1);
        file.read(text.data(), static_cast<std::streamsize>(text.size()));
        if (file.bad()) {
            error = "cannot read the filter text " + name;
            return false;
        }
        text.resize(static_cast<std::size_t>(file.gcount()));
    }
    if (text.size() > kMaxTextBytes) {
        error = (name == "-" ? std::string("standard input") : name) +
                " is larger than 1 MiB: not a filter text";
        return false;
    }
    return true;
}

std::string askedText(const TextFilter& f) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s %g Hz %+.1f dB Q %.2f", f.typeToken.c_str(), f.hz, f.db,
                  f.q);
    return buf;
}

double storedHz(const EqBand& b) {
    return FreqTable[b.freq];
}
double storedDb(const EqBand& b) {
    return b.gain * 0.1 - 24;
}
double storedQ(const EqBand& b) {
    return QTable[b.q];
}

const char* const kTypeNames[] = {"PEQ", "Ls", "Hs"};

std::string storedText(const EqBand& b) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s %g Hz %+.1f dB Q %g (freq %u, gain %u, q %u, type %u)",
                  kTypeNames[b.type], storedHz(b), storedDb(b), storedQ(b), unsigned(b.freq),
                  unsigned(b.gain), unsigned(b.q), unsigned(b.type));
    return buf;
}

std::string filterLabel(const TextFilter& f) {
    return f.number >= 0 ? "filter " + std::to_string(f.number)
                         : "filter (line " + std::to_string(f.line) + ")";
}

void printReport(std::FILE* out, const EqFit& fit, const FilterTextResult& text, const char* bank,
                 const std::string& written) {
    std::fprintf(out, "block %d %s, %d bands%s%s\n", fit.blockId, kBlockNames[fit.blockId],
                 fit.bandCount, bank ? ", " : "", bank ? bank : "");
    for (const FilterFit& ff : fit.filters) {
        const std::string label = filterLabel(ff.asked);
        if (!ff.asked.enabled) {
            std::fprintf(out, "%s: OFF, not imported\n", label.c_str());
        } else if (ff.dropped) {
            std::fprintf(out, "%s: %s -> dropped, the block has %d bands\n", label.c_str(),
                         askedText(ff.asked).c_str(), fit.bandCount);
        } else {
            std::fprintf(out, "%s: %s -> band %d: %s%s\n", label.c_str(),
                         askedText(ff.asked).c_str(), ff.band + 1, storedText(ff.stored).c_str(),
                         ff.clipped ? ", beyond the device's range" : "");
        }
    }
    if (text.preampDb)
        std::fprintf(out,
                     "preamp %+.1f dB: not applied, the EQ bands have no gain of their own; "
                     "lower the block's level instead\n",
                     *text.preampDb);
    const std::size_t k = static_cast<std::size_t>(fit.maxDeviationPoint);
    std::fprintf(out, "largest deviation %.2f dB at %g Hz (asked %+.2f dB, device %+.2f dB)\n",
                 fit.maxDeviationDb, CurveGrid[k], fit.askedDb[k], fit.deviceDb[k]);
    std::fprintf(out, "written to %s\n", written.c_str());
}

nlohmann::json reportJson(const ZelctlOptions& options, const EqFit& fit,
                          const FilterTextResult& text, const char* bank,
                          const std::string& written) {
    nlohmann::json filters = nlohmann::json::array();
    for (const FilterFit& ff : fit.filters) {
        const TextFilter& a = ff.asked;
        nlohmann::json f = {
            {"line", a.line},
            {"number", a.number >= 0 ? nlohmann::json(a.number) : nlohmann::json()},
            {"enabled", a.enabled},
            {"type", a.typeToken},
            {"asked", {{"hz", a.hz}, {"db", a.db}, {"q", a.q}}},
            {"band", ff.band >= 0 ? nlohmann::json(ff.band) : nlohmann::json()},
            {"dropped", ff.dropped},
            {"clipped", ff.clipped},
            {"stored", nlohmann::json()},
        };
        if (ff.band >= 0)
            f["stored"] = {{"freq", unsigned(ff.stored.freq)}, {"gain", unsigned(ff.stored.gain)},
                           {"q", unsigned(ff.stored.q)},       {"type", unsigned(ff.stored.type)},
                           {"hz", storedHz(ff.stored)},        {"db", storedDb(ff.stored)},
                           {"qValue", storedQ(ff.stored)}};
        filters.push_back(std::move(f));
    }
    const std::size_t k = static_cast<std::size_t>(fit.maxDeviationPoint);
    return {
        {"text", options.args[0]},
        {"file", written},
        {"block", fit.blockId},
        {"bank", bank ? nlohmann::json(bank) : nlohmann::json()},
        {"bands", fit.bandCount},
        {"preamp", text.preampDb ? nlohmann::json({{"db", *text.preampDb}, {"applied", false}})
                                 : nlohmann::json()},
        {"filters", filters},
        {"deviation",
         {{"db", fit.maxDeviationDb},
          {"hz", CurveGrid[k]},
          {"askedDb", fit.askedDb[k]},
          {"deviceDb", fit.deviceDb[k]}}},
    };
}

} // namespace

int runImportEq(const ZelctlOptions& options, std::FILE* in, std::FILE* out) {
    const std::string& textName = options.args[0];
    const std::string& modeName = options.args[2];
    const std::string& target = options.out.empty() ? modeName : options.out;

    int block = -1;
    std::string error;
    if (!parseBlock(options.args[1], block, error))
        return fail(kExitUsage, error);

    DeviceParams mode{};
    if (!readModeInput(modeName, mode, error) || !checkWritable(target, error))
        return fail(kExitUsage, error);
    std::string text;
    if (!readText(textName, in, text, error))
        return fail(kExitUsage, error);

    const FilterTextResult parsed = parseFilterText(text);
    const std::string shownName = textName == "-" ? "<stdin>" : textName;
    if (!parsed.problems.empty()) {
        const std::size_t shown = std::min(parsed.problems.size(), kMaxProblemLines);
        for (std::size_t i = 0; i < shown; ++i)
            std::fprintf(stderr, "zelctl: %s:%d: %s\n", shownName.c_str(), parsed.problems[i].line,
                         parsed.problems[i].text.c_str());
        if (parsed.problems.size() > shown)
            std::fprintf(stderr, "zelctl: %s: %zu more lines cannot be used\n", shownName.c_str(),
                         parsed.problems.size() - shown);
        return fail(kExitUsage, "nothing written to " + target);
    }
    int on = 0;
    for (const TextFilter& f : parsed.filters)
        on += f.enabled;
    if (on == 0)
        return fail(kExitUsage, shownName + " holds no ON filter; nothing written to " + target);
    if (parsed.filters.size() > static_cast<std::size_t>(kMaxFitFilters))
        return fail(kExitUsage, shownName + " holds more than " + std::to_string(kMaxFitFilters) +
                                    " filters; nothing written to " + target);

    const bool dance = danceBankOf(mode, block, options.bank);
    const char* bank = isSceneBlock(block) ? (dance ? "dance" : "singing") : nullptr;

    const EqFit fit = fitFilters(parsed.filters, block);
    EqBand* bands = blockBands(mode, block, dance);
    for (std::size_t b = 0; b < fit.bands.size(); ++b)
        bands[b] = fit.bands[b];
    const ModeBytes image = encodeMode(mode);
    if (!writeModeFile(pathFromUtf8(target), image))
        return fail(kExitUsage, "cannot write " + target);

    if (options.json)
        printJson(out, reportJson(options, fit, parsed, bank, target));
    else
        printReport(out, fit, parsed, bank, target);
    return kExitOk;
}

} // namespace zel::ctl
