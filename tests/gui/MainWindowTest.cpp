// CZELDlgDlg: master levels and their limits, mutes, hotkeys, scenes, scene copy, ALL MUTE,
// keyboard focus, the language switch and start-up, on the real window off-line.
#include "MainWindowFixture.h"

#include "app/Language.h"
#include "gui/ControlId.h"
#include "gui/eq/FilterDlg.h"
#include "gui/pages/EditStatic.h"
#include "gui/pages/PanelDlg.h"
#include "gui/shell/HelpDlg.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/NumEdit.h"
#include "link/Command.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"
#include "modes/ModePaths.h"
#include "platform/UserSettings.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace zel::test {
namespace {

constexpr int kSliders[3] = {1002, 1004, 1007};

class MainWindowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        openWindow();
    }
    // The slider at pos, reported as a drag step and as its end.
    void moveMaster(int group, int pos) {
        window->masterSlider(group)->setPos(pos);
        window->send(WM_SLIDER_MOVING, static_cast<WPARAM>(kSliders[group]), pos);
        window->send(WM_SLIDER_MOVED, static_cast<WPARAM>(kSliders[group]), pos);
    }
    void key(QWidget* target, Qt::Key k) {
        QTest::keyClick(target, k);
        deliver();
    }
    // A key typed on the keyboard: it goes to the widget that has the focus.
    void type(Qt::Key k) {
        QWidget* focus = QApplication::focusWidget();
        key(focus ? focus : window.get(), k);
    }
    // Level, mute flag and what the group shows must agree.
    void expectGroup(int g, int level, bool muted, int shown) {
        EXPECT_EQ(liveParams.masterVolume[g], level) << "group " << g;
        EXPECT_EQ(liveParams.masterMute[g], muted ? 1 : 0) << "group " << g;
        EXPECT_EQ(window->masterSlider(g)->getPos(), shown) << "group " << g;
        EXPECT_EQ(window->masterLabel(g)->text(), QString::number(shown)) << "group " << g;
        EXPECT_EQ(window->muteButton(g)->isPressed(), muted) << "group " << g;
    }
    CBitmapButton* button(int id) { return window->button(id); }
};

TEST_F(MainWindowTest, MasterLevelIsClippedToItsLimitAndZeroMutes) {
    struct Case {
        int group;
        int limit;
        int moveTo;
        int expected;
    };
    for (const Case& c : {Case{0, 60, 84, 60}, Case{1, 84, 84, 84}, Case{2, 30, 70, 30},
                          Case{0, 60, 45, 45}, Case{1, 84, 0, 0}}) {
        liveParams.volumeLimit[2 * c.group + 1] = static_cast<std::uint8_t>(c.limit);
        moveMaster(c.group, c.moveTo);
        expectGroup(c.group, c.expected, c.expected == 0, c.expected);
    }
    // Up again from zero clears the mute.
    moveMaster(1, 12);
    expectGroup(1, 12, false, 12);
}

TEST_F(MainWindowTest, MuteKeepsTheLevelAndAHotkeyStepStartsFromIt) {
    moveMaster(0, 40);
    QTest::mouseClick(window->muteButton(0), Qt::LeftButton);
    expectGroup(0, 40, true, 0);
    type(Qt::Key_Q);
    expectGroup(0, 41, false, 41);
    // Z mutes again and unmuting brings the level back.
    type(Qt::Key_Z);
    expectGroup(0, 41, true, 0);
    type(Qt::Key_Z);
    expectGroup(0, 41, false, 41);
}

TEST_F(MainWindowTest, MuteToggleOfAGroupAtLevelZeroChangesNothing) {
    moveMaster(2, 0);
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(window->muteButton(2), Qt::LeftButton);
        expectGroup(2, 0, true, 0);
    }
}

