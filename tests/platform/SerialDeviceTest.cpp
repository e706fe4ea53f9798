// The serial device over a real pseudo-terminal: exclusive open, raw 8N1 configuration,
// the wake-up order of the wait, and what a hang-up looks like to every call.
#include "platform/SerialDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace zel {
namespace {

using namespace std::chrono_literals;

const SerialTimeouts kTimeouts{2000, 2000, 2000, 50, 50};
const std::string kSettings = "baud=115200 parity=N data=8 stop=1";

class SerialDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[128] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        path = name;
        termios tio{};
        ::tcgetattr(master, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(master, TCSANOW, &tio);
    }
    void TearDown() override {
        device.close();
        if (master >= 0)
            ::close(master);
        ::close(slave);
    }
    void openAndConfigure() {
        ASSERT_TRUE(device.open(path)) << device.lastError();
        const char* failed = nullptr;
        ASSERT_TRUE(device.configure(kTimeouts, EV_RXCHAR | EV_CTS, kSettings, failed))
            << failed << ": " << device.lastError();
    }

    int master = -1, slave = -1;
    std::string path;
    SerialDevice device;
};

TEST_F(SerialDeviceTest, OpenIsExclusiveUntilClosed) {
    ASSERT_TRUE(device.open(path));
    SerialDevice other;
    EXPECT_FALSE(other.open(path));
    EXPECT_FALSE(other.lastError().empty());
    device.close();
    EXPECT_TRUE(other.open(path)) << other.lastError();
}

TEST_F(SerialDeviceTest, AbsentPortCannotBeOpened) {
    EXPECT_FALSE(device.open("/dev/zel-no-such-port"));
    EXPECT_NE(device.lastError().find("No such file"), std::string::npos) << device.lastError();
}

TEST_F(SerialDeviceTest, ConfigurationRejectsABadSettingsText) {
    ASSERT_TRUE(device.open(path));
    const char* failed = nullptr;
    EXPECT_FALSE(device.configure(kTimeouts, EV_RXCHAR, "baud=123 parity=N data=8 stop=1", failed));
    EXPECT_STREQ(failed, "BuildCommDCB()");
}

