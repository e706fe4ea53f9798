// NetworkDevice: a serial port reached through a serial device server (tcp:// or rfc2217://),
// with the calls and results of SerialDevice so that the port thread cannot tell the two
// apart. A closed or reset connection is a port that has gone, like a pulled adapter.
#pragma once

#include "platform/ManualResetEvent.h"
#include "platform/SerialDevice.h"

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
    void purge();
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
    struct Native;
    Native* m_native;
    std::string m_lastError;
};

} // namespace zel
