// CPanelDlg: what every page shares - rows, strips, band selection and navigation, the shared
// EQ buttons, texts and the keyboard rules.
#include "gui/pages/PanelDlg.h"

#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "eq/SceneCopy.h"
#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/KeyRules.h"
#include "gui/PanelBrush.h"
#include "gui/VirtualKeys.h"
#include "gui/eq/FStatic.h"
#include "gui/eq/FilterDlg.h"
#include "gui/eq/GraphRedrawTarget.h"
#include "gui/pages/SceneBank.h"
#include "gui/res/BitmapIds.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "model/DataConver.h"
#include "model/Globals.h"
#include "model/StoreWrite.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>

#include <cassert>

namespace zel {

CPanelDlg::CPanelDlg(int firstBlockId, int templateWidthDlu, int templateHeightDlu, QWidget* parent)
    : MessageWindow<QWidget>(parent), m_blockId(firstBlockId) {
    QFont pageFont(QStringLiteral("Arial"));
    pageFont.setPointSize(9);
    setFont(pageFont);
    usePanelBrush(*this);
    resize(dialogRect(0, 0, templateWidthDlu, templateHeightDlu).size());
    setFocusPolicy(Qt::StrongFocus);
}

CPanelDlg::~CPanelDlg() = default;

void CPanelDlg::placeControl(QWidget* c, int id, int x, int y, int w, int h) {
    setControlId(c, id);
    c->setGeometry(dialogRect(x, y, w, h));
}

CBitmapButton* CPanelDlg::placeButton(int id, CBitmapButton::Look look, int x, int y, int w,
                                      int h) {
    auto* b = place<CBitmapButton>(id, x, y, w, h, look);
    connect(b, &QAbstractButton::clicked, this, [this, id] { onCommand(id); });
    return b;
}

QComboBox* CPanelDlg::placeList(int id, std::initializer_list<const char*> items, int x, int y,
                                int w) {
    auto* list = new QComboBox(this);
    setControlId(list, id);
    for (const char* item : items)
        list->addItem(QString::fromUtf8(item));
    const QRect r = dialogRect(x, y, w, 12);
    list->setGeometry(r.x(), r.y(), r.width(), std::max(r.height(), list->sizeHint().height()));
    list->setFocusPolicy(Qt::ClickFocus);
    // Only the operator's choices count; refresh() sets the selection without a notification.
    connect(list, &QComboBox::activated, this, [this, id] { onCommand(id); });
    return list;
}

void CPanelDlg::addRow(const SliderRow& row, QRect sliderDlu, QRect labelDlu) {
    auto* s = new CBitmapSlider(this);
    setControlId(s, row.sliderId);
    s->setChannelBitmaps(IDB_PANEL_CHANNEL, IDB_PANEL_CHANNEL, true);
    s->setThumbBitmaps(IDB_PANEL_THUMB, IDB_PANEL_THUMB_ACTIVE, true);
    s->setMargins(0, 0, 0, 0);
    s->setVertical(false);
    s->setRange(row.min, row.max, false);
    const QRect at =
        dialogRect(sliderDlu.x(), sliderDlu.y(), sliderDlu.width(), sliderDlu.height());
    // The channel image sets the size; centre it on the template's row.
    s->move(at.x(), at.y() + (at.height() - s->height()) / 2);

    auto* l = new CEditStatic(this);
    setControlId(l, row.labelId);
    l->setGeometry(dialogRect(labelDlu.x(), labelDlu.y(), labelDlu.width(), labelDlu.height()));
    l->setRange(row.min, row.max);
    l->setKind(row.kind);
    const QString unit = row.unit ? QString::fromUtf8(row.unit) : QString();
    if (row.kind == kLabelReal)
        l->setRealUnit(row.realStep, row.realOffset, unit);
    else
        l->setUnit(row.step, row.offset, unit);
    m_rows.push_back(RowControls{&row, s, l});
}

void CPanelDlg::createStrips(int n) {
    for (int k = 0; k < n; ++k) {
        auto* strip = new CFilterDlg(this);
        strip->move(k * (strip->stripWidth() + 2), 2);
        strip->show();
        strip->setBandIndex(k);
        m_strips.push_back(strip);
    }
}

void CPanelDlg::finishSetUp(std::span<const ControlText> texts) {
    m_texts = texts;
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    m_selected = nullptr;
}

CBitmapSlider* CPanelDlg::slider(int sliderId) const {
    for (const RowControls& r : m_rows)
        if (r.row->sliderId == sliderId)
            return r.slider;
    return nullptr;
}

CEditStatic* CPanelDlg::label(int labelId) const {
    for (const RowControls& r : m_rows)
        if (r.row->labelId == labelId)
            return r.label;
    return nullptr;
}

const SliderRow* CPanelDlg::rowOfSlider(int sliderId) const {
    for (const RowControls& r : m_rows)
        if (r.row->sliderId == sliderId)
            return r.row;
    return nullptr;
}

int CPanelDlg::rowValue(const SliderRow& row) const {
    switch (row.target) {
    case SliderRow::Target::Byte:
        if (const std::uint8_t* field = row.byteField(rowBank()))
            return storeRead(*field);
        return -1;
    case SliderRow::Target::Word:
        if (const U16le* field = row.wordField(rowBank()))
            return storeRead(*field);
        return -1;
    case SliderRow::Target::HighPassFreq:
        return storeRead(xoverModel().highPass()->xover()->freq);
    case SliderRow::Target::LowPassFreq:
        return storeRead(xoverModel().lowPass()->xover()->freq);
    case SliderRow::Target::HighPassUserQ:
        return storeRead(xoverModel().highPass()->xover()->userQ);
    case SliderRow::Target::LowPassUserQ:
        return storeRead(xoverModel().lowPass()->xover()->userQ);
    }
    return 0;
}

void CPanelDlg::showRow(const SliderRow& row, int value) {
    for (const RowControls& r : m_rows)
        if (r.row == &row) {
            r.label->setValue(value);
            r.slider->setPos(value);
        }
}

void CPanelDlg::refreshRows() {
    for (const RowControls& r : m_rows)
        if (const int value = rowValue(*r.row); value >= 0)
            showRow(*r.row, value);
}

void CPanelDlg::onValueSlider(int sliderId) {
    for (const RowControls& r : m_rows) {
        if (r.row->sliderId != sliderId)
            continue;
        const int pos = r.slider->getPos();
        m_lastSliderPos = pos;
        r.label->setValue(pos);
        const SliderRow& row = *r.row;
        // A row without a field in the bank shown (a scene row while Auto) only shows.
        if (row.target == SliderRow::Target::Byte) {
            if (std::uint8_t* field = row.byteField(rowBank()))
                storeWrite(*field, static_cast<std::uint8_t>(pos));
            return;
        }
        if (row.target == SliderRow::Target::Word) {
            if (U16le* field = row.wordField(rowBank()))
                storeWrite(*field, static_cast<std::uint16_t>(pos));
            return;
        }
        // A crossover row writes through its filter, so the curve follows. Its marker is
        // emphasised only while the graph shows the model that holds it.
        const CKTVEQ& eq = xoverModel();
        const bool shown = &eq == &model();
        switch (row.target) {
        case SliderRow::Target::Byte:
        case SliderRow::Target::Word:
            return;
        case SliderRow::Target::HighPassFreq:
            eq.highPass()->setXoverFreqIndex(pos);
            graphRedraw(shown ? eq.bandCount() : -1, false);
            return;
        case SliderRow::Target::HighPassUserQ:
            eq.highPass()->setUserQIndex(pos);
            graphRedraw(shown ? eq.bandCount() : -1, false);
            return;
        case SliderRow::Target::LowPassFreq:
        case SliderRow::Target::LowPassUserQ: {
            CFilter* lpf = eq.lowPass();
            if (row.target == SliderRow::Target::LowPassFreq)
                lpf->setXoverFreqIndex(pos);
            else
                lpf->setUserQIndex(pos);
            graphRedraw(shown ? eq.bandCount() + (eq.hasHighPass() ? 1 : 0) : -1, false);
            return;
        }
        }
    }
}

void CPanelDlg::selectBand(int i) {
    if (i < 0 || i >= stripCount())
        return;
    CFilterDlg* s = strip(i);
    if (m_selected == s) {
        graphRedraw(i, false);
        return;
    }
    if (m_selected)
        m_selected->highlight(false);
    m_selected = s;
    s->highlight(true);
    graphRedraw(i, false);
}

void CPanelDlg::navigate(int id, LPARAM key) {
    QWidget* focus = QApplication::focusWidget();
    int b = -1;
    for (int k = 0; k < stripCount(); ++k)
        if (focus && focus->parentWidget() == strip(k))
            b = k;
    if (b < 0)
        return;
    const int last = bandsShown() - 1;
    const int next = b + 1 > last ? 0 : b + 1;
    const int previous = b - 1 < 0 ? last : b - 1;
    if (key == VK_LEFT)
        b = previous;
    else if (key == VK_RIGHT)
        b = next;
    if ((key == VK_LEFT || key == VK_RIGHT) &&
        (id == CFilterDlg::IdQEdit || id == CFilterDlg::IdFreqEdit ||
         id == CFilterDlg::IdGainEdit || id == CFilterDlg::IdTypeButton))
        if (QWidget* target = findControl(strip(b), id))
            target->setFocus(Qt::OtherFocusReason);
    selectBand(b);
}

void CPanelDlg::forgetSelection() {
    if (m_selected) {
        m_selected->highlight(false);
        m_selected = nullptr;
    }
}

void CPanelDlg::refreshStrips() {
    forgetSelection();
    CKTVEQ& eq = model();
    const int shown = bandsShown();
    for (int k = 0; k < stripCount(); ++k) {
        CFilterDlg* s = strip(k);
        if (k < shown && k < eq.bandCount()) {
            s->attachFilter(eq.filterAt(k));
            s->refreshStrip();
            s->showStrip(true);
        } else {
            s->showStrip(false);
        }
    }
}

void CPanelDlg::enableStrips(bool enable) {
    for (CFilterDlg* s : m_strips)
        s->enableStrip(enable);
}

void CPanelDlg::eqReset(int blockId) {
    resetEq(blockId);
}

void CPanelDlg::toggleEqBypass(int blockId) {
    const int bank = isSceneBlock(blockId) ? sceneBank() : 0;
    if (bank < 0)
        return;
    std::uint8_t& flag = *bankEqBypass(blockId, bank);
    storeWrite(flag, static_cast<std::uint8_t>(storeRead(flag) != 0 ? 0 : 1));
    graphRedraw(-1, false);
}

void CPanelDlg::togglePolarity(std::uint8_t& flag, CBitmapButton& button) {
    storeWrite(flag, static_cast<std::uint8_t>(storeRead(flag) != 0 ? 0 : 1));
    showPolarity(storeRead(flag), button);
}

void CPanelDlg::showPolarity(std::uint8_t flag, CBitmapButton& button) {
    const std::string_view t = PolarityText(flag);
    button.setText(QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size())));
}