// Every byte value passes unchanged both ways: no echo, no CR/LF mapping, no flow control.
TEST_F(SerialDeviceTest, RawEightBitTransfersBothWays) {
    openAndConfigure();
    termios tio{};
    ASSERT_EQ(::tcgetattr(slave, &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B115200);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);

    const std::uint8_t out[] = {0xFF, 0x55, 0x0D, 0x0A, 0x03, 0x11, 0x13, 0x00, 0x7F};
    ASSERT_EQ(device.write(out, sizeof out), SerialResult::Ok);
    std::uint8_t seen[sizeof out] = {};
    std::size_t got = 0;
    while (got < sizeof out) {
        const ssize_t n = ::read(master, seen + got, sizeof out - got);
        ASSERT_GT(n, 0);
        got += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(std::memcmp(seen, out, sizeof out), 0);

    ASSERT_EQ(::write(master, out, sizeof out), static_cast<ssize_t>(sizeof out));
    std::size_t waiting = 0;
    for (int i = 0; i < 100 && waiting < sizeof out; ++i) {
        ASSERT_EQ(device.inputWaiting(waiting), SerialResult::Ok);
        ::usleep(1000);
    }
    ASSERT_EQ(waiting, sizeof out);
    for (std::uint8_t expected : out) {
        std::uint8_t b = 0;
        ASSERT_EQ(device.readByte(b), SerialResult::Ok);
        EXPECT_EQ(b, expected);
    }
    ASSERT_EQ(device.inputWaiting(waiting), SerialResult::Ok);
    EXPECT_EQ(waiting, 0u);
}

// The purge before each write drops replies that came for an earlier frame, never a frame
// already written: here the device is slow to read, so the frame still waits in the line.
TEST_F(SerialDeviceTest, PurgeDropsOldInputButNoWrittenFrame) {
    openAndConfigure();
    const std::vector<std::uint8_t> backlog(8192, 0x00);
    ASSERT_EQ(device.write(backlog.data(), backlog.size()), SerialResult::Ok);
    const std::uint8_t frame[] = {0xFF, 0x55, 0x03, 0x06, 0x00, 0x09};
    ASSERT_EQ(device.write(frame, sizeof frame), SerialResult::Ok);
    ASSERT_EQ(::write(master, "\xFF\x55\x03\x30\x00\x33", 6), 6); // a late reply
    ::usleep(5000);

    device.purgeInput();
    std::size_t waiting = 1;
    ASSERT_EQ(device.inputWaiting(waiting), SerialResult::Ok);
    EXPECT_EQ(waiting, 0u) << "the old reply is gone";

    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    std::vector<std::uint8_t> received;
    for (int idle = 0; idle < 20;) {
        std::uint8_t chunk[4096];
        const ssize_t n = ::read(master, chunk, sizeof chunk);
        if (n > 0) {
            received.insert(received.end(), chunk, chunk + n);
            idle = 0;
        } else {
            ++idle;
            ::usleep(2000);
        }
    }
    ASSERT_EQ(received.size(), backlog.size() + sizeof frame) << "the device got every byte";
    EXPECT_EQ(std::memcmp(received.data() + backlog.size(), frame, sizeof frame), 0);
}

TEST_F(SerialDeviceTest, WaitReportsTheLowestSignalledIndexThenTheTimeout) {
    openAndConfigure();
    ManualResetEvent shutdown, sendNext, write;
    const ManualResetEvent* events[3] = {&shutdown, &sendNext, &write};
    ASSERT_EQ(::write(master, "\x01", 1), 1);
    ::usleep(5000);
    ASSERT_EQ(device.startCommWait(), SerialDevice::CommWait::Pending);

    EXPECT_EQ(device.wait(events, 1000ms), SerialDevice::kCommEventIndex);
    ASSERT_TRUE(write.set());
    EXPECT_EQ(device.wait(events, 1000ms), 2);
    ASSERT_TRUE(sendNext.set());
    EXPECT_EQ(device.wait(events, 1000ms), 1);
    ASSERT_TRUE(shutdown.set());
    EXPECT_EQ(device.wait(events, 1000ms), 0);
    EXPECT_EQ(device.wait(events, 1000ms), 0) << "manual reset: stays signalled";

    shutdown.reset();
    sendNext.reset();
    write.reset();
    device.purgeInput();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.wait(events, 100ms), SerialDevice::kWaitTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 95ms);
}

// A pulled adapter or a closed simulator: the wait wakes at once and every call fails.
// The port thread's pauses end as soon as it is told to stop.
TEST(ManualResetEventTest, WaitForEndsWhenSignalledElseAtTheTimeout) {
    ManualResetEvent event;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.waitFor(60ms));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 60ms);

    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        event.set();
    });
    t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(event.waitFor(5s));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 2s);
    setter.join();
    EXPECT_TRUE(event.waitFor(0ms)) << "stays signalled until reset";
    event.reset();
    EXPECT_FALSE(event.waitFor(0ms));
}

TEST_F(SerialDeviceTest, HangUpFailsEveryCallAtOnce) {
    openAndConfigure();
    ManualResetEvent shutdown, sendNext, write;
    const ManualResetEvent* events[3] = {&shutdown, &sendNext, &write};
    ::close(master);
    master = -1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.wait(events, 1000ms), SerialDevice::kWaitFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(device.startCommWait(), SerialDevice::CommWait::Failed);
    std::size_t waiting = 0;
    EXPECT_EQ(device.inputWaiting(waiting), SerialResult::Gone);
    std::uint8_t b = 0;
    EXPECT_EQ(device.readByte(b), SerialResult::Gone);
    EXPECT_EQ(device.write(&b, 1), SerialResult::Gone);
    // The events still get through.
    ASSERT_TRUE(shutdown.set());
    EXPECT_EQ(device.wait(events, 1000ms), 0);
}

} // namespace
} // namespace zel
