// SerialDevice on Linux: termios raw 8N1 with RTS on, poll() over the port and the caller's
// event fds, non-blocking one-byte reads, and an exclusive open (TIOCEXCL and flock).
#include "platform/SerialDevice.h"

#include "platform/NetworkDevice.h"
#include "platform/NetworkPortName.h"
#include "platform/PollRetrying_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace zel {

struct SerialDevice::Native {
    int fd = -1;
    bool gone = false; // hung up: every call fails from now on
    SerialTimeouts timeouts;
    std::unique_ptr<NetworkDevice> net; // set while a network port is open
};

namespace {

using Clock = std::chrono::steady_clock;

bool isHangup(int err) {
    return err == EIO || err == ENXIO || err == ENODEV || err == EBADF;
}

// Whether the port has hung up (an adapter pulled, the far end of a pty closed); latches it.
bool hungUp(int fd, bool& gone, std::string& error) {
    pollfd p{fd, POLLIN, 0};
    if (pollRetrying(&p, 1, Clock::now()) < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        gone = true;
        error = "the port has hung up";
        return true;
    }
    return false;
}

// The result of a failed read or write: a hang-up latches the port as gone.
SerialResult failure(int err, bool& gone, std::string& error) {
    error = std::system_category().message(err);
    if (!isHangup(err))
        return SerialResult::Failed;
    gone = true;
    return SerialResult::Gone;
}

bool speedFor(int baud, speed_t& speed) {
    struct Entry {
        int baud;
        speed_t speed;
    };
    static constexpr Entry table[] = {{1200, B1200},     {2400, B2400},     {4800, B4800},
                                      {9600, B9600},     {19200, B19200},   {38400, B38400},
                                      {57600, B57600},   {115200, B115200}, {230400, B230400},
                                      {460800, B460800}, {921600, B921600}};
    for (const Entry& e : table) {
        if (e.baud == baud) {
            speed = e.speed;
            return true;
        }
    }
    return false;
}

} // namespace

SerialDevice::SerialDevice() : m_native(new Native) {}

SerialDevice::~SerialDevice() {
    close();
    delete m_native;
}

bool SerialDevice::open(const std::string& openName) {
    close();
    if (isNetworkPortName(openName)) {
        auto net = std::make_unique<NetworkDevice>();
        if (!net->open(openName)) {
            m_lastError = net->lastError();
            return false;
        }
        m_native->net = std::move(net);
        return true;
    }
    int fd;
    while ((fd = ::open(openName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) < 0 &&
           errno == EINTR) {
    }
    if (fd < 0) {
        m_lastError = std::system_category().message(errno);
        return false;
    }
    // TIOCEXCL keeps other openers out, but not root; the lock keeps out every program
    // that asks for it, root included.
    int r;
    while ((r = ::flock(fd, LOCK_EX | LOCK_NB)) < 0 && errno == EINTR) {
    }
    if (r < 0) {
        const int err = errno;
        m_lastError = err == EWOULDBLOCK ? "the port is in use by another program"
                                         : std::system_category().message(err);
        ::close(fd);
        return false;
    }
    if (::ioctl(fd, TIOCEXCL) < 0 && errno != ENOTTY) {
        m_lastError = std::system_category().message(errno);
        ::close(fd);
        return false;
    }
    m_native->fd = fd;
    m_native->gone = false;
    return true;
}

bool SerialDevice::configure(const SerialTimeouts& timeouts, std::uint32_t /*eventMask*/,
                             const std::string& settings, const char*& failedCall) {
    if (m_native->net)
        return m_native->net->configure(timeouts, settings, failedCall);
    const int fd = m_native->fd;
    // Timeouts and the event mask are kept here: reads and writes apply them, and the port
    // only ever signals received characters.
    m_native->timeouts = timeouts;

    termios tio{};
    if (::tcgetattr(fd, &tio) < 0) {
        failedCall = "GetCommState()";
        m_lastError = std::system_category().message(errno);
        return false;
    }

    int baud = 0, data = 0, stop = 0;
    char parity = 0;
    speed_t speed{};
    if (std::sscanf(settings.c_str(), "baud=%d parity=%c data=%d stop=%d", &baud, &parity, &data,
                    &stop) != 4 ||
        !speedFor(baud, speed) || data < 5 || data > 8 || (stop != 1 && stop != 2) ||
        std::strchr("NEOnoe", parity) == nullptr) {
        failedCall = "BuildCommDCB()";
        m_lastError = "The parameter is incorrect: \"" + settings + "\"";
        return false;
    }

    // RTS on. A pseudo-terminal has no modem lines; that is no configuration error.
    int rts = TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &rts) < 0 && errno != ENOTTY && errno != EINVAL) {
        failedCall = "SetCommState()";
        m_lastError = std::system_category().message(errno);
        return false;
    }

    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[data - 5];
    if (stop == 2)
        tio.c_cflag |= CSTOPB;
    if (parity == 'E' || parity == 'e')
        tio.c_cflag |= PARENB;
    if (parity == 'O' || parity == 'o')
        tio.c_cflag |= PARENB | PARODD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) < 0) {
        failedCall = "SetCommState()";
        m_lastError = std::system_category().message(errno);
        return false;
    }
    return true;
}

void SerialDevice::close() {
    m_native->net.reset();
    if (m_native->fd < 0)
        return;
    ::ioctl(m_native->fd, TIOCNXCL);
    ::close(m_native->fd); // also releases the lock
    m_native->fd = -1;
}

bool SerialDevice::isOpen() const {
    return m_native->net || m_native->fd >= 0;
}

