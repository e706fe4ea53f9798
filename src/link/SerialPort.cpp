// CSerialPort: the port thread's exchange of one frame at a time - take, write, read the
// reply byte by byte into the parser, resend or give up - and the window-thread calls that
// open, start and close it.
#include "link/SerialPort.h"

#include "link/Command.h"
#include "link/FrameRecord.h"
#include "platform/ManualResetEvent.h"
#include "platform/SerialDevice.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace zel {

using namespace std::chrono_literals;

namespace {

// Reply waits of the port thread.
constexpr auto kSyncReplyWait = 1000ms;     // the dump answering a synchronisation request
constexpr auto kStartedReplyWait = 500ms;   // rest of a reply whose header has arrived
constexpr auto kModeLoadReplyWait = 2000ms; // the device loads a stored mode first
constexpr auto kReplyWait = 1000ms;

// Pauses.
constexpr auto kAfterChangePause = 50ms;   // after a frame from the change detector
constexpr auto kAfterReadPause = 5ms;      // after reading a reply
constexpr auto kModeLoadReadDelay = 200ms; // before reading a mode load's reply
// How often the keep-alive pause looks at the store for an edit to send instead.
constexpr auto kEditWatchPeriod = 20ms;

// Silence within a reply after which it counts as stalled; the device takes its time over
// a mode load.
constexpr auto kStallTime = 1000ms;
constexpr auto kModeLoadStallTime = 11000ms;
// The longest single wait for reply bytes: a platform whose character event could be missed
// looks at the port again at least this often.
constexpr auto kInputWaitSlice = 100ms;

constexpr int kTimeoutRetryLimit = 3; // failure when RetryCount + 1 exceeds it
constexpr int kReadRetryLimit = 1;    // the same for stalls and failed reads

constexpr std::uint8_t kModeLoadCommand = 0x38;

// The wait set, in the order that decides which of several signalled events wins.
enum EventIndex : int { Shutdown = 0, SendNext = 1, Write = 2, Comm = 3 };

void defaultSleep(std::chrono::milliseconds d) {
    std::this_thread::sleep_for(d);
}

// The number at the end of a port name: 3 for \\.\COM3, 0 for /dev/ttyUSB0.
int portNumber(const std::string& name) {
    std::size_t end = name.size();
    std::size_t start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1])))
        --start;
    int n = 0;
    for (std::size_t i = start; i < end && n < 100000; ++i)
        n = n * 10 + (name[i] - '0');
    return n;
}

} // namespace

// The port thread's hold of g_frameLock while it handles one wait result. It lets go while
// it pauses or waits for reply bytes, so the window thread can queue a frame, save or load a
// mode at any time; what the lock guards (the queue, TxRecord, RxRecord, a dump going into
// the store) is never left half-changed across such a gap.
using FrameLock = std::unique_lock<std::recursive_mutex>;

struct CSerialPort::Impl {
    std::atomic<int> stopRequest{0};
    std::thread thread;
    std::mutex portLock;
    std::atomic<int> threadAlive{0};
    ManualResetEvent shutdownEvent;
    ManualResetEvent sendNextEvent;
    ManualResetEvent writeEvent;
    const ManualResetEvent* events[3] = {&shutdownEvent, &sendNextEvent, &writeEvent};
    SerialDevice device;
    MessageTarget* owner = nullptr;
    std::string portName;
    std::vector<std::uint8_t> writeBuffer;
    std::uint32_t eventMask = 0;
    std::uint32_t writeBufferSize = 0;

    std::atomic<LinkStatusSink*> sink{nullptr};
    std::atomic<Sleeper> sleeper{&defaultSleep};
    std::atomic<FrameTap*> tap{nullptr};
    // The title state already shown for the exchange in flight, so that a long reply such as
    // the dump changes the title once and not once per byte.
    int titleShown = 0;
    // The NoRetry mark of the frame whose failure stopped the thread, for every report of it.
    std::uint8_t failedNoRetry = 0;

