// NetworkDevice on POSIX: a non-blocking TCP socket with TCP_NODELAY, poll() over it and the
// caller's event fds, and the decoded bytes kept in a fixed buffer between calls.
#include "platform/NetworkDevice.h"

#include "platform/NetworkPortName.h"
#include "platform/TelnetCodec.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

int pollRetrying(pollfd* fds, nfds_t n, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int r = ::poll(fds, n, left > 0 ? static_cast<int>(left) : 0);
        if (r >= 0 || errno != EINTR)
            return r;
    }
}

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
    bool gone = false; // closed or reset by the far end: every call fails from now on
    SerialTimeouts timeouts;
    TelnetCodec codec;
    std::array<std::uint8_t, 4096> rx{}; // decoded data not yet read
    std::size_t rxHead = 0, rxTail = 0;

    std::size_t buffered() const { return rxTail - rxHead; }

    bool lose(std::string& error, const std::string& why) {
        gone = true;
        error = why;
        return false;
    }

    // Sends what the codec owes the server without waiting; the rest goes out later.
    bool sendOwed(std::string& error) {
        while (!codec.pendingReply().empty()) {
            const auto owed = codec.pendingReply();
            const ssize_t r = ::send(fd, owed.data(), owed.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (r > 0) {
                codec.dropReply(static_cast<std::size_t>(r));
                continue;
            }
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return true;
            return lose(error, errnoText(errno));
        }
        return true;
    }

    // Takes everything the socket holds into rx without waiting. False when the
    // connection has ended.
    bool fill(std::string& error) {
        if (fd < 0 || gone)
            return false;
        for (;;) {
            if (rxHead == rxTail)
                rxHead = rxTail = 0;
            if (rxTail == rx.size() && rxHead > 0) {
                std::memmove(rx.data(), rx.data() + rxHead, buffered());
                rxTail -= rxHead;
                rxHead = 0;
            }
            const std::size_t space = rx.size() - rxTail;
            if (space == 0)
                break; // the rest waits in the socket
            const ssize_t r = ::recv(fd, rx.data() + rxTail, space, MSG_DONTWAIT);
            if (r > 0) {
                rxTail += codec.decode(rx.data() + rxTail, static_cast<std::size_t>(r));
                continue;
            }
            if (r == 0)
                return lose(error, "the serial device server closed the connection");
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            return lose(error, errnoText(errno));
        }
        return sendOwed(error);
    }

    // Sends all of `data` as it is, within the deadline.
    SerialResult sendAll(const std::uint8_t* data, std::size_t size, Clock::time_point deadline,
                         std::string& error) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t r = ::send(fd, data + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (r > 0) {
                done += static_cast<std::size_t>(r);
                continue;
            }
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                lose(error, errnoText(errno));
                return SerialResult::Gone;
            }
            pollfd p{fd, POLLOUT, 0};
            const int pr = pollRetrying(&p, 1, deadline);
            if (pr < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
                lose(error, "the connection to the serial device server was lost");
                return SerialResult::Gone;
            }
            if (pr == 0) {
                error = "the write did not complete in time";
                return SerialResult::Failed;
            }
        }
        return SerialResult::Ok;
    }
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

    Native& n = *m_native;
    n.fd = fd;
    n.gone = false;
    n.rxHead = n.rxTail = 0;
    n.codec.reset(parsed.telnet);
    if (parsed.telnet) {
        const auto hello = TelnetCodec::greeting();
        if (n.sendAll(hello.data(), hello.size(), Clock::now() + timeout, m_lastError) !=
            SerialResult::Ok) {
            close();
            return false;
        }
    }
    return true;
}

bool NetworkDevice::configure(const SerialTimeouts& timeouts, const std::string& settings,
                              const char*& failedCall) {
    Native& n = *m_native;
    n.timeouts = timeouts;
    int baud = 0, data = 0, stop = 0;
    char parity = 0;
    if (std::sscanf(settings.c_str(), "baud=%d parity=%c data=%d stop=%d", &baud, &parity, &data,
                    &stop) != 4 ||
        baud <= 0 || data < 5 || data > 8 || (stop != 1 && stop != 2) ||
        std::strchr("NEOnoe", parity) == nullptr) {
        failedCall = "BuildCommDCB()";
        m_lastError = "The parameter is incorrect: \"" + settings + "\"";
        return false;
    }
    // A raw port's line settings belong to the server's own configuration.
    if (!n.codec.telnet())
        return true;
    const auto request =
        TelnetCodec::comPortSettings(static_cast<std::uint32_t>(baud), data, parity, stop);
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(timeouts.writeTotalConstant +
                                                 timeouts.writeTotalMultiplier * request.size());
    if (n.sendAll(request.data(), request.size(), deadline, m_lastError) != SerialResult::Ok) {
        failedCall = "SetCommState()";
        return false;
    }
    return true;
}

