// CPseudoTerminal: the simulator's end of the serial line, a pseudo-terminal published
// under a fixed link path, that can be unplugged and plugged in again.
#pragma once

#include <string>

namespace zel::sim {

class CPseudoTerminal {
public:
    explicit CPseudoTerminal(std::string link) : m_link(std::move(link)) {}
    ~CPseudoTerminal() { unplug(); }
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    // Creates the pseudo-terminal in raw mode and points the link at its device. Returns
    // an empty string or what went wrong.
    std::string plugIn();
    // Removes the link and closes both ends: the PC's open port sees a hang-up.
    void unplug();

    // Lets the PC open the port again: the exclusive mode a closed session set stays on a
    // pseudo-terminal (a real port drops it at its last close) and keeps other users out.
    void allowReopen();

    bool pluggedIn() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    const std::string& device() const { return m_device; }
    const std::string& link() const { return m_link; }

private:
    std::string m_link;
    std::string m_device;
    int m_master = -1;
    // Our own hold on the device side: without it the master sees a hang-up each time the
    // PC closes the port, and the bytes of a closed session would have nowhere to go.
    int m_slave = -1;
};

} // namespace zel::sim
