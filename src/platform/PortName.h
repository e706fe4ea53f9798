// What a port name given by a user names, found out without writing to it.
#pragma once

#include <string>

namespace zel {

// Whether `name` may be opened as a serial port: a terminal device (a serial port, a USB
// adapter, a pseudo-terminal), or a name that names nothing now (an adapter unplugged; the
// port's open reports it). False with the reason ("it is a regular file, ...") for anything
// else, so a mode file or a FIFO given by mistake is never opened as a port.
bool isTerminalDevice(const std::string& name, std::string& reason);

} // namespace zel
