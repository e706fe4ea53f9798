// Network ports over real loopback sockets, through the serial-device interface the port
// thread uses: bytes both ways, Telnet escaping, a dropped connection, and bounded connects.
#include "platform/NetworkDevice.h"
#include "platform/PortDiscovery.h"
#include "platform/SerialDevice.h"
#include "platform/TelnetCodec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zel {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const SerialTimeouts kTimeouts{2000, 2000, 2000, 50, 50};
const std::string kSettings = "baud=115200 parity=N data=8 stop=1";

// A listening socket on 127.0.0.1 at a port of the system's choosing.
class Listener {
public:
    explicit Listener(int backlog = 4) {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(fd, backlog) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            ADD_FAILURE() << "no loopback listener";
        port = ntohs(a.sin_port);
    }
    ~Listener() {
        for (int c : clients)
            ::close(c);
        if (fd >= 0)
            ::close(fd);
    }
    std::string name(const char* scheme = "tcp") const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port);
    }
    int accept() {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) != 1)
            return -1;
        return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    }
    // Fills the accept queue with connections nobody accepts: the next connect's SYN is
    // dropped, as by a host that never answers.
    void fillQueue() {
        for (int i = 0; i < 8; ++i) {
            const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            a.sin_port = htons(port);
            ::connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
            clients.push_back(c);
        }
        ::usleep(100000);
    }

    int fd = -1;
    std::uint16_t port = 0;
    std::vector<int> clients;
};

// Reads what the peer receives within `wait`.
Bytes receive(int fd, std::size_t want, std::chrono::milliseconds wait = 2000ms) {
    Bytes got;
    const auto deadline = Clock::now() + wait;
    while (got.size() < want && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) == 1) {
            std::uint8_t buf[256];
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
    }
    return got;
}

void send(int fd, const Bytes& b) {
    ASSERT_EQ(::send(fd, b.data(), b.size(), MSG_NOSIGNAL), static_cast<ssize_t>(b.size()));
}

const ManualResetEvent* const* noEvents() {
    static ManualResetEvent e0, e1, e2;
    static const ManualResetEvent* const events[3] = {&e0, &e1, &e2};
    return events;
}

Bytes readAll(SerialDevice& device) {
    Bytes got;
    std::size_t n = 0;
    EXPECT_EQ(device.inputWaiting(n), SerialResult::Ok);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t b = 0;
        EXPECT_EQ(device.readByte(b), SerialResult::Ok);
        got.push_back(b);
    }
    return got;
}

TEST(NetworkDevice, FramesTravelBothWaysOnRawAndTelnetPorts) {
    const Bytes frame = {0xFF, 0x55, 0x03, 0x30, 0x00, 0x33};
    struct Case {
        const char* scheme;
        Bytes onWire;     // what the server receives for `frame`
        Bytes fromServer; // what the server sends for `frame` to arrive
    };
    const Case cases[] = {
        {"tcp", frame, frame},
        {"rfc2217",
         {0xFF, 0xFF, 0x55, 0x03, 0x30, 0x00, 0x33},
         {0xFF, 0xFF, 0x55, 0xFF, 0xFB, 0x03, 0x03, 0x30, 0x00, 0x33}}, // with an IAC WILL SGA
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheme);
        Listener server;
        SerialDevice device;
        ASSERT_TRUE(device.open(server.name(c.scheme))) << device.lastError();
        const int peer = server.accept();
        ASSERT_GE(peer, 0);
        const char* failed = nullptr;
        ASSERT_TRUE(device.configure(kTimeouts, EV_RXCHAR | EV_CTS, kSettings, failed))
            << failed << ": " << device.lastError();
        if (std::string(c.scheme) == "rfc2217") {
            // The greeting and the line settings come first.
            const std::size_t hello = TelnetCodec::greeting().size() +
                                      TelnetCodec::comPortSettings(115200, 8, 'N', 1).size();
            EXPECT_EQ(receive(peer, hello).size(), hello);
        }

        ASSERT_EQ(device.write(frame.data(), frame.size()), SerialResult::Ok);
        EXPECT_EQ(receive(peer, c.onWire.size()), c.onWire);

        EXPECT_EQ(device.startCommWait(), SerialDevice::CommWait::Pending);
        EXPECT_EQ(device.wait(noEvents(), 100ms), SerialDevice::kWaitTimeout);
        send(peer, c.fromServer);
        EXPECT_EQ(device.wait(noEvents(), 2000ms), SerialDevice::kCommEventIndex);
        EXPECT_EQ(readAll(device), frame);

        // Purge drops what has arrived, as a serial driver drops its input queue.
        send(peer, {0x01, 0x02});
        EXPECT_EQ(device.wait(noEvents(), 2000ms), SerialDevice::kCommEventIndex);
        device.purgeInput();
        std::size_t n = 9;
        EXPECT_EQ(device.inputWaiting(n), SerialResult::Ok);
        EXPECT_EQ(n, 0u);
        ::close(peer);
    }
}

