// The desktop program against zel-sim on a pseudo-terminal: the main window goes on-line by
// itself, and a hotkey, slider drags on the master strip and on the pages, a scene button and
// a channel copy all reach the simulator's parameter set; so do edits on the output pages, a
// solo, and the Volume panel's keyboard-lock commands.
#include "GuiTestEnv.h"
#include "MainWindowFixture.h"
#include "SimProcess.h"

#include "app/TextTables.h"
#include "gui/ControlId.h"
#include "gui/pages/EchoDlg.h"
#include "gui/pages/MicDlg.h"
#include "gui/pages/OutputDlg.h"
#include "gui/pages/PanelDlg.h"
#include "gui/pages/RevDlg.h"
#include "gui/pages/VolueDlg.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "link/FrameRecord.h"
#include "model/FieldTable.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

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

// An edit on the microphone, echo and reverb pages and a copy between the microphones.
TEST_F(EndToEndTest, EditsAndACopyOnTheMicrophoneEchoAndReverbPagesReachTheProcessor) {
    SimProcess device("zel-e2e-pages", {});
    open(device);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == kOnLine && idle(); }, 5000))
        << window->windowTitle().toStdString();
    auto showPage = [&](int page) {
        QTest::mouseClick(window->button(CZELDlgDlg::IdFirstPageButton + page), Qt::LeftButton);
        QApplication::processEvents();
    };

    showPage(1); // MIC-A: the compressor threshold
    CPanelDlg* mic = window->panelOfPage(1);
    const int threshold = liveParams.compressor[1].threshold;
    drag(mic->slider(3121), 50);
    EXPECT_NE(liveParams.compressor[1].threshold, threshold);
    // COPY, MicA->MicB, as the menu chooses it.
    static_cast<CMicDlg*>(mic)->onCommand(CPanelDlg::IdCopyItemAToB);
    EXPECT_EQ(liveParams.compressor[2].threshold, liveParams.compressor[1].threshold);

    showPage(2); // ECHO-A: the delay, with the post-EQ on show
    CPanelDlg* echo = window->panelOfPage(2);
    QTest::mouseClick(qobject_cast<CBitmapButton*>(findControl(echo, CEchoDlg::IdPostEq)),
                      Qt::LeftButton);
    const int delay = liveParams.timeParam[1];
    drag(echo->slider(3236), 60);
    EXPECT_NE(liveParams.timeParam[1], delay);

    showPage(6); // REV-B: the reverb time
    CPanelDlg* rev = window->panelOfPage(6);
    const int time = liveParams.timeParam[13];
    drag(rev->slider(CRevDlg::IdTimeSlider), 40);
    EXPECT_NE(liveParams.timeParam[13], time);

    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 5000));
    const DeviceParams state = device.state();
    EXPECT_EQ(differingFields(state, liveParams), std::vector<std::string>{});
    EXPECT_EQ(state.compressor[2].threshold, liveParams.compressor[1].threshold);
    EXPECT_EQ(state.timeParam[13], rev->slider(CRevDlg::IdTimeSlider)->getPos());
}

TEST_F(EndToEndTest, OutputPagesSoloAndKeyboardLockReachTheProcessor) {
    SimProcess device("zel-e2e-out", {});
    open(device);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == kOnLine && idle(); }, 5000))
        << window->windowTitle().toStdString();
    std::vector<std::string> messages;
    setMessageSink([&](std::string_view text) { messages.emplace_back(text); });

    // One edit on each output page, through its own controls.
    auto page = [&](int p) {
        QTest::mouseClick(window->button(CZELDlgDlg::IdFirstPageButton + p), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
        return static_cast<COutputDlg*>(window->panelOfPage(p));
    };
    COutputDlg* main = page(7);
    const int mainLevel = liveParams.byteParam[10];
    drag(main->slider(main->page().levels[0].sliderId), 60);
    EXPECT_NE(liveParams.byteParam[10], mainLevel);
    QTest::mouseClick(findControl(main, main->page().channels[0].soloId), Qt::LeftButton);
    COutputDlg* center = page(8);
    drag(center->slider(center->page().limiter[0].sliderId), 40);
    COutputDlg* sub = page(9);
    auto* type = qobject_cast<QComboBox*>(findControl(sub, xover::SubHighPassTypeList));
    type->setCurrentIndex(4);
    emit type->activated(4);
    COutputDlg* rear = page(10);
    drag(rear->slider(rear->page().channels[1].delay->sliderId), 50);
    EXPECT_EQ(liveParams.filter[4].slope, 4);
    EXPECT_EQ(liveParams.outputSolo[0], 1);

    // The Volume panel from the menu: unlock, a new password, the lock switched off.
    const std::uint8_t* pw = liveParams.keyLockPassword;
    const QString current = QString::asprintf("%d%d%d%d", pw[0], pw[1], pw[2], pw[3]);
    const std::uint8_t lockOff = liveParams.keyLockOff;
    QTimer::singleShot(0, [&] {
        auto* panel = qobject_cast<CVolueDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(panel, nullptr);
        auto edit = [&](int id) { return qobject_cast<QLineEdit*>(findControl(panel, id)); };
        auto click = [&](int id) { QTest::mouseClick(findControl(panel, id), Qt::LeftButton); };
        edit(CVolueDlg::IdPassword)->setText(current);
        click(CVolueDlg::IdConfirm);
        edit(CVolueDlg::IdNewPassword)->setText(QStringLiteral("5678"));
        click(CVolueDlg::IdModify);
        click(lockOff == 0 ? CVolueDlg::IdDisable : CVolueDlg::IdEnable);
        click(lockOff == 0 ? CVolueDlg::IdDisable : CVolueDlg::IdEnable); // no second 0x33
        panel->reject();
    });
    window->menuAction(CZELDlgDlg::IdMenuVolumePanel)->trigger();
    setMessageSink(nullptr);
    EXPECT_EQ(messages,
              (std::vector<std::string>{"Correct password!", "Change password success!"}));

    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 5000));
    const DeviceParams state = device.state();
    EXPECT_EQ(differingFields(state, liveParams), std::vector<std::string>{});
    // The solo reaches the device as its mutes; the solo flags stay on the PC.
    const std::uint8_t soloMutes[6] = {0, 1, 1, 1, 1, 1};
    EXPECT_EQ(std::memcmp(state.outputMute, soloMutes, 6), 0);
    EXPECT_EQ(state.filter[4].slope, 4);
    const std::uint8_t newPassword[4] = {5, 6, 7, 8};
    EXPECT_EQ(std::memcmp(state.keyLockPassword, newPassword, 4), 0);
    EXPECT_EQ(state.keyLockOff, lockOff == 0 ? 1 : 0);

    // Each command exactly once, the digits two a byte with the first in the low nibble.
    std::vector<std::string> lockFrames;
    for (const SimLogLine& line : device.received())
        if (line.bytes.size() > 3 && (line.bytes[3] == 0x32 || line.bytes[3] == 0x33))
            lockFrames.push_back(hex(line.bytes));
    const std::string off = lockOff == 0 ? "FF 55 03 33 01 37" : "FF 55 03 33 00 36";
    EXPECT_EQ(lockFrames, (std::vector<std::string>{"FF 55 04 32 65 87 22", off}));
}

} // namespace
} // namespace zel::test