void CPanelDlg::openCopyMenu(QWidget& button, const char* aToB, const char* bToA) {
    QMenu menu(this);
    QAction* first = menu.addAction(QString::fromUtf8(aToB));
    QAction* second = menu.addAction(QString::fromUtf8(bToA));
    QAction* chosen = menu.exec(button.mapToGlobal(QPoint(0, button.height() + 2)));
    if (chosen == first)
        onCommand(IdCopyItemAToB);
    else if (chosen == second)
        onCommand(IdCopyItemBToA);
}

void CPanelDlg::copyEqBlock(int from, int to) {
    const int count = kEqSections[sectionOfBlock(to)].bandCount;
    assert(kEqSections[sectionOfBlock(from)].bandCount == count);
    const EqBand* source = bankBands(from, 0);
    EqBand* target = bankBands(to, 0);
    CKTVEQ& eq = curveModel(to);
    for (int k = 0; k < count; ++k) {
        storeCopy(target[k], source[k]);
        eq.filterAt(k)->bindBand(&target[k]);
    }
}

void CPanelDlg::copyXover(const CFilter& from, CFilter& to) {
    storeCopy(*to.xover(), *from.xover());
    to.bindXover(to.xover());
}

void CPanelDlg::graphRedraw(int highlight, bool dropSelection) {
    if (g_pEqGraph)
        g_pEqGraph->redraw(highlight, dropSelection);
}

