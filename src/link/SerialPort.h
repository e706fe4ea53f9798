// CSerialPort: the open serial port and the one port thread that exchanges frames with the
// processor, one frame at a time. The window thread opens, starts and closes it.
#pragma once

#include "platform/MessageTarget.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

// How the port thread shows what happens without ever waiting for the window thread.
// Both calls come from the port thread, possibly while it holds g_frameLock, so an
// implementation must only post; showCommError also comes from Open on the window thread.
class LinkStatusSink {
public:
    virtual ~LinkStatusSink() = default;
    // Title change: state -1 on-line, 1 waiting for synchronisation, 2 waiting to upload;
    // online 0 = off-line.
    virtual void showLinkState(int state, int online) = 0;
    // A port configuration or read-completion error, already formatted; the window thread
    // shows it (a message box captioned "Application Error" in the program, a line on stderr
    // in tools).
    virtual void showCommError(const std::string& text) = 0;
};

// The fixed settings the connection controller opens every port with.
inline constexpr int kLinkBaud = 115200;
inline constexpr char kLinkParity = 'N';
inline constexpr int kLinkDataBits = 8;
inline constexpr int kLinkStopBits = 1;
inline constexpr std::uint32_t kLinkEventMask = 0x0009; // EV_RXCHAR | EV_CTS
inline constexpr std::uint32_t kLinkWriteBufferSize = 512;

// Sees the bytes of the link on the port thread, for logs only: it must not block or wait
// for the window thread.
class FrameTap {
public:
    virtual ~FrameTap() = default;
    // A frame was written.
    virtual void onWrite(const std::uint8_t* bytes, std::size_t count) = 0;
    // A reply byte was read; replyEnded when it completed the reply.
    virtual void onReadByte(std::uint8_t byte, bool replyEnded) = 0;
};

class CSerialPort {
public:
    CSerialPort();
    virtual ~CSerialPort(); // stops the thread and closes the port
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens and configures the port; owner receives WM_LINK_FAILED; name is the platform's
    // open name of the port (portOpenName). False when the port is absent or in use (no
    // message). A configuration failure is shown through the sink and still counts as open.
    bool Open(MessageTarget* owner, const std::string& name, int baud, char parity, int dataBits,
              int stopBits, std::uint32_t eventMask, std::uint32_t writeBufferSize);
    // Starts the port thread, which looks at the transmit queue at once. False when the
    // thread cannot be created.
    bool Start();
    // Stops the thread (after the handling in progress), closes the port and empties the
    // transmit queue. Safe in any state.
    void Close();

    void setStatusSink(LinkStatusSink* sink);
    bool isOpen() const;
    // Why the last Open failed, in the platform's words (refused, no answer, in use). Only
    // while no port thread runs: the thread updates it.
    std::string lastError() const;

    // Every pause of the port thread goes through this; tests may record or shorten them.
    using Sleeper = void (*)(std::chrono::milliseconds);
    void setSleeper(Sleeper sleeper);
    // Null (the default) taps nothing. Set before Start.
    void setFrameTap(FrameTap* tap);

private:
    struct Impl;
    Impl* m_impl;
};

} // namespace zel