    // A pause of the port thread, ended early by the shutdown event: false when that was
    // signalled. A test's sleeper replaces the real wait.
    bool pause(std::chrono::milliseconds d) {
        const Sleeper s = sleeper.load();
        if (s != &defaultSleep) {
            s(d);
            return !shutdownEvent.isSet();
        }
        return !shutdownEvent.waitFor(d);
    }
    // The same without g_frameLock, so that the window thread never waits out a pause.
    bool pauseUnlocked(FrameLock& frames, std::chrono::milliseconds d) {
        frames.unlock();
        const bool go = pause(d);
        frames.lock();
        return go;
    }

    void stopThread() {
        if (!thread.joinable())
            return;
        // The thread notices the request between two handlings; the event stays signalled.
        shutdownEvent.set();
        thread.join();
    }

    void setEventAt(int index) {
        ManualResetEvent* e = index == Shutdown   ? &shutdownEvent
                              : index == SendNext ? &sendNextEvent
                              : index == Write    ? &writeEvent
                                                  : nullptr;
        if (e && !e->set())
            showMessage("11");
    }
    void resetEventAt(int index) {
        switch (index) {
        case Shutdown:
            shutdownEvent.reset();
            break;
        case SendNext:
            sendNextEvent.reset();
            break;
        case Write:
            writeEvent.reset();
            break;
        default:
            device.resetCommEvent();
            break;
        }
    }

    void showMessage(const std::string& text) {
        if (LinkStatusSink* s = sink.load())
            s->showCommError(text);
    }

    void ShowCommError(const char* call) {
        char text[1024];
        std::snprintf(text, sizeof text,
                      "WARNING:  %s Failed with the following error: \n%s\nPort: %d\n", call,
                      device.lastError().c_str(), portNumber(portName));
        showMessage(text);
    }

    // Called with g_frameLock held: the NoRetry byte belongs to the frame in flight. The
    // records are cleared after the mark is read, so nothing of the broken exchange (a half
    // dump, its count and retry counter) reaches the next connection.
    void ReportLinkFailure() {
        if (stopRequest == 0)
            failedNoRetry = TxRecord[mark::NoRetry];
        stopRequest = 1;
        clearRecords();
        if (owner)
            owner->post(WM_LINK_FAILED, 1, failedNoRetry);
    }

    // Every connection starts from empty records (TxRecord keeps FF 55 and the last length
    // and command). Called with g_frameLock held or while no port thread runs.
    static void clearRecords() {
        RxRecord.clear();
        std::memset(&TxRecord[4], 0, kFrameRecordSize - 4);
    }

    // Clears the reply for the same frame to be written again. The copy of SyncMark stays:
    // the answer to a resent synchronisation request is still a dump.
    static void clearReplyForResend() {
        RxRecord.clear();
        RxRecord[mark::SyncMark] = TxRecord[mark::SyncMark];
    }

    std::chrono::milliseconds replyWait() const {
        if (TxRecord[mark::SyncMark])
            return kSyncReplyWait;
        if (RxRecord[mark::ReplyStarted])
            return kStartedReplyWait;
        if (TxRecord[3] == kModeLoadCommand)
            return kModeLoadReplyWait;
        return kReplyWait;
    }

    void run();
    void takeNextFrame(FrameLock& frames);
    void keepAlivePause(FrameLock& frames);
    void handleComm(FrameLock& frames);
    void superviseReply();
    void WriteTx();
    void ReadReply(FrameLock& frames);
    int waitForInput(std::chrono::milliseconds timeout);
    void showTitle();
};

void CSerialPort::Impl::run() {
    threadAlive = 1;
    stopRequest = 0;
    if (device.isOpen())
        device.purgeInput();
    for (;;) {
        if (stopRequest) {
            threadAlive = 0;
            return;
        }
        const SerialDevice::CommWait armed = device.startCommWait();
        if (armed == SerialDevice::CommWait::Failed) {
            std::lock_guard frames(g_frameLock);
            ReportLinkFailure();
        } else if (armed == SerialDevice::CommWait::Complete) {
            std::size_t waiting = 0;
            device.inputWaiting(waiting);
            if (waiting == 0)
                continue;
        }
        if (stopRequest) {
            {
                std::lock_guard frames(g_frameLock);
                ReportLinkFailure();
            }
            threadAlive = 0;
            return;
        }

        std::chrono::milliseconds timeout;
        {
            std::lock_guard frames(g_frameLock);
            timeout = replyWait();
        }
        const int result = device.wait(events, timeout);

        FrameLock frames(g_frameLock);
        switch (result) {
        case Shutdown:
            threadAlive = 0;
            return;
        case SendNext:
            takeNextFrame(frames);
            break;
        case Write:
            WriteTx();
            break;
        case Comm:
            handleComm(frames);
            break;
        case SerialDevice::kWaitTimeout:
            superviseReply();
            break;
        default:
            break; // the port failed: the next comm-event wait reports it
        }
    }
}

