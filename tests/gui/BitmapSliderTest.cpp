// CBitmapSlider driven by synthetic mouse, key and wheel input, with its notifications as
// the parent receives them.
#include "GuiTestEnv.h"

#include "gui/ControlId.h"
#include "gui/WidgetShot.h"
#include "gui/res/BitmapIds.h"
#include "gui/widgets/BitmapSlider.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <vector>

namespace zel::test {
namespace {

constexpr int SliderId = 1044;

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(320, 200);
        recreate();
        showActive(parent);
        slider->clearFocus(); // activation focused it; tests choose themselves
    }

    // A fresh slider, so that no wheel remainder or drag state carries over.
    void recreate() {
        delete slider;
        slider = new CBitmapSlider(&parent);
        slider->move(10, 10);
        setControlId(slider, SliderId);
        slider->show();
    }

    // The band strip's gain slider: vertical, 82 px channel, 13 px thumb, 0..360.
    void useStripLook() {
        ASSERT_TRUE(slider->setChannelBitmaps(IDB_STRIP_CHANNEL, IDB_STRIP_CHANNEL));
        ASSERT_TRUE(slider->setThumbBitmaps(IDB_STRIP_THUMB, IDB_STRIP_THUMB_ACTIVE, true));
        slider->setRange(0, 360);
    }
    // A page's level slider: horizontal, 150 px channel, 10 px thumb; 0..140 gives one
    // pixel per position, centre = 5 + position.
    void usePageLook() {
        ASSERT_TRUE(slider->setChannelBitmaps(IDB_PANEL_CHANNEL, IDB_PANEL_CHANNEL, true));
        ASSERT_TRUE(slider->setThumbBitmaps(IDB_PANEL_THUMB, IDB_PANEL_THUMB_ACTIVE, true));
        slider->setVertical(false);
        slider->setRange(0, 140);
    }

    QPoint at(int along) const {
        return slider->isVertical() ? QPoint(13, along) : QPoint(along, 8);
    }
    std::vector<Message> delivered(MessageId id) {
        parent.deliverPosted();
        return parent.of(id);
    }
    void wheel(int delta) {
        const QPointF p = at(slider->centreOf(slider->getPos()));
        QWheelEvent e(p, slider->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &e);
    }

    Recorder parent;
    CBitmapSlider* slider = nullptr;
};

TEST_F(SliderTest, PressOnTheThumbAndReleaseWithoutMovingReportsOnlyTheEnd) {
    useStripLook();
    slider->setPos(100);
    const int centre = slider->centreOf(100);
    QTest::mousePress(slider, Qt::LeftButton, {}, at(centre + 4));
    EXPECT_TRUE(slider->isDragging());
    QTest::qWait(3 * CBitmapSlider::DragTimerPeriodMs); // ticks pass with nothing to say
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(centre + 4));

    EXPECT_TRUE(parent.received.empty()) << "notifications are posted, not sent";
    const auto moved = delivered(WM_SLIDER_MOVED);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].wParam, WPARAM{SliderId});
    EXPECT_EQ(moved[0].lParam, 100);
    EXPECT_TRUE(parent.of(WM_SLIDER_MOVING).empty());
    EXPECT_EQ(slider->getPos(), 100);
}

TEST_F(SliderTest, DragReportsOnTheTickAndOnceMoreOnRelease) {
    usePageLook();
    slider->setPos(40);
    QTest::mousePress(slider, Qt::LeftButton, {}, at(45 + 2)); // 2 px right of the centre
    QTest::mouseMove(slider, at(47 + 20));
    EXPECT_EQ(slider->getPos(), 60);
    QTest::qWait(3 * CBitmapSlider::DragTimerPeriodMs);
    auto moving = delivered(WM_SLIDER_MOVING);
    ASSERT_EQ(moving.size(), 1u) << "one tick reports, the next has nothing new";
    EXPECT_EQ(moving[0].lParam, 60);

    QTest::mouseMove(slider, at(47 + 30));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(47 + 30));
    const auto moved = delivered(WM_SLIDER_MOVED);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].lParam, 70);
    EXPECT_FALSE(slider->isDragging());
}

TEST_F(SliderTest, DraggingToTheTopEndReachesMinEvenWhenPositionsShareThePixel) {
    useStripLook();
    slider->setPos(3); // 0..5 all sit on the first pixel of the 69 px travel
    ASSERT_EQ(slider->centreOf(3), slider->centreOf(0));
    QTest::mousePress(slider, Qt::LeftButton, {}, at(slider->centreOf(3)));
    QTest::mouseMove(slider, at(0));
    EXPECT_EQ(slider->getPos(), 0);
    QTest::qWait(3 * CBitmapSlider::DragTimerPeriodMs);
    const auto moving = delivered(WM_SLIDER_MOVING);
    ASSERT_EQ(moving.size(), 1u);
    EXPECT_EQ(moving[0].lParam, 0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(0));
    ASSERT_EQ(delivered(WM_SLIDER_MOVED).size(), 1u);
}

