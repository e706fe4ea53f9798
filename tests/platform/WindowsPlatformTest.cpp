// The Windows platform layer without a serial port attached: the names ports are opened
// under, the refusal of an absent port with the system's own text, the events the port
// thread waits on, and a port search that completes.
#include "platform/ManualResetEvent.h"
#include "platform/PortDiscovery.h"
#include "platform/PortName.h"
#include "platform/SerialDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace zel {
namespace {

TEST(WindowsPlatform, PortsOpenUnderTheirDeviceNamespaceName) {
    // COM10 and above open only under the \\.\ prefix; the lower ones take it too.
    const struct {
        const char* name;
        const char* openName;
    } cases[] = {{"COM1", "\\\\.\\COM1"},
                 {"COM9", "\\\\.\\COM9"},
                 {"COM10", "\\\\.\\COM10"},
                 {"COM256", "\\\\.\\COM256"}};
    for (const auto& c : cases)
        EXPECT_EQ(portOpenName(c.name), c.openName) << c.name;
}

TEST(WindowsPlatform, AnAbsentPortIsRefusedWithTheSystemsText) {
    SerialDevice device;
    EXPECT_FALSE(device.open(portOpenName("COM249")));
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(device.lastError().empty());
    // FormatMessage's text, not the numeric fallback.
    EXPECT_EQ(device.lastError().rfind("error ", 0), std::string::npos) << device.lastError();
    EXPECT_EQ(device.startCommWait(), SerialDevice::CommWait::Failed);
}

TEST(WindowsPlatform, ManualResetEventStaysSetUntilReset) {
    ManualResetEvent event;
    ASSERT_TRUE(event.valid());
    EXPECT_FALSE(event.isSet());
    ASSERT_TRUE(event.set());
    EXPECT_TRUE(event.isSet());
    EXPECT_TRUE(event.isSet()) << "a wait must not consume the signal";
    event.reset();
    EXPECT_FALSE(event.isSet());
}

TEST(WindowsPlatform, PortSearchCompletesAndNamesEveryPort) {
    std::vector<SerialPortInfo> ports;
    ASSERT_NO_THROW(EnumerateSerialPorts(ports));
    for (const SerialPortInfo& port : ports)
        EXPECT_FALSE(port.openName.empty()) << port.portName;
}

// The file system calls reserved device names such as COM7 files; they are ports all the same,
// while a mode file given as a port is refused before anything is written to it.
TEST(WindowsPlatform, PortNamesArePortsAndFilesAreNot) {
    std::string reason;
    for (const char* port : {"COM7", "com3", "\\\\.\\COM12", "COM99"})
        EXPECT_TRUE(isTerminalDevice(port, reason)) << port;
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "zel-port.dat";
    std::FILE* f = std::fopen(file.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_FALSE(isTerminalDevice(file.string(), reason));
    EXPECT_EQ(reason, "it is a file");
    std::filesystem::remove(file);
    EXPECT_TRUE(isTerminalDevice(file.string(), reason)) << "an absent name is left to the open";
}

} // namespace
} // namespace zel