void CSerialPort::Impl::takeNextFrame(FrameLock& frames) {
    CCommand* command = g_pCommand;
    if (!command) {
        resetEventAt(SendNext);
        return;
    }
    if (command->queuedCount() > 0) {
        command->takeHead(TxRecord);
        RxRecord[mark::SyncMark] = TxRecord[mark::SyncMark];
        resetEventAt(SendNext);
        setEventAt(Write);
        return;
    }
    // The change detector always places a frame: a field's, or the keep-alive.
    const bool change = command->findChange();
    resetEventAt(SendNext);
    if (change)
        pauseUnlocked(frames, kAfterChangePause);
    else
        keepAlivePause(frames);
    setEventAt(Write);
}

void CSerialPort::Impl::keepAlivePause(FrameLock& frames) {
    // The keep-alive goes out after its 300 ms pause and the 50 ms that follow every frame of
    // the change detector. An edit made meanwhile is sent instead, at once, though never
    // sooner than those 50 ms after the last reply.
    const auto decided = std::chrono::steady_clock::now();
    const auto end = decided + kKeepAlivePause + kAfterChangePause;
    const auto earliest = decided + kAfterChangePause;
    bool edited = false;
    frames.unlock();
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            break;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now);
        if (!pause(std::min<std::chrono::milliseconds>(kEditWatchPeriod, left)))
            break;
        // A window thread that holds the lock is busy for a moment only: look next time.
        if (!frames.try_lock())
            continue;
        // Queued frames go before the detector's: then the keep-alive stays as decided.
        CCommand* command = g_pCommand;
        edited = command && command->queuedCount() == 0 && command->findChange();
        frames.unlock();
        if (edited)
            break;
    }
    if (edited) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            earliest - std::chrono::steady_clock::now());
        if (wait.count() > 0)
            pause(wait);
    }
    frames.lock();
}

void CSerialPort::Impl::handleComm(FrameLock& frames) {
    if (device.commEventHasRxChar() && RxRecord[mark::AwaitingReply]) {
        if (TxRecord[3] == kModeLoadCommand)
            pauseUnlocked(frames, kModeLoadReadDelay);
        ReadReply(frames);
        pauseUnlocked(frames, kAfterReadPause);
    }
    CCommand* command = g_pCommand;
    if (!command || command->queuedCount() == 0) {
        resetEventAt(Comm);
        // Fetching the next frame would overwrite TxRecord: not while the frame in flight
        // still awaits its reply (a stalled reply is left to the reply wait) or is to be
        // written again (the device asked for a repeat, or a read failed). The change
        // detector has already counted that frame as sent.
        if (!RxRecord[mark::AwaitingReply] && !writeEvent.isSet())
            setEventAt(SendNext);
    }
}

void CSerialPort::Impl::superviseReply() {
    if (RxRecord[mark::AwaitingReply]) {
        if (TxRecord[mark::NoRetry]) {
            ReportLinkFailure();
        } else {
            const int n = RxRecord[mark::RetryCount] + 1;
            if (n > kTimeoutRetryLimit) {
                ReportLinkFailure();
            } else {
                clearReplyForResend();
                RxRecord[mark::RetryCount] = static_cast<std::uint8_t>(n + 1);
                RxRecord[mark::AwaitingReply] = 1;
                WriteTx();
            }
        }
    }
    // A bank switch of an upload goes out once more, whatever happened to its reply.
    if (TxRecord[mark::UploadMark] && !TxRecord[mark::UploadRewritten]) {
        WriteTx();
        TxRecord[mark::UploadRewritten] = 1;
    }
}

