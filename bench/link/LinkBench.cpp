// Link figures against zel-sim, all in one run: the 347-frame upload, paced at 115200 8N1
// and buffered, against 347 x (wire time + the 5 ms pause after each reply); the time from
// an edit at a random moment of an idle link to its frame on the wire; the longest wait of
// the window thread while a reply stalls and while a device mode loads; and the port
// thread's CPU use while the link idles on keep-alives.
#include "SimProcess.h"

#include "app/ConnectionController.h"
#include "app/EventLoop.h"
#include "app/LoopHost.h"
#include "link/Command.h"
#include "link/SerialPort.h"
#include "model/Defaults.h"
#include "model/StoreWrite.h"
#include "modes/ModeLibrary.h"
#include "platform/PortDiscovery.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

using namespace zel;
using namespace zel::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kByteSeconds = 10.0 / 115200;

// The moment the port thread, having accepted the reply to the upload's last frame (0x35),
// takes its pause after the read. Written on the port thread under g_frameLock.
std::atomic<Clock::rep> g_uploadEnd{0};
std::atomic<bool> g_watchUpload{false};

void recordingSleep(std::chrono::milliseconds pause) {
    if (g_watchUpload && g_pCommand && g_pCommand->queuedCount() == 0 && TxRecord[3] == 0x35 &&
        !RxRecord[mark::AwaitingReply] && g_uploadEnd == 0)
        g_uploadEnd = Clock::now().time_since_epoch().count();
    std::this_thread::sleep_for(pause);
}

struct Session {
    CEventLoop loop;
    CLoopHost host{loop};
    CCommand command;
    CSerialPort port;
    std::unique_ptr<CConnectionController> controller;

    explicit Session(const SimProcess& sim, FrameTap* tap = nullptr) {
        port.setFrameTap(tap);
        fillDefaults(liveParams);
        sentParams = liveParams;
        loop.setMessageHandler([this](const Message& m) { controller->handleMessage(m); });
        loop.setTimerHandler([this](int id) { controller->onTimer(id); });
        const std::string link = sim.link();
        controller = std::make_unique<CConnectionController>(
            host, port, command, [link](std::vector<SerialPortInfo>& list) {
                PortDiscoveryRoots roots;
                roots.sysClassTty = roots.serialById = "/nonexistent";
                roots.extraPorts = link;
                EnumerateSerialPorts(list, roots);
            });
    }
    ~Session() {
        port.Close();
        controller.reset();
    }
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end)
            if (loop.runUntil(done, 1ms))
                return true;
        return done();
    }
};

struct Upload {
    double seconds = 0, wire = 0, requestWire = 0;
};

Upload measureUpload(bool paced) {
    SimProcess sim(paced ? "paced" : "buffered",
                   paced ? std::vector<std::string>{"--pace"} : std::vector<std::string>{});
    Session s(sim);
    s.controller->requestStartupSearch();
    if (!s.runUntil([&] { return s.host.title() == "ZEL V1.2.9----State:On-Line"; }, 5s)) {
        std::fprintf(stderr, "the simulator did not come on-line\n");
        return {};
    }
    const std::size_t before = sim.received().size();
    s.port.setSleeper(recordingSleep);
    g_uploadEnd = 0;
    g_watchUpload = true;
    {
        std::lock_guard guard(g_frameLock);
        sentParams = liveParams;
        s.command.queueUploadAll();
    }
    // Done when the last frame (0x35) has been answered and nothing is queued.
    if (!s.runUntil([] { return g_uploadEnd != 0; }, 30s)) {
        std::fprintf(stderr, "the upload did not finish\n");
        return {};
    }
    g_watchUpload = false;
    const auto end = Clock::time_point(Clock::duration(g_uploadEnd.load()));
    const auto rx = sim.received();
    Upload u;
    std::size_t first = before;
    while (first < rx.size() &&
           !(rx[first].bytes.size() > 4 && rx[first].bytes[3] == 0x3A && rx[first].bytes[4] == 1))
        ++first;
    if (first + kUploadFrameCount > rx.size()) {
        std::fprintf(stderr, "the simulator's log lacks upload frames\n");
        return {};
    }
    std::size_t requestBytes = 0;
    for (std::size_t i = first; i < first + kUploadFrameCount; ++i)
        requestBytes += rx[i].bytes.size();
    u.requestWire = static_cast<double>(requestBytes) * kByteSeconds;
    // Both directions: every frame and its 6-byte acknowledgement.
    u.wire = static_cast<double>(requestBytes + 6 * kUploadFrameCount) * kByteSeconds;
    u.seconds = std::chrono::duration<double>(end - rx[first].at).count();
    return u;
}

