// CVolueDlg: template 164 laid out in dialog units, the limit rule and the keyboard lock.
#include "gui/pages/VolueDlg.h"

#include "app/TextTables.h"
#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/pages/EditStatic.h"
#include "gui/pages/PanelDlg.h"
#include "gui/pages/PanelHost.h"
#include "gui/res/BitmapIds.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "link/Command.h"
#include "model/DataConver.h"
#include "model/Globals.h"
#include "model/MasterLimit.h"
#include "model/StoreWrite.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace zel {

namespace {

constexpr std::array<ControlText, 20> kTexts = {{
    {3800, "系统音量限制", "System Volume Limit"},
    {3822, "音乐起始音量", "Music Start Volume"},
    {3823, "音乐最大音量", "Music Limit Volume"},
    {3824, "话筒起始音量", "MIC Start Volume"},
    {3825, "话筒最大音量", "MIC Limit Volume"},
    {3718, "效果起始音量", "Effect Start Volume"},
    {3719, "效果最大音量", "Effect Limit Volume"},
    {3801, "录音输出音量控制", "Record Output Volume Control"},
    {3826, "音乐音量", "Music Gain"},
    {3827, "直达声音量", "Direct Gain"},
    {3828, "回声效果音量", "ECHO Gain"},
    {3829, "混响效果音量", "Reverb Gain"},
    {3802, "自动键盘锁", "Keyboard Lock "},
    {3820, "密码", "PassWord"},
    {CVolueDlg::IdConfirm, "确定", "OK"},
    {CVolueDlg::IdEnable, "开启", "Enable"},
    {CVolueDlg::IdDisable, "禁用", "Disable"},
    {3821, "修改密码", "New PassWord"},
    {CVolueDlg::IdModify, "修改", "Modify"},
    {0, "音量面板", "System Volume Control"}, // the title
}};

// Limit rows in volumeLimit order: caption, label, slider, highest volume.
struct LimitRow {
    int captionId;
    int labelId;
    int sliderId;
    int max;
};
constexpr std::array<LimitRow, 6> kLimitRows = {{
    {3822, 3830, 3840, 84},
    {3823, 3831, 3841, 84},
    {3824, 3832, 3842, 84},
    {3825, 3833, 3843, 84},
    {3718, 3738, 3844, 70},
    {3719, 3739, 3845, 70},
}};

// Record rows in byteParam[26..29] / phase[24..27] order.
constexpr std::array<int, 4> kRecordCaptions = {3826, 3827, 3828, 3829};
constexpr std::array<int, 4> kRecordLabels = {3834, 3835, 3836, 3837};
constexpr int kFirstRecordLevel = 26;
constexpr int kFirstRecordPhase = 24;
constexpr int kPasswordDigits = 4;

} // namespace

CVolueDlg::CVolueDlg(QWidget* parent) : MessageWindow<QDialog>(parent) {
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    setFixedSize(dialogRect(0, 0, 379, 171).size());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto place = [this](QWidget* w, int id, int x, int y, int width, int height) {
        setControlId(w, id);
        w->setGeometry(dialogRect(x, y, width, height));
    };

    // System volume limits: start and limit of a group side by side.
    place(new QGroupBox(this), 3800, 4, 2, 371, 66);
    for (std::size_t r = 0; r < kLimitRows.size(); ++r) {
        const LimitRow& l = kLimitRows[r];
        const int x = r % 2 == 0 ? 10 : 194;
        const int y = 14 + 18 * static_cast<int>(r / 2);
        addRow(l.captionId, l.labelId, l.sliderId, l.max, 1, QRect(x, y, 64, 9),
               QRect(x + 64, y - 1, 100, 11), QRect(x + 166, y, 14, 9));
    }

    // Record output: four levels with their polarities.
    place(new QGroupBox(this), 3801, 4, 72, 206, 96);
    for (std::size_t r = 0; r < 4; ++r) {
        const int y = 86 + 20 * static_cast<int>(r);
        addRow(kRecordCaptions[r], kRecordLabels[r], IdRecordSliders[r], 250, 2,
               QRect(10, y, 54, 9), QRect(64, y - 1, 100, 11), QRect(166, y, 20, 9));
        auto* polarity = new CBitmapButton(CBitmapButton::Look::Text, this);
        place(polarity, IdRecordPolarities[r], 190, y - 2, 16, 12);
        const int id = IdRecordPolarities[r];
        connect(polarity, &QAbstractButton::clicked, this, [this, id] { onCommand(id); });
    }

    // Keyboard lock.
    place(new QGroupBox(this), 3802, 214, 72, 161, 96);
    place(new QLabel(this), 3820, 220, 87, 50, 9);
    auto digitsEdit = [&](int id, int y) {
        auto* e = new QLineEdit(this);
        place(e, id, 272, y, 50, 12);
        e->setMaxLength(kPasswordDigits);
        e->setEchoMode(QLineEdit::Password);
        e->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
        return e;
    };
    auto pushButton = [&](int id, int y) {
        auto* b = new QPushButton(this);
        place(b, id, 328, y, 40, 13);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, id] { onCommand(id); });
        return b;
    };
    m_password = digitsEdit(IdPassword, 85);
    pushButton(IdConfirm, 84);
    m_enable = new QRadioButton(this);
    place(m_enable, IdEnable, 222, 110, 60, 12);
    m_disable = new QRadioButton(this);
    place(m_disable, IdDisable, 290, 110, 60, 12);
    for (QRadioButton* r : {m_enable, m_disable}) {
        const int id = controlId(r);
        connect(r, &QRadioButton::clicked, this, [this, id] { onCommand(id); });
    }
    place(new QLabel(this), 3821, 220, 139, 50, 9);
    m_newPassword = digitsEdit(IdNewPassword, 137);
    m_modify = pushButton(IdModify, 136);

    applyLanguage();
    load();
}

