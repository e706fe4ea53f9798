// MessageWindow: mixes the window-message target and window timers into a Qt object class.
#pragma once

#include "gui/MessageEvent.h"
#include "gui/WindowTimers.h"
#include "platform/MessageTarget.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimerEvent>

namespace zel {

// A window that receives the program's messages: `class CFilterDlg : public
// MessageWindow<QWidget>`. post() queues a MessageEvent through Qt's event loop and may be
// called from the port thread; send() runs onMessage() at once on the window thread.
template <class Base> class MessageWindow : public Base, public MessageTarget {
public:
    using Base::Base;

    void post(MessageId id, WPARAM wParam, LPARAM lParam) override {
        QCoreApplication::postEvent(this, new MessageEvent(Message{id, wParam, lParam}));
    }

    LRESULT send(MessageId id, WPARAM wParam, LPARAM lParam) override {
        Q_ASSERT(QThread::currentThread() == this->thread());
        return onMessage(Message{id, wParam, lParam});
    }

    // Window timers by id: onTimer(id) is called every periodMs until killed.
    void setWindowTimer(int id, int periodMs) { m_timers.set(id, periodMs); }
    void killWindowTimer(int id) { m_timers.kill(id); }

protected:
    virtual LRESULT onMessage(const Message&) { return 0; }
    virtual void onTimer(int) {}

    bool event(QEvent* e) override {
        if (e->type() == MessageEvent::eventType()) {
            onMessage(static_cast<MessageEvent*>(e)->message());
            return true;
        }
        return Base::event(e);
    }

    void timerEvent(QTimerEvent* e) override {
        if (auto id = m_timers.windowId(e->timerId()))
            onTimer(*id);
        else
            Base::timerEvent(e);
    }

private:
    WindowTimers m_timers{this};
};

} // namespace zel
