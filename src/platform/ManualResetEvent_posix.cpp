// ManualResetEvent on Linux: an eventfd whose counter is non-zero exactly while the event
// is signalled, so poll() sees it readable until reset() drains it.
#include "platform/ManualResetEvent.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zel {

ManualResetEvent::ManualResetEvent() : m_native(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

ManualResetEvent::~ManualResetEvent() {
    if (m_native >= 0)
        ::close(static_cast<int>(m_native));
}

bool ManualResetEvent::valid() const {
    return m_native >= 0;
}

bool ManualResetEvent::set() {
    if (m_native < 0)
        return false;
    // Adding 1 to a non-zero counter keeps it signalled; the counter never nears overflow
    // because every reset() drains it.
    const std::uint64_t one = 1;
    for (;;) {
        if (::write(static_cast<int>(m_native), &one, sizeof one) == sizeof one)
            return true;
        if (errno != EINTR)
            return errno == EAGAIN; // counter saturated: still signalled
    }
}

void ManualResetEvent::reset() {
    if (m_native < 0)
        return;
    std::uint64_t count = 0;
    while (::read(static_cast<int>(m_native), &count, sizeof count) < 0 && errno == EINTR) {
    }
}

bool ManualResetEvent::isSet() const {
    if (m_native < 0)
        return false;
    pollfd p{static_cast<int>(m_native), POLLIN, 0};
    int r;
    while ((r = ::poll(&p, 1, 0)) < 0 && errno == EINTR) {
    }
    return r > 0 && (p.revents & POLLIN);
}

bool ManualResetEvent::waitFor(std::chrono::milliseconds timeout) const {
    if (m_native < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd p{static_cast<int>(m_native), POLLIN, 0};
        const int r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (r > 0)
            return (p.revents & POLLIN) != 0;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

} // namespace zel
