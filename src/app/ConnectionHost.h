// ConnectionHost: what the connection controller needs of the window that hosts it - the
// main window of the program, or the loop of a command-line tool.
#pragma once

#include "platform/MessageTarget.h"

#include <chrono>
#include <string>

namespace zel {

class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;

    // Where the port thread and the receive path post their reports, and the controller its
    // own requests. The host hands every message it receives to the controller.
    virtual MessageTarget& messageTarget() = 0;
    // The window title (UTF-8).
    virtual void setTitle(const std::string& title) = 0;
    // A window timer: the host calls the controller's onTimer(id) every period until stopped.
    // Starting a running timer restarts it.
    virtual void startTimer(int id, std::chrono::milliseconds period) = 0;
    virtual void stopTimer(int id) = 0;
    // Re-enables the System panel window if it is open (it is disabled while it waits for
    // the device).
    virtual void enableSystemPanel() = 0;
    // Brings the master controls, scene buttons, ALL MUTE and the page on show in line with
    // the parameter store.
    virtual void refreshFromStore() = 0;
    // A port error (already formatted); the program shows a message box captioned
    // "Application Error".
    virtual void showCommError(const std::string& text) = 0;
    // Ends the program as closing the main window does.
    virtual void closeMainWindow() = 0;
    // Debug trace lines.
    virtual void trace(const char* /*line*/) {}
};

} // namespace zel
