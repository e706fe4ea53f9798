// The desktop program against zel-sim on a pseudo-terminal: the main window goes on-line by
// itself, and a hotkey, slider drags on the master strip and on the music page and a scene
// button all reach the simulator's parameter set.
#include "GuiTestEnv.h"
#include "MainWindowFixture.h"
#include "SimProcess.h"

#include "gui/pages/PanelDlg.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "link/FrameRecord.h"
#include "model/FieldTable.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <mutex>

namespace zel::test {
namespace {

const QString kOnLine = QStringLiteral("ZEL V1.2.9----State:On-Line");

// The fields the link keeps equal between the store and the device.
std::vector<std::string> differingFields(const DeviceParams& a, const DeviceParams& b) {
    std::vector<std::string> out;
    const auto* pa = reinterpret_cast<const std::uint8_t*>(&a);
    const auto* pb = reinterpret_cast<const std::uint8_t*>(&b);
    for (const Field& f : allFields()) {
        if (f.delivery != Delivery::ChangeDetector && f.delivery != Delivery::Derived)
            continue;
        if (std::memcmp(pa + f.offset, pb + f.offset, f.size()) != 0)
            out.push_back(f.name);
    }
    return out;
}

class EndToEndTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        SimProcess::dumpLogOnExit = [] { return ::testing::Test::HasFailure(); };
    }
    void open(const SimProcess& sim) { openWindowOn(sim.link()); }
    // The link has sent every edit and its frame in flight is a keep-alive.
    bool idle() {
        std::lock_guard guard(g_frameLock);
        return window->command().queuedCount() == 0 && TxRecord[3] == 0x30 &&
               differingFields(liveParams, sentParams).empty();
    }
    // A drag of the slider's thumb by dx pixels, as the mouse does it.
    static void drag(CBitmapSlider* slider, int dx) {
        const int y = slider->height() / 2;
        const int x = slider->centreOf(slider->getPos());
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(x, y));
        for (int step = 1; step <= 4; ++step) {
            QTest::mouseMove(slider, QPoint(x + dx * step / 4, y));
            QTest::qWait(60); // past the slider's 50 ms drag timer
        }
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(x + dx, y));
        QTest::qWait(10);
    }
};

TEST_F(EndToEndTest, EditsInTheWindowReachTheProcessor) {
    SimProcess device("zel-e2e", {});
    open(device);
    // On-line and synchronised: the dump is in and a keep-alive is under way.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == kOnLine && idle(); }, 5000))
        << window->windowTitle().toStdString();

    // Hotkey Q on whatever has the focus.
    const int music = liveParams.masterVolume[0];
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : window.get(), Qt::Key_Q);
    ASSERT_TRUE(QTest::qWaitFor([&] { return liveParams.masterVolume[0] == music + 1; }, 1000));

    // The microphone master level and the music page's compressor threshold, dragged.
    CBitmapSlider* mic = window->masterSlider(1);
    const int micBefore = liveParams.masterVolume[1];
    drag(mic, 60);
    EXPECT_NE(liveParams.masterVolume[1], micBefore);
    EXPECT_EQ(liveParams.masterVolume[1], mic->getPos());

    CPanelDlg* page = window->panelOfPage(0);
    CBitmapSlider* threshold = page->slider(3031);
    const int thresholdBefore = liveParams.compressor[0].threshold;
    drag(threshold, 50);
    EXPECT_NE(liveParams.compressor[0].threshold, thresholdBefore);
    EXPECT_EQ(liveParams.compressor[0].threshold, threshold->getPos());

    // DANCING: the scene and, from then on, the Dance bank.
    QTest::mouseClick(window->button(CZELDlgDlg::IdDancing), Qt::LeftButton);
    ASSERT_EQ(liveParams.scene, 2);
    drag(page->slider(3030), 40); // the music high-pass, now in the Dance records

    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 5000));
    const DeviceParams state = device.state();
    EXPECT_EQ(differingFields(state, liveParams), std::vector<std::string>{});
    EXPECT_EQ(state.masterVolume[0], music + 1);
    EXPECT_EQ(state.scene, 2);
    EXPECT_EQ(window->windowTitle(), kOnLine);
}

} // namespace
} // namespace zel::test