TEST_F(MainWindowTest, HotkeysStepEachGroupWithinZeroAndItsLimit) {
    struct Case {
        Qt::Key key;
        int group;
        int start;
        int limit;
        int expected;
    };
    for (const Case& c : {Case{Qt::Key_Q, 0, 10, 84, 11}, Case{Qt::Key_Q, 0, 60, 60, 60},
                          Case{Qt::Key_A, 0, 0, 84, 0}, Case{Qt::Key_W, 1, 83, 84, 84},
                          Case{Qt::Key_S, 1, 1, 84, 0}, Case{Qt::Key_E, 2, 69, 70, 70},
                          Case{Qt::Key_D, 2, 20, 70, 19}}) {
        liveParams.volumeLimit[2 * c.group + 1] = static_cast<std::uint8_t>(c.limit);
        moveMaster(c.group, c.start);
        type(c.key);
        expectGroup(c.group, c.expected, c.expected == 0, c.expected);
    }
    // With a panel open the keys do nothing.
    moveMaster(0, 10);
    g_bHotkeysEnabled = 0;
    type(Qt::Key_Q);
    expectGroup(0, 10, false, 10);
}

TEST_F(MainWindowTest, ScenesLatchTheirButtonsAndManualReturnsToTheLastManualScene) {
    QTest::mouseClick(button(CZELDlgDlg::IdDancing), Qt::LeftButton);
    EXPECT_EQ(liveParams.scene, 2);
    EXPECT_EQ(liveParams.lastManualScene, 2);
    QTest::mouseClick(button(CZELDlgDlg::IdAuto), Qt::LeftButton);
    EXPECT_EQ(liveParams.scene, 0);
    EXPECT_TRUE(button(CZELDlgDlg::IdAuto)->isPressed());
    EXPECT_FALSE(button(CZELDlgDlg::IdDancing)->isEnabled());
    EXPECT_FALSE(button(CZELDlgDlg::IdSinging)->isEnabled());

    // A change behind the page: MANUAL tells the panels without reloading them.
    CPanelDlg* music = window->panelOfPage(0);
    const QString shownGain = music->strip(0)->gainEdit()->text();
    liveParams.dance.eqBand[0].gain = 300;
    QTest::mouseClick(button(CZELDlgDlg::IdManual), Qt::LeftButton);
    EXPECT_EQ(liveParams.scene, 2);
    EXPECT_TRUE(button(CZELDlgDlg::IdManual)->isPressed());
    EXPECT_FALSE(button(CZELDlgDlg::IdAuto)->isPressed());
    EXPECT_TRUE(button(CZELDlgDlg::IdDancing)->isPressed());
    EXPECT_FALSE(button(CZELDlgDlg::IdSinging)->isPressed());
    EXPECT_TRUE(button(CZELDlgDlg::IdSinging)->isEnabled());
    EXPECT_EQ(music->strip(0)->gainEdit()->text(), shownGain);
    // A press on the scene already selected changes nothing, SINGING reloads.
    QTest::mouseClick(button(CZELDlgDlg::IdDancing), Qt::LeftButton);
    EXPECT_EQ(music->strip(0)->gainEdit()->text(), shownGain);
    QTest::mouseClick(button(CZELDlgDlg::IdSinging), Qt::LeftButton);
    EXPECT_EQ(liveParams.scene, 1);
    EXPECT_EQ(liveParams.lastManualScene, 1);
    EXPECT_TRUE(button(CZELDlgDlg::IdSinging)->isPressed());
    EXPECT_FALSE(button(CZELDlgDlg::IdDancing)->isPressed());
}

TEST_F(MainWindowTest, SceneCopyReloadsThePagesOnlyWhenTheSceneShownIsTheTarget) {
    CPanelDlg* music = window->panelOfPage(0);
    ASSERT_EQ(liveParams.scene, 1);
    liveParams.eqBand[3].gain = 300; // +6 dB in Singing, not yet on screen
    const QString shown = music->strip(3)->gainEdit()->text();

    window->onCommand(CZELDlgDlg::IdCopySingingToDance);
    EXPECT_EQ(liveParams.dance.eqBand[3].gain, 300);
    EXPECT_EQ(music->strip(3)->gainEdit()->text(), shown);

    liveParams.dance.eqBand[3].gain = 120;
    window->onCommand(CZELDlgDlg::IdCopyDanceToSinging);
    EXPECT_EQ(liveParams.eqBand[3].gain, 120);
    EXPECT_EQ(music->strip(3)->gainEdit()->text(), QStringLiteral("-12.0"));
    EXPECT_EQ(liveParams.scene, 1);
}

