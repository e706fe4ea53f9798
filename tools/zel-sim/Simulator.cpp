// CSimulator: the poll loop over the pseudo-terminal and the signals.
#include "Simulator.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace zel::sim {

namespace {

constexpr std::int64_t kMs = 1'000'000;
// One byte at 115200 baud, 8N1: start bit, 8 data bits, stop bit.
constexpr std::int64_t kByteNs = 10 * 1'000'000'000LL / 115200;
// Noise that the PC's parser, hunting for a header, must skip: never FF, 55, 03 or CC.
constexpr std::uint8_t kNoise[] = {0x00, 0x5A, 0xA5, 0x11, 0x7E, 0xF0, 0x3C, 0x81};

std::int64_t monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1'000'000'000LL + ts.tv_nsec;
}

} // namespace

CSimulator::CSimulator(SimOptions options, CProcessor& processor)
    : m_opt(std::move(options)), m_processor(processor), m_pty(m_opt.link) {}

CSimulator::~CSimulator() {
    if (m_log)
        std::fclose(m_log);
    if (m_signalFd >= 0)
        close(m_signalFd);
}

std::string CSimulator::start() {
    m_startedAt = monotonicNow();
    // Sleeps of a byte time (87 us) must not be stretched by the default 50 us slack.
    prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGUSR1, SIGUSR2, SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    m_signalFd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_signalFd < 0)
        return std::string("signalfd: ") + std::strerror(errno);
    if (!m_opt.logFile.empty()) {
        m_log = std::fopen(m_opt.logFile.c_str(), "w");
        if (!m_log)
            return "cannot write the log " + m_opt.logFile + ": " + std::strerror(errno);
    }
    if (std::string err = m_pty.plugIn(); !err.empty())
        return err;
    if (m_opt.unplugAfterMs >= 0)
        m_unplugAt = m_startedAt + m_opt.unplugAfterMs * kMs;
    logLine(m_startedAt, "PLUG", nullptr, 0, m_pty.link() + " -> " + m_pty.device());
    return {};
}

int CSimulator::run() {
    std::uint8_t buffer[512];
    for (;;) {
        std::int64_t now = monotonicNow();
        if (m_unplugAt >= 0 && now >= m_unplugAt) {
            m_unplugAt = -1;
            unplug(now, "unplug-after");
        }
        if (m_replugAt >= 0 && now >= m_replugAt) {
            m_replugAt = -1;
            replug(now);
        }
        flushDue(now);

        std::int64_t wake = -1;
        auto earliest = [&](std::int64_t t) {
            if (t >= 0 && (wake < 0 || t < wake))
                wake = t;
        };
        if (!m_out.empty())
            earliest(m_out.front().due);
        earliest(m_unplugAt);
        earliest(m_replugAt);
        if (m_pty.pluggedIn()) {
            if (now >= m_reopenCheckAt) {
                m_pty.allowReopen();
                m_reopenCheckAt = now + 100 * kMs;
            }
            earliest(m_reopenCheckAt);
        }

        pollfd fds[2] = {{m_signalFd, POLLIN, 0}, {m_pty.masterFd(), POLLIN, 0}};
        const nfds_t count = m_pty.pluggedIn() ? 2 : 1;
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (wake >= 0) {
            const std::int64_t wait = std::max<std::int64_t>(0, wake - now);
            timeout.tv_sec = wait / 1'000'000'000LL;
            timeout.tv_nsec = wait % 1'000'000'000LL;
            timeoutPtr = &timeout;
        }
        if (ppoll(fds, count, timeoutPtr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "zel-sim: poll failed: %s\n", std::strerror(errno));
            return 1;
        }
        now = monotonicNow();

        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            while (read(m_signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                switch (info.ssi_signo) {
                case SIGUSR1:
                    if (m_pty.pluggedIn())
                        unplug(now, "SIGUSR1");
                    break;
                case SIGUSR2:
                    writeState();
                    break;
                default:
                    logLine(now, "EXIT", nullptr, 0, strsignal(static_cast<int>(info.ssi_signo)));
                    m_pty.unplug();
                    writeState();
                    return 0;
                }
            }
        }
        if (count == 2 && (fds[1].revents & POLLIN)) {
            for (;;) {
                const ssize_t n = read(m_pty.masterFd(), buffer, sizeof buffer);
                if (n <= 0)
                    break;
                onBytes(buffer, static_cast<std::size_t>(n), now);
            }
        }
    }
}

void CSimulator::onBytes(const std::uint8_t* bytes, std::size_t count, std::int64_t now) {
    for (std::size_t i = 0; i < count; ++i) {
        if (m_assembler.length() == 0 || m_assembler.complete())
            m_frameStartAt = now;
        if (m_assembler.feed(bytes[i]))
            onFrame(m_assembler.frame(), m_assembler.length(), m_frameStartAt, now);
    }
}

