// pollRetrying: poll() until a deadline, through interruptions by signals. POSIX files of
// the platform layer only.
#pragma once

#include <cerrno>
#include <chrono>
#include <poll.h>

namespace zel {

// poll() with the time left until `deadline` (none left: a look without waiting); an
// interrupted call is made again with the time then left.
inline int pollRetrying(pollfd* fds, nfds_t n, std::chrono::steady_clock::time_point deadline) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int r = ::poll(fds, n, left > 0 ? static_cast<int>(left) : 0);
        if (r >= 0 || errno != EINTR)
            return r;
    }
}

} // namespace zel