void SerialDevice::purgeInput() {
    if (m_native->net)
        return m_native->net->purgeInput();
    if (m_native->fd >= 0 && ::tcflush(m_native->fd, TCIFLUSH) < 0 && isHangup(errno))
        m_native->gone = true;
}

SerialDevice::CommWait SerialDevice::startCommWait() {
    if (m_native->net)
        return m_native->net->startCommWait();
    if (m_native->fd < 0 || m_native->gone)
        return CommWait::Failed;
    // Readiness is level-triggered here, so there is nothing to arm; only a port that has
    // hung up must be noticed now.
    return hungUp(m_native->fd, m_native->gone, m_lastError) ? CommWait::Failed : CommWait::Pending;
}

bool SerialDevice::commEventHasRxChar() const {
    return true;
}

void SerialDevice::resetCommEvent() {
    // The port is signalled exactly while characters wait; they are dropped by the purge
    // before the next write.
}

SerialResult SerialDevice::inputWaiting(std::size_t& count) {
    if (m_native->net)
        return m_native->net->inputWaiting(count);
    count = 0;
    if (m_native->fd < 0 || m_native->gone)
        return SerialResult::Gone;
    if (hungUp(m_native->fd, m_native->gone, m_lastError))
        return SerialResult::Gone;
    int n = 0;
    if (::ioctl(m_native->fd, FIONREAD, &n) < 0) {
        const int err = errno;
        m_lastError = std::system_category().message(err);
        if (isHangup(err)) {
            m_native->gone = true;
            return SerialResult::Gone;
        }
        return SerialResult::Failed;
    }
    count = n > 0 ? static_cast<std::size_t>(n) : 0;
    return SerialResult::Ok;
}

SerialResult SerialDevice::readByte(std::uint8_t& byte) {
    if (m_native->net)
        return m_native->net->readByte(byte);
    if (m_native->fd < 0 || m_native->gone)
        return SerialResult::Gone;
    const auto& t = m_native->timeouts;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(t.readTotalConstant + t.readTotalMultiplier);
    bool waited = false;
    for (;;) {
        const ssize_t r = ::read(m_native->fd, &byte, 1);
        if (r == 1)
            return SerialResult::Ok;
        // After readiness, end-of-file is a hang-up, never "nothing there".
        if (r == 0) {
            m_native->gone = true;
            m_lastError = "the port has hung up";
            return SerialResult::Gone;
        }
        const int err = errno;
        if (err == EINTR)
            continue;
        if (err != EAGAIN && err != EWOULDBLOCK)
            return failure(err, m_native->gone, m_lastError);
        // Started but nothing yet: wait for the byte within the read timeouts.
        if (waited && Clock::now() >= deadline) {
            m_lastError = "the read did not complete in time";
            return SerialResult::Incomplete;
        }
        pollfd p{m_native->fd, POLLIN, 0};
        if (pollRetrying(&p, 1, deadline) < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            m_native->gone = true;
            m_lastError = "the port has hung up";
            return SerialResult::Gone;
        }
        waited = true;
    }
}

SerialResult SerialDevice::write(const std::uint8_t* data, std::size_t size) {
    if (m_native->net)
        return m_native->net->write(data, size);
    if (m_native->fd < 0 || m_native->gone)
        return SerialResult::Gone;
    const auto& t = m_native->timeouts;
    const auto deadline =
        Clock::now() +
        std::chrono::milliseconds(t.writeTotalConstant +
                                  t.writeTotalMultiplier * static_cast<std::uint32_t>(size));
    std::size_t done = 0;
    while (done < size) {
        const ssize_t r = ::write(m_native->fd, data + done, size - done);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
            continue;
        }
        const int err = r < 0 ? errno : EAGAIN;
        if (err == EINTR)
            continue;
        if (err != EAGAIN && err != EWOULDBLOCK)
            return failure(err, m_native->gone, m_lastError);
        pollfd p{m_native->fd, POLLOUT, 0};
        const int pr = pollRetrying(&p, 1, deadline);
        if (pr < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            m_native->gone = true;
            m_lastError = "the port has hung up";
            return SerialResult::Gone;
        }
        if (pr == 0) {
            m_lastError = "the write did not complete in time";
            return SerialResult::Failed;
        }
    }
    return SerialResult::Ok;
}

int SerialDevice::wait(const ManualResetEvent* const events[3], std::chrono::milliseconds timeout) {
    if (m_native->net)
        return m_native->net->wait(events, timeout);
    pollfd fds[4];
    for (int i = 0; i < 3; ++i)
        fds[i] = pollfd{static_cast<int>(events[i]->native()), POLLIN, 0};
    fds[3] = pollfd{m_native->gone ? -1 : m_native->fd, POLLIN, 0};
    // A port that has hung up only lets the events through, without waiting.
    const int r = pollRetrying(fds, 4, m_native->gone ? Clock::now() : Clock::now() + timeout);
    if (r < 0) {
        // Not retryable: treat the port as failed so that the caller cannot spin on it.
        m_lastError = std::system_category().message(errno);
        m_native->gone = true;
        return kWaitFailed;
    }
    for (int i = 0; i < 3; ++i)
        if (fds[i].revents)
            return i;
    if (fds[3].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        m_native->gone = true;
        m_lastError = "the port has hung up";
        return kWaitFailed;
    }
    if (fds[3].revents & POLLIN)
        return kCommEventIndex;
    if (m_native->gone)
        return kWaitFailed;
    return kWaitTimeout;
}

const std::string& SerialDevice::lastError() const {
    return m_native->net ? m_native->net->lastError() : m_lastError;
}

} // namespace zel
