// SerialDevice on Windows: an overlapped COM-port handle, WaitCommEvent for received
// characters, ClearCommError for the input count, and 1 ms timer resolution while open.
#include "platform/SerialDevice.h"

#include "platform/NetworkDevice.h"
#include "platform/NetworkPortName.h"

#include <windows.h>
// Needs the types of windows.h.
#include <mmsystem.h>

#include <memory>

namespace zel {

struct SerialDevice::Native {
    HANDLE comm = INVALID_HANDLE_VALUE;
    OVERLAPPED commOv{}; // its event is the comm event of the wait set
    OVERLAPPED readOv{};
    OVERLAPPED writeOv{};
    DWORD eventMask = 0; // filled by WaitCommEvent
    bool waitPending = false;
    std::unique_ptr<NetworkDevice> net; // set while a network port is open
};

namespace {

std::string systemText(DWORD code) {
    char* text = nullptr;
    const DWORD n = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = n && text ? std::string(text, n) : "error " + std::to_string(code);
    if (text)
        ::LocalFree(text);
    return result;
}

HANDLE newEvent() {
    return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

void closeEvent(OVERLAPPED& ov) {
    if (ov.hEvent)
        ::CloseHandle(ov.hEvent);
    ov = OVERLAPPED{};
}

} // namespace

SerialDevice::SerialDevice() : m_native(new Native) {}

SerialDevice::~SerialDevice() {
    close();
    delete m_native;
}

bool SerialDevice::open(const std::string& openName) {
    close();
    if (isNetworkPortName(openName)) {
        auto net = std::make_unique<NetworkDevice>();
        if (!net->open(openName)) {
            m_lastError = net->lastError();
            return false;
        }
        m_native->net = std::move(net);
        return true;
    }
    Native& n = *m_native;
    // No sharing: a port another program holds cannot be opened.
    n.comm = ::CreateFileA(openName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (n.comm == INVALID_HANDLE_VALUE) {
        m_lastError = systemText(::GetLastError());
        return false;
    }
    n.commOv.hEvent = newEvent();
    n.readOv.hEvent = newEvent();
    n.writeOv.hEvent = newEvent();
    n.waitPending = false;
    // The 5 ms polls between reply bytes need a fine timer.
    ::timeBeginPeriod(1);
    return true;
}

bool SerialDevice::configure(const SerialTimeouts& timeouts, std::uint32_t eventMask,
                             const std::string& settings, const char*& failedCall) {
    Native& n = *m_native;
    if (n.net)
        return n.net->configure(timeouts, settings, failedCall);
    COMMTIMEOUTS ct{};
    ct.ReadIntervalTimeout = timeouts.readInterval;
    ct.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplier;
    ct.ReadTotalTimeoutConstant = timeouts.readTotalConstant;
    ct.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplier;
    ct.WriteTotalTimeoutConstant = timeouts.writeTotalConstant;
    if (!::SetCommTimeouts(n.comm, &ct)) {
        failedCall = "SetCommTimeouts()";
        m_lastError = systemText(::GetLastError());
        return false;
    }
    if (!::SetCommMask(n.comm, eventMask)) {
        failedCall = "SetCommMask()";
        m_lastError = systemText(::GetLastError());
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(n.comm, &dcb)) {
        failedCall = "GetCommState()";
        m_lastError = systemText(::GetLastError());
        return false;
    }
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!::BuildCommDCBA(settings.c_str(), &dcb)) {
        failedCall = "BuildCommDCB()";
        m_lastError = systemText(::GetLastError());
        return false;
    }
    if (!::SetCommState(n.comm, &dcb)) {
        failedCall = "SetCommState()";
        m_lastError = systemText(::GetLastError());
        return false;
    }
    return true;
}

void SerialDevice::close() {
    Native& n = *m_native;
    n.net.reset();
    if (n.comm == INVALID_HANDLE_VALUE)
        return;
    // Ends a pending WaitCommEvent before its OVERLAPPED goes away.
    ::SetCommMask(n.comm, 0);
    ::CancelIo(n.comm);
    ::CloseHandle(n.comm);
    n.comm = INVALID_HANDLE_VALUE;
    closeEvent(n.commOv);
    closeEvent(n.readOv);
    closeEvent(n.writeOv);
    n.waitPending = false;
    ::timeEndPeriod(1);
}

bool SerialDevice::isOpen() const {
    return m_native->net || m_native->comm != INVALID_HANDLE_VALUE;
}

void SerialDevice::purgeInput() {
    if (m_native->net)
        return m_native->net->purgeInput();
    if (isOpen())
        ::PurgeComm(m_native->comm, PURGE_RXABORT | PURGE_RXCLEAR);
}

SerialDevice::CommWait SerialDevice::startCommWait() {
    Native& n = *m_native;
    if (n.net)
        return n.net->startCommWait();
    if (!isOpen())
        return CommWait::Failed;
    if (n.waitPending)
        return CommWait::Pending;
    if (::WaitCommEvent(n.comm, &n.eventMask, &n.commOv))
        return CommWait::Complete;
    const DWORD err = ::GetLastError();
    if (err == ERROR_IO_PENDING) {
        n.waitPending = true;
        return CommWait::Pending;
    }
    if (err == ERROR_INVALID_PARAMETER) // a wait is already pending
        return CommWait::Pending;
    m_lastError = systemText(err);
    return CommWait::Failed;
}

bool SerialDevice::commEventHasRxChar() const {
    if (m_native->net)
        return true;
    return (m_native->eventMask & EV_RXCHAR) != 0;
}

void SerialDevice::resetCommEvent() {
    if (m_native->commOv.hEvent)
        ::ResetEvent(m_native->commOv.hEvent);
}

SerialResult SerialDevice::inputWaiting(std::size_t& count) {
    if (m_native->net)
        return m_native->net->inputWaiting(count);
    count = 0;
    DWORD errors = 0;
    COMSTAT stat{};
    if (!::ClearCommError(m_native->comm, &errors, &stat)) {
        m_lastError = systemText(::GetLastError());
        return SerialResult::Failed;
    }
    count = stat.cbInQue;
    return SerialResult::Ok;
}

SerialResult SerialDevice::readByte(std::uint8_t& byte) {
    Native& n = *m_native;
    if (n.net)
        return n.net->readByte(byte);
    n.readOv.Offset = n.readOv.OffsetHigh = 0;
    DWORD got = 0;
    if (!::ReadFile(n.comm, &byte, 1, &got, &n.readOv)) {
        const DWORD err = ::GetLastError();
        if (err != ERROR_IO_PENDING) {
            m_lastError = systemText(err);
            return SerialResult::Failed;
        }
        if (!::GetOverlappedResult(n.comm, &n.readOv, &got, TRUE)) {
            m_lastError = systemText(::GetLastError());
            return SerialResult::Incomplete;
        }
    }
    if (got != 1) {
        m_lastError = "the read did not complete in time";
        return SerialResult::Incomplete;
    }
    return SerialResult::Ok;
}

SerialResult SerialDevice::write(const std::uint8_t* data, std::size_t size) {
    Native& n = *m_native;
    if (n.net)
        return n.net->write(data, size);
    n.writeOv.Offset = n.writeOv.OffsetHigh = 0;
    DWORD sent = 0;
    if (!::WriteFile(n.comm, data, static_cast<DWORD>(size), &sent, &n.writeOv)) {
        const DWORD err = ::GetLastError();
        if (err != ERROR_IO_PENDING) {
            m_lastError = systemText(err);
            return SerialResult::Failed;
        }
        if (!::GetOverlappedResult(n.comm, &n.writeOv, &sent, TRUE)) {
            m_lastError = systemText(::GetLastError());
            return SerialResult::Failed;
        }
    }
    if (sent != size) {
        m_lastError = "the write did not complete in time";
        return SerialResult::Failed;
    }
    return SerialResult::Ok;
}

int SerialDevice::wait(const ManualResetEvent* const events[3], std::chrono::milliseconds timeout) {
    Native& n = *m_native;
    if (n.net)
        return n.net->wait(events, timeout);
    HANDLE handles[4];
    for (int i = 0; i < 3; ++i)
        handles[i] = reinterpret_cast<HANDLE>(events[i]->native());
    handles[3] = n.commOv.hEvent;
    const DWORD r =
        ::WaitForMultipleObjects(4, handles, FALSE, static_cast<DWORD>(timeout.count()));
    if (r == WAIT_TIMEOUT)
        return kWaitTimeout;
    if (r >= WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + 4) {
        const int index = static_cast<int>(r - WAIT_OBJECT_0);
        if (index == kCommEventIndex && n.waitPending) {
            DWORD unused = 0;
            if (::GetOverlappedResult(n.comm, &n.commOv, &unused, FALSE))
                n.waitPending = false;
            else if (::GetLastError() != ERROR_IO_INCOMPLETE) {
                n.waitPending = false;
                m_lastError = systemText(::GetLastError());
                return kWaitFailed;
            }
        }
        return index;
    }
    m_lastError = systemText(::GetLastError());
    return kWaitFailed;
}

const std::string& SerialDevice::lastError() const {
    return m_native->net ? m_native->net->lastError() : m_lastError;
}

} // namespace zel
