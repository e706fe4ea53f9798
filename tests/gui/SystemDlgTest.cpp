// The System panel off-line: passwords, the user/administrator switch, the device modes,
// the PC mode grid, and the page's busy state with the link's reports and a lost link. A
// port counts as open (nothing runs it), so the commands stay in the queue to be read.
#include "MainWindowFixture.h"

#include "app/TextTables.h"
#include "gui/modes/SystemDlg.h"
#include "gui/widgets/GridList.h"
#include "link/Command.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cstring>

namespace zel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SystemDlgTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        openWindow();
        setMessageSink([this](std::string_view text) { messages.emplace_back(text); });
        g_bConnected = 1;
        panel = std::make_unique<CSystemDlg>(window->controller(), window.get());
        showActive(*panel);
    }
    void TearDown() override {
        panel.reset();
        window->command().clearQueue();
        g_bConnected = 0;
        setMessageSink({});
        MainWindowFixture::TearDown();
    }

    template <class T> T* item(int id) {
        auto* w = qobject_cast<T*>(panel->control(id));
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    void click(int id) { QTest::mouseClick(item<QAbstractButton>(id), Qt::LeftButton); }
    void type(int id, const QString& text) {
        QLineEdit* edit = item<QLineEdit>(id);
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    // The short frames queued so far, taken from the queue.
    std::vector<Bytes> sent() {
        std::vector<Bytes> out;
        FrameRecord r;
        while (window->command().takeHead(r) == 1)
            out.emplace_back(r.bytes, r.bytes + r.shortFrameLength());
        return out;
    }
    static QString adminPassword() {
        QString s;
        for (std::uint8_t d : liveParams.adminPassword)
            s += QChar('0' + d);
        return s;
    }
    // The password with its last digit changed.
    static QString wrongPassword() {
        QString s = adminPassword();
        s[5] = QChar(s[5] == QChar('9') ? '0' : s[5].unicode() + 1);
        return s;
    }

    std::vector<std::string> messages;
    std::unique_ptr<CSystemDlg> panel;
};

TEST_F(SystemDlgTest, OpensLockedWithTheStoreShownAndRegisteredWithTheLink) {
    EXPECT_EQ(window->command().systemPanel(), panel.get());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("System Panel"));
    EXPECT_FALSE(item<QRadioButton>(CSystemDlg::IdUser)->isEnabled());
    EXPECT_FALSE(item<QRadioButton>(CSystemDlg::IdAdministrator)->isEnabled());
    EXPECT_TRUE(
        item<QRadioButton>(liveParams.userMode ? CSystemDlg::IdAdministrator : CSystemDlg::IdUser)
            ->isChecked());
    for (int id :
         {CSystemDlg::IdNewPassword, CSystemDlg::IdConfirmPassword, CSystemDlg::IdChangePassword})
        EXPECT_FALSE(panel->control(id)->isEnabled()) << id;
    EXPECT_TRUE(item<QRadioButton>(CSystemDlg::IdFirstPartRadio)->isChecked());
    EXPECT_EQ(panel->grid()->horizontalHeaderItem(0)->text(), QStringLiteral("Number"));
    EXPECT_EQ(panel->grid()->horizontalHeaderItem(1)->text(), QStringLiteral("Mode Name"));
    EXPECT_FALSE(panel->progressBar()->isVisible());
    panel.reset();
    EXPECT_EQ(window->command().systemPanel(), nullptr);
}

TEST_F(SystemDlgTest, UnlockChecksLengthThenEveryDigit) {
    struct Case {
        const char* name;
        QString typed;
        const char* message;
        QString textAfter;
        bool unlocked;
    };
    const Case cases[] = {
        {"five digits", adminPassword().left(5), "Password length error!", adminPassword().left(5),
         false},
        {"wrong last digit", wrongPassword(), "Password error!", QString(), false},
        {"right password", adminPassword(), "Correct password!", QString(), true},
    };
    for (const Case& c : cases) {
        messages.clear();
        QLineEdit* edit = item<QLineEdit>(CSystemDlg::IdPassword);
        edit->clear();
        type(CSystemDlg::IdPassword, c.typed);
        click(CSystemDlg::IdUnlock);
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.name;
        EXPECT_EQ(edit->text(), c.textAfter) << c.name;
        EXPECT_EQ(item<QRadioButton>(CSystemDlg::IdAdministrator)->isEnabled(), c.unlocked)
            << c.name;
    }
    EXPECT_TRUE(sent().empty());
}

