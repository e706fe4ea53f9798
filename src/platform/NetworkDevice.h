// NetworkDevice: a serial port reached through a serial device server (tcp:// or rfc2217://),
// with the calls and results of SerialDevice so that the port thread cannot tell the two
// apart. A closed or reset connection is a port that has gone, like a pulled adapter.
#pragma once

#include "platform/ManualResetEvent.h"
#include "platform/SerialDevice.h"
#include "platform/TelnetCodec.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

// How long a connect may take before the port counts as absent.
inline constexpr std::chrono::milliseconds kNetworkConnectTimeout{2000};

class NetworkDevice {
public:
    NetworkDevice();
    ~NetworkDevice();
    NetworkDevice(const NetworkDevice&) = delete;
    NetworkDevice& operator=(const NetworkDevice&) = delete;

    // Connects within `timeout`. False when the name is malformed, the host is unknown,
    // refuses or does not answer in time; lastError() says which.
    bool open(const std::string& name, std::chrono::milliseconds timeout = kNetworkConnectTimeout);
    // Keeps the timeouts; on a Telnet port sends the com-port settings. failedCall as
    // SerialDevice::configure.
    bool configure(const SerialTimeouts& timeouts, const std::string& settings,
                   const char*& failedCall);
    void close();
    bool isOpen() const;

    // The SerialDevice calls of the same names.
    void purgeInput();
    SerialDevice::CommWait startCommWait();
    SerialResult inputWaiting(std::size_t& count);
    SerialResult readByte(std::uint8_t& byte);
    SerialResult write(const std::uint8_t* data, std::size_t size);
    int wait(const ManualResetEvent* const events[3], std::chrono::milliseconds timeout);

    const std::string& lastError() const { return m_lastError; }

    // Whether the server at `name` accepts a connection, for the reconnect watch. Waits at
    // most `wait`; a connect still under way is kept and looked at again by the next call
    // with the same name, so a slow host is found without the caller ever waiting long.
    static bool present(const std::string& name, std::chrono::milliseconds wait);

private:
    using Clock = std::chrono::steady_clock;
    // Results of the socket primitives besides a byte count.
    static constexpr long kWouldBlock = -1;
    static constexpr long kSocketError = -2; // lastError() says which

    // The socket primitives, one implementation per OS. receive and sendSome never wait;
    // receive returns 0 when the server has closed the connection.
    long receive(std::uint8_t* buffer, std::size_t capacity);
    long sendSome(const std::uint8_t* data, std::size_t size);
    // 1 writable, 0 not by the deadline, -1 the connection failed.
    int waitWritable(Clock::time_point deadline);
    // Returns when something can be read, the deadline has passed, or the connection failed.
    void waitReadable(Clock::time_point deadline);

    // Shared by both: the connection's start, the decoded input kept between calls, and
    // the escaped output.
    bool begin(bool telnet, std::chrono::milliseconds timeout);
    bool fill();
    void sendOwed();
    SerialResult sendAll(const std::uint8_t* data, std::size_t size, Clock::time_point deadline);
    std::size_t buffered() const { return m_rxTail - m_rxHead; }
    bool lose(const std::string& why);

    struct Native;
    Native* m_native;
    TelnetCodec m_codec;
    std::array<std::uint8_t, 4096> m_rx{}; // decoded data not yet read
    std::size_t m_rxHead = 0, m_rxTail = 0;
    bool m_gone = false; // closed or reset by the far end: every call fails from now on
    SerialTimeouts m_timeouts;
    std::string m_lastError;
};

} // namespace zel
