// CSystemDlg: the System panel's controls, its handlers and the link's reports to it.
#include "gui/modes/SystemDlg.h"

#include "app/ConnectionController.h"
#include "app/TextTables.h"
#include "gui/ControlId.h"
#include "gui/widgets/GridList.h"
#include "link/Command.h"
#include "model/DataConver.h"
#include "model/Globals.h"
#include "model/StoreWrite.h"
#include "modes/ModeFile.h"
#include "modes/ModeName.h"
#include "modes/ModePaths.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

namespace zel {

namespace {

constexpr int kPasswordDigits = 6;
constexpr int kNameLength = 20;

// Group boxes and captions; the controls take their ids from CSystemDlg.
constexpr int IdUserGroup = 1346;
constexpr int IdPasswordCaption = 1347;
constexpr int IdPasswordGroup = 1348;
constexpr int IdOldCaption = 1349;
constexpr int IdNewCaption = 1350;
constexpr int IdConfirmCaption = 1351;
constexpr int IdModeGroup = 1352;
constexpr int IdModeCaption = 1353;
constexpr int IdNameCaption = 1354;
constexpr int IdPcGroup = 1355;
constexpr int IdPcNameCaption = 1356;

struct ControlText {
    int id;
    const char* cn;
    const char* en;
};

constexpr ControlText kTexts[] = {
    {IdUserGroup, "选择：用户/管理模式", "User/Administrator Mode"},
    {IdPasswordCaption, "密码", "Password"},
    {CSystemDlg::IdUser, "用户", "User"},
    {CSystemDlg::IdAdministrator, "管理员", "Administrators"},
    {CSystemDlg::IdUnlock, "OK", "OK"},
    {IdPasswordGroup, "修改密码", "Edit Password"},
    {IdOldCaption, "旧密码", "Old Password"},
    {IdNewCaption, "新密码", "New Password"},
    {IdConfirmCaption, "确认密码", "Confirm Password"},
    {CSystemDlg::IdChangePassword, "OK", "OK"},
    {IdModeGroup, "修改设备模式", "Edit Equipment Mode"},
    {IdModeCaption, "模式", "Mode"},
    {IdNameCaption, "名称", "Name"},
    {CSystemDlg::IdLoadMode, "调用模式", "Load"},
    {CSystemDlg::IdSaveModeName, "保存模式", "Save"},
    {IdPcGroup, "电脑存储模式", "PC Mode"},
    {IdPcNameCaption, "模式名称", "Mode name"},
    {CSystemDlg::IdSaveInPc, "存储模式到电脑", "Save in PC"},
    {CSystemDlg::IdDelete, "删除模式", "Delete"},
    {CSystemDlg::IdUpload, "上传模式到设备", "Upload to Equipment"},
    {CSystemDlg::IdFirstPartRadio + 0, "上传全部参数", "UpLoad All Data"},
    {CSystemDlg::IdFirstPartRadio + 1, "上传音乐参数", "UpLoad Music Data"},
    {CSystemDlg::IdFirstPartRadio + 2, "上传 话筒A 效果 A 参数", "UpLoad MIC A And Effect A Data"},
    {CSystemDlg::IdFirstPartRadio + 3, "上传 话筒B 效果 B 参数", "UpLoad MIC B And Effect B Data"},
    {CSystemDlg::IdFirstPartRadio + 4, "上传输出设置参数", "UpLoad OutPut Data"},
    {CSystemDlg::IdFirstPartRadio + 5, "上传系统设置参数", "UpLoad System Data"},
};

QString tr2(const char* cn, const char* en) {
    return QString::fromUtf8(g_bChinese ? cn : en);
}

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// Whether `text` is the administrator password: six characters, each the stored digit.
bool isAdminPassword(const QString& text) {
    if (text.size() != kPasswordDigits)
        return false;
    for (int i = 0; i < kPasswordDigits; ++i)
        if (text[i] != QChar('0' + storeRead(liveParams.adminPassword[i])))
            return false;
    return true;
}

std::uint8_t& nameByte(int mode, int i) {
    // Mode names are bytes to the store: single characters go through the byte path.
    return reinterpret_cast<std::uint8_t&>(liveParams.modeName[mode][i]);
}

std::string storedModeName(int mode) {
    char bytes[kNameLength];
    for (int i = 0; i < kNameLength; ++i)
        bytes[i] = static_cast<char>(storeRead(nameByte(mode, i)));
    return decodeModeName(bytes, kNameLength);
}

int storedCurrentMode() {
    return std::clamp(int{storeRead(liveParams.currentMode)}, 0, kModeCount - 1);
}

} // namespace

CSystemDlg::CSystemDlg(CConnectionController& controller, QWidget* parent)
    : CSystemDlg(controller, g_modeFolder, parent) {}

CSystemDlg::CSystemDlg(CConnectionController& controller, std::filesystem::path modeFolder,
                       QWidget* parent)
    : MessageWindow<QDialog>(parent), m_controller(controller),
      m_library(*this, std::move(modeFolder)) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    createControls();
    applyTexts();
    // Initial state: locked switch, old password not yet confirmed, the store's choices.
    showUserMode();
    refillModeList();
    m_library.listModes();
    setStatus({});
    applyState();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    if (g_pCommand)
        g_pCommand->setSystemPanel(this);
}

