// COutputDlg: lays out and drives an output page from its OutputPage row.
#include "gui/pages/OutputDlg.h"

#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/eq/FilterDlg.h"
#include "gui/pages/PanelHost.h"
#include "gui/pages/SceneBank.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "model/StoreWrite.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace zel {

namespace {

constexpr std::array<const char*, 2> kLevelGroup = {"音量", "Gain"};
constexpr std::array<const char*, 2> kLimiterGroup = {"压限器", "Compressor"};
constexpr std::array<std::array<const char*, 2>, 4> kLevelCaptions = {{
    {"音乐音量", "Music Gain"},
    {"直达声音量", "Direct Gain"},
    {"回声效果音量", "ECHO Gain"},
    {"混响效果音量", "Reverb Gain"},
}};
constexpr std::array<std::array<const char*, 2>, 4> kLimiterCaptions = {{
    {"启动电平", "Attack Level"},
    {"启动时间", "Attack Time"},
    {"释放时间", "Release Time"},
    {"压限比例", "Ratio"},
}};

constexpr CBitmapButton::Look kText = CBitmapButton::Look::Text;
constexpr int kUserTypeFirst = 3; // the two user types carry a Q
constexpr int kTypeCount = 5;

} // namespace

COutputDlg::COutputDlg(const OutputPage& page, QWidget* parent)
    : CPanelDlg(page.blockId, page.templateWidthDlu, 164, parent), m_page(page) {
    createStrips(page.bands);
    layOut();

    for (std::size_t i = 0; i < 4; ++i) {
        m_texts.push_back({page.levelCaptionIds[i], kLevelCaptions[i][0], kLevelCaptions[i][1]});
        m_texts.push_back(
            {page.limiterCaptionIds[i], kLimiterCaptions[i][0], kLimiterCaptions[i][1]});
    }
    m_texts.push_back({page.levelGroupId, kLevelGroup[0], kLevelGroup[1]});
    m_texts.push_back({page.limiterGroupId, kLimiterGroup[0], kLimiterGroup[1]});
    m_texts.push_back({page.eqResetId, "EQ 重置", "EQ RESET"});
    m_texts.push_back({page.eqBypassId, "EQ BYPASS", "EQ BYPASS"});
    for (const OutputChannel& c : page.channels) {
        m_texts.push_back({c.muteId, "静音", "MUTE"});
        m_texts.push_back({c.soloId, "SOLO", "SOLO"});
    }
    m_texts.insert(m_texts.end(), page.texts.begin(), page.texts.end());
    finishSetUp(m_texts);

    if (page.attachesAtSetUp)
        attachStrips();
    applyLanguage();
}

