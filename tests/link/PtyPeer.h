// PtyPeer: the far end of a real pseudo-terminal for the transport tests - a thread that
// collects the frames the port thread writes, with their arrival times, and answers each one
// as the test's script says.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace zel::test {

class PtyPeer {
public:
    using Clock = std::chrono::steady_clock;
    using Bytes = std::vector<std::uint8_t>;
    struct Arrival {
        Bytes frame;
        Clock::time_point at;
    };
    // The reply to the index-th frame received (0-based); empty = stay silent.
    using Script = std::function<Bytes(const Bytes& frame, int index)>;

    PtyPeer() {
        char name[128] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) {
            m_path = name;
            termios tio{};
            ::tcgetattr(m_master, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(m_master, TCSANOW, &tio);
        }
    }
    ~PtyPeer() {
        stop();
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The slave's path: what the transport opens.
    const std::string& path() const { return m_path; }

    void start(Script script) {
        m_script = std::move(script);
        m_thread = std::thread([this] { run(); });
    }
    void stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // The far end goes away, as when a USB adapter is pulled.
    void hangUp() {
        stop();
        ::close(m_master);
        m_master = -1;
    }

    std::vector<Arrival> arrivals() const {
        std::lock_guard lock(m_lock);
        return m_arrivals;
    }
    // Waits until at least n frames have arrived; false on timeout.
    bool waitForFrames(std::size_t n, std::chrono::milliseconds timeout) const {
        std::unique_lock lock(m_lock);
        return m_arrived.wait_for(lock, timeout, [&] { return m_arrivals.size() >= n; });
    }

private:
    void run() {
        Bytes pending;
        while (!m_stop) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
                continue;
            std::uint8_t buffer[512];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            pending.insert(pending.end(), buffer, buffer + n);
            // Frames start FF 55; the length byte says how many follow.
            for (;;) {
                while (pending.size() >= 2 && !(pending[0] == 0xFF && pending[1] == 0x55))
                    pending.erase(pending.begin());
                if (pending.size() < 3 || pending.size() < std::size_t{pending[2]} + 3u)
                    break;
                Bytes frame(pending.begin(), pending.begin() + pending[2] + 3);
                pending.erase(pending.begin(), pending.begin() + pending[2] + 3);
                int index;
                {
                    std::lock_guard lock(m_lock);
                    index = static_cast<int>(m_arrivals.size());
                    m_arrivals.push_back({frame, Clock::now()});
                }
                m_arrived.notify_all();
                const Bytes reply = m_script(frame, index);
                if (!reply.empty())
                    (void)!::write(m_master, reply.data(), reply.size());
            }
        }
    }

    int m_master = -1;
    int m_slave = -1; // held so that the pair lives while the transport opens and closes it
    std::string m_path;
    Script m_script;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    mutable std::condition_variable m_arrived;
    std::vector<Arrival> m_arrivals;
};

// The device's acknowledgement of a frame with command `command`.
inline std::vector<std::uint8_t> ack(std::uint8_t command, std::uint8_t status) {
    return {0xFF, 0x55, 0x03, command, status, static_cast<std::uint8_t>(0x03 + command + status)};
}

} // namespace zel::test
