// CFilterDlg: the strip's controls at their template places, the links between entries,
// slider and filter, and the messages to the page.
#include "gui/eq/FilterDlg.h"

#include "eq/Filter.h"
#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/PanelBrush.h"
#include "gui/eq/GraphRedrawTarget.h"
#include "gui/res/BitmapIds.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/DropListButton.h"
#include "gui/widgets/FontLabel.h"
#include "gui/widgets/NumEdit.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

namespace zel {

namespace {

constexpr int GainMax = 360;
constexpr int FreqMax = 361;
constexpr int QMax = 100;
constexpr int BandNumberPixels = 16;
const QColor SelectedBandColour(255, 0, 0);

// Stored indices come from the device and from mode files; the strip shows what the curve
// maths draws for them, which limits them to the tables.
int shownIndex(int stored, int last) {
    return std::clamp(stored, 0, last);
}

template <class Control> Control* place(QWidget* strip, int id, QRect rect) {
    auto* c = new Control(strip);
    setControlId(c, id);
    c->setGeometry(rect);
    return c;
}

void setUpEntry(CNumEdit& edit, int kind, int max) {
    edit.setKind(kind, QString());
    edit.setRange(0, max);
    edit.setAlignment(Qt::AlignCenter);
    edit.setTextMargins(0, 0, 0, 0);
}

// The point size at which an entry shows the texts of its first and last positions whole.
qreal fittingPointSize(CNumEdit& edit, int lastPos) {
    const int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit);
    // QLineEdit keeps 2 px free at either side of its text and a pixel for the caret.
    const int room = edit.width() - 2 * frame - 5;
    QFont f = edit.font();
    auto widest = [&] {
        const QFontMetrics m(f);
        return std::max(m.horizontalAdvance(edit.textFor(0)),
                        m.horizontalAdvance(edit.textFor(lastPos)));
    };
    while (widest() > room && f.pointSizeF() > 6.0)
        f.setPointSizeF(f.pointSizeF() - 0.5);
    return f.pointSizeF();
}

} // namespace

CFilterDlg::CFilterDlg(QWidget* parent) : MessageWindow<QWidget>(parent) {
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    usePanelBrush(*this);
    const QRect client = dialogRect(0, 0, 25, 124);
    setFixedSize(client.size());

    m_label = place<CFontLabel>(this, IdBandLabel, dialogRect(0, 1, 25, 9));
    m_type = place<CDropListButton>(this, IdTypeButton, dialogRect(0, 12, 25, 11));
    m_gainEdit = place<CNumEdit>(this, IdGainEdit, dialogRect(0, 27, 25, 12));
    m_slider = place<CBitmapSlider>(this, IdGainSlider, dialogRect(2, 42, 18, 50));
    m_freqEdit = place<CNumEdit>(this, IdFreqEdit, dialogRect(0, 96, 25, 12));
    m_qEdit = place<CNumEdit>(this, IdQEdit, dialogRect(0, 110, 25, 12));

    // 1. Client size, for the page's layout.
    m_width = width();
    m_height = height();

    // 2. Type button.
    m_type->setBitmaps(IDB_DROP_BUTTON, IDB_DROP_BUTTON_OPEN);
    m_type->setCurrentBitmap(IDB_DROP_BUTTON);
    m_type->setListId(IdTypeList);
    for (const char* name : {"PEQ", "LS", "HS"})
        m_type->addItem(QString::fromLatin1(name));

    // 3. Band number.
    m_label->setFontSize(BandNumberPixels);
    m_label->setText(QStringLiteral("1"));

    // 4. Gain entry: positions 0..360 read as -24.0 .. +12.0 dB.
    m_gainEdit->setStep(0.1);
    m_gainEdit->setOffset(24.0);
    setUpEntry(*m_gainEdit, CNumEdit::KindGain, GainMax);
    m_gainEdit->setLinkedSlider(m_slider);

    // 5. Gain slider, +12 dB at the top; the channel image sets its size, the template only
    // its place.
    const QPoint sliderAt = m_slider->pos();
    m_slider->setChannelBitmaps(IDB_STRIP_CHANNEL, IDB_STRIP_CHANNEL, false);
    m_slider->setThumbBitmaps(IDB_STRIP_THUMB, IDB_STRIP_THUMB_ACTIVE, true, TopLeftPixelColour);
    m_slider->setRange(0, GainMax, false);
    m_slider->setMargins(0, 0, 0, 0);
    m_slider->move(sliderAt);

    // 6, 7. Frequency and Q entries.
    setUpEntry(*m_freqEdit, CNumEdit::KindFrequency, FreqMax);
    setUpEntry(*m_qEdit, CNumEdit::KindQ, QMax);

    // The strip is 38 px wide and its entries must show their widest texts ("-24.0", "20600",
    // "128.000") whole. Arial 8 does; where the system stands in a wider face, the three
    // entries share a smaller size.
    const qreal entryPoints =
        std::min({fittingPointSize(*m_gainEdit, GainMax), fittingPointSize(*m_freqEdit, FreqMax),
                  fittingPointSize(*m_qEdit, QMax)});
    for (CNumEdit* edit : {m_gainEdit, m_freqEdit, m_qEdit}) {
        QFont f = edit->font();
        f.setPointSizeF(entryPoints);
        edit->setFont(f);
    }

    for (QWidget* control : {static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_type),
                             static_cast<QWidget*>(m_gainEdit), static_cast<QWidget*>(m_slider),
                             static_cast<QWidget*>(m_freqEdit), static_cast<QWidget*>(m_qEdit)})
        control->installEventFilter(this);
}

