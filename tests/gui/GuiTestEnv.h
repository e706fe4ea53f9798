// Test support for the widget tests: the application object and a parent that records the
// messages its controls send and post.
#pragma once

#include "gui/MessageWindow.h"

#include <QWidget>

#include <vector>

namespace zel::test {

struct Received {
    Message message;
    bool posted; // arrived through the event queue rather than as a direct call
};

// A dialog-like parent window: records every message, answers 1.
class Recorder : public MessageWindow<QWidget> {
public:
    std::vector<Received> received;

    // Messages with this id, in arrival order.
    std::vector<Message> of(MessageId id) const;
    // Delivers whatever was posted so far.
    void deliverPosted();
    void clear() { received.clear(); }

protected:
    bool event(QEvent* e) override;
    LRESULT onMessage(const Message& m) override;

private:
    bool m_inQueue = false;
};

// Shows the window and makes it active, so that focus changes deliver focus events.
void showActive(QWidget& window);

} // namespace zel::test