void COutputDlg::layOut() {
    // Strips from the left edge; the groups follow at the strips' right.
    const int stripsPx = stripCount() * (strip(0)->stripWidth() + 2);
    const int stripsDlu = (stripsPx * 4 + DialogBaseUnitX - 1) / DialogBaseUnitX;
    const int x0 = stripsDlu + 6;

    // A group of four rows: caption, slider and label, the levels with their polarity.
    auto rowGroup = [this](int groupId, int x, int width, const std::array<int, 4>& captions,
                           std::span<const SliderRow, 4> rows, int labelWidth,
                           const std::array<int, 4>* polarities) {
        place<QGroupBox>(groupId, x, 1, width, 112);
        for (std::size_t i = 0; i < 4; ++i) {
            const int y = 17 + 23 * static_cast<int>(i);
            place<QLabel>(captions[i], x + 6, y, 54, 9);
            addRow(rows[i], QRect(x + 60, y - 1, 100, 11), QRect(x + 162, y, labelWidth, 9));
            if (polarities)
                placeButton((*polarities)[i], kText, x + 194, y - 2, 16, 12);
        }
    };
    rowGroup(m_page.levelGroupId, x0, 216, m_page.levelCaptionIds, m_page.levels, 30,
             &m_page.polarityIds);
    placeButton(m_page.eqResetId, kText, x0, 120, 56, 14);
    placeButton(m_page.eqBypassId, kText, x0 + 62, 120, 56, 14);
    const int x1 = x0 + 222;
    rowGroup(m_page.limiterGroupId, x1, 204, m_page.limiterCaptionIds, m_page.limiter, 40, nullptr);

    // Each channel: heading with mute and solo, then its delay.
    const int x2 = x1 + 210;
    for (std::size_t c = 0; c < m_page.channels.size(); ++c) {
        const OutputChannel& ch = m_page.channels[c];
        const int y = 4 + 64 * static_cast<int>(c);
        int x = x2;
        if (ch.headingId != 0) {
            place<QLabel>(ch.headingId, x, y, 40, 9);
            x += 44;
        }
        placeButton(ch.muteId, kText, x, y - 2, 40, 13);
        placeButton(ch.soloId, kText, x + 44, y - 2, 40, 13);
        place<QLabel>(ch.delayCaptionId, x2, y + 16, 100, 9);
        addRow(*ch.delay, QRect(x2, y + 27, 100, 11), QRect(x2 + 104, y + 28, 40, 9));
    }

    if (m_page.crossover == OutputPage::Crossover::HighPass) {
        // Under the single channel's delay.
        place<QLabel>(xover::CenterHighPassCaption, x2, 68, 60, 9);
        addRow(m_page.crossoverRows[0], QRect(x2, 79, 100, 11), QRect(x2 + 104, 80, 40, 9));
        place<QLabel>(xover::CenterSlopeCaption, x2, 100, 60, 9);
        placeList(xover::CenterSlopeList, {"12dB", "24dB"}, x2 + 64, 98, 50);
    } else if (m_page.crossover == OutputPage::Crossover::Subwoofer) {
        const int x3 = x2 + 146;
        const std::array<int, 4> captions = {xover::SubHighPassCaption, xover::SubHighPassQCaption,
                                             xover::SubLowPassCaption, xover::SubLowPassQCaption};
        const std::array<int, 2> typeCaptions = {xover::SubHighPassTypeCaption,
                                                 xover::SubLowPassTypeCaption};
        const std::array<int, 2> lists = {xover::SubHighPassTypeList, xover::SubLowPassTypeList};
        for (std::size_t f = 0; f < 2; ++f) {
            const int y = 6 + 63 * static_cast<int>(f);
            for (std::size_t k = 0; k < 2; ++k) {
                const int ry = y + 21 * static_cast<int>(k);
                place<QLabel>(captions[2 * f + k], x3, ry, 46, 9);
                addRow(m_page.crossoverRows[2 * f + k], QRect(x3 + 46, ry - 1, 100, 11),
                       QRect(x3 + 148, ry, 34, 9));
            }
            place<QLabel>(typeCaptions[f], x3, y + 42, 46, 9);
            QComboBox* list = placeList(lists[f], {}, x3 + 46, y + 40, 74);
            for (const char* t : kSubTypes)
                list->addItem(QString::fromUtf8(t));
        }
    }
}

CKTVEQ& COutputDlg::model() const {
    return curveModel(m_page.blockId);
}

int COutputDlg::rowBank() const {
    return sceneBank();
}

void COutputDlg::attachStrips() {
    for (int k = 0; k < stripCount(); ++k)
        strip(k)->attachFilter(model().filterAt(k));
}

void COutputDlg::bindBands(int bank) {
    EqBand* bands = bankBands(m_page.blockId, bank);
    for (int k = 0; k < m_page.bands; ++k)
        model().filterAt(k)->bindBand(&bands[k]);
}

void COutputDlg::refresh() {
    forgetSelection();
    if (m_page.attachesAtSetUp)
        for (int k = 0; k < stripCount(); ++k)
            strip(k)->refreshStrip();
    // While Auto the scene's controls keep what they showed; they are locked anyway.
    if (const int bank = sceneBank(); bank >= 0)
        refreshScene(bank);
    for (const SliderRow& row : m_page.limiter)
        showRow(row, rowValue(row));
    for (const OutputChannel& c : m_page.channels) {
        showRow(*c.delay, rowValue(*c.delay));
        showMuteSolo(c);
    }
}

