// zelctl fleet and its per-room worker.
#include "FleetCommands.h"

#include "FileCommands.h"
#include "Inputs.h"
#include "JsonOutput.h"
#include "LinkCommands.h"
#include "LinkSession.h"
#include "RoomsFile.h"
#include "model/DataConver.h"
#include "model/FieldTable.h"
#include "modes/ModeDiff.h"
#include "modes/ModeName.h"
#include "modes/ModePaths.h"
#include "platform/ChildProcess.h"
#include "platform/Terminal.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

namespace zel::ctl {

namespace {

using namespace std::chrono_literals;
using json = nlohmann::ordered_json;
namespace fs = std::filesystem;

constexpr auto kConnectLimit = 30s;
constexpr auto kReadBackLimit = 10s;
// A worker that has not ended by then is stopped: a hung room must not hold up the fleet.
constexpr auto kRoomLimit = 240s;
constexpr auto kWorkerPoll = 20ms;

const char* linkText(CLinkSession::Fault fault) {
    switch (fault) {
    case CLinkSession::Fault::None:
        return "on-line";
    case CLinkSession::Fault::NoPort:
    case CLinkSession::Fault::CannotOpen:
        return "cannot open";
    case CLinkSession::Fault::NoAnswer:
        return "no answer";
    case CLinkSession::Fault::LinkFailed:
        return "link failed";
    }
    return "";
}

const char* sceneText(int scene) {
    static const char* const names[] = {"Auto", "Singing", "Dance"};
    return scene >= 0 && scene < 3 ? names[scene] : "?";
}

// What a whole load brings, as far as the processor reports it in its dump: the device's
// own mode names and the fields it only holds for the PC are no part of the comparison.
constexpr DiffScope kModeScope{0, true};

// The processor against the mode it should hold. Fields an upload never sends (the
// selected device mode among them) are the processor's whatever the mode holds, so they
// are taken from its side rather than counted as drift.
StoreDiff diffAgainstMode(const DeviceParams& device, DeviceParams mode) {
    for (const Field& f : allFields())
        if (f.delivery == Delivery::Never && !f.isText())
            writeField(mode, f, readField(device, f));
    return diffStores(device, mode, kModeScope);
}

json differenceJson(const StoreDiff& d) {
    return {{"fieldCount", d.fieldCount}, {"blocks", json(blocksJson(d))}};
}

// The room's scene and device mode from the store the dump filled.
void addDeviceState(json& r) {
    std::lock_guard<std::recursive_mutex> lock(g_frameLock);
    r["scene"] = liveParams.scene;
    const int mode = liveParams.currentMode;
    r["mode"] = mode;
    if (mode >= 0 && mode < kModeCount)
        r["modeName"] = modeNameText(liveParams, mode);
}

int emit(json& r, int status) {
    r["ok"] = status == kExitOk;
    std::puts(r.dump().c_str());
    std::fflush(stdout);
    return status;
}

std::string lastLine(const std::string& text) {
    std::istringstream in(text);
    std::string last;
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            last = line;
    const std::string prefix = "zelctl: ";
    return last.rfind(prefix, 0) == 0 ? last.substr(prefix.size()) : last;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One row of the table from a room and its worker's result.
struct Row {
    const Room* room = nullptr;
    json result;
};

std::string resultText(const json& r, bool push) {
    if (r.value("ok", false))
        return push ? "pushed and verified"
                    : (r.contains("differences") ? "matches the approved mode" : "on-line");
    std::string error = r.value("error", std::string());
    const auto diff = r.find("differences");
    const json blocks =
        diff != r.end() && diff->is_object() ? diff->value("blocks", json::array()) : json::array();
    if (blocks.is_array() && !blocks.empty()) {
        std::string what = push ? "read-back differs:" : "differs:";
        for (std::size_t i = 0; i < blocks.size(); ++i)
            what += (i ? ", " : " ") + blocks[i].value("block", std::string("?")) + " " +
                    std::to_string(blocks[i].value("fields", 0));
        return error.empty() ? what : what + "; " + error;
    }
    return error.empty() ? "failed" : error;
}

void printTable(const std::vector<Row>& rows, bool push) {
    std::vector<std::array<std::string, 6>> cells;
    cells.push_back({"ROOM", "PORT", "LINK", "SCENE", "MODE", "RESULT"});
    for (const Row& row : rows) {
        const json& r = row.result;
        const bool online = r.value("link", std::string()) == "on-line";
        std::string mode;
        if (online && r.contains("mode")) {
            // As the System page lists device modes: "2-KTV 2", the number alone unnamed.
            const std::string name = r.value("modeName", std::string());
            mode = std::to_string(r["mode"].get<int>() + 1) + (name.empty() ? "" : "-" + name);
        }
        cells.push_back({row.room->name, row.room->port, r.value("link", std::string("-")),
                         online && r.contains("scene") ? sceneText(r["scene"].get<int>()) : "",
                         mode, resultText(r, push)});
    }
    std::array<std::size_t, 6> width{};
    for (const auto& line : cells)
        for (std::size_t c = 0; c < width.size(); ++c)
            width[c] = std::max(width[c], line[c].size());
    for (const auto& line : cells) {
        std::string text;
        for (std::size_t c = 0; c < width.size(); ++c) {
            text += line[c];
            if (c + 1 < width.size())
                text += std::string(width[c] - line[c].size() + 2, ' ');
        }
        std::puts(text.c_str());
    }
}

} // namespace

int runFleetRoom(const ZelctlOptions& options) {
    const bool push = options.args[0] == "push";
    const std::string file = options.args.size() > 1 ? options.args[1] : std::string();
    json r;
    r["link"] = "not tried";
    DeviceParams mode{};
    std::vector<std::uint8_t> image;
    std::string error;
    if (!file.empty() && !readModeInput(file, mode, image, error)) {
        r["error"] = error;
        return emit(r, kExitUsage);
    }

    startStore();
    CLinkSession session(false);
    if (!session.connect(options.port, kConnectLimit)) {
        r["link"] = linkText(session.fault());
        r["error"] = session.error();
        return emit(r, kExitLink);
    }
    r["link"] = linkText(CLinkSession::Fault::None);

    if (!push) {
        addDeviceState(r);
        if (file.empty())
            return emit(r, kExitOk);
        StoreDiff d;
        {
            std::lock_guard<std::recursive_mutex> lock(g_frameLock);
            d = diffAgainstMode(liveParams, mode);
        }
        r["differences"] = differenceJson(d);
        return emit(r, d.same() ? kExitOk : kExitLink);
    }

    const int status = uploadMode(session, file, std::move(image), options.part, false, error);
    if (status != kExitOk) {
        r["link"] = status == kExitLink ? "link failed" : "on-line";
        r["error"] = error.empty() ? "the mode file could not be loaded" : error;
        return emit(r, status);
    }
    // What the processor must now hold: the store as uploaded.
    DeviceParams pushed;
    {
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        pushed = liveParams;
    }
    if (!session.readBack(kReadBackLimit)) {
        r["link"] = "link failed";
        r["error"] = session.error();
        return emit(r, kExitLink);
    }
    addDeviceState(r);
    StoreDiff d;
    {
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        d = diffAgainstMode(liveParams, pushed);
    }
    r["differences"] = differenceJson(d);
    r["verified"] = d.same();
    if (!d.same())
        r["error"] = "the processor does not hold what was uploaded";
    return emit(r, d.same() ? kExitOk : kExitLink);
}

int runFleet(const ZelctlOptions& options) {
    const bool push = options.args[0] == "push";
    std::vector<Room> rooms;
    std::string error;
    if (!readRooms(options.args[1], rooms, error))
        return fail(kExitUsage, error);

    // Every mode file is checked before any room is touched.
    const std::string override = options.args.size() > 2 ? options.args[2] : std::string();
    std::vector<std::string> modeOf;
    for (const Room& room : rooms) {
        const std::string file = push && !override.empty() ? override : room.approved;
        if (push && file.empty())
            return fail(kExitUsage, options.args[1] + ":" + std::to_string(room.line) + ": room " +
                                        room.name + " names no mode file; name one or give FILE");
        DeviceParams checked{};
        if (!file.empty() && !readModeInput(file, checked, error))
            return fail(kExitUsage, error);
        modeOf.push_back(file);
    }

    const std::string self = ChildProcess::selfPath();
    if (self.empty())
        return fail(kExitLink, "cannot find the zelctl program to start a worker per room");
    std::random_device seed;
    const fs::path work = fs::temp_directory_path() /
                          ("zelctl-fleet-" + std::to_string(seed()) + std::to_string(seed()));
    std::error_code ec;
    if (!fs::create_directories(work, ec))
        return fail(kExitLink,
                    "cannot create a working folder in " + fs::temp_directory_path().string());

    struct Worker {
        std::unique_ptr<ChildProcess> process;
        std::chrono::steady_clock::time_point started;
        bool done = false;
        bool running = false;
    };
    std::vector<Worker> workers(rooms.size());
    std::vector<Row> rows(rooms.size());
    const bool showProgress = stderrIsTerminal();
    std::size_t next = 0, finished = 0, running = 0;
    while (finished < rooms.size()) {
        while (running < static_cast<std::size_t>(options.jobs) && next < rooms.size()) {
            const std::size_t i = next++;
            std::vector<std::string> args = {"fleet-room", options.args[0], "--port",
                                             rooms[i].port};
            if (push)
                args.push_back("--part=" + std::to_string(options.part));
            if (!modeOf[i].empty())
                args.push_back(modeOf[i]);
            Worker& w = workers[i];
            w.process = std::make_unique<ChildProcess>();
            w.started = std::chrono::steady_clock::now();
            const std::string base = (work / std::to_string(i)).string();
            std::string startError;
            if (w.process->start(self, args, base + ".out", base + ".err", startError)) {
                w.running = true;
                ++running;
            } else {
                rows[i].result = {{"link", "not tried"}, {"ok", false}, {"error", startError}};
                w.done = true;
                ++finished;
            }
        }
        std::this_thread::sleep_for(kWorkerPoll);
        for (std::size_t i = 0; i < rooms.size(); ++i) {
            Worker& w = workers[i];
            if (!w.running)
                continue;
            int status = -1;
            const bool overdue = std::chrono::steady_clock::now() - w.started > kRoomLimit;
            if (!w.process->finished(status) && !overdue)
                continue;
            if (overdue)
                w.process->kill();
            w.running = false;
            --running;
            ++finished;
            const std::string base = (work / std::to_string(i)).string();
            json r = json::parse(lastLine(slurp(base + ".out")), nullptr, false);
            if (r.is_discarded() || !r.is_object()) {
                const std::string why =
                    overdue ? "no result within " + std::to_string(kRoomLimit.count()) + " s"
                            : lastLine(slurp(base + ".err"));
                r = {{"link", "unknown"},
                     {"ok", false},
                     {"error", why.empty() ? "the worker ended without a result" : why}};
            }
            rows[i].result = std::move(r);
            if (showProgress)
                std::fprintf(stderr, "\rzelctl: fleet %zu/%zu rooms done", finished, rooms.size());
        }
    }
    if (showProgress)
        std::fputc('\n', stderr);
    fs::remove_all(work, ec);

    bool allOk = true;
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        rows[i].room = &rooms[i];
        allOk = allOk && rows[i].result.value("ok", false);
    }
    if (options.json) {
        json out = json::array();
        for (const Row& row : rows) {
            json r = {{"room", row.room->name}, {"port", row.room->port}};
            r.update(row.result);
            out.push_back(std::move(r));
        }
        std::puts(out.dump(2).c_str());
    } else {
        printTable(rows, push);
    }
    std::fflush(stdout);
    return allOk ? kExitOk : kExitLink;
}

} // namespace zel::ctl
