// CSerialPort: the open serial port and the one port thread that exchanges frames with the
// processor, one frame at a time. The window thread opens, starts and closes it.
#pragma once

#include "platform/MessageTarget.h"

#include <cstdint>
#include <string>

namespace zel {

// How the port thread shows what happens without ever waiting for the window thread.
// Both calls come from the port thread, possibly while it holds g_frameLock.
class LinkStatusSink {
public:
    virtual ~LinkStatusSink() = default;
    // Title change: state -1 on-line, 1 waiting for synchronisation, 2 waiting to upload;
    // online 0 = off-line.
    virtual void showLinkState(int state, int online) = 0;
    // A port configuration or read-completion error, already formatted; the window thread
    // shows it (a message box in the program, a line on stderr in tools).
    virtual void showCommError(const std::string& text) = 0;
};

class CSerialPort {
public:
    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // owner receives WM_LINK_FAILED; name is the platform's open name of the port.
    bool Open(MessageTarget* owner, const std::string& name, int baud, char parity, int dataBits,
              int stopBits, std::uint32_t eventMask, std::uint32_t writeBufferSize);
    bool Start();
    void Close();

    void setStatusSink(LinkStatusSink* sink);
    bool isOpen() const;

private:
    struct Impl;
    Impl* m_impl;
};

} // namespace zel
