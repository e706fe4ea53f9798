// The link stack of zelctl: connection, waits and the frame log.
#include "LinkSession.h"

#include "model/DeviceParams.h"
#include "model/FieldTable.h"
#include "platform/PortDiscovery.h"

#include <array>
#include <cstring>
#include <mutex>

namespace zel::ctl {

namespace {

constexpr int kPollTimerId = 201;
constexpr std::chrono::milliseconds kPollPeriod{100};

// The bytes the change detector compares: every field it sends, and the mute flags.
bool detectorFieldsEqual() {
    const auto* live = reinterpret_cast<const std::uint8_t*>(&liveParams);
    const auto* sent = reinterpret_cast<const std::uint8_t*>(&sentParams);
    for (const Field& f : allFields()) {
        if (f.delivery != Delivery::ChangeDetector && f.delivery != Delivery::Derived)
            continue;
        if (std::memcmp(live + f.offset, sent + f.offset, f.size()) != 0)
            return false;
    }
    return true;
}

} // namespace

// Prints each frame written and each reply, one line each, with seconds since start. The
// reply is gathered in a fixed buffer, so the port thread allocates nothing.
class CLinkSession::Tap : public FrameTap {
public:
    void onWrite(const std::uint8_t* bytes, std::size_t count) override {
        flushReply();
        print("TX", bytes, count);
    }
    void onReadByte(std::uint8_t byte, bool replyEnded) override {
        if (m_count < m_reply.size())
            m_reply[m_count++] = byte;
        if (replyEnded)
            flushReply();
    }

private:
    void flushReply() {
        if (m_count)
            print("RX", m_reply.data(), m_count);
        m_count = 0;
    }
    void print(const char* dir, const std::uint8_t* bytes, std::size_t count) {
        const double t =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        std::fprintf(stderr, "%10.6f %s", t, dir);
        for (std::size_t i = 0; i < count; ++i)
            std::fprintf(stderr, " %02X", bytes[i]);
        std::fputc('\n', stderr);
    }

    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::array<std::uint8_t, 2048> m_reply{};
    std::size_t m_count = 0;
};

CLinkSession::CLinkSession(bool verbose) {
    if (verbose) {
        m_tap = std::make_unique<Tap>();
        m_port.setFrameTap(m_tap.get());
    }
    m_host.onCommError = [](const std::string& text) {
        std::fprintf(stderr, "zelctl: port error: %s\n", text.c_str());
    };
    m_host.onRefresh = [this] { m_synced = true; };
    m_command.setSystemPanel(&m_loop);
    m_loop.setMessageHandler([this](const Message& m) {
        if (m.id == WM_SYSTEM_UPLOAD_DONE) {
            m_uploadDone = true;
            return;
        }
        if (m.id == WM_LINK_FAILED && m.lParam == 0 && g_bConnected.load() != 0) {
            m_failed = true; // a working link broke; the controller would wait to reconnect
            // The port thread has stopped and the controller has not closed the port yet, so
            // the queue still holds what never went out.
            std::lock_guard<std::recursive_mutex> lock(g_frameLock);
            if (m_queuedAtFailure < 0)
                m_queuedAtFailure = m_command.queuedCount();
        }
        if (m.id == WM_SYSTEM_SYNCED || m.id == WM_SYSTEM_COMMAND_ACK)
            return;
        m_controller->handleMessage(m);
        if (m.id == WM_LINK_CONNECT)
            ++m_connectsHandled;
        if (g_bConnected.load() != 0)
            m_everOpened = true;
    });
    m_loop.setTimerHandler([this](int id) {
        if (id != kPollTimerId)
            m_controller->onTimer(id);
    });
}

CLinkSession::~CLinkSession() {
    close();
}

bool CLinkSession::connect(const std::string& port, std::chrono::milliseconds limit) {
    m_controller = std::make_unique<CConnectionController>(
        m_host, m_port, m_command, [this, port](std::vector<SerialPortInfo>& list) {
            if (port.empty()) {
                EnumerateSerialPorts(list);
            } else {
                SerialPortInfo info;
                info.portName = port;
                info.openName = port;
                list.push_back(info);
            }
            m_listed.clear();
            for (const SerialPortInfo& p : list)
                if (!p.openName.empty())
                    m_listed.push_back(p.openName);
        });
    m_controller->requestStartupSearch();
    m_loop.startTimer(kPollTimerId, kPollPeriod);

    // The search has ended without a device once no port is open and nothing is pending:
    // every port either failed to open or left its probe unanswered.
    auto searchOver = [this] {
        return m_connectsHandled > 0 && g_bConnected.load() == 0 && m_loop.pending() == 0;
    };
    const bool ended = m_loop.runUntil([&] { return m_synced || m_failed || searchOver(); }, limit);

    if (m_synced && !m_failed)
        return true;
    std::string ports;
    for (const std::string& p : m_listed)
        ports += (ports.empty() ? "" : ", ") + p;
    if (m_failed) {
        m_fault = Fault::LinkFailed;
        m_error = "the link to " + m_controller->portName() +
                  " failed before the processor sent "
                  "its parameters";
    } else if (m_listed.empty()) {
        m_fault = Fault::NoPort;
        m_error = "no serial port found; connect the processor or name its port with --port";
    } else if (!m_everOpened) {
        m_fault = Fault::CannotOpen;
        // One port named: say what kept it closed (refused, no answer, in use).
        const std::string why = m_listed.size() == 1 ? m_port.lastError() : std::string();
        m_error = "cannot open " + ports +
                  (why.empty() ? " (absent, or in use by another program)" : ": " + why);
    } else if (!ended) {
        m_fault = Fault::NoAnswer;
        m_error = "the processor on " + m_controller->portName() +
                  " did not send its "
                  "parameters in time";
    } else {
        m_fault = Fault::NoAnswer;
        m_error = "no processor answered on " + ports;
    }
    close();
    return false;
}

bool CLinkSession::idleNow() {
    std::lock_guard<std::recursive_mutex> lock(g_frameLock);
    // A keep-alive in TxRecord was built after the last real frame had been answered.
    return m_command.queuedCount() == 0 && TxRecord[3] == cmd::KeepAlive && detectorFieldsEqual();
}

bool CLinkSession::waitIdle(std::chrono::milliseconds limit,
                            const std::function<void()>& progress) {
    const bool done = m_loop.runUntil(
        [&] {
            if (progress)
                progress();
            return !linkUp() || idleNow();
        },
        limit);
    if (!linkUp()) {
        m_error = "the link to " + m_controller->portName() + " failed";
        return false;
    }
    if (!done) {
        m_error = "the processor on " + m_controller->portName() + " did not answer in time";
        return false;
    }
    return true;
}

bool CLinkSession::readBack(std::chrono::milliseconds limit) {
    m_synced = false;
    {
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        m_command.queueSync(1); // no probe: the link is up
    }
    const bool done = m_loop.runUntil([&] { return !linkUp() || m_synced; }, limit);
    if (!linkUp()) {
        m_error = "the link to " + m_controller->portName() + " failed during the read-back";
        return false;
    }
    if (!done) {
        m_error = "the processor on " + m_controller->portName() +
                  " did not send its parameters back in time";
        return false;
    }
    return true;
}

void CLinkSession::close() {
    m_loop.stopTimer(kPollTimerId);
    m_port.Close();
    g_bConnected = 0;
    m_controller.reset();
}

} // namespace zel::ctl
