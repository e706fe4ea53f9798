// ManualResetEvent: an event that stays signalled until it is reset, waitable together with
// a serial port (SerialDevice::wait).
#pragma once

#include <chrono>
#include <cstdint>

namespace zel {

class ManualResetEvent {
public:
    ManualResetEvent();  // created non-signalled
    ~ManualResetEvent(); // releases the platform object
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    // False when the platform could not create the event; set() then always fails.
    bool valid() const;
    // Signals the event; false when the platform refuses.
    bool set();
    void reset();
    bool isSet() const;
    // Waits until the event is signalled or `timeout` has passed; true when signalled.
    bool waitFor(std::chrono::milliseconds timeout) const;

    // The waitable object: a file descriptor on POSIX, a HANDLE on Windows.
    std::intptr_t native() const { return m_native; }

private:
    std::intptr_t m_native;
};

} // namespace zel
