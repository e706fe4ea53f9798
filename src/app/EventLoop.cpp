// CEventLoop: message queue and timer list on one thread.
#include "app/EventLoop.h"

#include <algorithm>

namespace zel {

void CEventLoop::startTimer(int id, std::chrono::milliseconds period) {
    stopTimer(id);
    m_timers.push_back({id, period, Clock::now() + period});
}

void CEventLoop::stopTimer(int id) {
    std::erase_if(m_timers, [id](const Timer& t) { return t.id == id; });
}

bool CEventLoop::timerRunning(int id) const {
    return std::any_of(m_timers.begin(), m_timers.end(), [id](const Timer& t) { return t.id == id; });
}

LRESULT CEventLoop::onMessage(const Message& message) {
    if (m_onMessage)
        m_onMessage(message);
    return 0;
}

bool CEventLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    m_quit = false;
    const Clock::time_point end = Clock::now() + limit;
    while (!done()) {
        if (m_quit)
            return false;
        const Clock::time_point now = Clock::now();
        if (now >= end)
            return done();
        if (auto m = tryTake()) {
            onMessage(*m);
            continue;
        }
        // Like window timers: a due timer fires when no message is waiting, once however
        // late it is.
        auto due = std::min_element(m_timers.begin(), m_timers.end(),
                                    [](const Timer& a, const Timer& b) { return a.next < b.next; });
        if (due != m_timers.end() && due->next <= now) {
            const int id = due->id;
            due->next = now + due->period;
            if (m_onTimer)
                m_onTimer(id);
            continue;
        }
        Clock::time_point wake = end;
        if (due != m_timers.end())
            wake = std::min(wake, due->next);
        if (auto m = take(std::chrono::ceil<std::chrono::milliseconds>(wake - now)))
            onMessage(*m);
    }
    return true;
}

} // namespace zel