TEST_F(SystemDlgTest, PasswordEditsTakeDigitsOnlyAndSixAtMost) {
    type(CSystemDlg::IdPassword, QStringLiteral("1a2-3 4567"));
    EXPECT_EQ(item<QLineEdit>(CSystemDlg::IdPassword)->text(), QStringLiteral("123456"));
}

TEST_F(SystemDlgTest, RadioSendsOneUserModeCommandOnlyOnAChange) {
    liveParams.userMode = 0;
    panel = std::make_unique<CSystemDlg>(window->controller(), window.get());
    showActive(*panel);
    type(CSystemDlg::IdPassword, adminPassword());
    click(CSystemDlg::IdUnlock);

    click(CSystemDlg::IdUser); // already active
    EXPECT_TRUE(sent().empty());
    click(CSystemDlg::IdAdministrator);
    EXPECT_EQ(liveParams.userMode, 1);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xFF, 0x55, 0x03, 0x35, 0x01, 0x39}}));
    click(CSystemDlg::IdAdministrator);
    EXPECT_TRUE(sent().empty());
}

TEST_F(SystemDlgTest, OldPasswordIsCheckedAtTheSixthDigitOnly) {
    for (const QString& typed : {wrongPassword(), adminPassword()}) {
        messages.clear();
        QLineEdit* old = item<QLineEdit>(CSystemDlg::IdOldPassword);
        old->clear();
        old->setFocus();
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(old, typed[i].toLatin1());
        EXPECT_TRUE(messages.empty()) << "no message before the sixth digit";
        QTest::keyClick(old, typed[5].toLatin1());
        const bool right = typed == adminPassword();
        EXPECT_EQ(messages, std::vector<std::string>{right ? "The old password is correct!"
                                                           : "Password error!"});
        EXPECT_EQ(panel->control(CSystemDlg::IdNewPassword)->isEnabled(), right);
    }
    EXPECT_EQ(panel->focusWidget(), panel->control(CSystemDlg::IdNewPassword));
}

TEST_F(SystemDlgTest, PasswordChangeStoresAndSendsOnlyAConsistentSixDigitPassword) {
    type(CSystemDlg::IdOldPassword, adminPassword());
    const QString before = adminPassword();
    struct Case {
        QString next, confirm;
        const char* message;
    };
    const Case cases[] = {
        {QStringLiteral("123456"), QStringLiteral("123457"),
         "Two times the password is not consistent, please re-enter!"},
        {QStringLiteral("12345"), QStringLiteral("12345"), "Password length error!"},
    };
    for (const Case& c : cases) {
        messages.clear();
        item<QLineEdit>(CSystemDlg::IdNewPassword)->setText(c.next);
        item<QLineEdit>(CSystemDlg::IdConfirmPassword)->setText(c.confirm);
        click(CSystemDlg::IdChangePassword);
        EXPECT_EQ(messages, std::vector<std::string>{c.message});
        EXPECT_EQ(adminPassword(), before);
        EXPECT_TRUE(sent().empty());
    }
    messages.clear();
    item<QLineEdit>(CSystemDlg::IdNewPassword)->setText(QStringLiteral("135790"));
    item<QLineEdit>(CSystemDlg::IdConfirmPassword)->setText(QStringLiteral("135790"));
    click(CSystemDlg::IdChangePassword);
    EXPECT_EQ(messages, std::vector<std::string>{"Change password success!"});
    EXPECT_EQ(adminPassword(), QStringLiteral("135790"));
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xFF, 0x55, 0x05, 0x34, 0x31, 0x75, 0x09, 0xE8}}));
}

