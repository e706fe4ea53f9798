// LinkFixture: the program's link stack - controller, serial port with its thread, command
// object - hosted on an event loop, searching only the simulators a test started.
#pragma once

#include "SimProcess.h"

#include "app/ConnectionController.h"
#include "app/EventLoop.h"
#include "app/LoopHost.h"
#include "link/Command.h"
#include "link/SerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace zel::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline const std::string kOffLine = "ZEL V1.2.9----State:OFF-Line";
inline const std::string kOnLine = "ZEL V1.2.9----State:On-Line";
inline const std::string kWaitingSync = "ZEL V1.2.9----Waiting for synchronization data";

struct SeenMessage {
    Message message;
    Clock::time_point at;
};

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture();
    ~LinkFixture() override;

    // Creates the controller; its port search sees exactly these simulators, in order.
    void useSimulators(const std::vector<const SimProcess*>& sims);
    // Runs the window thread until done() holds, looking at it at least every 10 ms (it
    // may watch the simulator's log, which posts nothing).
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    bool online() const { return host.title() == kOnLine; }
    std::vector<SeenMessage> seen(MessageId id) const;
    // Store edits as a page makes them, but under the frame lock so that the race detector
    // sees them ordered with the change detector's reads.
    template <class F> void edit(F&& change) {
        std::lock_guard guard(g_frameLock);
        change(liveParams);
    }
    // The link is idle: every edit has been sent and a keep-alive is under way.
    bool idle() const;

    CEventLoop loop;
    CLoopHost host{loop};
    CCommand command;
    CSerialPort port;
    std::unique_ptr<CConnectionController> controller;
    std::vector<SeenMessage> messages;
};

inline std::chrono::milliseconds msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(b - a);
}

inline double elapsedMs(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

} // namespace zel::test
