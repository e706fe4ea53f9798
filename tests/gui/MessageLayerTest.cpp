// The Qt message layer: posted and sent messages, window timers, dialog units.
#include "GuiTestEnv.h"

#include "gui/DialogUnits.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zel::test {
namespace {

TEST(MessageWindow, SendIsImmediateAndPostWaitsForTheLoopInOrder) {
    Recorder window;
    window.post(WM_LINK_SYNCED, 1, 10);
    window.post(WM_LINK_FAILED, 2, 20);
    EXPECT_EQ(window.send(WM_BAND_SELECTED, 0, 3), 1);
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_FALSE(window.received[0].posted);

    window.deliverPosted();
    ASSERT_EQ(window.received.size(), 3u);
    EXPECT_EQ(window.received[1].message.id, WM_LINK_SYNCED);
    EXPECT_EQ(window.received[1].message.lParam, 10);
    EXPECT_EQ(window.received[2].message.id, WM_LINK_FAILED);
    EXPECT_EQ(window.received[2].message.wParam, 2u);
    EXPECT_TRUE(window.received[2].posted);
}

// The port thread posts; the handler must run on the window thread.
class ThreadNoting : public MessageWindow<QObject> {
public:
    std::atomic<int> count{0};
    std::atomic<bool> onWindowThread{true};

protected:
    LRESULT onMessage(const Message&) override {
        if (QThread::currentThread() != thread())
            onWindowThread = false;
        ++count;
        return 0;
    }
};

TEST(MessageWindow, PostsFromAnotherThreadArriveOnTheWindowThread) {
    ThreadNoting window;
    std::thread port([&] {
        for (int i = 0; i < 100; ++i)
            window.post(WM_SYSTEM_COMMAND_ACK, 0, i);
    });
    port.join();
    EXPECT_EQ(window.count, 0);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(window.count, 100);
    EXPECT_TRUE(window.onWindowThread);
}

class TimerCounting : public MessageWindow<QObject> {
public:
    int ticks[2] = {0, 0};

protected:
    void onTimer(int id) override {
        if (id == 7 || id == 8)
            ++ticks[id - 7];
    }
};

TEST(MessageWindow, WindowTimersTickByIdAndRestartWhenSetAgain) {
    TimerCounting window;
    window.setWindowTimer(7, 10);
    window.setWindowTimer(7, 10); // the same id again replaces, never doubles
    window.setWindowTimer(8, 1000);
    QTest::qWait(105);
    EXPECT_GE(window.ticks[0], 3);
    EXPECT_LE(window.ticks[0], 11);
    EXPECT_EQ(window.ticks[1], 0);

    window.killWindowTimer(7);
    const int stopped = window.ticks[0];
    QTest::qWait(40);
    EXPECT_EQ(window.ticks[0], stopped);
}

TEST(DialogUnits, TemplateRectanglesMapEdgeByEdge) {
    struct Case {
        int x, y, w, h;
        QRect px;
    };
    const Case cases[] = {
        {2, 42, 18, 50, QRect(3, 68, 27, 82)},          // band strip gain slider
        {404, 3, 97, 12, QRect(606, 5, 146, 19)},       // music master level
        {573, 3, 97, 12, QRect(860, 5, 145, 19)},       // microphone master level: odd x rounds
        {0, 12, 25, 11, QRect(0, 20, 38, 17)},          // band type button
        {15, 183, 871, 203, QRect(23, 297, 1306, 330)}, // EQ graph
    };
    for (const Case& c : cases)
        EXPECT_EQ(dialogRect(c.x, c.y, c.w, c.h), c.px) << c.x << "," << c.y;
}

} // namespace
} // namespace zel::test
