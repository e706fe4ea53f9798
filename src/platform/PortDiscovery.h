// PortDiscovery: the serial ports present on this machine, in a stable order, and the name
// under which the platform opens a port.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel {

struct SerialPortInfo {
    std::string portName;    // the port's own name (COM3, ttyUSB0); may be empty
    std::string openName;    // the name the controller opens; never empty in a finished list
    std::string description; // what the platform says the port is (adapter, driver); may be empty
};

// A port source failed; what() says which and why.
class PortDiscoveryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Empties `list` and fills it with the ports present. Never opens a port to test it, so a
// port in use is listed. Throws PortDiscoveryError when a platform source fails; the list
// then holds what was found before the failure.
// Linux: the tty devices backed by real hardware (phantom 8250 ports dropped), described from
// /dev/serial/by-id, then every existing path listed in ZEL_EXTRA_PORTS (colon-separated),
// and every tcp:// or rfc2217:// name listed there whose server accepts a connection.
void EnumerateSerialPorts(std::vector<SerialPortInfo>& list);

// The name to hand to CSerialPort::Open for a port's open name: "\\.\COM3" for COM3 on
// Windows, the path itself elsewhere; a network name is returned as it is.
std::string portOpenName(const std::string& openName);

// Where the Linux sources are looked up; replaceable so that tests can use a made-up tree.
struct PortDiscoveryRoots {
    std::string sysClassTty = "/sys/class/tty";
    std::string devDir = "/dev";
    std::string serialById = "/dev/serial/by-id";
    std::string extraPorts; // colon-separated paths; EnumerateSerialPorts reads ZEL_EXTRA_PORTS
    // The longest wait for a network port's server to accept; a connect still under way is
    // looked at again by the next search, so the watch never holds up its caller for long.
    std::chrono::milliseconds networkWait{50};
};
// The Linux sources with the given roots (on Windows the roots are ignored and the platform
// sources are used).
void EnumerateSerialPorts(std::vector<SerialPortInfo>& list, const PortDiscoveryRoots& roots);

} // namespace zel