TEST_F(SystemDlgTest, DeviceModeNameIsStoredPaddedSentAndListed) {
    std::memset(liveParams.modeName, ' ', sizeof liveParams.modeName);
    liveParams.currentMode = 0;
    panel = std::make_unique<CSystemDlg>(window->controller(), window.get());
    showActive(*panel);
    auto* list = item<QComboBox>(CSystemDlg::IdModeList);
    list->setCurrentIndex(2);
    QLineEdit* name = item<QLineEdit>(CSystemDlg::IdModeName);
    name->setText(QStringLiteral("abc"));
    click(CSystemDlg::IdSaveModeName);

    EXPECT_EQ(std::string(liveParams.modeName[2], kModeNameLength), "abc" + std::string(17, ' '));
    EXPECT_EQ(liveParams.currentMode, 2);
    Bytes frame = {0xFF, 0x55, 0x17, 0x37, 0x02, 'a', 'b', 'c'};
    frame.resize(frame.size() + 17, ' ');
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < frame.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + frame[i]);
    frame.push_back(sum);
    EXPECT_EQ(sent(), std::vector<Bytes>{frame});

    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    EXPECT_EQ(texts, (QStringList{"1-", "2-", "3-abc", "4-", "5-", "6-"}));
    EXPECT_EQ(list->currentIndex(), 2);

    panel->post(WM_SYSTEM_COMMAND_ACK, 0, 0);
    deliver();
    EXPECT_EQ(messages, std::vector<std::string>{"Save mode success"});
}

// Names are kept in the processor's code page: a Chinese name goes out as GBK, is listed as
// typed, and one that takes more than 20 bytes there is refused with nothing stored or sent.
TEST_F(SystemDlgTest, DeviceModeNamesAreKeptInTheProcessorsCodePage) {
    std::memset(liveParams.modeName, ' ', sizeof liveParams.modeName);
    panel = std::make_unique<CSystemDlg>(window->controller(), window.get());
    showActive(*panel);
    auto* list = item<QComboBox>(CSystemDlg::IdModeList);
    list->setCurrentIndex(1);
    QLineEdit* name = item<QLineEdit>(CSystemDlg::IdModeName);
    name->setText(QString::fromUtf8("大厅"));
    click(CSystemDlg::IdSaveModeName);
    EXPECT_EQ(std::string(liveParams.modeName[1], kModeNameLength),
              "\xB4\xF3\xCC\xFC" + std::string(16, ' '));
    EXPECT_EQ(list->itemText(1), QString::fromUtf8("2-大厅"));
    EXPECT_EQ(sent().size(), 1u);

    name->setText(QString::fromUtf8("一二三四五六七八九十一"));
    click(CSystemDlg::IdSaveModeName);
    EXPECT_EQ(std::string(liveParams.modeName[1], kModeNameLength),
              "\xB4\xF3\xCC\xFC" + std::string(16, ' '));
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("22"), std::string::npos) << messages[0];
}

TEST_F(SystemDlgTest, DeviceModeLoadWaitsForTheSynchronisation) {
    item<QComboBox>(CSystemDlg::IdModeList)->setCurrentIndex(3);
    click(CSystemDlg::IdLoadMode);
    EXPECT_EQ(liveParams.currentMode, 3);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xFF, 0x55, 0x03, 0x38, 0x03, 0x3E},
                                          {0xFF, 0x55, 0x03, 0xAA, 0xBB, 0x68}}));
    EXPECT_FALSE(panel->page()->isEnabled());

    panel->post(WM_SYSTEM_SYNCED, 0, 0);
    deliver();
    EXPECT_TRUE(panel->page()->isEnabled());
    EXPECT_EQ(messages, std::vector<std::string>{"Load mode success"});
}

TEST_F(SystemDlgTest, OffLineCommandsChangeTheStoreAndLeaveThePageEnabled) {
    g_bConnected = 0;
    item<QComboBox>(CSystemDlg::IdModeList)->setCurrentIndex(4);
    click(CSystemDlg::IdLoadMode);
    EXPECT_EQ(liveParams.currentMode, 4);
    EXPECT_TRUE(panel->page()->isEnabled());
    EXPECT_TRUE(sent().empty());
}