CFilterDlg::~CFilterDlg() {
    // The filters live for the whole run; none may keep moving a slider that is gone.
    detachFilter();
}

void CFilterDlg::setBandIndex(int i) {
    m_bandIndex = i;
    m_label->setText(QString::asprintf("%d", i + 1));
}

void CFilterDlg::detachFilter() {
    if (m_filter && m_filter->linkedSlider() == this)
        m_filter->setLinkedSlider(nullptr);
    m_filter = nullptr;
}

void CFilterDlg::attachFilter(CFilter* f) {
    if (f != m_filter)
        detachFilter();
    m_filter = f;
    if (f)
        f->setLinkedSlider(this);
}

CFilter* CFilterDlg::bandFilter() const {
    return m_filter && m_filter->band() ? m_filter : nullptr;
}

void CFilterDlg::refreshStrip() {
    if (!m_filter || !m_filter->band())
        return;
    const EqBand& band = *m_filter->band();
    m_typeValue = band.type <= kHighShelf ? static_cast<int>(band.type) : kPeaking;
    m_gain = shownIndex(band.gain, GainMax);
    m_freq = shownIndex(band.freq, FreqMax);
    m_q = shownIndex(band.q, QMax);
    m_type->setCurSel(m_typeValue);
    m_gainEdit->setPos(m_gain);
    m_slider->setValue(m_gain);
    m_freqEdit->setPos(m_freq);
    m_qEdit->setPos(m_q);
}

void CFilterDlg::refreshFromGraph() {
    if (!m_filter || !m_filter->band())
        return;
    const EqBand& band = *m_filter->band();
    m_gain = shownIndex(band.gain, GainMax);
    m_freq = shownIndex(band.freq, FreqMax);
    m_q = shownIndex(band.q, QMax);
    m_gainEdit->setPos(m_gain);
    m_gainEdit->setFocus(Qt::OtherFocusReason);
    m_freqEdit->setPos(m_freq);
    m_qEdit->setPos(m_q);
}

void CFilterDlg::showStrip(bool show) {
    if (isHidden() == !show)
        return;
    setVisible(show);
}

void CFilterDlg::enableStrip(bool enable) {
    m_label->setEnabled(enable);
    m_gainEdit->setEnabled(enable);
    m_freqEdit->setEnabled(enable);
    m_qEdit->setEnabled(enable);
    m_slider->enable(enable);
    m_type->setEnabled(enable);
    setEnabled(enable);
}

void CFilterDlg::highlight(bool on) {
    m_label->setTextColour(on ? SelectedBandColour : QColor(Qt::black));
}

void CFilterDlg::setGainPosition(int gainIndex) {
    m_gain = shownIndex(gainIndex, GainMax);
    m_slider->setValue(m_gain);
}

LRESULT CFilterDlg::onMessage(const Message& m) {
    switch (m.id) {
    case WM_NUMEDIT_CHANGED:
        onEditChanged(static_cast<int>(m.lParam));
        return 1;
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        if (static_cast<int>(m.wParam) == IdGainSlider)
            onSliderMoved();
        return 1;
    case WM_DROPLIST_SELECTED:
        if (static_cast<int>(m.wParam) == IdTypeList)
            onTypeChosen();
        return 1;
    case WM_BAND_NAVIGATE:
        if (MessageTarget* page = parentTarget(this))
            page->post(WM_BAND_NAVIGATE, m.wParam, m.lParam);
        return 1;
    default:
        return 0;
    }
}

void CFilterDlg::onEditChanged(int id) {
    switch (id) {
    case IdQEdit:
        m_q = m_qEdit->getPos();
        if (CFilter* f = bandFilter())
            f->setQIndex(m_q);
        break;
    case IdFreqEdit:
        m_freq = m_freqEdit->getPos();
        if (CFilter* f = bandFilter())
            f->setFreqIndex(m_freq);
        break;
    case IdGainEdit:
        m_gain = m_gainEdit->getPos();
        if (CFilter* f = bandFilter())
            f->setGainIndex(m_gain);
        m_slider->setValue(m_gain);
        break;
    default:
        return;
    }
    if (MessageTarget* page = parentTarget(this))
        page->send(WM_BAND_SELECTED, 0, m_bandIndex);
}

void CFilterDlg::onSliderMoved() {
    m_gain = m_slider->getValue();
    if (CFilter* f = bandFilter())
        f->setGainIndex(m_gain);
    m_gainEdit->setPos(m_gain);
    if (MessageTarget* page = parentTarget(this))
        page->post(WM_BAND_SELECTED, 0, m_bandIndex);
    m_gainEdit->setFocus(Qt::OtherFocusReason);
}

void CFilterDlg::onTypeChosen() {
    const int t = m_type->getCurSel();
    if (t < kPeaking || t > kHighShelf)
        return;
    m_typeValue = t;
    if (CFilter* f = bandFilter())
        f->setType(t);
    if (g_pEqGraph)
        g_pEqGraph->redraw(m_bandIndex, false);
}

bool CFilterDlg::eventFilter(QObject* watched, QEvent* e) {
    // Enter or Escape in any control moves the focus to the strip, which ends an entry being
    // typed (it commits on leaving). The key does nothing else: passed on, it would reach the
    // main window, where Escape closes the dialog and Enter presses its default button.
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return MessageWindow<QWidget>::eventFilter(watched, e);
}

} // namespace zel
