// ports, pull, push and set: every input is checked before a port is opened.
#include "LinkCommands.h"

#include "FileCommands.h"
#include "Inputs.h"
#include "JsonOutput.h"
#include "LinkSession.h"
#include "app/Startup.h"
#include "model/MasterLimit.h"
#include "modes/ModeFile.h"
#include "modes/ModeLibrary.h"
#include "modes/ModePaths.h"
#include "platform/PortDiscovery.h"
#include "platform/Terminal.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

namespace zel::ctl {

namespace {

using namespace std::chrono_literals;

// Time for the search and the dump, and for the longest exchange that follows (an upload
// of 347 frames takes a few seconds at 115200 baud).
constexpr auto kConnectLimit = 30s;
constexpr auto kIdleLimit = 120s;

// Mode-library messages become stderr lines.
class StderrUi : public ModeUi {
public:
    void message(const std::string& text) override {
        std::fprintf(stderr, "zelctl: %s\n", text.c_str());
        ++messages;
    }
    bool confirm(const std::string&) override { return true; }
    int messages = 0;
};

} // namespace

// The curve models are built so a mode load re-attaches them exactly as in the program.
void startStore() {
    startUp();
}

int uploadMode(CLinkSession& session, const std::string& file, std::vector<std::uint8_t> image,
               int part, bool showProgress, std::string& error) {
    StderrUi ui;
    CModeLibrary library(ui, pathFromUtf8(file).parent_path());
    if (library.uploadModeImage(std::move(image), pathFromUtf8(file), part) != 1)
        return kExitUsage; // the loader refused it; the message is out

    const auto total = static_cast<int>(kUploadFrameCount);
    int lastShown = -1;
    auto progress = [&] {
        if (!showProgress)
            return;
        int answered;
        {
            std::lock_guard<std::recursive_mutex> lock(g_frameLock);
            answered = session.uploadDone()
                           ? total
                           : std::clamp(total - session.command().queuedCount() - 1, 0, total);
        }
        if (answered != lastShown) {
            std::fprintf(stderr, "\rzelctl: upload %d/%d", answered, total);
            lastShown = answered;
        }
    };
    const bool idle = session.waitIdle(kIdleLimit, progress);
    if (showProgress)
        std::fputc('\n', stderr);
    if (!idle) {
        if (session.uploadDone()) {
            error = session.error();
            return kExitLink;
        }
        int queued = session.queuedAtFailure();
        if (queued < 0) { // out of time with the link still up: the queue is as it stands
            std::lock_guard<std::recursive_mutex> lock(g_frameLock);
            queued = session.command().queuedCount();
        }
        const int answered = std::clamp(total - queued - 1, 0, total - 1);
        error = session.error() + " during the upload: the processor answered " +
                std::to_string(answered) + " of the " + std::to_string(total) +
                " frames and now holds a partial mode; repeat the push";
        return kExitLink;
    }
    if (!session.uploadDone()) {
        error = "the processor did not confirm the end of the upload";
        return kExitLink;
    }
    return kExitOk;
}

int runPorts(const ZelctlOptions& options) {
    std::vector<SerialPortInfo> list;
    std::string error;
    try {
        EnumerateSerialPorts(list);
    } catch (const PortDiscoveryError& e) {
        error = e.what();
    }
    if (options.json)
        printJson(stdout, portsJson(list));
    else
        for (const SerialPortInfo& p : list)
            if (!p.openName.empty())
                std::printf("%s\t%s\n", p.openName.c_str(), p.description.c_str());
    std::fflush(stdout);
    if (!error.empty())
        return fail(kExitLink, "port discovery failed: " + error);
    return kExitOk;
}

int runPull(const ZelctlOptions& options) {
    const std::string& file = options.args[0];
    std::string error;
    if (!checkWritable(file, error) || !checkPortName(options.port, error))
        return fail(kExitUsage, error);

    startStore();
    CLinkSession session(options.verbose);
    if (!session.connect(options.port, kConnectLimit))
        return fail(kExitLink, session.error());
    ModeBytes image;
    {
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        image = encodeMode(liveParams);
    }
    session.close();
    if (!writeModeFile(pathFromUtf8(file), image))
        return fail(kExitUsage, "cannot write " + file);
    return kExitOk;
}

int runPush(const ZelctlOptions& options) {
    const std::string& file = options.args[0];
    DeviceParams checked{};
    std::vector<std::uint8_t> image;
    std::string error;
    if (!readModeInput(file, checked, image, error) || !checkPortName(options.port, error))
        return fail(kExitUsage, error);

    startStore();
    CLinkSession session(options.verbose);
    if (!session.connect(options.port, kConnectLimit))
        return fail(kExitLink, session.error());

    const int status =
        uploadMode(session, file, std::move(image), options.part, stderrIsTerminal(), error);
    return error.empty() ? status : fail(status, error);
}

int runSet(const ZelctlOptions& options) {
    std::vector<Assignment> assignments;
    std::string error;
    if (!parseAssignments(options.args, assignments, error) || !checkPortName(options.port, error))
        return fail(kExitUsage, error);

    startStore();
    CLinkSession session(options.verbose);
    if (!session.connect(options.port, kConnectLimit))
        return fail(kExitLink, session.error());

    {
        // One hold of the lock: the change detector's next turn sees every field at once.
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        std::vector<std::pair<int, int>> commands; // (code, mode) once each, in given order
        for (const Assignment& a : assignments) {
            if (a.field->isText())
                writeText(liveParams, *a.field, a.text);
            else
                writeField(liveParams, *a.field, a.value);
            if (a.field->delivery == Delivery::Command) {
                const int arg = a.field->command == cmd::ModeName ? a.field->deviceIndex : 0;
                const std::pair<int, int> c{a.field->command, arg};
                if (std::find(commands.begin(), commands.end(), c) == commands.end())
                    commands.push_back(c);
            }
        }
        // A master volume never goes above its limit, as with the main window's sliders.
        clampMasterVolumes(liveParams, liveParams);
        for (const auto& [code, arg] : commands)
            session.controller().SendCommand(code, arg);
    }
    if (!session.waitIdle(kIdleLimit))
        return fail(kExitLink, session.error());
    return kExitOk;
}

} // namespace zel::ctl