CSystemDlg::~CSystemDlg() {
    if (g_pCommand && g_pCommand->systemPanel() == this)
        g_pCommand->setSystemPanel(nullptr);
}

void CSystemDlg::createControls() {
    auto* outer = new QVBoxLayout(this);
    m_page = new QWidget(this);
    outer->addWidget(m_page);
    auto* grid = new QGridLayout(m_page);
    grid->setContentsMargins(0, 0, 0, 0);

    auto group = [this](int id) {
        auto* box = new QGroupBox(m_page);
        setControlId(box, id);
        return box;
    };
    auto label = [](QWidget* parent, int id) {
        auto* l = new QLabel(parent);
        setControlId(l, id);
        return l;
    };
    auto button = [](QWidget* parent, int id) {
        auto* b = new QPushButton(parent);
        setControlId(b, id);
        b->setAutoDefault(false);
        return b;
    };
    auto passwordEdit = [](QWidget* parent, int id) {
        auto* e = new QLineEdit(parent);
        setControlId(e, id);
        e->setEchoMode(QLineEdit::Password);
        e->setMaxLength(kPasswordDigits);
        e->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
        return e;
    };

    // User/administrator switch.
    QGroupBox* userBox = group(IdUserGroup);
    auto* userGrid = new QGridLayout(userBox);
    m_password = passwordEdit(userBox, IdPassword);
    m_user = new QRadioButton(userBox);
    m_administrator = new QRadioButton(userBox);
    setControlId(m_user, IdUser);
    setControlId(m_administrator, IdAdministrator);
    m_userGroup = new QButtonGroup(this);
    m_userGroup->addButton(m_user, 0);
    m_userGroup->addButton(m_administrator, 1);
    QPushButton* unlockButton = button(userBox, IdUnlock);
    userGrid->addWidget(label(userBox, IdPasswordCaption), 0, 0);
    userGrid->addWidget(m_password, 0, 1);
    userGrid->addWidget(unlockButton, 0, 2);
    userGrid->addWidget(m_user, 1, 1);
    userGrid->addWidget(m_administrator, 2, 1);
    userGrid->setRowStretch(3, 1);
    connect(unlockButton, &QPushButton::clicked, this, [this] { unlock(); });
    connect(m_userGroup, &QButtonGroup::idClicked, this, [this](int id) { userModeChosen(id); });

    // Password change.
    QGroupBox* passwordBox = group(IdPasswordGroup);
    auto* passwordGrid = new QGridLayout(passwordBox);
    m_oldPassword = passwordEdit(passwordBox, IdOldPassword);
    m_newPassword = passwordEdit(passwordBox, IdNewPassword);
    m_confirmPassword = passwordEdit(passwordBox, IdConfirmPassword);
    m_changePassword = button(passwordBox, IdChangePassword);
    passwordGrid->addWidget(label(passwordBox, IdOldCaption), 0, 0);
    passwordGrid->addWidget(m_oldPassword, 0, 1);
    passwordGrid->addWidget(label(passwordBox, IdNewCaption), 1, 0);
    passwordGrid->addWidget(m_newPassword, 1, 1);
    passwordGrid->addWidget(label(passwordBox, IdConfirmCaption), 2, 0);
    passwordGrid->addWidget(m_confirmPassword, 2, 1);
    passwordGrid->addWidget(m_changePassword, 2, 2);
    connect(m_oldPassword, &QLineEdit::textChanged, this, [this] { oldPasswordEdited(); });
    connect(m_changePassword, &QPushButton::clicked, this, [this] { changePassword(); });

    // The device's modes.
    QGroupBox* modeBox = group(IdModeGroup);
    auto* modeRow = new QHBoxLayout(modeBox);
    m_modeList = new QComboBox(modeBox);
    setControlId(m_modeList, IdModeList);
    m_modeList->setMinimumContentsLength(kNameLength / 2);
    m_modeName = new QLineEdit(modeBox);
    setControlId(m_modeName, IdModeName);
    m_modeName->setMaxLength(kNameLength);
    QPushButton* loadButton = button(modeBox, IdLoadMode);
    QPushButton* saveNameButton = button(modeBox, IdSaveModeName);
    modeRow->addWidget(label(modeBox, IdModeCaption));
    modeRow->addWidget(m_modeList, 1);
    modeRow->addWidget(label(modeBox, IdNameCaption));
    modeRow->addWidget(m_modeName, 1);
    modeRow->addWidget(loadButton);
    modeRow->addWidget(saveNameButton);
    connect(m_modeList, &QComboBox::currentIndexChanged, this, [this](int i) { modeChosen(i); });
    connect(loadButton, &QPushButton::clicked, this, [this] { loadMode(); });
    connect(saveNameButton, &QPushButton::clicked, this, [this] { saveModeName(); });

    // The PC mode library.
    QGroupBox* pcBox = group(IdPcGroup);
    auto* pcRow = new QHBoxLayout(pcBox);
    m_grid = new CGridList(pcBox);
    setControlId(m_grid, IdGrid);
    m_grid->setMinimumSize(260, 200);
    auto* pcSide = new QVBoxLayout;
    m_pcModeName = new QLineEdit(pcBox);
    setControlId(m_pcModeName, IdPcModeName);
    m_pcModeName->setMaxLength(kNameLength);
    QPushButton* saveInPc = button(pcBox, IdSaveInPc);
    QPushButton* deleteButton = button(pcBox, IdDelete);
    QPushButton* uploadButton = button(pcBox, IdUpload);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(label(pcBox, IdPcNameCaption));
    nameRow->addWidget(m_pcModeName, 1);
    pcSide->addLayout(nameRow);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(saveInPc);
    buttonRow->addWidget(deleteButton);
    pcSide->addLayout(buttonRow);
    // The part radios, then the button that uploads the part chosen.
    m_partGroup = new QButtonGroup(this);
    for (int part = 0; part < kModePartCount; ++part) {
        auto* radio = new QRadioButton(pcBox);
        setControlId(radio, IdFirstPartRadio + part);
        m_partGroup->addButton(radio, part);
        pcSide->addWidget(radio);
    }
    m_partGroup->button(0)->setChecked(true);
    pcSide->addStretch(1);
    pcSide->addWidget(uploadButton);
    pcRow->addWidget(m_grid, 1);
    pcRow->addLayout(pcSide);
    connect(m_grid, &CGridList::rowSelected, this, [this](int row) { gridRowSelected(row); });
    connect(saveInPc, &QPushButton::clicked, this,
            [this] { m_library.saveMode(utf8(m_pcModeName->text())); });
    connect(deleteButton, &QPushButton::clicked, this,
            [this] { m_library.deleteMode(m_library.selectedRow()); });
    connect(uploadButton, &QPushButton::clicked, this, [this] {
        m_loadPart = std::max(0, m_partGroup->checkedId());
        setStatus({});
        m_library.uploadMode(m_library.selectedRow(), m_loadPart);
    });

    grid->addWidget(userBox, 0, 0);
    grid->addWidget(passwordBox, 0, 1);
    grid->addWidget(modeBox, 1, 0, 1, 2);
    grid->addWidget(pcBox, 2, 0, 1, 2);

    // What the page waits for: outside the page, so it stays readable while the page is off.
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, static_cast<int>(kUploadFrameCount));
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_status->setMinimumHeight(2 * m_status->fontMetrics().lineSpacing());
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The dialog keeps its size when these come and go.
    for (QWidget* w : {static_cast<QWidget*>(m_progress), static_cast<QWidget*>(m_status)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    outer->addWidget(m_progress);
    outer->addWidget(m_status);
}

void CSystemDlg::applyTexts() {
    setWindowTitle(tr2("系统面板", "System Panel"));
    for (const ControlText& t : kTexts) {
        QWidget* w = control(t.id);
        const QString text = tr2(t.cn, t.en);
        if (auto* box = qobject_cast<QGroupBox*>(w))
            box->setTitle(text);
        else if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(text);
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(text);
        // Room on both sides of a push button's text in either language.
        if (auto* push = qobject_cast<QPushButton*>(w))
            push->setMinimumWidth(push->fontMetrics().horizontalAdvance(text) + 24);
    }
    m_grid->setHeaderTexts(QString::fromStdString(CModeLibrary::headerNumber()),
                           QString::fromStdString(CModeLibrary::headerName()));
}

QWidget* CSystemDlg::control(int id) const {
    for (QWidget* w : findChildren<QWidget*>())
        if (controlId(w) == id)
            return w;
    return nullptr;
}

// Every enabled state of the page, from the page's state.
void CSystemDlg::applyState() {
    m_page->setEnabled(m_busy == Busy::None);
    m_user->setEnabled(m_unlocked);
    m_administrator->setEnabled(m_unlocked);
    m_newPassword->setEnabled(m_oldPasswordConfirmed);
    m_confirmPassword->setEnabled(m_oldPasswordConfirmed);
    m_changePassword->setEnabled(m_oldPasswordConfirmed);
    m_progress->setVisible(m_busy == Busy::Upload);
}

void CSystemDlg::setStatus(const QString& text) {
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void CSystemDlg::showUserMode() {
    const int mode = storeRead(liveParams.userMode) != 0 ? 1 : 0;
    m_userGroup->button(mode)->setChecked(true);
}

void CSystemDlg::refillModeList() {
    const QSignalBlocker quiet(m_modeList);
    m_modeList->clear();
    for (int i = 0; i < kModeCount; ++i)
        m_modeList->addItem(QStringLiteral("%1-").arg(i + 1) +
                            QString::fromStdString(storedModeName(i)));
    m_selectedMode = storedCurrentMode();
    m_modeList->setCurrentIndex(m_selectedMode);
    m_modeName->setText(QString::fromStdString(storedModeName(m_selectedMode)));
}

void CSystemDlg::unlock() {
    const QString text = m_password->text();
    if (text.size() != kPasswordDigits) {
        ShowPasswordLengthError();
        return;
    }
    if (!isAdminPassword(text)) {
        ShowPasswordError();
        m_password->clear();
        return;
    }
    m_password->clear();
    m_unlocked = true;
    applyState();
    ShowPasswordCorrect();
}

void CSystemDlg::userModeChosen(int choice) {
    if (choice == storeRead(liveParams.userMode))
        return;
    storeWrite(liveParams.userMode, static_cast<std::uint8_t>(choice));
    m_controller.SendCommand(cmd::UserMode, 0);
}

void CSystemDlg::oldPasswordEdited() {
    const QString text = m_oldPassword->text();
    if (text.size() != kPasswordDigits)
        return;
    if (!isAdminPassword(text)) {
        ShowPasswordError();
        return;
    }
    ShowOldPasswordCorrect();
    m_oldPasswordConfirmed = true;
    applyState();
    m_newPassword->setFocus(Qt::OtherFocusReason);
}

void CSystemDlg::changePassword() {
    const QString next = m_newPassword->text();
    if (next != m_confirmPassword->text()) {
        ShowPasswordMismatch();
        return;
    }
    if (next.size() != kPasswordDigits) {
        ShowPasswordLengthError();
        return;
    }
    for (int i = 0; i < kPasswordDigits; ++i)
        storeWrite(liveParams.adminPassword[i], static_cast<std::uint8_t>(next[i].unicode() - '0'));
    m_controller.SendCommand(cmd::AdminPassword, 0);
    ShowPasswordChanged();
}

void CSystemDlg::modeChosen(int mode) {
    if (mode < 0 || mode >= kModeCount)
        return;
    m_selectedMode = mode;
    m_modeName->setText(QString::fromStdString(storedModeName(mode)));
}

void CSystemDlg::loadMode() {
    const auto mode = static_cast<std::uint8_t>(m_selectedMode);
    setStatus({});
    m_controller.SendCommand(cmd::ModeLoad, mode);
    storeWrite(liveParams.currentMode, mode);
    if (g_bConnected) {
        m_busy = Busy::ModeLoad;
        setStatus(tr2("正在调用设备模式 %1 …", "Loading device mode %1 ...").arg(mode + 1));
        applyState();
    }
}

void CSystemDlg::saveModeName() {
    // The processor keeps names in its code page, space-padded to 20 bytes.
    std::string stored;
    std::string error;
    if (!encodeModeName(utf8(m_modeName->text()), stored, error)) {
        ShowMessage(error);
        return;
    }
    char bytes[kNameLength];
    std::fill(std::begin(bytes), std::end(bytes), ' ');
    std::copy(stored.begin(), stored.end(), bytes);
    const int mode = m_selectedMode;
    for (int i = 0; i < kNameLength; ++i)
        storeWrite(nameByte(mode, i), static_cast<std::uint8_t>(bytes[i]));
    storeWrite(liveParams.currentMode, static_cast<std::uint8_t>(mode));
    m_controller.SendCommand(cmd::ModeName, mode);
    refillModeList();
}

void CSystemDlg::gridRowSelected(int row) {
    m_library.selectRow(row);
    if (m_library.selectedRow() == row)
        m_pcModeName->setText(QString::fromStdString(m_library.selectedName()));
}

void CSystemDlg::enablePage() {
    if (m_busy == Busy::ModeLoad)
        setStatus(tr2("调用设备模式未完成：与设备的连接已断开。连接恢复后请再次调用。",
                      "Loading the device mode did not finish: the link to the processor was "
                      "lost. Load the mode again once it is on-line."));
    else if (m_busy == Busy::Upload)
        setStatus(tr2("上传%1未完成：与设备的连接已断开，设备只应答了 %2/%3 "
                      "帧，只收到了部分参数。连接恢复后请再次上传。",
                      "Uploading %1 did not finish: the link to the processor was lost after "
                      "%2 of the %3 frames were answered, so it holds only part of the mode. "
                      "Upload the mode again once it is on-line.")
                      .arg(QString::fromStdString(m_library.completionName()))
                      .arg(g_pCommand ? g_pCommand->uploadAnswered() : 0)
                      .arg(kUploadFrameCount));
    m_busy = Busy::None;
    applyState();
}

// ---- the mode library's requests ----

void CSystemDlg::message(const std::string& text) {
    ShowMessage(text);
}

bool CSystemDlg::confirm(const std::string& text) {
    if (m_confirmer)
        return m_confirmer(text);
    return QMessageBox::question(this, QStringLiteral("ZELDlg"), QString::fromStdString(text),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void CSystemDlg::listChanged() {
    m_grid->refill(m_library.names(), m_library.selectedRow());
}

void CSystemDlg::uploadStarted() {
    m_busy = Busy::Upload;
    m_progress->setValue(0);
    setStatus(tr2("正在上传 %1 …", "Uploading %1 ...")
                  .arg(QString::fromStdString(m_library.completionName())));
    applyState();
}

void CSystemDlg::storeChanged() {
    m_controller.RefreshFromStore();
    showUserMode();
    refillModeList();
}

// ---- the link's reports ----

LRESULT CSystemDlg::onMessage(const Message& m) {
    switch (m.id) {
    case WM_SYSTEM_SYNCED:
        m_busy = Busy::None;
        setStatus({});
        showUserMode();
        refillModeList();
        applyState();
        ShowMessage(utf8(tr2("调用模式成功", "Load mode success")));
        return 0;
    case WM_SYSTEM_COMMAND_ACK:
        ShowMessage(utf8(tr2("保存模式成功", "Save mode success")));
        return 0;
    case WM_SYSTEM_UPLOAD_PROGRESS:
        if (g_pCommand) {
            g_pCommand->uploadProgressTaken();
            if (m_busy == Busy::Upload)
                m_progress->setValue(g_pCommand->uploadAnswered());
        }
        return 0;
    case WM_SYSTEM_UPLOAD_DONE:
        m_busy = Busy::None;
        setStatus({});
        applyState();
        m_library.uploadDone();
        return 0;
    default:
        return 0;
    }
}

} // namespace zel
