// CLinkSession: the desktop program's link stack without a window - the event loop as the
// window thread, the connection controller, the serial port with its port thread and the
// command object - with the waits zelctl needs.
#pragma once

#include "app/ConnectionController.h"
#include "app/EventLoop.h"
#include "app/LoopHost.h"
#include "link/Command.h"
#include "link/SerialPort.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zel::ctl {

class CLinkSession {
public:
    // verbose: every frame in hex with a timestamp on stderr.
    explicit CLinkSession(bool verbose);
    ~CLinkSession();
    CLinkSession(const CLinkSession&) = delete;
    CLinkSession& operator=(const CLinkSession&) = delete;

    // Connects as the program does at start-up - on `port` alone, or on every port in
    // discovery order when it is empty - and waits for the dump. False with a one-line
    // reason in error() when no processor answered or the link failed.
    bool connect(const std::string& port, std::chrono::milliseconds limit);

    // Runs the loop until the transmit queue is empty, the frame in flight was answered and
    // nothing in the store differs from what the processor received. `progress` is called
    // about ten times a second. False with error() set when the link failed or the time ran
    // out.
    bool waitIdle(std::chrono::milliseconds limit, const std::function<void()>& progress = {});

    // Asks the processor for its parameters once more and waits for the dump, which
    // overwrites the fields it carries in the store. False with error() set when the link
    // failed or the time ran out.
    bool readBack(std::chrono::milliseconds limit);

    // Why connect() failed.
    enum class Fault { None, NoPort, CannotOpen, NoAnswer, LinkFailed };
    Fault fault() const { return m_fault; }

    // Closes the port; the store keeps what it holds.
    void close();

    CConnectionController& controller() { return *m_controller; }
    CCommand& command() { return m_command; }
    CEventLoop& loop() { return m_loop; }
    const std::string& error() const { return m_error; }
    // WM_SYSTEM_UPLOAD_DONE arrived since the session began.
    bool uploadDone() const { return m_uploadDone; }
    // Frames still queued when the link first failed (the frame in flight not counted);
    // -1 while it has not failed.
    int queuedAtFailure() const { return m_queuedAtFailure; }

private:
    class Tap;
    bool linkUp() const { return g_bConnected.load() != 0 && !m_failed; }
    bool idleNow();

    CEventLoop m_loop;
    CLoopHost m_host{m_loop};
    CCommand m_command;
    CSerialPort m_port;
    std::unique_ptr<Tap> m_tap;
    std::unique_ptr<CConnectionController> m_controller;
    std::vector<std::string> m_listed;
    std::string m_error;
    Fault m_fault = Fault::None;
    bool m_synced = false;
    bool m_failed = false;
    bool m_everOpened = false;
    bool m_uploadDone = false;
    int m_connectsHandled = 0;
    int m_queuedAtFailure = -1;
};

} // namespace zel::ctl
