// Parsing of tcp:// and rfc2217:// port names.
#include "platform/NetworkPortName.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace zel {

namespace {

constexpr std::string_view kRawScheme = "tcp://";
constexpr std::string_view kTelnetScheme = "rfc2217://";

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

} // namespace

bool isNetworkPortName(const std::string& name) {
    return startsWith(name, kRawScheme) || startsWith(name, kTelnetScheme);
}

bool parseNetworkPortName(const std::string& name, NetworkPortName& out, std::string& error) {
    const std::string_view s = name;
    std::string_view rest;
    bool telnet = false;
    if (startsWith(s, kRawScheme)) {
        rest = s.substr(kRawScheme.size());
    } else if (startsWith(s, kTelnetScheme)) {
        rest = s.substr(kTelnetScheme.size());
        telnet = true;
    } else {
        error =
            "'" + name + "' is not a network port name (tcp://HOST:PORT or rfc2217://HOST:PORT)";
        return false;
    }

    std::string_view host, port;
    if (!rest.empty() && rest.front() == '[') {
        // [IPv6]:PORT
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
            error = "'" + name + "' needs [ADDRESS]:PORT for an IPv6 address";
            return false;
        }
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos || rest.find(':') != colon) {
            error = "'" + name + "' needs HOST:PORT";
            return false;
        }
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    if (host.empty() || host.find_first_of("/ \t") != std::string_view::npos) {
        error = "'" + name + "' has no valid host";
        return false;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value < 1 ||
        value > 65535) {
        error = "'" + name + "' needs a TCP port 1..65535";
        return false;
    }
    out.telnet = telnet;
    out.host = std::string(host);
    out.port = static_cast<std::uint16_t>(value);
    return true;
}

std::vector<std::string> splitPortList(const std::string& list) {
    std::vector<std::string> names;
    const std::string_view s = list;
    std::size_t start = 0;
    while (start < s.size()) {
        const std::string_view rest = s.substr(start);
        std::size_t end;
        const std::size_t scheme = startsWith(rest, kRawScheme)      ? kRawScheme.size()
                                   : startsWith(rest, kTelnetScheme) ? kTelnetScheme.size()
                                                                     : 0;
        if (scheme > 0) {
            // HOST:PORT, or [ADDRESS]:PORT: the item ends at the colon after the port.
            std::size_t hostEnd = start + scheme;
            if (hostEnd < s.size() && s[hostEnd] == '[') {
                const std::size_t close = s.find(']', hostEnd);
                hostEnd = close == std::string_view::npos ? s.size() : close;
            }
            const std::size_t portColon = s.find(':', hostEnd);
            end = portColon == std::string_view::npos
                      ? s.size()
                      : std::min(s.find(':', portColon + 1), s.size());
        } else {
            end = std::min(s.find(':', start), s.size());
        }
        if (end > start)
            names.emplace_back(s.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

} // namespace zel
