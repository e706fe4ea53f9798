// Ser2net: Debian's serial device server publishing simulator ports on 127.0.0.1, raw or
// with RFC 2217, for one test; stopped (and its ports closed) when the test ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::test {

class Ser2net {
public:
    Ser2net();
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // Publishes the serial device at `path`; returns the port name a client connects to
    // (tcp://127.0.0.1:N or rfc2217://127.0.0.1:N). Call before start().
    std::string publish(const std::string& path, bool telnet);
    // Starts the server with every port published so far and waits until each listens.
    void start();
    // Ends the server at once: every connection through it drops.
    void stop();

    // A loopback TCP port nobody listens on at the moment.
    static std::uint16_t freePort();

private:
    struct Entry {
        std::string path;
        bool telnet;
        std::uint16_t port;
    };
    std::vector<Entry> m_entries;
    std::string m_dir;
    int m_pid = -1;
};

} // namespace zel::test
