// NetworkDevice: what both operating systems share - the line settings, the decoded input
// kept between calls, reads and writes with the port's timeouts, and purge of the input.
#include "platform/NetworkDevice.h"

#include <cstdio>
#include <cstring>

namespace zel {

bool NetworkDevice::lose(const std::string& why) {
    m_gone = true;
    m_lastError = why;
    return false;
}

bool NetworkDevice::begin(bool telnet, std::chrono::milliseconds timeout) {
    m_gone = false;
    m_rxHead = m_rxTail = 0;
    m_codec.reset(telnet);
    if (!telnet)
        return true;
    const auto hello = TelnetCodec::greeting();
    return sendAll(hello.data(), hello.size(), Clock::now() + timeout) == SerialResult::Ok;
}

void NetworkDevice::sendOwed() {
    while (!m_codec.pendingReply().empty()) {
        const auto owed = m_codec.pendingReply();
        const long n = sendSome(owed.data(), owed.size());
        if (n <= 0)
            return; // the rest goes out before the next frame
        m_codec.dropReply(static_cast<std::size_t>(n));
    }
}

bool NetworkDevice::fill() {
    if (!isOpen() || m_gone)
        return false;
    for (;;) {
        if (m_rxHead == m_rxTail)
            m_rxHead = m_rxTail = 0;
        if (m_rxTail == m_rx.size() && m_rxHead > 0) {
            std::memmove(m_rx.data(), m_rx.data() + m_rxHead, buffered());
            m_rxTail -= m_rxHead;
            m_rxHead = 0;
        }
        const std::size_t space = m_rx.size() - m_rxTail;
        if (space == 0)
            break; // the rest waits in the socket
        const long n = receive(m_rx.data() + m_rxTail, space);
        if (n > 0) {
            m_rxTail += m_codec.decode(m_rx.data() + m_rxTail, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0)
            return lose("the serial device server closed the connection");
        if (n == kWouldBlock)
            break;
        m_gone = true;
        return false;
    }
    sendOwed();
    return true;
}

SerialResult NetworkDevice::sendAll(const std::uint8_t* data, std::size_t size,
                                    Clock::time_point deadline) {
    std::size_t done = 0;
    while (done < size) {
        const long n = sendSome(data + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n == kSocketError) {
            m_gone = true;
            return SerialResult::Gone;
        }
        const int w = waitWritable(deadline);
        if (w < 0) {
            lose("the connection to the serial device server was lost");
            return SerialResult::Gone;
        }
        if (w == 0) {
            m_lastError = "the write did not complete in time";
            return SerialResult::Failed;
        }
    }
    return SerialResult::Ok;
}

bool NetworkDevice::configure(const SerialTimeouts& timeouts, const std::string& settings,
                              const char*& failedCall) {
    m_timeouts = timeouts;
    int baud = 0, data = 0, stop = 0;
    char parity = 0;
    if (std::sscanf(settings.c_str(), "baud=%d parity=%c data=%d stop=%d", &baud, &parity, &data,
                    &stop) != 4 ||
        baud <= 0 || data < 5 || data > 8 || (stop != 1 && stop != 2) ||
        std::strchr("NEOnoe", parity) == nullptr) {
        failedCall = "BuildCommDCB()";
        m_lastError = "The parameter is incorrect: \"" + settings + "\"";
        return false;
    }
    // A raw port's line settings belong to the server's own configuration.
    if (!m_codec.telnet())
        return true;
    const auto request =
        TelnetCodec::comPortSettings(static_cast<std::uint32_t>(baud), data, parity, stop);
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(timeouts.writeTotalConstant +
                                                 timeouts.writeTotalMultiplier * request.size());
    if (sendAll(request.data(), request.size(), deadline) != SerialResult::Ok) {
        failedCall = "SetCommState()";
        return false;
    }
    return true;
}

void NetworkDevice::purgeInput() {
    // What has arrived so far is dropped, as a serial driver drops its input queue.
    do {
        m_rxHead = m_rxTail = 0;
    } while (fill() && buffered() > 0);
    m_rxHead = m_rxTail = 0;
}

// Bytes that arrived before the server closed the connection are still read; the port
// counts as gone once they are.
SerialDevice::CommWait NetworkDevice::startCommWait() {
    fill();
    return buffered() > 0 || !m_gone ? SerialDevice::CommWait::Pending
                                     : SerialDevice::CommWait::Failed;
}

SerialResult NetworkDevice::inputWaiting(std::size_t& count) {
    fill();
    count = buffered();
    return count > 0 || !m_gone ? SerialResult::Ok : SerialResult::Gone;
}

SerialResult NetworkDevice::readByte(std::uint8_t& byte) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_timeouts.readTotalConstant +
                                                                   m_timeouts.readTotalMultiplier);
    for (;;) {
        if (buffered() > 0) {
            byte = m_rx[m_rxHead++];
            return SerialResult::Ok;
        }
        if (!isOpen() || m_gone)
            return SerialResult::Gone;
        if (Clock::now() >= deadline) {
            m_lastError = "the read did not complete in time";
            return SerialResult::Incomplete;
        }
        waitReadable(deadline);
        fill();
    }
}

SerialResult NetworkDevice::write(const std::uint8_t* data, std::size_t size) {
    if (!isOpen() || m_gone)
        return SerialResult::Gone;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(m_timeouts.writeTotalConstant +
                                                 m_timeouts.writeTotalMultiplier *
                                                     static_cast<std::uint32_t>(size));
    // Answers owed to the server go first; then the data, escaped in pieces on the stack.
    const auto owed = m_codec.pendingReply();
    if (!owed.empty()) {
        const SerialResult r = sendAll(owed.data(), owed.size(), deadline);
        if (r != SerialResult::Ok)
            return r;
        m_codec.dropReply(owed.size());
    }
    std::uint8_t wire[1024];
    std::size_t done = 0;
    while (done < size) {
        std::size_t used = 0;
        const std::size_t length =
            m_codec.encode(data + done, size - done, wire, sizeof wire, used);
        const SerialResult r = sendAll(wire, length, deadline);
        if (r != SerialResult::Ok)
            return r;
        done += used;
    }
    return SerialResult::Ok;
}

} // namespace zel
