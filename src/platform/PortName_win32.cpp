// isTerminalDevice on Windows: COM ports are no files, so anything the file system knows as a
// file or folder is refused and the rest is left to the port's own open.
#include "platform/PortName.h"

#include <windows.h>

namespace zel {

bool isTerminalDevice(const std::string& name, std::string& reason) {
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    reason = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? "it is a folder" : "it is a file";
    return false;
}

} // namespace zel
