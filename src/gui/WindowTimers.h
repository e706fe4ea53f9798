// WindowTimers: timers addressed by the window's own ids, on top of QObject::startTimer.
#pragma once

#include <QObject>

#include <optional>
#include <vector>

namespace zel {

// Setting a timer id that already runs restarts it with the new period, as window timers
// do; the owner's timerEvent maps Qt's timer id back with windowId().
class WindowTimers {
public:
    explicit WindowTimers(QObject* owner) : m_owner(owner) {}
    ~WindowTimers();
    WindowTimers(const WindowTimers&) = delete;
    WindowTimers& operator=(const WindowTimers&) = delete;

    void set(int id, int periodMs);
    void kill(int id);
    bool running(int id) const;
    // The window id of a Qt timer id, or nothing when the timer is not one of ours.
    std::optional<int> windowId(int qtTimerId) const;

private:
    struct Entry {
        int id;
        int qtId;
    };
    QObject* m_owner;
    std::vector<Entry> m_entries;
};

} // namespace zel