TEST_F(SliderTest, PressOnTheChannelStepsOneTowardThePress) {
    struct Case {
        bool vertical;
        int along; // press coordinate
        int expected;
    };
    // Thumb at 70: vertical centre 6 + 13 = 19, horizontal 75.
    const Case cases[] = {{true, 70, 71}, {true, 2, 69}, {false, 140, 71}, {false, 10, 69}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "vertical " << c.vertical << " at " << c.along);
        parent.clear();
        recreate();
        if (c.vertical)
            useStripLook();
        else
            usePageLook();
        slider->setPos(70);
        QTest::mousePress(slider, Qt::LeftButton, {}, at(c.along));
        EXPECT_EQ(slider->getPos(), c.expected);
        EXPECT_FALSE(slider->isDragging());
        QTest::mouseMove(slider, at(c.along + 30)); // no drag: moves change nothing
        EXPECT_EQ(slider->getPos(), c.expected);
        // Let go before the first tick: the step is still reported, once.
        QTest::mouseRelease(slider, Qt::LeftButton, {}, at(c.along));
        QTest::qWait(3 * CBitmapSlider::DragTimerPeriodMs);
        parent.deliverPosted();
        ASSERT_EQ(parent.received.size(), 1u);
        EXPECT_EQ(parent.received[0].message.id, WM_SLIDER_MOVED);
        EXPECT_EQ(parent.received[0].message.lParam, c.expected);
    }
}

TEST_F(SliderTest, HeldChannelPressIsReportedByTheTickAlone) {
    usePageLook();
    slider->setPos(70);
    QTest::mousePress(slider, Qt::LeftButton, {}, at(120));
    QTest::qWait(3 * CBitmapSlider::DragTimerPeriodMs);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(120));
    parent.deliverPosted();
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.received[0].message.id, WM_SLIDER_MOVING);
    EXPECT_EQ(parent.received[0].message.lParam, 71);
}

TEST_F(SliderTest, KeysMoveWithinTheRangeAndAlwaysReport) {
    struct Case {
        bool vertical;
        Qt::Key key;
        int from, expected;
    };
    const Case cases[] = {
        {true, Qt::Key_Up, 100, 99},     {true, Qt::Key_Down, 100, 101},
        {false, Qt::Key_Up, 100, 101},   {false, Qt::Key_Down, 100, 99},
        {true, Qt::Key_PageUp, 100, 80}, {true, Qt::Key_PageDown, 100, 120},
        {true, Qt::Key_Home, 100, 0},    {true, Qt::Key_End, 100, 360},
        {true, Qt::Key_Left, 100, 100},  {false, Qt::Key_Right, 100, 100},
        {true, Qt::Key_Up, 0, 0},        {false, Qt::Key_Down, 0, 0},
        {true, Qt::Key_PageUp, 10, 0},   {false, Qt::Key_Up, 360, 360},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "vertical " << c.vertical << " key " << c.key << " from " << c.from);
        parent.clear();
        useStripLook();
        slider->setVertical(c.vertical);
        slider->setPos(c.from);
        QTest::keyClick(slider, c.key);
        EXPECT_EQ(slider->getPos(), c.expected);
        const auto moved = delivered(WM_SLIDER_MOVED);
        ASSERT_EQ(moved.size(), 1u);
        EXPECT_EQ(moved[0].lParam, c.expected);
    }
}

TEST_F(SliderTest, OtherKeysGoToTheParent) {
    useStripLook();
    slider->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
    QApplication::sendEvent(slider, &press);
    EXPECT_FALSE(press.isAccepted()) << "the main window's hotkeys must still see Q";
    EXPECT_TRUE(delivered(WM_SLIDER_MOVED).empty());
}

TEST_F(SliderTest, WheelStepsOncePerNotchAndReportsByOrientation) {
    struct Case {
        bool vertical;
        std::vector<int> deltas;
        int expected;   // from 100
        size_t reports; // WM_SLIDER_MOVED posted
    };
    const Case cases[] = {
        {true, {120}, 99, 1},      {true, {-120}, 101, 1}, {true, {60}, 100, 1},
        {true, {60, 60}, 99, 2},   {true, {240}, 99, 1},   {true, {60, -180}, 101, 2},
        {false, {120}, 101, 1},    {false, {-120}, 99, 1}, {false, {60}, 100, 0},
        {false, {60, 60}, 101, 1}, {false, {240}, 101, 1}, {false, {-240, -60}, 99, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "vertical " << c.vertical << " case " << &c - cases);
        parent.clear();
        recreate();
        useStripLook();
        slider->setVertical(c.vertical);
        slider->setPos(100);
        for (int d : c.deltas)
            wheel(d);
        EXPECT_EQ(slider->getPos(), c.expected);
        const auto moved = delivered(WM_SLIDER_MOVED);
        ASSERT_EQ(moved.size(), c.reports);
        if (!moved.empty()) {
            EXPECT_EQ(moved.back().lParam, c.expected);
        }
    }
}