void NetworkDevice::close() {
    if (m_native->fd < 0)
        return;
    ::close(m_native->fd);
    m_native->fd = -1;
    m_native->rxHead = m_native->rxTail = 0;
}

bool NetworkDevice::isOpen() const {
    return m_native->fd >= 0;
}

void NetworkDevice::purge() {
    Native& n = *m_native;
    // What has arrived so far is dropped, as a serial driver drops its input queue.
    do {
        n.rxHead = n.rxTail = 0;
    } while (n.fill(m_lastError) && n.buffered() > 0);
    n.rxHead = n.rxTail = 0;
}

// Bytes that arrived before the server closed the connection are still read; the port
// counts as gone once they are.
SerialDevice::CommWait NetworkDevice::startCommWait() {
    Native& n = *m_native;
    n.fill(m_lastError);
    return n.buffered() > 0 || !n.gone ? SerialDevice::CommWait::Pending
                                       : SerialDevice::CommWait::Failed;
}

SerialResult NetworkDevice::inputWaiting(std::size_t& count) {
    Native& n = *m_native;
    n.fill(m_lastError);
    count = n.buffered();
    return count > 0 || !n.gone ? SerialResult::Ok : SerialResult::Gone;
}

SerialResult NetworkDevice::readByte(std::uint8_t& byte) {
    Native& n = *m_native;
    const auto& t = n.timeouts;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(t.readTotalConstant + t.readTotalMultiplier);
    for (;;) {
        if (n.buffered() > 0) {
            byte = n.rx[n.rxHead++];
            return SerialResult::Ok;
        }
        if (n.fd < 0 || n.gone)
            return SerialResult::Gone;
        if (Clock::now() >= deadline) {
            m_lastError = "the read did not complete in time";
            return SerialResult::Incomplete;
        }
        pollfd p{n.fd, POLLIN, 0};
        if (pollRetrying(&p, 1, deadline) < 0 || (p.revents & (POLLERR | POLLNVAL))) {
            n.lose(m_lastError, "the connection to the serial device server was lost");
            return SerialResult::Gone;
        }
        n.fill(m_lastError);
    }
}

SerialResult NetworkDevice::write(const std::uint8_t* data, std::size_t size) {
    Native& n = *m_native;
    if (n.fd < 0 || n.gone)
        return SerialResult::Gone;
    const auto& t = n.timeouts;
    const auto deadline =
        Clock::now() +
        std::chrono::milliseconds(t.writeTotalConstant +
                                  t.writeTotalMultiplier * static_cast<std::uint32_t>(size));
    // Answers owed to the server go first; then the data, escaped in pieces on the stack.
    const auto owed = n.codec.pendingReply();
    if (!owed.empty()) {
        const SerialResult r = n.sendAll(owed.data(), owed.size(), deadline, m_lastError);
        if (r != SerialResult::Ok)
            return r;
        n.codec.dropReply(owed.size());
    }
    std::uint8_t wire[1024];
    std::size_t done = 0;
    while (done < size) {
        std::size_t used = 0;
        const std::size_t length =
            n.codec.encode(data + done, size - done, wire, sizeof wire, used);
        const SerialResult r = n.sendAll(wire, length, deadline, m_lastError);
        if (r != SerialResult::Ok)
            return r;
        done += used;
    }
    return SerialResult::Ok;
}

int NetworkDevice::wait(const ManualResetEvent* const events[3],
                        std::chrono::milliseconds timeout) {
    Native& n = *m_native;
    pollfd fds[4];
    for (int i = 0; i < 3; ++i)
        fds[i] = pollfd{static_cast<int>(events[i]->native()), POLLIN, 0};
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        // Bytes already taken in signal at once; a lost connection only lets the events
        // through, without waiting.
        const bool ready = n.buffered() > 0;
        fds[3] = pollfd{n.gone || ready ? -1 : n.fd, POLLIN, 0};
        const int r = pollRetrying(fds, 4, n.gone || ready ? Clock::now() : deadline);
        if (r < 0) {
            n.lose(m_lastError, errnoText(errno));
            return SerialDevice::kWaitFailed;
        }
        for (int i = 0; i < 3; ++i)
            if (fds[i].revents)
                return i;
        if (ready)
            return SerialDevice::kCommEventIndex;
        if (n.gone)
            return SerialDevice::kWaitFailed;
        if (fds[3].revents & (POLLERR | POLLNVAL)) {
            n.lose(m_lastError, "the connection to the serial device server was lost");
            return SerialDevice::kWaitFailed;
        }
        if (fds[3].revents) {
            n.fill(m_lastError);
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
