// Port discovery on Linux: /sys/class/tty entries with a device behind them, phantom 8250
// ports left out, descriptions from the /dev/serial/by-id links, then ZEL_EXTRA_PORTS (paths
// that exist, network ports whose server accepts a connection).
#include "platform/PortDiscovery.h"

#include "platform/NetworkDevice.h"
#include "platform/NetworkPortName.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

namespace fs = std::filesystem;

namespace {

// ttyS2 before ttyS10: digits compare by value.
bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            std::size_t ie = i, je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie])))
                ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je])))
                ++je;
            const std::string na = a.substr(i, ie - i), nb = b.substr(j, je - j);
            const auto ta = na.find_first_not_of('0'), tb = nb.find_first_not_of('0');
            const std::string va = ta == std::string::npos ? "" : na.substr(ta);
            const std::string vb = tb == std::string::npos ? "" : nb.substr(tb);
            if (va.size() != vb.size())
                return va.size() < vb.size();
            if (va != vb)
                return va < vb;
            i = ie;
            j = je;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

std::string readFirstLine(const fs::path& p) {
    std::ifstream in(p);
    std::string line;
    std::getline(in, line);
    return line;
}

// The 8250 driver registers a tty for every possible legacy port; only those whose UART
// type is known are real. sysfs tells the type without opening the port; TIOCGSERIAL is
// the fallback on kernels without that attribute.
bool isPhantom8250(const fs::path& sysEntry, const fs::path& devNode) {
    std::error_code ec;
    if (fs::exists(sysEntry / "type", ec)) {
        const std::string type = readFirstLine(sysEntry / "type");
        return type.empty() || std::atoi(type.c_str()) == PORT_UNKNOWN;
    }
    const int fd = ::open(devNode.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return true;
    serial_struct info{};
    const bool unknown = ::ioctl(fd, TIOCGSERIAL, &info) < 0 || info.type == PORT_UNKNOWN;
    ::close(fd);
    return unknown;
}

void addSysPorts(std::vector<SerialPortInfo>& list, const PortDiscoveryRoots& roots) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(roots.sysClassTty, ec)) {
        // Only ttys with a device behind them are ports; consoles and virtual terminals
        // have none.
        std::error_code e2;
        if (fs::exists(entry.path() / "device", e2))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end(), naturalLess);

    // by-id link targets, resolved, to the link's name.
    std::vector<std::pair<fs::path, std::string>> byId;
    for (const auto& link : fs::directory_iterator(roots.serialById, ec)) {
        std::error_code e2;
        const fs::path target = fs::weakly_canonical(link.path(), e2);
        if (!e2)
            byId.emplace_back(target, link.path().filename().string());
    }

    for (const std::string& name : names) {
        const fs::path sysEntry = fs::path(roots.sysClassTty) / name;
        const fs::path devNode = fs::path(roots.devDir) / name;
        std::error_code e2;
        const fs::path driverLink = fs::read_symlink(sysEntry / "device" / "driver", e2);
        const std::string driver = e2 ? std::string() : driverLink.filename().string();
        if (driver == "serial8250" && isPhantom8250(sysEntry, devNode))
            continue;

        SerialPortInfo info;
        info.portName = name;
        info.openName = devNode.string();
        const fs::path canonical = fs::weakly_canonical(devNode, e2);
        for (const auto& [target, id] : byId)
            if (!e2 && target == canonical)
                info.description = id;
        if (info.description.empty())
            info.description = driver;
        list.push_back(std::move(info));
    }
}

void addExtraPorts(std::vector<SerialPortInfo>& list, const PortDiscoveryRoots& roots) {
    for (const std::string& name : splitPortList(roots.extraPorts)) {
        // Listed while it exists: a simulator that closed its port is a pulled adapter, a
        // serial device server that accepts no connection an unplugged one.
        if (isNetworkPortName(name)) {
            if (!NetworkDevice::present(name, roots.networkWait))
                continue;
        } else {
            struct stat st {};
            if (::stat(name.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
                continue;
        }
        SerialPortInfo info;
        info.portName = name;
        info.openName = name;
        info.description = "ZEL_EXTRA_PORTS";
        list.push_back(std::move(info));
    }
}

} // namespace

void EnumerateSerialPorts(std::vector<SerialPortInfo>& list, const PortDiscoveryRoots& roots) {
    list.clear();
    addSysPorts(list, roots);
    addExtraPorts(list, roots);
    for (SerialPortInfo& info : list)
        if (info.openName.empty())
            info.openName = info.portName;
}

void EnumerateSerialPorts(std::vector<SerialPortInfo>& list) {
    PortDiscoveryRoots roots;
    if (const char* extra = std::getenv("ZEL_EXTRA_PORTS"))
        roots.extraPorts = extra;
    EnumerateSerialPorts(list, roots);
}

std::string portOpenName(const std::string& openName) {
    return openName;
}

} // namespace zel
