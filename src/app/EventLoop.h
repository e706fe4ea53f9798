// CEventLoop: the window thread of the command-line tool and of the tests - posted
// messages and window timers handled one at a time on the thread that runs the loop.
#pragma once

#include "platform/MessageTarget.h"

#include <chrono>
#include <functional>
#include <vector>

namespace zel {

class CEventLoop : public QueuedMessageTarget {
public:
    using MessageHandler = std::function<void(const Message&)>;
    using TimerHandler = std::function<void(int id)>;

    void setMessageHandler(MessageHandler handler) { m_onMessage = std::move(handler); }
    void setTimerHandler(TimerHandler handler) { m_onTimer = std::move(handler); }

    // A timer fires every period, first one period from now; starting a running timer
    // restarts it. Loop thread only.
    void startTimer(int id, std::chrono::milliseconds period);
    void stopTimer(int id);
    bool timerRunning(int id) const;

    // Handles posted messages (first) and due timers, each completely before the next,
    // until done() holds (checked after each), quit() is called or `limit` has passed.
    // Returns done().
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    void runFor(std::chrono::milliseconds limit) {
        runUntil([] { return false; }, limit);
    }
    // Ends the running runUntil after the message in hand.
    void quit() { m_quit = true; }
    bool quitRequested() const { return m_quit; }

protected:
    LRESULT onMessage(const Message& message) override;

private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        int id;
        std::chrono::milliseconds period;
        Clock::time_point next;
    };
    MessageHandler m_onMessage;
    TimerHandler m_onTimer;
    std::vector<Timer> m_timers;
    bool m_quit = false;
};

} // namespace zel
