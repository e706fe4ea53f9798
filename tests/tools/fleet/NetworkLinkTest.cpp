// The link over serial device servers: zel-sim published by ser2net on 127.0.0.1, raw and
// with RFC 2217, driven by zelctl and by the program's own connection controller.
#include "LinkFixture.h"
#include "Ser2net.h"
#include "SimProcess.h"
#include "ToolRun.h"

#include "model/Defaults.h"
#include "model/Globals.h"
#include "modes/ModeFile.h"
#include "platform/NetworkDevice.h"
#include "platform/PortDiscovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zel::test {
namespace {

namespace fs = std::filesystem;

// A folder for the files of one test.
struct Folder {
    Folder() {
        char pattern[] = "/tmp/zel-net-test-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

DeviceParams distinctiveMode() {
    DeviceParams p{};
    fillDefaults(p);
    p.byteParam[12] = 99;
    p.eqBand[3].gain = 300;
    p.eqBand[40].freq = 200;
    p.filter[15].slope = 2;
    p.timeParam[4] = 123;
    p.compressor[3].ratio = 4;
    p.dance.eqBand[12].gain = 200;
    p.volumeLimit[1] = 70;
    return p;
}

void writeMode(const fs::path& file, const DeviceParams& p) {
    const ModeBytes b = encodeMode(p);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// push, set and pull through a network port leave the simulator exactly as the same
// commands through a pseudo-terminal do.
TEST(NetworkPort, PushSetAndPullMatchThePseudoTerminal) {
    Folder folder;
    writeMode(folder.path / "mode.dat", distinctiveMode());
    const std::string commands[] = {
        "push mode.dat",
        "set 'eqBand[5].gain=300' 'masterVolume[0]=40' 'dance.byteParam[3]=77' 'modeName[2]=KTV 3'",
    };
    for (const bool telnet : {false, true}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "tcp");
        SimProcess viaPty("pty", {}), viaNet("net", {});
        Ser2net server;
        const std::string name = server.publish(viaNet.link(), telnet);
        server.start();
        for (const std::string& c : commands) {
            const ToolRun a = runZelctl(folder.path, c + " --port " + shellQuoted(viaPty.link()));
            const ToolRun b = runZelctl(folder.path, c + " --port " + shellQuoted(name));
            ASSERT_EQ(a.status, 0) << c << ": " << a.err;
            ASSERT_EQ(b.status, 0) << c << ": " << b.err;
            EXPECT_EQ(b.err, "");
        }
        const DeviceParams expected = viaPty.state(), got = viaNet.state();
        EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0);
        EXPECT_EQ(got.eqBand[5].gain, 300);

        ASSERT_EQ(runZelctl(folder.path, "pull a.dat --port " + shellQuoted(viaPty.link())).status,
                  0);
        ASSERT_EQ(runZelctl(folder.path, "pull b.dat --port " + shellQuoted(name)).status, 0);
        EXPECT_EQ(slurpText(folder.path / "a.dat"), slurpText(folder.path / "b.dat"));
    }
}

TEST(NetworkPort, ServerStoppedMidUploadFailsTheLinkWithOneLine) {
    Folder folder;
    writeMode(folder.path / "mode.dat", distinctiveMode());
    for (const bool telnet : {false, true}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "tcp");
        SimProcess device("dev", {});
        Ser2net server;
        const std::string name = server.publish(device.link(), telnet);
        server.start();
        auto push = std::async(std::launch::async, [&] {
            return runZelctl(folder.path, "push --port " + shellQuoted(name) + " mode.dat");
        });
        // Stop the server once the upload is well under way.
        for (int i = 0; i < 1000 && device.received().size() < 60; ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_GE(device.received().size(), 60u);
        server.stop();
        const ToolRun r = push.get();
        EXPECT_EQ(r.status, 1);
        // One line that names the port and says the processor holds a partial upload.
        const std::string failed = "zelctl: the link to " + name + " failed during the upload: ";
        EXPECT_EQ(r.err.substr(0, failed.size()), failed) << r.err;
        EXPECT_NE(r.err.find("now holds a partial mode; repeat the push\n"), std::string::npos)
            << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_LT(device.received().size(), 300u) << "the upload did not finish";
    }
}

// A listening socket whose accept queue is full: connects to it are never answered.
class SilentHost {
public:
    SilentHost() {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd, 0);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        for (int i = 0; i < 8; ++i) {
            const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
            queued.push_back(c);
        }
        std::this_thread::sleep_for(100ms);
    }
    ~SilentHost() {
        for (int c : queued)
            ::close(c);
        ::close(fd);
    }
    int fd;
    std::uint16_t port;
    std::vector<int> queued;
};

TEST(NetworkPort, ClosedPortAndSilentHostAreRefusedWithinTheConnectTimeout) {
    Folder folder;
    const std::string closed = "tcp://127.0.0.1:" + std::to_string(Ser2net::freePort());
    SilentHost silent;
    const std::string quiet = "rfc2217://127.0.0.1:" + std::to_string(silent.port);
    struct Case {
        std::string port;
        std::string says;
        std::chrono::milliseconds within;
    };
    const Case cases[] = {
        {closed, "cannot open " + closed + ": Connection refused\n", 1500ms},
        {quiet, "cannot open " + quiet + ": 127.0.0.1 did not answer within 2000 ms\n",
         kNetworkConnectTimeout + 2000ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        const auto start = Clock::now();
        const ToolRun r = runZelctl(folder.path, "pull --port " + shellQuoted(c.port) + " x.dat");
        EXPECT_LT(Clock::now() - start, c.within);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "zelctl: " + c.says);
        EXPECT_FALSE(fs::exists(folder.path / "x.dat"));
    }
}

TEST(NetworkPort, SearchAndPortListTakeNetworkNamesFromTheEnvironment) {
    Folder folder;
    SimProcess device("dev", {});
    Ser2net server;
    const std::string name = server.publish(device.link(), true);
    server.start();
    const std::string closed = "tcp://127.0.0.1:" + std::to_string(Ser2net::freePort());
    const std::string env = "ZEL_EXTRA_PORTS=" + shellQuoted(closed + ":" + name);

    ToolRun r = runZelctl(folder.path, "ports", env);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find(closed), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(name + "\tZEL_EXTRA_PORTS\n"), std::string::npos) << r.out;

