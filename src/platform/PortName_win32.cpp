// isTerminalDevice on Windows: a COM port name (COM7, \\.\COM12) or any name in the device
// namespace (\\.\...) is a port. The file system reports reserved device names such as COM7 as
// files, so it is asked only about other names: a file or folder it knows is refused, and the
// rest is left to the port's own open.
#include "platform/PortName.h"

#include <windows.h>

#include <cctype>

namespace zel {

namespace {

bool isDeviceName(const std::string& name) {
    if (name.rfind("\\\\.\\", 0) == 0)
        return true;
    if (name.size() < 4 || _strnicmp(name.c_str(), "COM", 3) != 0)
        return false;
    for (std::size_t i = 3; i < name.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

} // namespace

bool isTerminalDevice(const std::string& name, std::string& reason) {
    if (isDeviceName(name))
        return true;
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    reason = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? "it is a folder" : "it is a file";
    return false;
}

} // namespace zel