void CPanelDlg::graphSelectView(int view) {
    if (auto* graph = dynamic_cast<CFStatic*>(g_pEqGraph))
        graph->selectView(view);
}

void CPanelDlg::applyLanguage() {
    applyTexts();
}

void CPanelDlg::applyTexts() {
    for (const ControlText& t : m_texts)
        setControlText(findControl(this, t.id), QString::fromUtf8(g_bChinese != 0 ? t.cn : t.en));
}

void CPanelDlg::applyScene(bool) {}

void CPanelDlg::graphBandChanged(int i) {
    CKTVEQ& eq = model();
    if (i >= 0 && i < eq.bandCount()) {
        if (i < stripCount())
            strip(i)->refreshFromGraph();
        selectBand(i);
        return;
    }
    // A crossover: its frequency row follows the graph.
    const bool highPass = eq.hasHighPass() && i == eq.bandCount();
    const bool lowPass = eq.hasLowPass() && i == eq.bandCount() + (eq.hasHighPass() ? 1 : 0);
    for (const RowControls& r : m_rows)
        if ((highPass && r.row->target == SliderRow::Target::HighPassFreq) ||
            (lowPass && r.row->target == SliderRow::Target::LowPassFreq))
            showRow(*r.row, rowValue(*r.row));
}

void CPanelDlg::onCommand(int) {}

LRESULT CPanelDlg::onMessage(const Message& m) {
    switch (m.id) {
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        onValueSlider(static_cast<int>(m.wParam));
        return 1;
    case WM_BAND_SELECTED:
        selectBand(static_cast<int>(m.lParam));
        return 1;
    case WM_BAND_NAVIGATE:
        navigate(static_cast<int>(m.wParam), m.lParam);
        return 1;
    default:
        return 0;
    }
}

bool CPanelDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (endsEntry(key)) {
            // Moving the focus ends (and commits) an entry being typed; nothing closes.
            setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (isDialogNavigation(key))
            return true;
    }
    return MessageWindow<QWidget>::eventFilter(watched, e);
}

void CPanelDlg::keyPressEvent(QKeyEvent* e) {
    if (endsEntry(e->key()) || isDialogNavigation(e->key())) {
        setFocus(Qt::OtherFocusReason);
        e->accept();
        return;
    }
    MessageWindow<QWidget>::keyPressEvent(e);
}

} // namespace zel