TEST_F(MainWindowTest, AllMuteTwiceMutesThenUnmutesAndClearsSolosBothTimes) {
    window->SetOutputSolo(2, 1);
    for (int j = 0; j < 6; ++j) {
        EXPECT_EQ(liveParams.outputMute[j], j == 2 ? 0 : 1) << j;
        EXPECT_EQ(liveParams.outputSolo[j], j == 2 ? 1 : 0) << j;
    }
    EXPECT_FALSE(button(CZELDlgDlg::IdAllMute)->isPressed());

    for (const int muted : {1, 0}) {
        QTest::mouseClick(button(CZELDlgDlg::IdAllMute), Qt::LeftButton);
        EXPECT_EQ(button(CZELDlgDlg::IdAllMute)->isPressed(), muted == 1);
        for (int j = 0; j < 6; ++j) {
            EXPECT_EQ(liveParams.outputMute[j], muted) << j;
            EXPECT_EQ(liveParams.outputSolo[j], 0) << j;
        }
        if (muted == 1)
            liveParams.outputSolo[4] = 1; // a solo flag between the presses is cleared too
    }
    // Muting the six one by one latches ALL MUTE.
    for (int j = 0; j < 6; ++j)
        window->SetOutputMute(j, 1);
    EXPECT_TRUE(button(CZELDlgDlg::IdAllMute)->isPressed());
}

TEST_F(MainWindowTest, KeysInAnEntryReachTheHotkeysAndEnterOnlyMovesTheFocus) {
    moveMaster(0, 30);
    CNumEdit* gain = window->panelOfPage(0)->strip(2)->gainEdit();
    gain->setFocus();
    ASSERT_TRUE(gain->hasFocus());

    key(gain, Qt::Key_A);
    expectGroup(0, 29, false, 29);
    key(gain, Qt::Key_Tab);
    EXPECT_TRUE(gain->hasFocus()) << "Tab moves nothing";

    // Typed text is committed when Enter takes the focus away; the window stays.
    gain->selectAll();
    QTest::keyClicks(gain, QStringLiteral("3"));
    key(gain, Qt::Key_Return);
    EXPECT_TRUE(window->hasFocus());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(liveParams.eqBand[2].gain, 270);
    type(Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, LanguageSwitchSetsEveryTextAndTheMenuCaptionFollowsTheSystem) {
    struct Case {
        std::uint32_t lcid;
        int chinese;
        const char* languageItem;
        const char* allMute;
        const char* page0;
        const char* title;
        const char* compressor; // a group title of the music page
    };
    for (const Case& c :
         {Case{0x0409, 0, "Chinese", "ALL MUTE", "MUSIC", "ZEL V1.2.9----State:OFF-Line",
               "Compressor"},
          Case{0x0804, 0, "中文", "ALL MUTE", "MUSIC", "ZEL V1.2.9----State:OFF-Line",
               "Compressor"},
          Case{0x0404, 1, "English", "总静音", "音乐", "ZEL软件V1.2.9----状态：离线", "压限器"}}) {
        g_systemLcid = c.lcid;
        g_bChinese = c.chinese;
        window->ApplyLanguage();
        EXPECT_EQ(window->menuAction(CZELDlgDlg::IdMenuLanguage)->text(),
                  QString::fromUtf8(c.languageItem));
        EXPECT_EQ(button(CZELDlgDlg::IdAllMute)->text(), QString::fromUtf8(c.allMute));
        EXPECT_EQ(button(CZELDlgDlg::IdFirstPageButton)->text(), QString::fromUtf8(c.page0));
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(c.title));
        auto* group = qobject_cast<QGroupBox*>(findControl(window->panelOfPage(0), 3003));
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), QString::fromUtf8(c.compressor));
    }
    // The menu command flips and stores the choice.
    ASSERT_TRUE(UserSettings::keyExists(kLanguageKey)) << "created when the window came up";
    g_bChinese = 0;
    window->onCommand(CZELDlgDlg::IdMenuLanguage);
    EXPECT_EQ(g_bChinese, 1);
    EXPECT_EQ(UserSettings::readDword(kLanguageKey, kLanguageValue), 1u);
    EXPECT_EQ(window->menuAction(ID_LINK_CONNECT)->text(), QString::fromUtf8("连接"));
    EXPECT_EQ(button(CZELDlgDlg::IdCopy)->text(), QString::fromUtf8("拷贝"));
}