    r = runZelctl(folder.path, "set 'byteParam[12]=42'", env);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(device.state().byteParam[12], 42);
}

class NetworkLink : public LinkFixture {};

// A dropped connection is a lost link; the watch finds the server again once it accepts.
TEST_F(NetworkLink, ServerGoneIsALostLinkAndItsReturnReconnects) {
    SimProcess device("dev", {});
    Ser2net server;
    const std::string name = server.publish(device.link(), false);
    server.start();
    controller = std::make_unique<CConnectionController>(
        host, port, command, [name](std::vector<SerialPortInfo>& list) {
            PortDiscoveryRoots roots;
            roots.sysClassTty = roots.serialById = "/nonexistent";
            roots.extraPorts = name;
            EnumerateSerialPorts(list, roots);
        });
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 5s)) << host.title();

    server.stop();
    ASSERT_TRUE(runUntil([&] { return host.title() == kOffLine; }, 5s));
    EXPECT_EQ(g_bConnected.load(), 0);
    EXPECT_TRUE(loop.timerRunning(CConnectionController::kPortSearchTimerId));
    loop.runFor(1000ms); // the watch keeps looking while nobody accepts
    EXPECT_EQ(host.title(), kOffLine);

    server.start();
    ASSERT_TRUE(runUntil([&] { return online(); }, 8s)) << host.title();
    EXPECT_EQ(host.titleHistory(),
              (std::vector<std::string>{kWaitingSync, kOnLine, kOffLine, kWaitingSync, kOnLine}));
}

} // namespace
} // namespace zel::test
