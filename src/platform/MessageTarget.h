// MessageTarget: a receiver of window messages. post() may be called from any thread and
// never blocks; send() is a synchronous call on the receiver's own thread.
#pragma once

#include "platform/Messages.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

namespace zel {

struct Message {
    MessageId id = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // Queue a message for the receiver's thread; returns at once.
    virtual void post(MessageId id, WPARAM wParam, LPARAM lParam) = 0;
    // Handle a message now, on the calling thread (which must be the receiver's thread).
    virtual LRESULT send(MessageId id, WPARAM wParam, LPARAM lParam) = 0;
};

// A target whose posted messages wait in a queue until its owner's loop takes them: the
// window thread of the command-line tool and of the tests. The queue is a ring that
// only grows when a burst outruns the loop, so a posting port thread does not allocate
// in its steady state.
class QueuedMessageTarget : public MessageTarget {
public:
    explicit QueuedMessageTarget(std::size_t capacity = 256);

    void post(MessageId id, WPARAM wParam, LPARAM lParam) override;
    // Dispatches to onMessage(); override that to handle sent messages.
    LRESULT send(MessageId id, WPARAM wParam, LPARAM lParam) override;

    // Takes the oldest posted message, waiting at most `timeout` for one.
    std::optional<Message> take(std::chrono::milliseconds timeout);
    // Takes the oldest posted message if there is one.
    std::optional<Message> tryTake();
    std::size_t pending() const;

protected:
    virtual LRESULT onMessage(const Message&) { return 0; }

private:
    mutable std::mutex m_lock;
    std::condition_variable m_ready;
    std::vector<Message> m_ring;
    std::size_t m_head = 0;
    std::size_t m_count = 0;
};

} // namespace zel
