// The Volume panel: start and limit volumes in order, the master level pulled down in the main
// window, the record mix, and the keyboard lock's password paths and commands.
#include "MainWindowFixture.h"

#include "app/TextTables.h"
#include "gui/ControlId.h"
#include "gui/pages/EditStatic.h"
#include "gui/pages/VolueDlg.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "model/DeviceParams.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

namespace zel::test {
namespace {

constexpr int kMusicStart = 3840;
constexpr int kMusicLimit = 3841;
constexpr int kEffectLimit = 3845;

// Stands in for the main window: records what the panel asks of it.
class HostRecorder : public PanelHost {
public:
    void SetOutputMute(int, int) override {}
    void SetOutputSolo(int, int) override {}
    void SendCommand(int code, int) override { commands.push_back(code); }
    void RefreshMasterLevel(int group) override { refreshed.push_back(group); }
    std::vector<int> commands;
    std::vector<int> refreshed;
};

class VolueDlgTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        setMessageSink([this](std::string_view text) { shown.emplace_back(text); });
    }
    void TearDown() override {
        setMessageSink(nullptr);
        if (g_pPanelHost == &host)
            g_pPanelHost = nullptr;
        MainWindowFixture::TearDown();
    }
    static void move(CVolueDlg& d, int sliderId, int pos) {
        d.slider(sliderId)->setPos(pos);
        d.send(WM_SLIDER_MOVING, static_cast<WPARAM>(sliderId), pos);
    }
    template <class T> static T* control(CVolueDlg& d, int id) {
        return qobject_cast<T*>(findControl(&d, id));
    }
    static bool unlocked(CVolueDlg& d) {
        bool all = true;
        bool none = true;
        for (int id : {CVolueDlg::IdNewPassword, CVolueDlg::IdModify, CVolueDlg::IdEnable,
                       CVolueDlg::IdDisable}) {
            all = all && findControl(&d, id)->isEnabled();
            none = none && !findControl(&d, id)->isEnabled();
        }
        EXPECT_TRUE(all || none) << "the lock's controls unlock together";
        return all;
    }
    static void type(CVolueDlg& d, int editId, const char* text) {
        control<QLineEdit>(d, editId)->setText(QString::fromLatin1(text));
    }

    HostRecorder host;
    std::vector<std::string> shown;
};

TEST_F(VolueDlgTest, StartNeverAboveItsLimit) {
    liveParams.volumeLimit[0] = 30;
    liveParams.volumeLimit[1] = 60;
    CVolueDlg d;
    EXPECT_EQ(d.slider(kMusicStart)->getPos(), 30);

    // Start dragged above the limit stops at it.
    move(d, kMusicStart, 75);
    EXPECT_EQ(liveParams.volumeLimit[0], 60);
    EXPECT_EQ(d.slider(kMusicStart)->getPos(), 60);
    EXPECT_EQ(d.label(kMusicStart)->text(), QStringLiteral("60"));

    // Limit dragged under the start pulls the start down with it.
    move(d, kMusicLimit, 25);
    EXPECT_EQ(liveParams.volumeLimit[1], 25);
    EXPECT_EQ(liveParams.volumeLimit[0], 25);
    EXPECT_EQ(d.slider(kMusicStart)->getPos(), 25);
    EXPECT_EQ(d.label(kMusicStart)->text(), QStringLiteral("25"));
    EXPECT_EQ(d.label(kMusicLimit)->text(), QStringLiteral("25"));

    // A limit raised leaves the start alone.
    move(d, kMusicLimit, 84);
    EXPECT_EQ(liveParams.volumeLimit[0], 25);
}

TEST_F(VolueDlgTest, LoweredLimitPullsTheMasterLevelDownInTheMainWindow) {
    openWindow();
    setMasterVolume(0, 60);
    setMasterVolume(2, 50);
    window->RefreshMasterLevels();
    CVolueDlg d(window.get());

    move(d, kMusicLimit, 70); // above the level: the master stays
    EXPECT_EQ(liveParams.masterVolume[0], 60);
    move(d, kMusicLimit, 40);
    EXPECT_EQ(liveParams.masterVolume[0], 40);
    EXPECT_EQ(liveParams.masterMute[0], 0);
    EXPECT_EQ(window->masterSlider(0)->getPos(), 40);
    EXPECT_EQ(window->masterLabel(0)->text(), QStringLiteral("40"));
    EXPECT_FALSE(window->muteButton(0)->isPressed());

    move(d, kEffectLimit, 0);
    EXPECT_EQ(liveParams.masterVolume[2], 0);
    EXPECT_EQ(liveParams.masterMute[2], 1);
    EXPECT_TRUE(window->muteButton(2)->isPressed());
    EXPECT_EQ(liveParams.masterVolume[0], 40) << "other groups untouched";

    // The main window's slider now stops at the new limit.
    window->masterSlider(0)->setPos(84);
    window->send(WM_SLIDER_MOVING, 1002, 84);
    EXPECT_EQ(liveParams.masterVolume[0], 40);
}