TEST_F(MainWindowTest, LanguageSwitchKeepsTheLinkStateOfTheTitle) {
    // A port open and being synchronised: the title says so in either language.
    window->controller().ShowLinkState(1, 1);
    g_bConnected = 1;
    window->ToggleLanguage();
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("ZEL软件V1.2.9----等待同步数据"));
    window->ToggleLanguage();
    EXPECT_EQ(window->windowTitle(), QString("ZEL V1.2.9----Waiting for synchronization data"));
    g_bConnected = 0;
    window->controller().ShowLinkState(-1, 0);
    window->ToggleLanguage();
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("ZEL软件V1.2.9----状态：离线"));
}

TEST_F(MainWindowTest, HotkeyHelpShowsTheTextOfTheLanguageWithOkOnly) {
    for (const int chinese : {0, 1}) {
        g_bChinese = chinese;
        CHelpDlg help(window.get());
        EXPECT_EQ(help.windowTitle(), chinese ? QString::fromUtf8("帮助") : QString("Help"));
        EXPECT_EQ(help.okButton()->text(), chinese ? QString::fromUtf8("确定") : QString("OK"));
        const QString text = help.textLabel()->text();
        EXPECT_TRUE(text.startsWith(chinese
                                        ? QString::fromUtf8("快捷键说明\n1、音乐总音量增大：Q\n")
                                        : QString("Hotkey\n1   Music Total volume increase:Q\n")));
        EXPECT_TRUE(text.endsWith(chinese ? QString::fromUtf8("10、总输出静音：      M")
                                          : QString("10 Total volume mute:      M")));
        EXPECT_EQ(text.count(QLatin1Char('\n')), 10);
        // Every line shows, above the button, inside the box.
        EXPECT_LE(help.textLabel()->sizeHint().height(), help.textLabel()->height());
        EXPECT_LE(help.textLabel()->geometry().bottom(), help.okButton()->geometry().top());
        EXPECT_LE(help.okButton()->geometry().bottom(), help.height());
    }
}

TEST_F(MainWindowTest, EveryPageAndPanelIsReachable) {
    EXPECT_TRUE(button(CZELDlgDlg::IdFirstPageButton)->isPressed());
    for (int k = 0; k < 11; ++k) {
        EXPECT_TRUE(button(CZELDlgDlg::IdFirstPageButton + k)->isEnabled()) << k;
        EXPECT_NE(window->panelOfPage(k), nullptr) << k;
    }
    EXPECT_TRUE(window->menuAction(CZELDlgDlg::IdMenuVolumePanel)->isEnabled());
    EXPECT_TRUE(window->menuAction(CZELDlgDlg::IdMenuSystemPanel)->isEnabled());
    EXPECT_TRUE(window->panelOfPage(0)->isVisible());
    EXPECT_EQ(g_currentPage, 0);
}

class StartUpFolderTest : public MainWindowFixture {};

TEST_F(StartUpFolderTest, MusicDataIsCreatedWhenMissingAndLeftAloneOtherwise) {
    namespace fs = std::filesystem;
    const fs::path here = fs::current_path();
    const fs::path folder = here / "MusicData";

    openWindow();
    EXPECT_TRUE(fs::is_directory(folder));
    window.reset();

    // A folder with a mode in it, and a file of that name, stay as they are.
    std::ofstream(folder / "room.dat") << "x";
    openWindow();
    EXPECT_TRUE(fs::exists(folder / "room.dat"));
    window.reset();
    fs::remove_all(folder);
    std::ofstream(folder) << "not a folder";
    openWindow();
    EXPECT_TRUE(fs::is_regular_file(folder));
}

} // namespace
} // namespace zel::test
