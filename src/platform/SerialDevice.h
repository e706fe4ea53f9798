// SerialDevice: one open serial port with exactly the calls the port thread makes - input
// purge, a wait for received characters together with three events, one-byte reads and
// whole-frame writes - and the OS's own text for the last failure.
#pragma once

#include "platform/ManualResetEvent.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

// Result of a port call. Gone means the port itself has disappeared or hung up (a USB
// adapter pulled, the far end of a pseudo-terminal closed): every later call fails too.
enum class SerialResult { Ok, Failed, Incomplete, Gone };

// The read and write timeouts of an open port, in milliseconds.
struct SerialTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;
};

// The comm-event bits the port can watch (the values of the Windows API).
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_CTS = 0x0008;

class SerialDevice {
public:
    // wait() results besides the index of the event that fired.
    static constexpr int kWaitTimeout = -1;
    static constexpr int kWaitFailed = -2;
    // The comm event follows the three caller events in the wait set.
    static constexpr int kCommEventIndex = 3;

    SerialDevice();
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens the port for reading and writing, exclusively: a port that another program
    // (or another SerialDevice) holds cannot be opened. False when the port is absent or in
    // use; lastError() then says why. A tcp:// or rfc2217:// name connects to a serial
    // device server instead (NetworkDevice), within a bounded time.
    bool open(const std::string& openName);
    // Applies, in order, the timeouts, the comm-event mask and the settings text
    // ("baud=%d parity=%c data=%d stop=%d") with RTS on, 8N1 raw. On the first failure returns
    // false and sets failedCall to the name of the failing step ("SetCommTimeouts()",
    // "SetCommMask()", "GetCommState()", "BuildCommDCB()" or "SetCommState()").
    bool configure(const SerialTimeouts& timeouts, std::uint32_t eventMask,
                   const std::string& settings, const char*& failedCall);
    void close();
    bool isOpen() const;

    // Discards the input queue: replies that arrived for an earlier frame. Written bytes are
    // left to go out: a frame once written counts as sent, and throwing away the part the
    // device has not taken yet would lose it without a trace.
    void purgeInput();

    enum class CommWait { Pending, Complete, Failed };
    // Arms the comm-event wait. Complete: an event is already there (look at
    // inputWaiting()); Pending: wait() reports it at index kCommEventIndex.
    CommWait startCommWait();
    // Whether the comm event that fired was for received characters.
    bool commEventHasRxChar() const;
    // Forgets a fired comm event until the next one.
    void resetCommEvent();

    // The number of received bytes waiting to be read.
    SerialResult inputWaiting(std::size_t& count);
    // Reads exactly one byte. Failed: the read could not be started; Incomplete: it was
    // started but did not complete within the read timeouts.
    SerialResult readByte(std::uint8_t& byte);
    // Writes the whole block within the write timeouts.
    SerialResult write(const std::uint8_t* data, std::size_t size);

    // Waits for events[0..2] or the comm event, or the timeout; when several are signalled
    // the lowest index wins. Returns that index, kWaitTimeout, or kWaitFailed when the port
    // has failed (after which startCommWait() fails).
    int wait(const ManualResetEvent* const events[3], std::chrono::milliseconds timeout);

    // The operating system's text for the last failure.
    const std::string& lastError() const;

private:
    struct Native;
    Native* m_native;
    std::string m_lastError;
};

} // namespace zel