void CVolueDlg::addRow(int captionId, int labelId, int sliderId, int max, int step,
                       QRect captionDlu, QRect sliderDlu, QRect labelDlu) {
    auto* caption = new QLabel(this);
    setControlId(caption, captionId);
    caption->setGeometry(
        dialogRect(captionDlu.x(), captionDlu.y(), captionDlu.width(), captionDlu.height()));

    auto* s = new CBitmapSlider(this);
    setControlId(s, sliderId);
    s->setChannelBitmaps(IDB_VOLUME_CHANNEL, IDB_VOLUME_CHANNEL_LIT, true);
    s->setThumbBitmaps(IDB_PANEL_THUMB, IDB_PANEL_THUMB_ACTIVE, true);
    s->setMargins(0, 0, 0, 0);
    s->setVertical(false);
    s->setRange(0, max);
    const QRect at =
        dialogRect(sliderDlu.x(), sliderDlu.y(), sliderDlu.width(), sliderDlu.height());
    s->move(at.x(), at.y() + (at.height() - s->height()) / 2);

    auto* l = new CEditStatic(this);
    setControlId(l, labelId);
    l->setGeometry(dialogRect(labelDlu.x(), labelDlu.y(), labelDlu.width(), labelDlu.height()));
    l->setRange(0, max);
    l->setKind(kLabelInt);
    l->setUnit(step, 0, QString());
    m_rows.push_back(Row{sliderId, s, l});
}

CBitmapSlider* CVolueDlg::slider(int sliderId) const {
    for (const Row& r : m_rows)
        if (r.sliderId == sliderId)
            return r.slider;
    return nullptr;
}

CEditStatic* CVolueDlg::label(int sliderId) const {
    for (const Row& r : m_rows)
        if (r.sliderId == sliderId)
            return r.label;
    return nullptr;
}

void CVolueDlg::showRow(int sliderId, int value) {
    slider(sliderId)->setPos(value);
    label(sliderId)->setValue(value);
}

void CVolueDlg::load() {
    for (std::size_t r = 0; r < kLimitRows.size(); ++r)
        showRow(kLimitRows[r].sliderId, storeRead(liveParams.volumeLimit[r]));
    for (std::size_t r = 0; r < 4; ++r) {
        showRow(IdRecordSliders[r],
                storeRead(liveParams.byteParam[kFirstRecordLevel + static_cast<int>(r)]));
        const std::string_view t =
            PolarityText(storeRead(liveParams.phase[kFirstRecordPhase + static_cast<int>(r)]));
        qobject_cast<CBitmapButton*>(findControl(this, IdRecordPolarities[r]))
            ->setText(QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size())));
    }
    // Every opening starts locked: only the current password unlocks the lock's settings.
    setLockControlsEnabled(false);
    const std::uint8_t off = storeRead(liveParams.keyLockOff);
    m_enable->setChecked(off == 0);
    m_disable->setChecked(off == 1);
}

void CVolueDlg::applyLanguage() {
    const bool cn = g_bChinese != 0;
    for (const ControlText& t : kTexts) {
        const QString s = QString::fromUtf8(cn ? t.cn : t.en);
        if (t.id == 0) {
            setWindowTitle(s);
            continue;
        }
        setControlText(findControl(this, t.id), s);
    }
}

void CVolueDlg::setLockControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_newPassword, m_modify, m_enable, m_disable})
        w->setEnabled(enabled);
}

// ---- sliders ----