void CSimulator::onFrame(const std::uint8_t* frame, std::size_t length, std::int64_t firstByteAt,
                         std::int64_t now) {
    const long number = ++m_frameNumber;
    logLine(now, "RX", frame, length);

    const char* silence = nullptr;
    if (m_opt.silent)
        silence = "silent";
    else if (now - m_startedAt < m_opt.silentForMs * kMs)
        silence = "silent-for";
    else if (m_opt.silentAfter >= 0 && number > m_opt.silentAfter)
        silence = "silent-after";
    if (silence) {
        logLine(now, "NOREPLY", nullptr, 0, silence);
        return;
    }
    const FaultDecision fault = m_opt.faults.decide(number, frame[3]);
    if (!fault.reply) {
        logLine(now, "NOREPLY", nullptr, 0, "drop");
        return;
    }

    std::uint8_t reply[CProcessor::kMaxReply];
    const std::size_t replyLength = m_processor.handleFrame(frame, length, fault.status, reply);

    // When the reply's bytes go out: at the line's byte rate once the request would have
    // arrived (--pace), spaced out (--slow), with a pause inside (--stall).
    std::int64_t due = now;
    std::int64_t step = 0;
    if (m_opt.pace) {
        due = std::max(due, firstByteAt + static_cast<std::int64_t>(length) * kByteNs);
        step = kByteNs;
    }
    const int slowMs = std::max(m_opt.slowMs, fault.slowMs);
    if (slowMs > 0)
        step = std::max(step, slowMs * kMs);
    if (!m_out.empty())
        due = std::max(due, m_lastDue + step);
    auto push = [&](std::uint8_t b) {
        m_out.push_back({b, due});
        m_lastDue = due;
        due += step;
    };
    for (int i = 0; i < std::max(m_opt.garbage, fault.garbage); ++i)
        push(kNoise[static_cast<std::size_t>(i) % sizeof kNoise]);
    std::size_t sent = replyLength;
    for (std::size_t i = 0; i < replyLength; ++i) {
        if (fault.stallAfter >= 0 && i == static_cast<std::size_t>(fault.stallAfter)) {
            if (fault.stallMs < 0) {
                sent = i;
                break;
            }
            due += fault.stallMs * kMs;
        }
        push(reply[i]);
    }
    std::string note;
    if (fault.status != 0)
        note = "status " + std::to_string(fault.status);
    if (fault.garbage > 0)
        note += (note.empty() ? "" : ", ") + std::to_string(fault.garbage) + " noise bytes";
    if (fault.slowMs > 0)
        note += (note.empty() ? "" : ", ") + std::string("byte by byte");
    if (fault.stallAfter >= 0)
        note += (note.empty() ? "" : ", ") + std::string("stall after ") +
                std::to_string(fault.stallAfter) + " bytes" +
                (fault.stallMs < 0 ? " for ever" : " for " + std::to_string(fault.stallMs) + " ms");
    if (replyLength > 64) // the dump: its size says enough
        logLine(now, "TX", reply, 6,
                "... dump, " + std::to_string(sent) + " bytes" + (note.empty() ? "" : ", " + note));
    else
        logLine(now, "TX", reply, sent, note);
    flushDue(now);
}

void CSimulator::flushDue(std::int64_t now) {
    if (!m_pty.pluggedIn()) {
        m_out.clear();
        return;
    }
    std::uint8_t chunk[512];
    while (!m_out.empty() && m_out.front().due <= now) {
        std::size_t n = 0;
        while (n < sizeof chunk && n < m_out.size() && m_out[n].due <= now)
            chunk[n] = m_out[n].byte, ++n;
        const ssize_t written = write(m_pty.masterFd(), chunk, n);
        if (written <= 0)
            return; // the PC is not reading (port closed, buffer full): try again later
        m_out.erase(m_out.begin(), m_out.begin() + written);
    }
}

void CSimulator::unplug(std::int64_t now, const char* why) {
    m_pty.unplug();
    m_out.clear();
    m_assembler.reset();
    if (m_opt.replugDelayMs >= 0)
        m_replugAt = now + m_opt.replugDelayMs * kMs;
    logLine(now, "UNPLUG", nullptr, 0, why);
}

void CSimulator::replug(std::int64_t now) {
    if (std::string err = m_pty.plugIn(); !err.empty()) {
        std::fprintf(stderr, "zel-sim: cannot plug in again: %s\n", err.c_str());
        m_replugAt = now + 1000 * kMs;
        return;
    }
    logLine(now, "PLUG", nullptr, 0, m_pty.link() + " -> " + m_pty.device());
}

void CSimulator::writeState() {
    if (m_opt.dumpStateFile.empty())
        return;
    const std::string aside = m_opt.dumpStateFile + ".new";
    std::FILE* f = std::fopen(aside.c_str(), "wb");
    bool ok = f && std::fwrite(&m_processor.params(), kDeviceParamsSize, 1, f) == 1;
    if (f)
        ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(aside.c_str(), m_opt.dumpStateFile.c_str()) != 0)
        std::fprintf(stderr, "zel-sim: cannot write the state file %s: %s\n",
                     m_opt.dumpStateFile.c_str(), std::strerror(errno));
}

void CSimulator::logLine(std::int64_t at, const char* tag, const std::uint8_t* bytes,
                         std::size_t count, const std::string& note) {
    if (!m_log)
        return;
    std::fprintf(m_log, "%lld.%06lld #%ld %s", static_cast<long long>(at / 1'000'000'000LL),
                 static_cast<long long>(at % 1'000'000'000LL / 1000), m_frameNumber, tag);
    for (std::size_t i = 0; i < count; ++i)
        std::fprintf(m_log, " %02X", bytes[i]);
    if (!note.empty())
        std::fprintf(m_log, " (%s)", note.c_str());
    std::fputc('\n', m_log);
    std::fflush(m_log);
}

} // namespace zel::sim