TEST_F(VolueDlgTest, RecordRowsAndPolaritiesWriteTheirFields) {
    liveParams.phase[27] = 1;
    CVolueDlg d;
    EXPECT_EQ(control<CBitmapButton>(d, 3855)->text(), QStringLiteral("+"));
    const int sliders[4] = {3849, 3846, 3847, 3848};
    for (int i = 0; i < 4; ++i) {
        move(d, sliders[i], 250 - i);
        EXPECT_EQ(liveParams.byteParam[26 + i], 250 - i);
    }
    EXPECT_EQ(d.label(3849)->text(), QStringLiteral("500"));
    QTest::mouseClick(control<CBitmapButton>(d, 3855), Qt::LeftButton);
    EXPECT_EQ(liveParams.phase[27], 0);
    EXPECT_EQ(control<CBitmapButton>(d, 3855)->text(), QStringLiteral("-"));
}

TEST_F(VolueDlgTest, KeyboardLockUnlocksWithTheCurrentPasswordOnly) {
    g_pPanelHost = &host;
    const std::uint8_t password[4] = {4, 0, 9, 1};
    std::copy(std::begin(password), std::end(password), liveParams.keyLockPassword);
    CVolueDlg d;
    d.show();
    struct Case {
        const char* typed;
        const char* message;
        bool cleared;
        bool open;
    };
    const Case cases[] = {
        {"409", "Password length error!", false, false},
        {"4019", "Password error!", true, false},
        {"0409", "Password error!", true, false},
        {"4091", "Correct password!", false, true},
    };
    for (const Case& c : cases) {
        shown.clear();
        type(d, CVolueDlg::IdPassword, c.typed);
        QTest::mouseClick(control<QPushButton>(d, CVolueDlg::IdConfirm), Qt::LeftButton);
        ASSERT_EQ(shown.size(), 1u) << c.typed;
        EXPECT_EQ(shown[0], c.message);
        EXPECT_EQ(control<QLineEdit>(d, CVolueDlg::IdPassword)->text().isEmpty(), c.cleared);
        EXPECT_EQ(unlocked(d), c.open) << c.typed;
    }
    EXPECT_TRUE(host.commands.empty());

    // Modify: four digits after trimming, else the length message and nothing stored or sent.
    for (const char* bad : {"12", "  7 ", "12 4"}) {
        shown.clear();
        type(d, CVolueDlg::IdNewPassword, bad);
        QTest::mouseClick(control<QPushButton>(d, CVolueDlg::IdModify), Qt::LeftButton);
        EXPECT_EQ(shown, std::vector<std::string>{"Password length error!"}) << bad;
    }
    EXPECT_EQ(liveParams.keyLockPassword[0], 4);
    EXPECT_TRUE(host.commands.empty());
    shown.clear();
    type(d, CVolueDlg::IdNewPassword, "5678");
    QTest::mouseClick(control<QPushButton>(d, CVolueDlg::IdModify), Qt::LeftButton);
    EXPECT_EQ(shown, std::vector<std::string>{"Change password success!"});
    const std::uint8_t changed[4] = {5, 6, 7, 8};
    EXPECT_TRUE(std::equal(std::begin(changed), std::end(changed), liveParams.keyLockPassword));
    EXPECT_EQ(host.commands, std::vector<int>{0x32});
    EXPECT_TRUE(unlocked(d)) << "the controls stay usable";

    // The choice sends 0x33 only when it changes.
    liveParams.keyLockOff = 0;
    host.commands.clear();
    QTest::mouseClick(control<QRadioButton>(d, CVolueDlg::IdEnable), Qt::LeftButton);
    EXPECT_TRUE(host.commands.empty()) << "already selected";
    QTest::mouseClick(control<QRadioButton>(d, CVolueDlg::IdDisable), Qt::LeftButton);
    QTest::mouseClick(control<QRadioButton>(d, CVolueDlg::IdDisable), Qt::LeftButton);
    EXPECT_EQ(liveParams.keyLockOff, 1);
    EXPECT_EQ(host.commands, std::vector<int>{0x33});

    // The next opening starts locked again, showing the stored choice.
    CVolueDlg again;
    EXPECT_FALSE(unlocked(again));
    EXPECT_TRUE(control<QRadioButton>(again, CVolueDlg::IdDisable)->isChecked());
}

TEST_F(VolueDlgTest, WrongPasswordKeepsTheFocusInTheClearedEntry) {
    CVolueDlg d;
    showActive(d);
    type(d, CVolueDlg::IdPassword, "9999");
    QTest::mouseClick(control<QPushButton>(d, CVolueDlg::IdConfirm), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), findControl(&d, CVolueDlg::IdPassword));
    EXPECT_TRUE(control<QLineEdit>(d, CVolueDlg::IdPassword)->text().isEmpty());
}

TEST_F(VolueDlgTest, MenuOpensThePanelModallyWithTheHotkeysOff) {
    openWindow();
    QAction* item = window->menuAction(CZELDlgDlg::IdMenuVolumePanel);
    ASSERT_TRUE(item->isEnabled());
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* panel = qobject_cast<CVolueDlg*>(QApplication::activeModalWidget());
        seen = panel != nullptr && g_bHotkeysEnabled == 0;
        if (panel) {
            EXPECT_EQ(panel->windowTitle(), QStringLiteral("System Volume Control"));
            // Q would raise the music level if the hotkeys were on.
            QTest::keyClick(panel, Qt::Key_Q);
            QTest::keyClick(panel, Qt::Key_Escape);
        }
    });
    item->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(g_bHotkeysEnabled, 1);
    deliver();
    EXPECT_EQ(liveParams.masterVolume[0], 0);
}

} // namespace
} // namespace zel::test
