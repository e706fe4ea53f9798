// isTerminalDevice on POSIX systems: a character device that is a tty.
#include "platform/PortName.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

bool isTerminalDevice(const std::string& name, std::string& reason) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0)
        return true; // absent (an adapter unplugged): the port's own open reports that
    if (S_ISREG(st.st_mode)) {
        reason = "it is a regular file";
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        reason = "it is a folder";
        return false;
    }
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        reason = "it is a FIFO or socket";
        return false;
    }
    if (!S_ISCHR(st.st_mode)) {
        reason = "it is not a character device";
        return false;
    }
    // A character device may still be no terminal (/dev/null); opening one without blocking
    // and without making it the controlling terminal writes nothing.
    int fd;
    do
        fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return true; // busy or not permitted: the port's own open reports that

    const bool tty = ::isatty(fd) == 1;
    ::close(fd);
    if (!tty)
        reason = "it is a device but not a terminal";
    return tty;
}

} // namespace zel
