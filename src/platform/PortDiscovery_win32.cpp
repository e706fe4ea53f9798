// Port discovery on Windows: the COM-port device interfaces (Windows 2000 and later), the
// numbered names COM1..COM16 (older NT), or the HKLM\Enum registry tree (Windows 9x).
#include "platform/PortDiscovery.h"

#include "platform/NetworkDevice.h"
#include "platform/NetworkPortName.h"

#include <windows.h>
// Needs the types of windows.h.
#include <setupapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zel {

namespace {

// {86E0D1E0-8089-11D0-9CE4-08003E301F73}: the COM-port device interface class.
const GUID kComPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

[[noreturn]] void fail(const char* format, DWORD code) {
    char text[128];
    std::snprintf(text, sizeof text, format, static_cast<unsigned long>(code));
    throw PortDiscoveryError(text);
}

void fromDeviceInterfaces(std::vector<SerialPortInfo>& list) {
    HDEVINFO set = ::SetupDiGetClassDevsA(&kComPortInterface, nullptr, nullptr,
                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        fail("SetupDiGetClassDevs failed. (err=%lx)", ::GetLastError());

    alignas(SP_DEVICE_INTERFACE_DETAIL_DATA_A) char detailBuffer[261 + sizeof(DWORD)];
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detailBuffer);
    try {
        for (DWORD index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA iface{};
            iface.cbSize = sizeof iface;
            if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &kComPortInterface, index, &iface)) {
                const DWORD err = ::GetLastError();
                if (err == ERROR_NO_MORE_ITEMS)
                    break;
                fail("SetupDiEnumDeviceInterfaces failed. (err=%lx)", err);
            }
            std::memset(detailBuffer, 0, sizeof detailBuffer);
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
            SP_DEVINFO_DATA device{};
            device.cbSize = sizeof device;
            if (!::SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, sizeof detailBuffer,
                                                    nullptr, &device))
                fail("SetupDiGetDeviceInterfaceDetail failed. (err=%lx)", ::GetLastError());

            BYTE friendly[256] = {};
            BYTE description[256] = {};
            if (!::SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                     friendly, sizeof friendly - 1, nullptr) ||
                !::SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_DEVICEDESC, nullptr,
                                                     description, sizeof description - 1, nullptr))
                continue;

            // "USB Serial Port (COM3)" -> COM3.
            const std::string name(reinterpret_cast<const char*>(friendly));
            const std::size_t open = name.find('(');
            if (open == std::string::npos)
                continue;
            const std::size_t close = name.find(')', open + 1);
            SerialPortInfo info;
            info.openName = name.substr(open + 1, close == std::string::npos ? std::string::npos
                                                                             : close - open - 1);
            info.description = reinterpret_cast<const char*>(description);
            if (!info.openName.empty())
                list.push_back(std::move(info));
        }
    } catch (...) {
        ::SetupDiDestroyDeviceInfoList(set);
        throw;
    }
    ::SetupDiDestroyDeviceInfoList(set);
}

void fromNumberedNames(std::vector<SerialPortInfo>& list) {
    for (int n = 1; n <= 16; ++n) {
        SerialPortInfo info;
        info.portName = "COM" + std::to_string(n);
        list.push_back(std::move(info));
    }
}

// Closes a registry key when its scope ends, also when an error is raised.
class Key {
public:
    Key() = default;
    ~Key() {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    bool open(HKEY parent, const char* name) {
        return ::RegOpenKeyExA(parent, name, 0, KEY_READ, &m_key) == ERROR_SUCCESS;
    }
    HKEY get() const { return m_key; }
    bool subKey(DWORD index, char* name, DWORD size) const {
        return ::RegEnumKeyExA(m_key, index, name, &size, nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }
    bool value(const char* name, std::string& out) const {
        char buffer[129] = {};
        DWORD size = 128;
        DWORD type = 0;
        if (::RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                               &size) != ERROR_SUCCESS)
            return false;
        out = buffer;
        return true;
    }

private:
    HKEY m_key = nullptr;
};

void fromRegistry(std::vector<SerialPortInfo>& list) {
    Key root;
    if (!root.open(HKEY_LOCAL_MACHINE, "Enum"))
        throw PortDiscoveryError("Could not read from HKLM\\Enum");
    char busName[129];
    for (DWORD b = 0; root.subKey(b, busName, 128); ++b) {
        Key bus;
        if (!bus.open(root.get(), busName))
            throw PortDiscoveryError(std::string("Could not read from HKLM\\Enum\\") + busName);
        const bool usbPorts = std::strcmp(busName, "USBPORTS") == 0;
        char className[129];
        for (DWORD c = 0; bus.subKey(c, className, 128); ++c) {
            if (!usbPorts && std::strcmp(className, "*PNP0500") != 0 &&
                std::strcmp(className, "*PNP0501") != 0)
                continue;
            Key deviceClass;
            if (!deviceClass.open(bus.get(), className))
                throw PortDiscoveryError(std::string("Could not read from HKLM\\Enum\\") + busName +
                                         "\\" + className);
            char instanceName[129];
            for (DWORD i = 0; deviceClass.subKey(i, instanceName, 128); ++i) {
                Key instance;
                if (!instance.open(deviceClass.get(), instanceName))
                    throw PortDiscoveryError(std::string("Could not read from HKLM\\Enum\\...\\") +
                                             instanceName);
                SerialPortInfo info;
                if (!instance.value("PORTNAME", info.portName))
                    continue;
                instance.value("FRIENDLYNAME", info.openName);
                bool replaced = false;
                for (SerialPortInfo& known : list) {
                    if (known.portName == info.portName) {
                        known = info;
                        replaced = true;
                        break;
                    }
                }
                if (!replaced)
                    list.push_back(std::move(info));
            }
        }
    }
}

} // namespace

void EnumerateSerialPorts(std::vector<SerialPortInfo>& list) {
    list.clear();
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL haveVersion = ::GetVersionExA(&version);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (!haveVersion)
        fail("Could not get OS version. (err=%lx)", ::GetLastError());
    if (version.dwMajorVersion >= 5)
        fromDeviceInterfaces(list);
    else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        fromNumberedNames(list);
    else
        fromRegistry(list);
    for (SerialPortInfo& info : list)
        if (info.openName.empty())
            info.openName = info.portName;
    // Serial device servers named in ZEL_EXTRA_PORTS, while they accept a connection.
    if (const char* extra = std::getenv("ZEL_EXTRA_PORTS")) {
        for (const std::string& name : splitPortList(extra)) {
            if (isNetworkPortName(name) &&
                NetworkDevice::present(name, PortDiscoveryRoots{}.networkWait))
                list.push_back(SerialPortInfo{name, name, "ZEL_EXTRA_PORTS"});
        }
    }
}

void EnumerateSerialPorts(std::vector<SerialPortInfo>& list, const PortDiscoveryRoots&) {
    EnumerateSerialPorts(list);
}

std::string portOpenName(const std::string& openName) {
    return isNetworkPortName(openName) ? openName : "\\\\.\\" + openName;
}

} // namespace zel
