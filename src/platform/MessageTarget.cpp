#include "platform/MessageTarget.h"

namespace zel {

QueuedMessageTarget::QueuedMessageTarget(std::size_t capacity) : m_ring(capacity ? capacity : 1) {}

void QueuedMessageTarget::post(MessageId id, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard guard(m_lock);
        if (m_count == m_ring.size()) {
            // A burst outran the loop: unroll the ring into a larger one, keeping order.
            std::vector<Message> bigger;
            bigger.reserve(m_ring.size() * 2);
            for (std::size_t i = 0; i < m_count; ++i)
                bigger.push_back(m_ring[(m_head + i) % m_ring.size()]);
            bigger.resize(m_ring.size() * 2);
            m_ring.swap(bigger);
            m_head = 0;
        }
        m_ring[(m_head + m_count) % m_ring.size()] = Message{id, wParam, lParam};
        ++m_count;
    }
    m_ready.notify_one();
}

LRESULT QueuedMessageTarget::send(MessageId id, WPARAM wParam, LPARAM lParam) {
    return onMessage(Message{id, wParam, lParam});
}

std::optional<Message> QueuedMessageTarget::take(std::chrono::milliseconds timeout) {
    std::unique_lock guard(m_lock);
    if (!m_ready.wait_for(guard, timeout, [this] { return m_count > 0; }))
        return std::nullopt;
    Message m = m_ring[m_head];
    m_head = (m_head + 1) % m_ring.size();
    --m_count;
    return m;
}

std::optional<Message> QueuedMessageTarget::tryTake() {
    return take(std::chrono::milliseconds(0));
}

std::size_t QueuedMessageTarget::pending() const {
    std::lock_guard guard(m_lock);
    return m_count;
}

} // namespace zel
