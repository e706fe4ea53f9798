// CLoopHost: hosts the connection controller on a CEventLoop, for the command-line tool
// and the tests: the title is kept (and its changes recorded), timers are the loop's.
#pragma once

#include "app/ConnectionHost.h"
#include "app/EventLoop.h"

#include <functional>
#include <string>
#include <vector>

namespace zel {

class CLoopHost : public ConnectionHost {
public:
    explicit CLoopHost(CEventLoop& loop) : m_loop(loop) {}

    MessageTarget& messageTarget() override { return m_loop; }
    void setTitle(const std::string& title) override;
    void startTimer(int id, std::chrono::milliseconds period) override {
        m_loop.startTimer(id, period);
    }
    void stopTimer(int id) override { m_loop.stopTimer(id); }
    void enableSystemPanel() override {}
    void refreshFromStore() override {
        if (onRefresh)
            onRefresh();
    }
    // Written to stderr unless onCommError takes it.
    void showCommError(const std::string& text) override;
    void closeMainWindow() override { m_loop.quit(); }

    const std::string& title() const { return m_title; }
    // Every title set, in order (a title set twice in a row is recorded once).
    const std::vector<std::string>& titleHistory() const { return m_titles; }

    std::function<void(const std::string&)> onTitle;
    std::function<void(const std::string&)> onCommError;
    std::function<void()> onRefresh;

private:
    CEventLoop& m_loop;
    std::string m_title;
    std::vector<std::string> m_titles;
};

} // namespace zel