TEST_F(SliderTest, ValueMirrorsThePosition) {
    useStripLook();
    slider->setValue(360);
    EXPECT_EQ(slider->getPos(), 0);
    EXPECT_EQ(slider->getValue(), 360);
    EXPECT_EQ(slider->centreOf(slider->getPos()), 6) << "the maximum value sits at the top";
    slider->setValue(240);
    EXPECT_EQ(slider->getPos(), 120);
    slider->setValue(500);
    EXPECT_EQ(slider->getPos(), 0);
}

TEST_F(SliderTest, DisabledSliderIgnoresInputAndDrawsNoThumb) {
    usePageLook();
    slider->setPos(70);
    slider->enable(false);
    QTest::mousePress(slider, Qt::LeftButton, {}, at(120));
    QTest::mouseMove(slider, at(130));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(130));
    QTest::keyClick(slider, Qt::Key_End);
    wheel(120);
    EXPECT_EQ(slider->getPos(), 70);
    EXPECT_TRUE(delivered(WM_SLIDER_MOVED).empty());
    EXPECT_TRUE(parent.received.empty());

    const QImage image = renderWidget(*slider);
    EXPECT_EQ(image.pixelColor(72, 8), QColor(60, 70, 82)) << "groove, not thumb";
}

TEST_F(SliderTest, DisablingDuringADragEndsIt) {
    usePageLook();
    slider->setPos(40);
    QTest::mousePress(slider, Qt::LeftButton, {}, at(45));
    ASSERT_TRUE(slider->isDragging());
    slider->enable(false);
    EXPECT_FALSE(slider->isDragging());
    QTest::qWait(3 * CBitmapSlider::DragTimerPeriodMs);
    EXPECT_TRUE(delivered(WM_SLIDER_MOVING).empty());
}

TEST_F(SliderTest, FocusSwitchesTheActiveThumb) {
    usePageLook();
    slider->setPos(70); // thumb over x 70..79
    const QColor idle = renderWidget(*slider).pixelColor(72, 8);
    slider->setFocus();
    EXPECT_TRUE(slider->focusHighlight());
    const QImage focused = renderWidget(*slider, 2.0);
    EXPECT_EQ(idle, QColor(243, 246, 249));
    EXPECT_EQ(focused.pixelColor(2 * 72, 2 * 8), QColor(47, 123, 214));
    EXPECT_EQ(focused.size(), QSize(300, 32)) << "drawn at twice the pixels, same layout";
    parent.setFocus();
    EXPECT_FALSE(slider->focusHighlight());
}

TEST_F(SliderTest, MasterChannelIsLitFromTheMinimumToTheThumb) {
    ASSERT_TRUE(slider->setChannelBitmaps(IDB_MASTER_CHANNEL, IDB_MASTER_CHANNEL_LIT, true));
    ASSERT_TRUE(slider->setThumbBitmaps(IDB_MASTER_THUMB, IDB_MASTER_THUMB_ACTIVE, true));
    slider->setVertical(false);
    slider->setRange(0, 84);
    slider->setPos(42);
    const QImage image = renderWidget(*slider);
    EXPECT_EQ(image.pixelColor(20, 8), QColor(53, 180, 92));
    EXPECT_EQ(image.pixelColor(130, 8), QColor(60, 70, 82));
    EXPECT_EQ(image.pixelColor(20, 0).alpha(), 0) << "the page shows through";
}

TEST_F(SliderTest, BadImagesAndEmptyRangesAreRefusedOrHarmless) {
    EXPECT_FALSE(slider->setChannelBitmaps(IDB_STRIP_CHANNEL, IDB_PANEL_CHANNEL));
    EXPECT_FALSE(slider->setChannelBitmaps(9999, 9999));
    useStripLook();
    EXPECT_FALSE(slider->setThumbBitmaps(IDB_PANEL_CHANNEL, IDB_PANEL_CHANNEL))
        << "a thumb wider than the channel";
    slider->setRange(5, 5);
    QTest::mousePress(slider, Qt::LeftButton, {}, at(60));
    QTest::mouseMove(slider, at(70));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(70));
    EXPECT_EQ(slider->getPos(), 5);
}

} // namespace
} // namespace zel::test
