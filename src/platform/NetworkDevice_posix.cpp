// NetworkDevice on POSIX: a non-blocking TCP socket with TCP_NODELAY and poll() over it and
// the caller's event fds.
#include "platform/NetworkDevice.h"

#include "platform/NetworkPortName.h"
#include "platform/PollRetrying_posix.h"

#include <cerrno>
#include <map>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace zel {

namespace {

using Clock = std::chrono::steady_clock;

std::string errnoText(int err) {
    return std::system_category().message(err);
}

// The addresses of a port name's host; empty with `error` set when it cannot be resolved.
addrinfo* resolve(const std::string& name, NetworkPortName& parsed, std::string& error) {
    if (!parseNetworkPortName(name, parsed, error))
        return nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(parsed.port);
    const int r = ::getaddrinfo(parsed.host.c_str(), service.c_str(), &hints, &list);
    if (r != 0) {
        error = "host " + parsed.host + " not found: " + ::gai_strerror(r);
        return nullptr;
    }
    return list;
}

// A socket with a connect to `ai` started; -1 with `error` set when it failed at once.
int startConnect(const addrinfo* ai, bool& done, std::string& error) {
    const int fd = ::socket(ai->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errnoText(errno);
        return -1;
    }
    int r;
    while ((r = ::connect(fd, ai->ai_addr, ai->ai_addrlen)) < 0 && errno == EINTR) {
    }
    done = r == 0;
    if (r < 0 && errno != EINPROGRESS) {
        error = errnoText(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

// The outcome of a started connect once the socket is writable: 0 or the errno.
int connectResult(int fd) {
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0)
        return errno;
    return err;
}

// The connects of the reconnect watch that were still under way when it last looked.
struct PresenceProbe {
    int fd = -1;
    Clock::time_point deadline;
};
std::mutex g_probeLock;
std::map<std::string, PresenceProbe> g_probes;

} // namespace

struct NetworkDevice::Native {
    int fd = -1;
};

NetworkDevice::NetworkDevice() : m_native(new Native) {}

NetworkDevice::~NetworkDevice() {
    close();
    delete m_native;
}

bool NetworkDevice::open(const std::string& name, std::chrono::milliseconds timeout) {
    close();
    NetworkPortName parsed;
    addrinfo* list = resolve(name, parsed, m_lastError);
    if (!list)
        return false;
    const auto deadline = Clock::now() + timeout;
    int fd = -1;
    for (const addrinfo* ai = list; ai && fd < 0; ai = ai->ai_next) {
        bool done = false;
        fd = startConnect(ai, done, m_lastError);
        if (fd < 0 || done)
            continue;
        pollfd p{fd, POLLOUT, 0};
        const int r = pollRetrying(&p, 1, deadline);
        const int err = r > 0 ? connectResult(fd) : r < 0 ? errno : ETIMEDOUT;
        if (err != 0) {
            m_lastError = err == ETIMEDOUT ? parsed.host + " did not answer within " +
                                                 std::to_string(timeout.count()) + " ms"
                                           : errnoText(err);
            ::close(fd);
            fd = -1;
            if (Clock::now() >= deadline)
                break;
        }
    }
    ::freeaddrinfo(list);
    if (fd < 0)
        return false;
    // Frames are small and each waits for its reply: send them at once.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);

    m_native->fd = fd;
    if (!begin(parsed.telnet, timeout)) {
        close();
        return false;
    }
    return true;
}

void NetworkDevice::close() {
    if (m_native->fd < 0)
        return;
    ::close(m_native->fd);
    m_native->fd = -1;
    m_rxHead = m_rxTail = 0;
}

bool NetworkDevice::isOpen() const {
    return m_native->fd >= 0;
}

long NetworkDevice::receive(std::uint8_t* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::recv(m_native->fd, buffer, capacity, MSG_DONTWAIT);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return kWouldBlock;
        m_lastError = errnoText(errno);
        return kSocketError;
    }
}

long NetworkDevice::sendSome(const std::uint8_t* data, std::size_t size) {
    for (;;) {
        // No SIGPIPE: a closed connection is reported, never a reason to end the program.
        const ssize_t n = ::send(m_native->fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return kWouldBlock;
        m_lastError = errnoText(errno);
        return kSocketError;
    }
}

int NetworkDevice::waitWritable(Clock::time_point deadline) {
    pollfd p{m_native->fd, POLLOUT, 0};
    const int r = pollRetrying(&p, 1, deadline);
    if (r < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return -1;
    return r;
}

void NetworkDevice::waitReadable(Clock::time_point deadline) {
    pollfd p{m_native->fd, POLLIN, 0};
    pollRetrying(&p, 1, deadline);
}

int NetworkDevice::wait(const ManualResetEvent* const events[3],
                        std::chrono::milliseconds timeout) {
    pollfd fds[4];
    for (int i = 0; i < 3; ++i)
        fds[i] = pollfd{static_cast<int>(events[i]->native()), POLLIN, 0};
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        // Bytes already taken in signal at once; a lost connection only lets the events
        // through, without waiting.
        const bool ready = buffered() > 0;
        const bool idle = m_gone || ready;
        fds[3] = pollfd{idle ? -1 : m_native->fd, POLLIN, 0};
        const int r = pollRetrying(fds, 4, idle ? Clock::now() : deadline);
        if (r < 0) {
            lose(errnoText(errno));
            return SerialDevice::kWaitFailed;
        }
        for (int i = 0; i < 3; ++i)
            if (fds[i].revents)
                return i;
        if (ready)
            return SerialDevice::kCommEventIndex;
        if (m_gone)
            return SerialDevice::kWaitFailed;
        if (fds[3].revents & (POLLERR | POLLNVAL)) {
            lose("the connection to the serial device server was lost");
            return SerialDevice::kWaitFailed;
        }
        if (fds[3].revents) {
            fill();
            continue; // negotiation alone wakes nobody
        }
        return SerialDevice::kWaitTimeout;
    }
}

bool NetworkDevice::present(const std::string& name, std::chrono::milliseconds wait) {
    std::lock_guard guard(g_probeLock);
    PresenceProbe& probe = g_probes[name];
    if (probe.fd < 0) {
        NetworkPortName parsed;
        std::string error;
        addrinfo* list = resolve(name, parsed, error);
        if (!list)
            return false;
        bool done = false;
        probe.fd = startConnect(list, done, error);
        ::freeaddrinfo(list);
        if (probe.fd < 0)
            return false;
        probe.deadline = Clock::now() + kNetworkConnectTimeout;
        if (done) {
            ::close(probe.fd);
            probe.fd = -1;
            return true;
        }
    }
    pollfd p{probe.fd, POLLOUT, 0};
    const int r = pollRetrying(&p, 1, std::min(probe.deadline, Clock::now() + wait));
    if (r == 0 && Clock::now() < probe.deadline)
        return false; // still connecting: looked at again next time
    const bool accepted = r > 0 && connectResult(probe.fd) == 0;
    ::close(probe.fd);
    probe.fd = -1;
    return accepted;
}

} // namespace zel
