// CPseudoTerminal: pty creation, raw mode and the published link.
#include "PseudoTerminal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zel::sim {

namespace {

std::string failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

} // namespace

std::string CPseudoTerminal::plugIn() {
    if (pluggedIn())
        return {};
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0)
        return failure("posix_openpt");
    char name[128] = {};
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0) {
        const std::string err = failure("preparing the pseudo-terminal");
        unplug();
        return err;
    }
    m_device = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        const std::string err = failure(("opening " + m_device).c_str());
        unplug();
        return err;
    }
    // Raw: no echo of the replies back into the master, no line editing, no CR/LF games.
    termios tio{};
    tcgetattr(m_slave, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    tcsetattr(m_slave, TCSANOW, &tio);

    // Swap the link in place, so a port search never sees a half-made one.
    const std::string aside = m_link + ".new";
    unlink(aside.c_str());
    if (symlink(m_device.c_str(), aside.c_str()) != 0 || rename(aside.c_str(), m_link.c_str()) != 0) {
        const std::string err = failure(("publishing the link " + m_link).c_str());
        unlink(aside.c_str());
        unplug();
        return err;
    }
    return {};
}

void CPseudoTerminal::allowReopen() {
    if (m_slave >= 0)
        ioctl(m_slave, TIOCNXCL);
}

void CPseudoTerminal::unplug() {
    if (m_master >= 0 || m_slave >= 0)
        unlink(m_link.c_str());
    if (m_slave >= 0)
        close(m_slave);
    if (m_master >= 0)
        close(m_master);
    m_slave = m_master = -1;
}

} // namespace zel::sim