TEST_F(SystemDlgTest, GridListsSavedModesAndReportsTheSelectedRow) {
    panel->setConfirmer([](const std::string&) { return true; });
    QLineEdit* name = item<QLineEdit>(CSystemDlg::IdPcModeName);
    for (const char* n : {"room", "hall.dat"}) {
        name->setText(QString::fromUtf8(n));
        click(CSystemDlg::IdSaveInPc);
    }
    EXPECT_EQ(messages,
              (std::vector<std::string>{"Save moderoomsuccess", "Save modehall.datsuccess"}));
    CGridList* grid = panel->grid();
    ASSERT_EQ(grid->rowCount(), 2);
    QStringList names;
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(grid->item(k, 0)->text(), QString::number(k + 1));
        names << grid->item(k, 1)->text();
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{"hall.dat", "room.dat"}));

    // A click on the second row selects it and shows its name.
    const QRect second = grid->visualItemRect(grid->item(1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(panel->library().selectedRow(), 2);
    EXPECT_EQ(name->text(), grid->item(1, 1)->text());

    const QString kept = grid->item(0, 1)->text();
    click(CSystemDlg::IdDelete);
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), kept);
    EXPECT_EQ(grid->selectedRow(), 1);
}

TEST_F(SystemDlgTest, UploadShowsProgressAndALostLinkSaysItDidNotFinish) {
    panel->setConfirmer([](const std::string&) { return true; });
    item<QLineEdit>(CSystemDlg::IdPcModeName)->setText(QStringLiteral("room"));
    click(CSystemDlg::IdSaveInPc);
    messages.clear();
    click(CSystemDlg::IdUpload);
    EXPECT_EQ(panel->busy(), CSystemDlg::Busy::Upload);
    EXPECT_FALSE(panel->page()->isEnabled());
    EXPECT_TRUE(panel->progressBar()->isVisible());
    EXPECT_EQ(panel->progressBar()->maximum(), 347);
    EXPECT_EQ(window->command().queuedCount(), 347);

    // The link is lost before the last frame was answered.
    window->post(WM_LINK_FAILED, 0, 0);
    deliver();
    EXPECT_EQ(g_bConnected.load(), 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ZEL V1.2.9----State:OFF-Line"));
    EXPECT_TRUE(panel->page()->isEnabled());
    EXPECT_FALSE(panel->progressBar()->isVisible());
    EXPECT_TRUE(panel->statusLabel()->text().contains(QStringLiteral("did not finish")))
        << panel->statusLabel()->text().toStdString();
    EXPECT_TRUE(messages.empty());
}

TEST_F(SystemDlgTest, MessagesFollowTheLanguage) {
    panel.reset();
    g_bChinese = 1;
    panel = std::make_unique<CSystemDlg>(window->controller(), window.get());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("系统面板"));
    EXPECT_EQ(item<QAbstractButton>(CSystemDlg::IdUpload)->text(),
              QStringLiteral("上传模式到设备"));
    type(CSystemDlg::IdPassword, QStringLiteral("1"));
    click(CSystemDlg::IdUnlock);
    panel->post(WM_SYSTEM_SYNCED, 0, 0);
    deliver();
    EXPECT_EQ(messages, (std::vector<std::string>{"密码长度错误!", "调用模式成功"}));
}

TEST_F(SystemDlgTest, MenuRunsThePanelModallyWithTheHotkeysOff) {
    panel.reset();
    int hotkeys = -1;
    MessageTarget* registered = nullptr;
    QTimer::singleShot(0, [&] {
        auto* open = qobject_cast<CSystemDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        hotkeys = g_bHotkeysEnabled;
        registered = window->command().systemPanel();
        open->reject();
    });
    window->onCommand(CZELDlgDlg::IdMenuSystemPanel);
    EXPECT_EQ(hotkeys, 0);
    EXPECT_NE(registered, nullptr);
    EXPECT_EQ(window->command().systemPanel(), nullptr);
    EXPECT_EQ(g_bHotkeysEnabled, 1);
    EXPECT_TRUE(window->menuAction(CZELDlgDlg::IdMenuSystemPanel)->isEnabled());
}

} // namespace
} // namespace zel::test