// CPU time of the one thread besides this one, in ns (schedstat's first field).
long long portThreadCpuNs() {
    const std::string self = std::to_string(getpid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self)
            continue;
        std::ifstream in(task.path() / "schedstat");
        long long ns = 0;
        if (in >> ns)
            return ns;
    }
    return -1;
}

// Records the moment a frame with the expected bytes 3..5 is written (port thread).
class EditTap : public FrameTap {
public:
    std::atomic<int> expectValue{-1};
    std::atomic<Clock::rep> writtenAt{0};
    void onWrite(const std::uint8_t* bytes, std::size_t count) override {
        if (count >= 6 && bytes[3] == 0x02 && bytes[4] == 0 && bytes[5] == expectValue.load())
            writtenAt = Clock::now().time_since_epoch().count();
    }
    void onReadByte(std::uint8_t, bool) override {}
};

struct Latency {
    double median = 0, p99 = 0, max = 0;
    std::size_t edits = 0;
};

// Edits at random moments of an idle link (each after its predecessor went out, plus a
// random 0..400 ms), timed from the store write to the write of its frame.
Latency measureEditLatency(int edits) {
    SimProcess sim("edits", {"--pace"});
    EditTap tap;
    Session s(sim, &tap);
    s.controller->requestStartupSearch();
    if (!s.runUntil([&] { return s.host.title() == "ZEL V1.2.9----State:On-Line"; }, 5s))
        return {};
    std::mt19937 rng(20261210);
    std::vector<double> ms;
    std::uint8_t value = liveParams.byteParam[0];
    for (int i = 0; i < edits; ++i) {
        s.loop.runFor(std::chrono::milliseconds(rng() % 400));
        value = static_cast<std::uint8_t>(value == 40 ? 41 : 40);
        tap.writtenAt = 0;
        tap.expectValue = value;
        const auto edited = Clock::now();
        storeWrite(liveParams.byteParam[0], value);
        if (!s.runUntil([&] { return tap.writtenAt != 0; }, 3s)) {
            std::fprintf(stderr, "edit %d never went out\n", i);
            return {};
        }
        const auto written = Clock::time_point(Clock::duration(tap.writtenAt.load()));
        ms.push_back(std::chrono::duration<double, std::milli>(written - edited).count());
    }
    std::sort(ms.begin(), ms.end());
    Latency l;
    l.edits = ms.size();
    l.median = ms[ms.size() / 2];
    l.p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    l.max = ms.back();
    return l;
}

class SilentUi : public ModeUi {
public:
    void message(const std::string&) override {}
    bool confirm(const std::string&) override { return true; }
};

struct WindowWaits {
    double tickGap = 0, command = 0, save = 0, close = 0;
};

