// The System panel against zel-sim on a pseudo-terminal: a PC mode saved, uploaded whole and
// in part and deleted; a device mode stored and loaded back into the window; an upload cut
// short by unplugging the simulator.
#include "GuiTestEnv.h"
#include "MainWindowFixture.h"
#include "SimProcess.h"

#include "app/TextTables.h"
#include "gui/modes/SystemDlg.h"
#include "gui/pages/PanelDlg.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/GridList.h"
#include "model/FieldTable.h"
#include "model/StoreWrite.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <mutex>

namespace zel::test {
namespace {

const QString kOnLine = QStringLiteral("ZEL V1.2.9----State:On-Line");
const QString kOffLine = QStringLiteral("ZEL V1.2.9----State:OFF-Line");

// Every field an upload or the change detector carries to the device, by name, where the
// two parameter sets differ. Mode names travel with their own command only.
std::vector<std::string> differingFields(const DeviceParams& a, const DeviceParams& b) {
    std::vector<std::string> out;
    for (const Field& f : allFields())
        if (f.delivery != Delivery::Never && !f.isText() && readField(a, f) != readField(b, f))
            out.push_back(f.name);
    return out;
}

unsigned value(const char* name) {
    return readField(liveParams, *findField(name));
}

class SystemEndToEndTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        SimProcess::dumpLogOnExit = [] { return ::testing::Test::HasFailure(); };
        setMessageSink([this](std::string_view text) { messages.emplace_back(text); });
    }
    void TearDown() override {
        panel.reset();
        setMessageSink({});
        MainWindowFixture::TearDown();
    }
    void goOnLine(const SimProcess& sim) {
        openWindowOn(sim.link());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return window->windowTitle() == kOnLine && idle(); }, 10000))
            << window->windowTitle().toStdString();
        panel = std::make_unique<CSystemDlg>(window->controller(), window.get());
        panel->setConfirmer([](const std::string&) { return true; });
        showActive(*panel);
    }
    // Every edit sent and a keep-alive in flight.
    bool idle() {
        std::lock_guard guard(g_frameLock);
        return window->command().queuedCount() == 0 && TxRecord[3] == 0x30 &&
               differingFields(liveParams, sentParams).empty();
    }
    // Moves byte fields to their next value in range, as a page does, and waits until the
    // device has them.
    void nudge(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const Field& f = *findField(name);
            const unsigned next =
                f.min + (readField(liveParams, f) - f.min + 1) % (f.max - f.min + 1u);
            storeWrite(reinterpret_cast<std::uint8_t*>(&liveParams)[f.offset],
                       static_cast<std::uint8_t>(next));
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 5000));
    }
    void click(int id) {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(panel->control(id)), Qt::LeftButton);
    }
    // Waits for a message box text and the page enabled again.
    bool awaitMessage(const std::string& text, int ms = 15000) {
        return QTest::qWaitFor(
            [&] {
                return !messages.empty() && messages.back() == text && panel->page()->isEnabled();
            },
            ms);
    }
    void upload(int part) {
        panel->grid()->selectRow(1);
        qobject_cast<QAbstractButton*>(panel->control(CSystemDlg::IdFirstPartRadio + part))
            ->click();
        messages.clear();
        click(CSystemDlg::IdUpload);
    }

    std::vector<std::string> messages;
    std::unique_ptr<CSystemDlg> panel;
};

const char* const kMusicField = "musicInputGain";
const char* const kMicField = "byteParam[2]"; // microphone A
const char* const kOutputField = "byteParam[12]";

