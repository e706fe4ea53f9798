// NetworkPortName: a serial port published by a serial device server, named
// tcp://HOST:PORT (raw byte stream) or rfc2217://HOST:PORT (Telnet com-port control).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

struct NetworkPortName {
    bool telnet = false; // rfc2217://: Telnet with the com-port control option
    std::string host;    // a name, an IPv4 address or an IPv6 address without its brackets
    std::uint16_t port = 0;
};

// Whether `name` has one of the network schemes, well formed or not: such a name is never
// a device path.
bool isNetworkPortName(const std::string& name);

// Splits a network port name. False with a one-line reason in `error` when the scheme is
// not tcp:// or rfc2217://, the host is missing, or the port is not 1..65535.
bool parseNetworkPortName(const std::string& name, NetworkPortName& out, std::string& error);

// Splits a colon-separated list of port names (ZEL_EXTRA_PORTS), keeping the colons inside
// a network name whole: "/tmp/a:tcp://host:4001:/tmp/b" is three names. Empty items are
// dropped.
std::vector<std::string> splitPortList(const std::string& list);

} // namespace zel
