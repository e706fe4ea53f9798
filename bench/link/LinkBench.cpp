// Link figures against zel-sim: the 347-frame upload, paced at 115200 8N1 and buffered,
// next to the wire time and the transport's own pauses; and the port thread's CPU use
// while the link idles on keep-alives.
#include "SimProcess.h"

#include "app/ConnectionController.h"
#include "app/EventLoop.h"
#include "app/LoopHost.h"
#include "link/Command.h"
#include "link/SerialPort.h"
#include "model/Defaults.h"
#include "platform/PortDiscovery.h"

#include <cstdio>
#include <fstream>
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

    explicit Session(const SimProcess& sim) {
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
    ~Session() { controller.reset(); }
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
    const std::string pid = std::to_string(getpid());
    for (int tid = getpid() + 1; tid < getpid() + 10000; ++tid) {
        std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/schedstat");
        long long ns = 0;
        if (in >> ns)
            return ns;
    }
    return -1;
}

} // namespace

int main() {
    const Upload paced = measureUpload(true);
    const Upload buffered = measureUpload(false);
    // The transport's own pauses per exchange: 5 ms after each read, plus, when the reply
    // trickles in byte by byte, one empty 5 ms poll after its first byte (which covers the
    // rest of it); paced, the request and that first byte are on the wire too.
    const double frames = static_cast<double>(kUploadFrameCount);
    const double pacedFloor = frames * (0.010 + kByteSeconds) + paced.requestWire;
    const double bufferedFloor = frames * 0.005;
    std::printf("upload of %zu frames\n", kUploadFrameCount);
    std::printf("  wire time at 115200 8N1, both directions: %.3f s\n", paced.wire);
    std::printf("  paced (--pace):  %.3f s, floor of the pauses %.3f s (%+.1f %%)\n", paced.seconds,
                pacedFloor, 100.0 * (paced.seconds / pacedFloor - 1));
    std::printf("  buffered:        %.3f s, floor of the pauses %.3f s (%+.1f %%)\n",
                buffered.seconds, bufferedFloor, 100.0 * (buffered.seconds / bufferedFloor - 1));

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
