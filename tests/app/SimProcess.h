// SimProcess: one zel-sim child process for a test, with its link, log and state file in a
// private directory.
#pragma once

#include "model/DeviceParams.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zel::test {

// One line of the simulator's log.
struct SimLogLine {
    std::chrono::steady_clock::time_point at; // the simulator logs CLOCK_MONOTONIC
    long frame = 0;
    std::string tag; // RX, TX, NOREPLY, PLUG, UNPLUG, ...
    std::vector<std::uint8_t> bytes;
    std::string note; // the text in parentheses: the fault played, the port, ...
};

class SimProcess {
public:
    // Starts zel-sim with `args` (besides --link, --log and --dump-state) and waits until
    // its link exists.
    SimProcess(const std::string& name, const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Asked when a simulator ends; true prints its log on stderr (tests: on failure).
    static std::function<bool()> dumpLogOnExit;

    const std::string& link() const { return m_link; }
    void signal(int sig) const;
    // Every line logged so far.
    std::vector<SimLogLine> log() const;
    // Only the frames received.
    std::vector<SimLogLine> received() const;
    // The simulator's parameter set, written on request (SIGUSR2).
    DeviceParams state() const;

private:
    std::string m_dir, m_link, m_log, m_state;
    int m_pid = -1;
};

std::string hex(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values);

} // namespace zel::test