// The window thread keeps a 10 ms timer running; once the simulator has received the frame
// whose reply it stalls, one tick queues a command and the next saves a mode
// file. Reports the longest gap between ticks over `watch`, each action's own time, and the
// time Disconnect takes afterwards.
WindowWaits measureWindowWaits(const std::vector<std::string>& simArgs,
                               const std::function<bool(const SimProcess&)>& triggered,
                               int modeLoad, std::chrono::milliseconds watch) {
    SimProcess sim("waits", simArgs);
    Session s(sim);
    const auto folder =
        std::filesystem::temp_directory_path() / ("zel-bench-modes-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    SilentUi ui;
    CModeLibrary library(ui, folder);
    s.controller->requestStartupSearch();
    if (!s.runUntil([&] { return s.host.title() == "ZEL V1.2.9----State:On-Line"; }, 5s))
        return {};
    if (modeLoad >= 0)
        s.controller->SendCommand(0x38, modeLoad);
    if (!s.runUntil([&] { return triggered(sim); }, 5s))
        return {};

    WindowWaits w;
    auto timed = [](auto&& action) {
        const auto t0 = Clock::now();
        action();
        return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    };
    Clock::time_point last = Clock::now();
    int ticks = 0;
    s.loop.setTimerHandler([&](int id) {
        if (id != 77)
            return;
        const auto now = Clock::now();
        w.tickGap =
            std::max(w.tickGap, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        ++ticks;
        if (ticks == 10)
            w.command = timed([&] { s.controller->SendCommand(0x35, 0); });
        if (ticks == 20)
            w.save = timed([&] { library.saveMode("bench"); });
    });
    last = Clock::now();
    s.loop.startTimer(77, 10ms);
    s.loop.runFor(watch);
    // An action that held the loop past the end of the watch is a gap too.
    w.tickGap =
        std::max(w.tickGap, std::chrono::duration<double, std::milli>(Clock::now() - last).count());
    s.loop.stopTimer(77);
    w.close = timed([&] { s.controller->onDisconnect(); });
    std::filesystem::remove_all(folder);
    return w;
}

} // namespace

int main(int argc, char** argv) {
    const int edits = argc > 1 ? std::atoi(argv[1]) : 200;
    const Upload paced = measureUpload(true);
    const Upload buffered = measureUpload(false);
    // Each exchange costs at least its wire time and the 5 ms pause after its reply.
    const double frames = static_cast<double>(kUploadFrameCount);
    const double pacedFloor = paced.wire + frames * 0.005;
    const double bufferedFloor = frames * 0.005;
    std::printf("upload of %zu frames\n", kUploadFrameCount);
    std::printf("  wire time at 115200 8N1, both directions: %.3f s\n", paced.wire);
    std::printf("  paced (--pace):  %.3f s, floor 347 x (wire + 5 ms) %.3f s, ratio %.2f\n",
                paced.seconds, pacedFloor, paced.seconds / pacedFloor);
    std::printf("  buffered:        %.3f s, floor 347 x 5 ms %.3f s, ratio %.2f\n",
                buffered.seconds, bufferedFloor, buffered.seconds / bufferedFloor);

    const Latency l = measureEditLatency(edits);
    std::printf("edit to wire on an idle link, %zu edits: median %.1f ms, p99 %.1f ms, max "
                "%.1f ms\n",
                l.edits, l.median, l.p99, l.max);

    // Frame 6 is the fourth keep-alive; its reply stops after two bytes.
    const WindowWaits stall = measureWindowWaits(
        {"--stall", "6/2/forever"},
        [](const SimProcess& sim) { return sim.received().size() >= 6; }, -1, 2500ms);
    std::printf("window thread while a reply stalls: longest tick gap %.1f ms, command %.1f ms, "
                "mode save %.1f ms, disconnect %.1f ms\n",
                stall.tickGap, stall.command, stall.save, stall.close);
    // The device's reply to the mode load stops after two bytes.
    const WindowWaits load = measureWindowWaits(
        {"--stall", "cmd:38/2/forever"},
        [](const SimProcess& sim) {
            for (const SimLogLine& line : sim.received())
                if (line.bytes.size() > 3 && line.bytes[3] == 0x38)
                    return true;
            return false;
        },
        1, 2500ms);
    std::printf("window thread during a device mode load: longest tick gap %.1f ms, command "
                "%.1f ms, mode save %.1f ms, disconnect %.1f ms\n",
                load.tickGap, load.command, load.save, load.close);

    SimProcess sim("idle", {"--pace"});
    Session s(sim);
    s.controller->requestStartupSearch();
    s.runUntil([&] { return s.host.title() == "ZEL V1.2.9----State:On-Line"; }, 5s);
    s.loop.runFor(1s);
    const long long cpu0 = portThreadCpuNs();
    const auto t0 = Clock::now();
    const std::size_t frames0 = sim.received().size();
    s.loop.runFor(10s);
    const long long cpu1 = portThreadCpuNs();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const std::size_t keepAlives = sim.received().size() - frames0;
    std::printf("idle link, %.1f s: %zu keep-alives (one every %.0f ms), port thread CPU %.2f ms "
                "(%.3f %%)\n",
                wall, keepAlives, 1000.0 * wall / static_cast<double>(keepAlives),
                static_cast<double>(cpu1 - cpu0) / 1e6,
                100.0 * static_cast<double>(cpu1 - cpu0) / 1e9 / wall);
    return 0;
}
