// Port discovery on Linux over a made-up sysfs tree: which ttys count as ports, their order,
// their descriptions, and the extra ports of the simulator.
#include "platform/PortDiscovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <pty.h>
#include <unistd.h>

namespace zel {
namespace {

namespace fs = std::filesystem;

class PortDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("zel-ports-" + std::to_string(::getpid()));
        fs::remove_all(root);
        roots.sysClassTty = (root / "sys/class/tty").string();
        roots.devDir = (root / "dev").string();
        roots.serialById = (root / "dev/serial/by-id").string();
        fs::create_directories(roots.serialById);
        fs::create_directories(root / "drivers/serial8250");
        fs::create_directories(root / "drivers/ftdi_sio");
        fs::create_directories(root / "drivers/cdc_acm");
    }
    void TearDown() override { fs::remove_all(root); }

    // A tty class entry; driver empty = no device behind it (a virtual terminal).
    void tty(const std::string& name, const std::string& driver, const char* uartType = nullptr) {
        const fs::path entry = fs::path(roots.sysClassTty) / name;
        fs::create_directories(entry);
        if (!driver.empty()) {
            fs::create_directories(root / "devices" / name);
            fs::create_directory_symlink(root / "drivers" / driver,
                                         root / "devices" / name / "driver");
            fs::create_directory_symlink(root / "devices" / name, entry / "device");
        }
        if (uartType)
            std::ofstream(entry / "type") << uartType << "\n";
        std::ofstream(fs::path(roots.devDir) / name).put('\0');
    }

    std::vector<std::string> openNames(const std::vector<SerialPortInfo>& list) {
        std::vector<std::string> names;
        for (const auto& p : list)
            names.push_back(p.openName);
        return names;
    }

    fs::path root;
    PortDiscoveryRoots roots;
};

TEST_F(PortDiscoveryTest, ListsRealPortsInNaturalOrderWithoutPhantoms) {
    tty("tty0", ""); // virtual terminal
    tty("console", "");
    tty("ttyS0", "serial8250", "0"); // phantom: UART type unknown
    tty("ttyS1", "serial8250", "4"); // a 16550A
    tty("ttyS10", "serial8250", "4");
    tty("ttyS2", "serial8250", "4");
    tty("ttyUSB0", "ftdi_sio");
    tty("ttyACM0", "cdc_acm");
    fs::create_symlink(fs::path(roots.devDir) / "ttyUSB0",
                       fs::path(roots.serialById) / "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

    std::vector<SerialPortInfo> list{{"stale", "stale", ""}};
    EnumerateSerialPorts(list, roots);
    const std::string dev = roots.devDir + "/";
    EXPECT_EQ(openNames(list),
              (std::vector<std::string>{dev + "ttyACM0", dev + "ttyS1", dev + "ttyS2",
                                        dev + "ttyS10", dev + "ttyUSB0"}));
    EXPECT_EQ(list[4].portName, "ttyUSB0");
    EXPECT_EQ(list[4].description, "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(list[0].description, "cdc_acm");
}

TEST_F(PortDiscoveryTest, ExtraPortsFollowInTheirOrderWhileTheyExist) {
    tty("ttyUSB0", "ftdi_sio");
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const fs::path link = root / "zel-sim";
    fs::create_symlink(name, link);
    roots.extraPorts = "/dev/zel-gone:" + link.string() + "::" + std::string(name);

    std::vector<SerialPortInfo> list;
    EnumerateSerialPorts(list, roots);
    EXPECT_EQ(openNames(list),
              (std::vector<std::string>{roots.devDir + "/ttyUSB0", link.string(), name}));
    ::close(master);
    ::close(slave);
}

TEST_F(PortDiscoveryTest, NoPortsGiveAnEmptyList) {
    std::vector<SerialPortInfo> list{{"COM1", "COM1", ""}};
    EnumerateSerialPorts(list, roots);
    EXPECT_TRUE(list.empty());
}

TEST(PortDiscovery, ThisMachineListsWithoutErrorAndOpenNamesArePaths) {
    std::vector<SerialPortInfo> list;
    EXPECT_NO_THROW(EnumerateSerialPorts(list));
    for (const auto& p : list)
        EXPECT_EQ(p.openName.rfind("/", 0), 0u) << p.openName;
    EXPECT_EQ(portOpenName("/dev/ttyUSB0"), "/dev/ttyUSB0");
}

} // namespace
} // namespace zel
