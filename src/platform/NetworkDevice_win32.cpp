// NetworkDevice on Windows: a non-blocking Winsock socket with TCP_NODELAY, its readiness
// signalled through a WSAEventSelect event that waits together with the caller's events.
#include "platform/NetworkDevice.h"

#include "platform/NetworkPortName.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

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
int socketWritable(SOCKET s, Clock::time_point deadline) {
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
        const int w = socketWritable(s, deadline);
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
    if (!begin(parsed.telnet, timeout)) {
        close();
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
    m_rxHead = m_rxTail = 0;
}

bool NetworkDevice::isOpen() const {
    return m_native->s != INVALID_SOCKET;
}

long NetworkDevice::receive(std::uint8_t* buffer, std::size_t capacity) {
    const int n =
        ::recv(m_native->s, reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0);
    if (n >= 0)
        return n;
    const int err = ::WSAGetLastError();
    if (err == WSAEWOULDBLOCK)
        return kWouldBlock;
    m_lastError = socketText(err);
    return kSocketError;
}

long NetworkDevice::sendSome(const std::uint8_t* data, std::size_t size) {
    const int n =
        ::send(m_native->s, reinterpret_cast<const char*>(data), static_cast<int>(size), 0);
    if (n >= 0)
        return n;
    const int err = ::WSAGetLastError();
    if (err == WSAEWOULDBLOCK)
        return kWouldBlock;
    m_lastError = socketText(err);
    return kSocketError;
}

int NetworkDevice::waitWritable(Clock::time_point deadline) {
    return socketWritable(m_native->s, deadline);
}

void NetworkDevice::waitReadable(Clock::time_point deadline) {
    ::WSAWaitForMultipleEvents(1, &m_native->ready, FALSE, millisecondsUntil(deadline), FALSE);
    ::WSAResetEvent(m_native->ready);
}

int NetworkDevice::wait(const ManualResetEvent* const events[3],
                        std::chrono::milliseconds timeout) {
    HANDLE handles[4];
    for (int i = 0; i < 3; ++i)
        handles[i] = reinterpret_cast<HANDLE>(events[i]->native());
    handles[3] = m_native->ready;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        // Bytes already taken in signal at once; a lost connection only lets the events
        // through, without waiting.
        const bool ready = buffered() > 0;
        const bool idle = m_gone || ready;
        const DWORD r = ::WaitForMultipleObjects(idle ? 3 : 4, handles, FALSE,
                                                 idle ? 0 : millisecondsUntil(deadline));
        if (r < WAIT_OBJECT_0 + 3)
            return static_cast<int>(r - WAIT_OBJECT_0);
        if (ready)
            return SerialDevice::kCommEventIndex;
        if (m_gone)
            return SerialDevice::kWaitFailed;
        if (r == WAIT_OBJECT_0 + 3) {
            ::WSAResetEvent(m_native->ready);
            fill();
            continue; // negotiation alone wakes nobody
        }
        if (r == WAIT_TIMEOUT)
            return SerialDevice::kWaitTimeout;
        lose(socketText(static_cast<int>(::GetLastError())));
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
    const int w = socketWritable(probe.s, std::min(probe.deadline, Clock::now() + wait));
    if (w == 0 && Clock::now() < probe.deadline)
        return false;
    const bool accepted = w > 0 && connectResult(probe.s) == 0;
    ::closesocket(probe.s);
    probe.s = INVALID_SOCKET;
    return accepted;
}

} // namespace zel