TEST_F(SystemEndToEndTest, PcModeSavedUploadedWholeAndInPartThenDeleted) {
    SimProcess device("zel-sys-upload", {});
    goOnLine(device);

    // State A goes into the file.
    nudge({kMusicField, kMicField, kOutputField});
    const unsigned musicA = value(kMusicField), micA = value(kMicField);
    panel->control(CSystemDlg::IdPcModeName)->setProperty("text", QStringLiteral("room"));
    click(CSystemDlg::IdSaveInPc);
    ASSERT_EQ(messages, std::vector<std::string>{"Save moderoomsuccess"});
    ASSERT_EQ(panel->grid()->rowCount(), 1);
    EXPECT_EQ(panel->grid()->item(0, 1)->text(), QStringLiteral("room.dat"));

    // The device moves on; the whole mode brings every uploaded field back to the file.
    nudge({kMusicField, kMicField, kOutputField});
    upload(0);
    EXPECT_FALSE(panel->page()->isEnabled());
    ASSERT_TRUE(awaitMessage("Loadroom.datsuccess")) << messages.size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 5000));
    EXPECT_EQ(value(kMusicField), musicA);
    EXPECT_EQ(value(kMicField), micA);
    EXPECT_EQ(differingFields(device.state(), liveParams), std::vector<std::string>{});
    EXPECT_EQ(panel->progressBar()->isVisible(), false);

    // The music part takes the music fields only; the device follows the whole store.
    nudge({kMusicField, kMicField});
    const unsigned micC = value(kMicField);
    upload(1);
    ASSERT_TRUE(awaitMessage("Loadroom.datsuccess"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 5000));
    EXPECT_EQ(value(kMusicField), musicA);
    EXPECT_EQ(value(kMicField), micC);
    EXPECT_EQ(differingFields(device.state(), liveParams), std::vector<std::string>{});
    EXPECT_EQ(window->windowTitle(), kOnLine);

    click(CSystemDlg::IdDelete);
    EXPECT_EQ(panel->grid()->rowCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(panel->library().folder() / "room.dat"));
}

TEST_F(SystemEndToEndTest, DeviceModeStoredAndLoadedBackShowsItsParameters) {
    SimProcess device("zel-sys-mode", {});
    goOnLine(device);
    const char* const threshold = "compressor[0].threshold";
    nudge({threshold});
    const unsigned stored = value(threshold);

    auto* list = qobject_cast<QComboBox*>(panel->control(CSystemDlg::IdModeList));
    list->setCurrentIndex(2);
    qobject_cast<QLineEdit*>(panel->control(CSystemDlg::IdModeName))->setText("abc");
    click(CSystemDlg::IdSaveModeName);
    ASSERT_TRUE(awaitMessage("Save mode success", 5000));
    EXPECT_EQ(list->itemText(2), QStringLiteral("3-abc"));

    nudge({threshold});
    ASSERT_NE(value(threshold), stored);
    messages.clear();
    click(CSystemDlg::IdLoadMode);
    EXPECT_FALSE(panel->page()->isEnabled());
    ASSERT_TRUE(awaitMessage("Load mode success", 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 5000));
    EXPECT_EQ(value(threshold), stored);
    EXPECT_EQ(differingFields(device.state(), liveParams), std::vector<std::string>{});
    EXPECT_EQ(window->panelOfPage(0)->slider(3031)->getPos(), static_cast<int>(stored))
        << "the music page shows the loaded mode";
    EXPECT_EQ(std::string(liveParams.modeName[2], 3), "abc");
}

TEST_F(SystemEndToEndTest, UnpluggedDuringAnUploadThePageComesBackAndSaysSo) {
    // Replies byte by byte, 1 ms apart: the upload takes seconds; unplugged, it stays away.
    SimProcess device("zel-sys-unplug", {"--slow", "1", "--replug-delay", "-1"});
    goOnLine(device);
    panel->control(CSystemDlg::IdPcModeName)->setProperty("text", QStringLiteral("room"));
    click(CSystemDlg::IdSaveInPc);
    upload(0);
    ASSERT_EQ(panel->busy(), CSystemDlg::Busy::Upload);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->progressBar()->value() >= 20; }, 10000))
        << "answers reach the progress bar";
    const int shown = panel->progressBar()->value();
    ASSERT_LT(shown, 343) << "the upload ended before the unplug";
    device.signal(SIGUSR1);

    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->windowTitle() == kOffLine && panel->page()->isEnabled(); }, 10000))
        << window->windowTitle().toStdString();
    EXPECT_EQ(panel->busy(), CSystemDlg::Busy::None);
    EXPECT_FALSE(panel->progressBar()->isVisible());
    EXPECT_TRUE(panel->statusLabel()->text().contains(QStringLiteral("did not finish")))
        << panel->statusLabel()->text().toStdString();
    // How much of it the processor answered, as the progress bar last counted it.
    const QString answered =
        QStringLiteral("after %1 of the 347 frames").arg(g_pCommand->uploadAnswered());
    EXPECT_GE(g_pCommand->uploadAnswered(), shown);
    EXPECT_TRUE(panel->statusLabel()->text().contains(answered))
        << panel->statusLabel()->text().toStdString();
    EXPECT_TRUE(messages.empty()) << "no success message for a half upload";
}

} // namespace
} // namespace zel::test