void CSerialPort::Impl::WriteTx() {
    resetEventAt(Write);
    std::unique_lock port(portLock);
    device.purgeInput();
    std::size_t length = TxRecord.shortFrameLength();
    if (length > writeBuffer.size())
        length = writeBuffer.size();
    std::memcpy(writeBuffer.data(), TxRecord.bytes, length);
    if (device.startCommWait() == SerialDevice::CommWait::Failed)
        setEventAt(Write); // the frame will be written again
    if (device.write(writeBuffer.data(), length) != SerialResult::Ok) {
        ReportLinkFailure();
        return;
    }
    if (FrameTap* t = tap.load())
        t->onWrite(writeBuffer.data(), length);
    port.unlock();
    RxRecord[mark::AwaitingReply] = 1;
    titleShown = 0;
}

void CSerialPort::Impl::ReadReply(FrameLock& frames) {
    const auto stallTime = TxRecord[3] == kModeLoadCommand ? kModeLoadStallTime : kStallTime;
    auto lastByte = std::chrono::steady_clock::now();
    for (;;) {
        std::size_t waiting = 0;
        SerialResult status;
        {
            std::lock_guard port(portLock);
            status = device.inputWaiting(waiting);
        }
        if (status != SerialResult::Ok) {
            // The port is gone (adapter pulled): no reply can come.
            ReportLinkFailure();
            return;
        }

        if (waiting == 0) {
            const auto silent = std::chrono::steady_clock::now() - lastByte;
            if (silent < stallTime) {
                // Wait on the port for the rest of the reply, without the lock.
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(stallTime - silent);
                frames.unlock();
                const int woken = waitForInput(std::min(left, kInputWaitSlice));
                frames.lock();
                if (woken == Shutdown)
                    return; // Close: the thread ends at its next wait
                continue;
            }
            const int n = RxRecord[mark::RetryCount] + 1;
            RxRecord[mark::RetryCount] = static_cast<std::uint8_t>(n);
            if (n > kReadRetryLimit) {
                ReportLinkFailure();
                return;
            }
            std::lock_guard port(portLock);
            device.purgeInput();
            device.inputWaiting(waiting);
            resetEventAt(Comm);
            return; // the reply wait decides
        }

        lastByte = std::chrono::steady_clock::now();
        std::unique_lock port(portLock);
        std::uint8_t byte = 0;
        const SerialResult read = device.readByte(byte);
        if (read == SerialResult::Gone) {
            ReportLinkFailure();
            return;
        }
        if (read == SerialResult::Failed) {
            const int n = RxRecord[mark::RetryCount] + 1;
            RxRecord[mark::RetryCount] = static_cast<std::uint8_t>(n);
            if (n > kReadRetryLimit) {
                ReportLinkFailure();
            } else {
                clearReplyForResend();
                RxRecord[mark::RetryCount] = static_cast<std::uint8_t>(n);
                setEventAt(Write);
            }
            return;
        }
        if (read == SerialResult::Incomplete) {
            // No byte arrived: report it and poll on, without feeding the parser a byte that
            // was never received.
            ShowCommError("GetOverlappedResults() in ReadFile()");
            continue;
        }

        const bool ended = g_pCommand && g_pCommand->parse(1, &byte, 1) != 0;
        if (FrameTap* t = tap.load())
            t->onReadByte(byte, ended);

        if (TxRecord[mark::NotifySystemPanel] && g_pCommand) {
            if (MessageTarget* panel = g_pCommand->systemPanel()) {
                panel->post(WM_SYSTEM_UPLOAD_DONE, 0, 0);
                TxRecord[mark::NotifySystemPanel] = 0;
            }
        }
        showTitle();
        port.unlock();

        if (ended) {
            if (RxRecord[mark::RepeatAfterReply]) {
                clearReplyForResend(); // a repeat is no retry: the counter starts again
                setEventAt(Write);
            } else {
                setEventAt(SendNext);
            }
            return;
        }
    }
}

