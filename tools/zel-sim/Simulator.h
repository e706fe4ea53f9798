// CSimulator: the simulator's one loop: reads the PC's frames from the pseudo-terminal,
// lets the processor answer them, sends the replies on time and plays the faults asked for.
#pragma once

#include "FrameAssembler.h"
#include "PseudoTerminal.h"
#include "Processor.h"
#include "SimOptions.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

namespace zel::sim {

class CSimulator {
public:
    CSimulator(SimOptions options, CProcessor& processor);
    ~CSimulator();
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    // Opens the log and the pseudo-terminal; returns an empty string or the error.
    std::string start();
    // Runs until SIGINT or SIGTERM; returns the exit code.
    int run();
    const std::string& device() const { return m_pty.device(); }

private:
    struct OutByte {
        std::uint8_t byte;
        std::int64_t due; // CLOCK_MONOTONIC, ns
    };

    void onBytes(const std::uint8_t* bytes, std::size_t count, std::int64_t now);
    void onFrame(const std::uint8_t* frame, std::size_t length, std::int64_t firstByteAt,
                 std::int64_t now);
    void flushDue(std::int64_t now);
    void unplug(std::int64_t now, const char* why);
    void replug(std::int64_t now);
    void writeState();
    void logLine(std::int64_t at, const char* tag, const std::uint8_t* bytes, std::size_t count,
                 const std::string& note = {});

    SimOptions m_opt;
    CProcessor& m_processor;
    CPseudoTerminal m_pty;
    CFrameAssembler m_assembler;
    std::deque<OutByte> m_out;
    std::FILE* m_log = nullptr;
    int m_signalFd = -1;
    long m_frameNumber = 0;
    std::int64_t m_startedAt = 0;
    std::int64_t m_frameStartAt = 0;
    std::int64_t m_unplugAt = -1;
    std::int64_t m_replugAt = -1;
    std::int64_t m_lastDue = 0;
    std::int64_t m_reopenCheckAt = 0;
};

} // namespace zel::sim