void CVolueDlg::onValueSlider(int sliderId) {
    CBitmapSlider* s = slider(sliderId);
    if (!s)
        return;
    const int pos = s->getPos();
    for (std::size_t r = 0; r < kLimitRows.size(); ++r)
        if (kLimitRows[r].sliderId == sliderId)
            return limitMoved(static_cast<int>(r), pos);
    for (std::size_t r = 0; r < 4; ++r)
        if (IdRecordSliders[r] == sliderId) {
            label(sliderId)->setValue(pos);
            storeWrite(liveParams.byteParam[kFirstRecordLevel + static_cast<int>(r)],
                       static_cast<std::uint8_t>(pos));
        }
}

void CVolueDlg::limitMoved(int index, int pos) {
    const int group = index / 2;
    const auto start = static_cast<std::size_t>(masterLimitIndex(group) - 1);
    const auto limit = static_cast<std::size_t>(masterLimitIndex(group));
    int p = pos;
    if (static_cast<std::size_t>(index) == start) {
        // A start volume never exceeds its limit.
        if (p > storeRead(liveParams.volumeLimit[limit])) {
            p = storeRead(liveParams.volumeLimit[limit]);
            slider(kLimitRows[start].sliderId)->setPos(p);
        }
        label(kLimitRows[start].sliderId)->setValue(p);
        storeWrite(liveParams.volumeLimit[start], static_cast<std::uint8_t>(p));
        return;
    }
    const auto v = static_cast<std::uint8_t>(p);
    if (p < storeRead(liveParams.volumeLimit[start])) {
        storeWrite(liveParams.volumeLimit[start], v);
        showRow(kLimitRows[start].sliderId, p);
    }
    // The master level in the main window never stays above its limit.
    if (clampMasterVolume(liveParams, group, v) && g_pPanelHost)
        g_pPanelHost->RefreshMasterLevel(group);
    label(kLimitRows[limit].sliderId)->setValue(p);
    storeWrite(liveParams.volumeLimit[limit], v);
}

// ---- buttons ----

void CVolueDlg::onCommand(int id) {
    for (std::size_t r = 0; r < 4; ++r) {
        if (IdRecordPolarities[r] != id)
            continue;
        std::uint8_t& flag = liveParams.phase[kFirstRecordPhase + static_cast<int>(r)];
        storeWrite(flag, static_cast<std::uint8_t>(storeRead(flag) != 0 ? 0 : 1));
        const std::string_view t = PolarityText(storeRead(flag));
        qobject_cast<CBitmapButton*>(findControl(this, id))
            ->setText(QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size())));
        return;
    }
    switch (id) {
    case IdConfirm:
        confirmPassword();
        return;
    case IdModify:
        modifyPassword();
        return;
    case IdEnable:
    case IdDisable:
        lockChoice();
        return;
    default:
        return;
    }
}

void CVolueDlg::confirmPassword() {
    const QString typed = m_password->text();
    if (typed.size() < kPasswordDigits) {
        ShowPasswordLengthError();
        return;
    }
    for (int i = 0; i < kPasswordDigits; ++i) {
        const QChar want(static_cast<char16_t>('0' + storeRead(liveParams.keyLockPassword[i])));
        if (typed.at(i) != want) {
            m_password->clear();
            m_password->setFocus(Qt::OtherFocusReason);
            ShowPasswordError();
            return;
        }
    }
    setLockControlsEnabled(true);
    m_newPassword->clear();
    ShowPasswordCorrect();
}

void CVolueDlg::modifyPassword() {
    const QString typed = m_newPassword->text().trimmed();
    bool digits = typed.size() == kPasswordDigits;
    for (QChar c : typed)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!digits) {
        ShowPasswordLengthError();
        return;
    }
    for (int i = 0; i < kPasswordDigits; ++i)
        storeWrite(liveParams.keyLockPassword[i],
                   static_cast<std::uint8_t>(typed.at(i).unicode() - u'0'));
    if (g_pPanelHost)
        g_pPanelHost->SendCommand(cmd::KeyLockPassword, 0);
    ShowPasswordChanged();
}

void CVolueDlg::lockChoice() {
    const auto choice = static_cast<std::uint8_t>(m_enable->isChecked() ? 0 : 1);
    if (choice == storeRead(liveParams.keyLockOff))
        return;
    storeWrite(liveParams.keyLockOff, choice);
    if (g_pPanelHost)
        g_pPanelHost->SendCommand(cmd::KeyLockOff, 0);
}

// ---- messages and keys ----

LRESULT CVolueDlg::onMessage(const Message& m) {
    if (m.id == WM_SLIDER_MOVING || m.id == WM_SLIDER_MOVED) {
        onValueSlider(static_cast<int>(m.wParam));
        return 1;
    }
    return 0;
}

void CVolueDlg::keyPressEvent(QKeyEvent* e) {
    // The dialog's standard keys: Enter closes it like Escape does.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace zel