int CSerialPort::Impl::waitForInput(std::chrono::milliseconds timeout) {
    {
        std::lock_guard port(portLock);
        const SerialDevice::CommWait armed = device.startCommWait();
        if (armed == SerialDevice::CommWait::Complete)
            return Comm;
        if (armed == SerialDevice::CommWait::Failed)
            return SerialDevice::kWaitFailed; // the next look at the port reports it
    }
    // Only the shutdown event may end the wait early besides the port.
    const ManualResetEvent* const shutdownOnly[3] = {&shutdownEvent, &shutdownEvent,
                                                     &shutdownEvent};
    return device.wait(shutdownOnly, timeout);
}

void CSerialPort::Impl::showTitle() {
    // With several marks the last one wins: synchronisation, upload, on-line.
    int state = 0;
    if (TxRecord[mark::SyncMark])
        state = 1;
    if (TxRecord[mark::UploadMark])
        state = 2;
    if (TxRecord[mark::OnlineMark])
        state = -1;
    if (state == 0 || state == titleShown)
        return;
    titleShown = state;
    if (LinkStatusSink* s = sink.load())
        s->showLinkState(state, 1);
}

CSerialPort::CSerialPort() : m_impl(new Impl) {}

CSerialPort::~CSerialPort() {
    Close();
    delete m_impl;
}

bool CSerialPort::Open(MessageTarget* owner, const std::string& name, int baud, char parity,
                       int dataBits, int stopBits, std::uint32_t eventMask,
                       std::uint32_t writeBufferSize) {
    Impl& p = *m_impl;
    p.stopThread();
    p.shutdownEvent.reset();
    p.sendNextEvent.reset();
    p.writeEvent.reset();

    p.owner = owner;
    // Room for the longest short frame whatever size is asked for.
    p.writeBuffer.assign(std::max<std::size_t>(writeBufferSize, kMaxShortFrame), 0);
    p.portName = name;
    p.eventMask = eventMask;
    p.writeBufferSize = writeBufferSize;

    {
        std::lock_guard frames(g_frameLock);
        Impl::clearRecords();
    }
    std::lock_guard port(p.portLock);
    p.device.close();
    char settings[80];
    std::snprintf(settings, sizeof settings, "baud=%d parity=%c data=%d stop=%d", baud, parity,
                  dataBits, stopBits);
    if (!p.device.open(name))
        return false;

    SerialTimeouts timeouts;
    timeouts.readInterval = 2000;
    timeouts.readTotalMultiplier = 2000;
    timeouts.readTotalConstant = 2000;
    timeouts.writeTotalMultiplier = 50;
    timeouts.writeTotalConstant = 50;
    const char* failedCall = nullptr;
    if (!p.device.configure(timeouts, eventMask, settings, failedCall))
        p.ShowCommError(failedCall);
    p.device.purgeInput();
    return true;
}

bool CSerialPort::Start() {
    Impl& p = *m_impl;
    if (p.thread.joinable()) {
        if (p.threadAlive)
            return false; // one port thread at a time
        p.thread.join();  // ended by itself after a link failure
    }
    {
        std::lock_guard frames(g_frameLock);
        Impl::clearRecords();
        p.failedNoRetry = 0;
    }
    try {
        p.thread = std::thread([&p] { p.run(); });
    } catch (const std::system_error&) {
        return false;
    }
    p.setEventAt(SendNext);
    return true;
}

void CSerialPort::Close() {
    Impl& p = *m_impl;
    p.stopThread();
    {
        std::lock_guard port(p.portLock);
        p.device.close();
    }
    std::lock_guard frames(g_frameLock);
    Impl::clearRecords();
    if (g_pCommand)
        g_pCommand->clearQueue();
}

void CSerialPort::setStatusSink(LinkStatusSink* sink) {
    m_impl->sink = sink;
}

bool CSerialPort::isOpen() const {
    return m_impl->device.isOpen();
}

std::string CSerialPort::lastError() const {
    std::lock_guard port(m_impl->portLock);
    return m_impl->device.lastError();
}

void CSerialPort::setFrameTap(FrameTap* tap) {
    m_impl->tap = tap;
}

void CSerialPort::setSleeper(Sleeper sleeper) {
    m_impl->sleeper = sleeper ? sleeper : &defaultSleep;
}

} // namespace zel