void COutputDlg::refreshScene(int bank) {
    bindBands(bank);
    refreshStrips();
    refreshCrossover(bank);
    // The Subwoofer keeps the graph's selection across its crossover reload.
    graphRedraw(-1, m_page.crossover != OutputPage::Crossover::Subwoofer);
    for (const SliderRow& row : m_page.levels)
        showRow(row, rowValue(row));
    for (int i = 0; i < 4; ++i)
        if (auto* b = qobject_cast<CBitmapButton*>(
                findControl(this, m_page.polarityIds[static_cast<std::size_t>(i)])))
            showPolarity(storeRead(*bankPhase(m_page.firstPhase + i, bank)), *b);
}

void COutputDlg::refreshCrossover(int bank) {
    if (m_page.crossover == OutputPage::Crossover::None)
        return;
    CFilter* hpf = model().highPass();
    hpf->bindXover(bankFilter(m_page.highPassFilter, bank));
    if (m_page.crossover == OutputPage::Crossover::HighPass) {
        if (auto* slope = qobject_cast<QComboBox*>(findControl(this, xover::CenterSlopeList)))
            slope->setCurrentIndex(storeRead(hpf->xover()->slope));
    } else {
        CFilter* lpf = model().lowPass();
        lpf->bindXover(bankFilter(m_page.lowPassFilter, bank));
        showType(xover::SubHighPassTypeList, storeRead(hpf->xover()->slope));
        showType(xover::SubLowPassTypeList, storeRead(lpf->xover()->slope));
    }
    for (const SliderRow& row : m_page.crossoverRows)
        showRow(row, rowValue(row));
}

void COutputDlg::showType(int listId, int t) {
    if (t < 0 || t >= kTypeCount)
        return; // a type without an entry leaves the list and the Q row as they are
    if (auto* list = qobject_cast<QComboBox*>(findControl(this, listId)))
        list->setCurrentIndex(t);
    const bool highPass = listId == xover::SubHighPassTypeList;
    const SliderRow& q = m_page.crossoverRows[highPass ? 1 : 3];
    const bool user = t >= kUserTypeFirst;
    if (QWidget* caption =
            findControl(this, highPass ? xover::SubHighPassQCaption : xover::SubLowPassQCaption))
        caption->setVisible(user);
    label(q.labelId)->setVisible(user);
    slider(q.sliderId)->setVisible(user);
}

void COutputDlg::typeChosen(int listId) {
    if (sceneBank() < 0)
        return;
    auto* list = qobject_cast<QComboBox*>(findControl(this, listId));
    if (!list || list->currentIndex() < 0)
        return;
    const int t = list->currentIndex();
    showType(listId, t);
    const bool highPass = listId == xover::SubHighPassTypeList;
    (highPass ? model().highPass() : model().lowPass())->setSlope(t);
    graphRedraw(model().bandCount() + (highPass ? 0 : 1), false);
}

void COutputDlg::setSceneControlsEnabled(bool enabled) {
    std::vector<int> ids = {m_page.eqResetId, m_page.eqBypassId, xover::CenterSlopeList,
                            xover::SubHighPassTypeList, xover::SubLowPassTypeList};
    ids.insert(ids.end(), m_page.polarityIds.begin(), m_page.polarityIds.end());
    for (int id : ids)
        if (QWidget* c = findControl(this, id))
            c->setEnabled(enabled);
    auto enableRow = [&](const SliderRow& row) {
        slider(row.sliderId)->enable(enabled);
        slider(row.sliderId)->setEnabled(enabled);
        label(row.labelId)->setEnabled(enabled);
    };
    for (const SliderRow& row : m_page.levels)
        enableRow(row);
    for (const SliderRow& row : m_page.crossoverRows)
        enableRow(row);
}

