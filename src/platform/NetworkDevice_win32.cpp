// NetworkDevice on Windows: a non-blocking Winsock socket with TCP_NODELAY, its readiness
// signalled through a WSAEventSelect event that waits together with the caller's events.
#include "platform/NetworkDevice.h"

#include "platform/NetworkPortName.h"
#include "platform/TelnetCodec.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

namespace zel {

namespace {

using Clock = std::chrono::steady_clock;

std::string socketText(int code) {
    char* text = nullptr;
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, static_cast<DWORD>(code), LANG_USER_DEFAULT,
                                     reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = n && text ? std::string(text, n) : "error " + std::to_string(code);
    if (text)
        ::LocalFree(text);
    return result;
}

bool startWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

DWORD millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

// Waits until the socket is writable (a connect finished) or has failed; 1, 0 on time-out.
int waitWritable(SOCKET s, Clock::time_point deadline) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    const DWORD ms = millisecondsUntil(deadline);
    timeval tv{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    return ::select(0, nullptr, &writable, &failed, &tv);
}

int connectResult(SOCKET s) {
    int err = 0;
    int len = sizeof err;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0)
        return ::WSAGetLastError();
    return err;
}

addrinfo* resolve(const std::string& name, NetworkPortName& parsed, std::string& error) {
    if (!parseNetworkPortName(name, parsed, error))
        return nullptr;
    if (!startWinsock()) {
        error = "Windows Sockets could not be started";
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(parsed.port);
    const int r = ::getaddrinfo(parsed.host.c_str(), service.c_str(), &hints, &list);
    if (r != 0) {
        error = "host " + parsed.host + " not found: " + socketText(r);
        return nullptr;
    }
    return list;
}

SOCKET startConnect(const addrinfo* ai, bool& done, std::string& error) {
    const SOCKET s = ::socket(ai->ai_family, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        error = socketText(::WSAGetLastError());
        return INVALID_SOCKET;
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    const int r = ::connect(s, ai->ai_addr, static_cast<int>(ai->ai_addrlen));
    done = r == 0;
    if (r != 0 && ::WSAGetLastError() != WSAEWOULDBLOCK) {
        error = socketText(::WSAGetLastError());
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

struct PresenceProbe {
    SOCKET s = INVALID_SOCKET;
    Clock::time_point deadline;
};
std::mutex g_probeLock;
std::map<std::string, PresenceProbe> g_probes;

} // namespace

struct NetworkDevice::Native {
    SOCKET s = INVALID_SOCKET;
    WSAEVENT ready = WSA_INVALID_EVENT; // FD_READ or FD_CLOSE
    bool gone = false;
    SerialTimeouts timeouts;
    TelnetCodec codec;
    std::array<std::uint8_t, 4096> rx{};
    std::size_t rxHead = 0, rxTail = 0;

    std::size_t buffered() const { return rxTail - rxHead; }

    bool lose(std::string& error, const std::string& why) {
        gone = true;
        error = why;
        return false;
    }

    SerialResult sendAll(const std::uint8_t* data, std::size_t size, Clock::time_point deadline,
                         std::string& error) {
        std::size_t done = 0;
        while (done < size) {
            const int r = ::send(s, reinterpret_cast<const char*>(data + done),
                                 static_cast<int>(size - done), 0);
            if (r > 0) {
                done += static_cast<std::size_t>(r);
                continue;
            }
            const int err = ::WSAGetLastError();
            if (err != WSAEWOULDBLOCK) {
                lose(error, socketText(err));
                return SerialResult::Gone;
            }
            const int w = waitWritable(s, deadline);
            if (w < 0) {
                lose(error, "the connection to the serial device server was lost");
                return SerialResult::Gone;
            }
            if (w == 0) {
                error = "the write did not complete in time";
                return SerialResult::Failed;
            }
        }
        return SerialResult::Ok;
    }

    bool fill(std::string& error) {
        if (s == INVALID_SOCKET || gone)
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
                break;
            const int r =
                ::recv(s, reinterpret_cast<char*>(rx.data() + rxTail), static_cast<int>(space), 0);
            if (r > 0) {
                rxTail += codec.decode(rx.data() + rxTail, static_cast<std::size_t>(r));
                continue;
            }
            if (r == 0)
                return lose(error, "the serial device server closed the connection");
            const int err = ::WSAGetLastError();
            if (err == WSAEWOULDBLOCK)
                break;
            return lose(error, socketText(err));
        }
        const auto owed = codec.pendingReply();
        if (!owed.empty()) {
            const int r = ::send(s, reinterpret_cast<const char*>(owed.data()),
                                 static_cast<int>(owed.size()), 0);
            if (r > 0)
                codec.dropReply(static_cast<std::size_t>(r));
        }
        return true;
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
    SOCKET s = INVALID_SOCKET;
    for (const addrinfo* ai = list; ai && s == INVALID_SOCKET; ai = ai->ai_next) {
        bool done = false;
        s = startConnect(ai, done, m_lastError);
        if (s == INVALID_SOCKET || done)
            continue;
        const int w = waitWritable(s, deadline);
        const int err = w > 0 ? connectResult(s) : w < 0 ? ::WSAGetLastError() : WSAETIMEDOUT;
        if (err != 0) {
            m_lastError = err == WSAETIMEDOUT ? parsed.host + " did not answer within " +
                                                    std::to_string(timeout.count()) + " ms"
                                              : socketText(err);
            ::closesocket(s);
            s = INVALID_SOCKET;
            if (Clock::now() >= deadline)
                break;
        }
    }
    ::freeaddrinfo(list);
    if (s == INVALID_SOCKET)
        return false;
    const BOOL one = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    ::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&one), sizeof one);

    Native& n = *m_native;
    n.s = s;
    n.ready = ::WSACreateEvent();
    if (n.ready == WSA_INVALID_EVENT || ::WSAEventSelect(s, n.ready, FD_READ | FD_CLOSE) != 0) {
        m_lastError = socketText(::WSAGetLastError());
        close();
        return false;
    }
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
    Native& n = *m_native;
    if (n.s != INVALID_SOCKET)
        ::closesocket(n.s);
    if (n.ready != WSA_INVALID_EVENT)
        ::WSACloseEvent(n.ready);
    n.s = INVALID_SOCKET;
    n.ready = WSA_INVALID_EVENT;
    n.rxHead = n.rxTail = 0;
}

bool NetworkDevice::isOpen() const {
    return m_native->s != INVALID_SOCKET;
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
        if (n.s == INVALID_SOCKET || n.gone)
            return SerialResult::Gone;
        if (Clock::now() >= deadline) {
            m_lastError = "the read did not complete in time";
            return SerialResult::Incomplete;
        }
        ::WSAWaitForMultipleEvents(1, &n.ready, FALSE, millisecondsUntil(deadline), FALSE);
        ::WSAResetEvent(n.ready);
        n.fill(m_lastError);
    }
}

SerialResult NetworkDevice::write(const std::uint8_t* data, std::size_t size) {
    Native& n = *m_native;
    if (n.s == INVALID_SOCKET || n.gone)
        return SerialResult::Gone;
    const auto& t = n.timeouts;
    const auto deadline =
        Clock::now() +
        std::chrono::milliseconds(t.writeTotalConstant +
                                  t.writeTotalMultiplier * static_cast<std::uint32_t>(size));
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
    HANDLE handles[4];
    for (int i = 0; i < 3; ++i)
        handles[i] = reinterpret_cast<HANDLE>(events[i]->native());
    handles[3] = n.ready;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const bool ready = n.buffered() > 0;
        const DWORD count = n.gone || ready ? 3 : 4;
        const DWORD r = ::WaitForMultipleObjects(count, handles, FALSE,
                                                 n.gone || ready ? 0 : millisecondsUntil(deadline));
        if (r < WAIT_OBJECT_0 + 3)
            return static_cast<int>(r - WAIT_OBJECT_0);
        if (ready)
            return SerialDevice::kCommEventIndex;
        if (n.gone)
            return SerialDevice::kWaitFailed;
        if (r == WAIT_OBJECT_0 + 3) {
            ::WSAResetEvent(n.ready);
            n.fill(m_lastError);
            continue;
        }
        if (r == WAIT_TIMEOUT)
            return SerialDevice::kWaitTimeout;
        n.lose(m_lastError, socketText(static_cast<int>(::GetLastError())));
        return SerialDevice::kWaitFailed;
    }
}

bool NetworkDevice::present(const std::string& name, std::chrono::milliseconds wait) {
    std::lock_guard guard(g_probeLock);
    PresenceProbe& probe = g_probes[name];
    if (probe.s == INVALID_SOCKET) {
        NetworkPortName parsed;
        std::string error;
        addrinfo* list = resolve(name, parsed, error);
        if (!list)
            return false;
        bool done = false;
        probe.s = startConnect(list, done, error);
        ::freeaddrinfo(list);
        if (probe.s == INVALID_SOCKET)
            return false;
        probe.deadline = Clock::now() + kNetworkConnectTimeout;
        if (done) {
            ::closesocket(probe.s);
            probe.s = INVALID_SOCKET;
            return true;
        }
    }
    const int w = waitWritable(probe.s, std::min(probe.deadline, Clock::now() + wait));
    if (w == 0 && Clock::now() < probe.deadline)
        return false;
    const bool accepted = w > 0 && connectResult(probe.s) == 0;
    ::closesocket(probe.s);
    probe.s = INVALID_SOCKET;
    return accepted;
}

} // namespace zel
