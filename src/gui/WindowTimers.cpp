// WindowTimers: the id map between window timers and Qt timers.
#include "gui/WindowTimers.h"

#include <algorithm>

namespace zel {

WindowTimers::~WindowTimers() {
    for (const Entry& e : m_entries)
        m_owner->killTimer(e.qtId);
}

void WindowTimers::set(int id, int periodMs) {
    kill(id);
    const int qtId = m_owner->startTimer(periodMs, Qt::PreciseTimer);
    if (qtId != 0)
        m_entries.push_back(Entry{id, qtId});
}

void WindowTimers::kill(int id) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [id](const Entry& e) { return e.id == id; });
    if (it == m_entries.end())
        return;
    m_owner->killTimer(it->qtId);
    m_entries.erase(it);
}

bool WindowTimers::running(int id) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [id](const Entry& e) { return e.id == id; });
}

std::optional<int> WindowTimers::windowId(int qtTimerId) const {
    for (const Entry& e : m_entries)
        if (e.qtId == qtTimerId)
            return e.id;
    return std::nullopt;
}

} // namespace zel