TEST(NetworkDevice, TelnetAnswersReachTheServerBeforeTheNextFrame) {
    Listener server;
    SerialDevice device;
    ASSERT_TRUE(device.open(server.name("rfc2217"))) << device.lastError();
    const int peer = server.accept();
    receive(peer, TelnetCodec::greeting().size());
    send(peer, {telnet::IAC, telnet::DO, 1}); // echo: refused
    EXPECT_EQ(device.wait(noEvents(), 200ms), SerialDevice::kWaitTimeout);
    const std::uint8_t byte = 0x42;
    ASSERT_EQ(device.write(&byte, 1), SerialResult::Ok);
    EXPECT_EQ(receive(peer, 4), (Bytes{telnet::IAC, telnet::WONT, 1, 0x42}));
    ::close(peer);
}

TEST(NetworkDevice, AClosedConnectionIsAPortThatHasGone) {
    ManualResetEvent shutdown, sendNext, write;
    const ManualResetEvent* const events[3] = {&shutdown, &sendNext, &write};
    Listener server;
    SerialDevice device;
    ASSERT_TRUE(device.open(server.name())) << device.lastError();
    const int peer = server.accept();
    send(peer, {0x11});
    ::close(peer);

    EXPECT_EQ(device.wait(events, 2000ms), SerialDevice::kCommEventIndex);
    EXPECT_EQ(readAll(device), Bytes{0x11}) << "bytes sent before the close still arrive";
    EXPECT_EQ(device.wait(events, 2000ms), SerialDevice::kWaitFailed);
    EXPECT_EQ(device.startCommWait(), SerialDevice::CommWait::Failed);
    std::size_t n = 0;
    EXPECT_EQ(device.inputWaiting(n), SerialResult::Gone);
    const std::uint8_t byte = 0;
    EXPECT_EQ(device.write(&byte, 1), SerialResult::Gone);
    EXPECT_FALSE(device.lastError().empty());
    // The caller's events still come through, at once.
    ASSERT_TRUE(sendNext.set());
    const auto start = Clock::now();
    EXPECT_EQ(device.wait(events, 5000ms), 1);
    EXPECT_LT(Clock::now() - start, 1000ms);
}

TEST(NetworkDevice, ConnectsThatCannotSucceedFailWithinTheTimeout) {
    SerialDevice device;
    // Nobody listens: refused at once.
    std::uint16_t closedPort;
    {
        Listener gone;
        closedPort = gone.port;
    }
    auto start = Clock::now();
    EXPECT_FALSE(device.open("tcp://127.0.0.1:" + std::to_string(closedPort)));
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_NE(device.lastError().find("refused"), std::string::npos) << device.lastError();
    EXPECT_FALSE(NetworkDevice::present("tcp://127.0.0.1:" + std::to_string(closedPort), 100ms));

    // A host that never answers: given up after the connect timeout, not later.
    Listener silent(0);
    silent.fillQueue();
    start = Clock::now();
    EXPECT_FALSE(device.open(silent.name()));
    const auto took = Clock::now() - start;
    EXPECT_GE(took, kNetworkConnectTimeout - 50ms);
    EXPECT_LT(took, kNetworkConnectTimeout + 1500ms);
    EXPECT_NE(device.lastError().find("did not answer"), std::string::npos) << device.lastError();
    // The watch's look at it returns within its own short wait.
    start = Clock::now();
    EXPECT_FALSE(NetworkDevice::present(silent.name(), 50ms));
    EXPECT_LT(Clock::now() - start, 1000ms);

    // Malformed names never reach the network.
    EXPECT_FALSE(device.open("tcp://127.0.0.1"));
    EXPECT_NE(device.lastError().find("HOST:PORT"), std::string::npos) << device.lastError();
}

TEST(NetworkDevice, DiscoveryListsANetworkPortWhileItsServerAccepts) {
    std::uint16_t closedPort;
    {
        Listener gone;
        closedPort = gone.port;
    }
    Listener server;
    const std::string up = server.name("rfc2217");
    const std::string down = "tcp://127.0.0.1:" + std::to_string(closedPort);
    PortDiscoveryRoots roots;
    roots.sysClassTty = roots.devDir = roots.serialById = "/nonexistent";
    roots.extraPorts = down + ":" + up;
    roots.networkWait = 500ms;
    std::vector<SerialPortInfo> list;
    EnumerateSerialPorts(list, roots);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].openName, up);
    EXPECT_EQ(portOpenName(up), up);
}

} // namespace
} // namespace zel
