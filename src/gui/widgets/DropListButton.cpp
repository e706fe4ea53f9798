// CDropListButton: face painting, the pop-up list and the choice notification.
#include "gui/widgets/DropListButton.h"

#include "gui/ControlId.h"
#include "gui/PaintDensity.h"
#include "gui/VirtualKeys.h"
#include "gui/res/BitmapLibrary.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace zel {

namespace {

// The face images keep their arrow box at the right; the text is centred in the rest.
constexpr int ArrowBoxWidth = 11;
constexpr int ListRowHeight = 15;

const QColor FaceText(38, 48, 58);
const QColor DisabledText(150, 160, 170);

const char* const ListStyle =
    "QListWidget { background: rgb(246, 248, 251); border: 1px solid rgb(86, 98, 110);"
    " outline: 0; padding: 0px; }"
    "QListWidget::item { padding: 0px 2px; border: 0px; color: rgb(38, 48, 58); }"
    "QListWidget::item:hover, QListWidget::item:selected {"
    " background: rgb(47, 123, 214); color: white; }";

} // namespace

CDropListButton::CDropListButton(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CDropListButton::setBitmaps(int normalId, int openId) {
    if (!BitmapLibrary::contains(normalId) || !BitmapLibrary::contains(openId)) {
        qWarning("CDropListButton: face images %d and %d must both exist", normalId, openId);
        return false;
    }
    m_normalId = normalId;
    m_openId = openId;
    m_shownId = normalId;
    update();
    return true;
}

void CDropListButton::setCurrentBitmap(int id) {
    if (id != m_normalId && id != m_openId)
        return;
    m_shownId = id;
    update();
}

void CDropListButton::addItem(const QString& text) {
    m_items.append(text);
}

QString CDropListButton::itemText(int index) const {
    return index >= 0 && index < count() ? m_items.at(index) : QString();
}

void CDropListButton::setCurSel(int index) {
    m_current = index >= 0 && index < count() ? index : -1;
    update();
}

bool CDropListButton::isListOpen() const {
    return m_list && m_list->isVisible();
}

void CDropListButton::showList() {
    if (!isEnabled() || m_items.isEmpty())
        return;
    if (!m_list) {
        m_list = new QListWidget(this);
        m_list->setWindowFlags(Qt::Popup);
        // The press that closes the list on the button must not open it again.
        m_list->setAttribute(Qt::WA_NoMouseReplay);
        m_list->setStyleSheet(QLatin1String(ListStyle));
        m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_list->setMouseTracking(true);
        m_list->setUniformItemSizes(true);
        m_list->installEventFilter(this);
        connect(m_list, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { choose(m_list->row(item)); });
        connect(m_list, &QListWidget::itemActivated, this,
                [this](QListWidgetItem* item) { choose(m_list->row(item)); });
    }
    m_list->clear();
    for (const QString& text : m_items) {
        auto* item = new QListWidgetItem(text, m_list);
        item->setSizeHint(QSize(width(), ListRowHeight));
        item->setTextAlignment(Qt::AlignCenter);
    }
    m_list->setFont(font());
    m_list->setCurrentRow(std::max(m_current, 0));

    const QSize size(width(), count() * ListRowHeight + 2);
    QPoint at = mapToGlobal(QPoint(0, height()));
    // Open upwards when the list would leave the screen at the bottom.
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        if (at.y() + size.height() > area.bottom() + 1)
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
    }
    m_list->setGeometry(QRect(at, size));
    setCurrentBitmap(m_openId);
    m_list->show();
    m_list->setFocus(Qt::PopupFocusReason);
}

void CDropListButton::closeList() {
    if (m_list)
        m_list->hide();
}

void CDropListButton::choose(int index) {
    // Where one click both clicks and activates an item, the second report finds the list
    // closed and the choice already made.
    if (!isListOpen())
        return;
    closeList();
    if (index < 0 || index >= count())
        return;
    setCurSel(index);
    if (MessageTarget* t = target())
        t->post(WM_DROPLIST_SELECTED, static_cast<WPARAM>(m_listId), index);
}

MessageTarget* CDropListButton::target() const {
    return m_target ? m_target : parentTarget(this);
}

bool CDropListButton::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_list) {
        if (e->type() == QEvent::Hide) {
            setCurrentBitmap(m_normalId);
        } else if (e->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            closeList();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void CDropListButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    showList();
}

void CDropListButton::keyPressEvent(QKeyEvent* e) {
    const bool altDown = e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier);
    switch (e->key()) {
    case Qt::Key_Space:
    case Qt::Key_F4:
        showList();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (MessageTarget* t = target())
            t->post(WM_BAND_NAVIGATE, static_cast<WPARAM>(controlId(this)),
                    e->key() == Qt::Key_Left ? VK_LEFT : VK_RIGHT);
        return;
    default:
        if (altDown) {
            showList();
            return;
        }
        QWidget::keyPressEvent(e);
    }
}

void CDropListButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_shownId != 0) {
        const QPixmap face = BitmapLibrary::pixmap(m_shownId, paintDensity(p));
        const QSize faceSize = BitmapLibrary::size(m_shownId);
        // Centred in the control when the template gives a pixel more or less than the image.
        const QPoint at((width() - faceSize.width()) / 2, (height() - faceSize.height()) / 2);
        if (!isEnabled())
            p.setOpacity(0.55);
        p.drawPixmap(at, face);
        p.setOpacity(1.0);
    }
    const QString text = itemText(m_current);
    if (text.isEmpty())
        return;
    p.setPen(isEnabled() ? FaceText : DisabledText);
    p.setFont(font());
    p.drawText(QRect(1, 0, width() - ArrowBoxWidth - 1, height()), Qt::AlignCenter, text);
}

} // namespace zel
