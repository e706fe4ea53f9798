// MessageEvent: a window message (id, wParam, lParam) travelling through Qt's event queue.
#pragma once

#include "platform/MessageTarget.h"

#include <QEvent>

namespace zel {

class MessageEvent : public QEvent {
public:
    explicit MessageEvent(const Message& message) : QEvent(eventType()), m_message(message) {}

    const Message& message() const { return m_message; }

    // The event type registered for window messages, the same for the whole run.
    static QEvent::Type eventType();

private:
    Message m_message;
};

} // namespace zel