void COutputDlg::applyScene(bool reload) {
    const int bank = sceneBank();
    if (bank < 0) {
        enableStrips(false);
        setSceneControlsEnabled(false);
        graphRedraw(-1, true);
        return;
    }
    enableStrips(true);
    if (m_page.bindsOnSceneEntry)
        bindBands(bank);
    setSceneControlsEnabled(true);
    if (reload)
        refreshScene(bank);
}

// ---- mute and solo: the store is authoritative, the buttons only show it ----

void COutputDlg::showMuteSolo(const OutputChannel& c) {
    if (auto* mute = qobject_cast<CBitmapButton*>(findControl(this, c.muteId)))
        mute->setPressed(storeRead(liveParams.outputMute[c.output]) != 0);
    if (auto* solo = qobject_cast<CBitmapButton*>(findControl(this, c.soloId)))
        solo->setPressed(storeRead(liveParams.outputSolo[c.output]) != 0);
}

void COutputDlg::refreshMuteSolo() {
    for (const OutputChannel& c : m_page.channels)
        showMuteSolo(c);
}

void COutputDlg::muteClicked(const OutputChannel& c) {
    const int muted = storeRead(liveParams.outputMute[c.output]) != 0 ? 0 : 1;
    if (auto* mute = qobject_cast<CBitmapButton*>(findControl(this, c.muteId)))
        mute->setPressed(muted != 0);
    for (const OutputChannel& other : m_page.channels)
        if (auto* solo = qobject_cast<CBitmapButton*>(findControl(this, other.soloId)))
            solo->setPressed(false);
    if (g_pPanelHost)
        g_pPanelHost->SetOutputMute(c.output, muted);
}

void COutputDlg::soloClicked(const OutputChannel& c) {
    const int solo = storeRead(liveParams.outputSolo[c.output]) != 0 ? 0 : 1;
    if (auto* mute = qobject_cast<CBitmapButton*>(findControl(this, c.muteId)))
        mute->setPressed(false);
    if (auto* button = qobject_cast<CBitmapButton*>(findControl(this, c.soloId)))
        button->setPressed(solo != 0);
    if (g_pPanelHost)
        g_pPanelHost->SetOutputSolo(c.output, solo);
    // The page's other channel was muted or released by the solo rule.
    for (const OutputChannel& other : m_page.channels)
        if (&other != &c)
            showMuteSolo(other);
}

void COutputDlg::onCommand(int id) {
    for (const OutputChannel& c : m_page.channels) {
        if (id == c.muteId)
            return muteClicked(c);
        if (id == c.soloId)
            return soloClicked(c);
    }
    for (int i = 0; i < 4; ++i) {
        if (id != m_page.polarityIds[static_cast<std::size_t>(i)])
            continue;
        const int bank = sceneBank();
        auto* b = qobject_cast<CBitmapButton*>(findControl(this, id));
        if (bank >= 0 && b)
            togglePolarity(*bankPhase(m_page.firstPhase + i, bank), *b);
        return;
    }
    if (id == m_page.eqResetId) {
        eqReset(m_page.blockId);
        refresh();
        graphSelectView(m_page.blockId);
        graphRedraw(-1, false);
        return;
    }
    if (id == m_page.eqBypassId) {
        toggleEqBypass(m_page.blockId);
        return;
    }
    switch (id) {
    case xover::CenterSlopeList:
        if (sceneBank() < 0)
            return;
        if (auto* slope = qobject_cast<QComboBox*>(findControl(this, id));
            slope && slope->currentIndex() >= 0) {
            model().highPass()->setSlope(slope->currentIndex());
            graphRedraw(model().bandCount(), false);
        }
        return;
    case xover::SubHighPassTypeList:
    case xover::SubLowPassTypeList:
        typeChosen(id);
        return;
    default:
        return;
    }
}

} // namespace zel
