// CEffectDlg: layout of an effect page from its data, the PRE-EQ / POST-EQ choice, the shared
// buttons and the copy between the effects.
#include "gui/pages/EffectDlg.h"

#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "gui/ControlId.h"
#include "gui/pages/SceneBank.h"
#include "gui/widgets/BitmapButton.h"
#include "model/Globals.h"
#include "model/StoreWrite.h"

#include <QGroupBox>
#include <QLabel>

namespace zel {

namespace {

constexpr int kStrips = 10;
constexpr int kPreBands = 5;
constexpr CBitmapButton::Look kText = CBitmapButton::Look::Text;

// Group places and the columns of their rows, in dialog units.
struct GroupPlace {
    int x;
    int width;
    int captionWidth;
};
constexpr GroupPlace kLevelPlace{274, 252, 76};
constexpr GroupPlace kDelayPlace{530, 246, 88};
constexpr int kRowTop = 16;
constexpr int kRowPitch = 26;

} // namespace

CEffectDlg::CEffectDlg(const EffectPage& page, QWidget* parent)
    : CPanelDlg(page.preBlock[0], page.widthDlu, page.heightDlu, parent), m_info(page) {
    // Left: the strips; below them the EQ choice, EQ reset and bypass, and the copy menu.
    createStrips(kStrips);
    placeButton(page.idPre, kText, 2, 130, 56, 14);
    placeButton(page.idPost, kText, 60, 130, 56, 14);
    placeButton(page.idEqReset, kText, 120, 130, 48, 14);
    placeButton(page.idEqBypass, kText, 170, 130, 48, 14);
    placeButton(page.idCopy, kText, 222, 130, 44, 14);

    // Right: the level group and the delay group, one slider row under the other.
    auto group = [this](int id, const GroupPlace& at, std::span<const EffectRow> rows) {
        place<QGroupBox>(id, at.x, 1, at.width, 146);
        int y = kRowTop;
        for (const EffectRow& r : rows) {
            const int x = at.x + 6;
            place<QLabel>(r.captionId, x, y, at.captionWidth, 9);
            const int sliderX = x + at.captionWidth + 2;
            addRow(*r.row, QRect(sliderX, y - 1, 100, 11), QRect(sliderX + 104, y, 42, 9));
            if (r.polarityId != 0)
                placeButton(r.polarityId, kText, sliderX + 148, y - 1, 14, 11);
            y += kRowPitch;
        }
    };
    group(page.idLevelGroup, kLevelPlace, page.levelRows);
    group(page.idDelayGroup, kDelayPlace, page.delayRows);

    finishSetUp(page.texts);
}

int CEffectDlg::rowBank() const {
    return g_currentPage == m_info.preBlock[1] ? 1 : 0;
}

CKTVEQ& CEffectDlg::xoverModel() const {
    return curveModel(m_info.preBlock[static_cast<std::size_t>(m_effect)]);
}

CKTVEQ& CEffectDlg::model() const {
    const auto& blocks = m_showPre ? m_info.preBlock : m_info.postBlock;
    return curveModel(blocks[static_cast<std::size_t>(m_effect)]);
}

int CEffectDlg::bandsShown() const {
    return m_showPre ? kPreBands : kStrips;
}

CBitmapButton* CEffectDlg::button(int id) const {
    return qobject_cast<CBitmapButton*>(findControl(this, id));
}

void CEffectDlg::refresh() {
    m_showPre = true;
    refreshKeepingEq();
}

void CEffectDlg::refreshKeepingEq() {
    showEqButtons();
    m_effect = rowBank();
    bindShownEq();
    showEffect();
    graphRedraw(-1, false);
}

void CEffectDlg::showEqButtons() {
    button(m_info.idPre)->setPressed(m_showPre);
    button(m_info.idPost)->setPressed(!m_showPre);
}

void CEffectDlg::bindShownEq() {
    // refreshStrips forgets the selection and hides the strips beyond the pre-EQ's five.
    const auto& blocks = m_showPre ? m_info.preBlock : m_info.postBlock;
    graphSelectView(blocks[static_cast<std::size_t>(m_effect)]);
    refreshStrips();
    graphRedraw(-1, false);
}

void CEffectDlg::showEffect() {
    refreshRows();
    for (const auto rows : {m_info.levelRows, m_info.delayRows})
        for (const EffectRow& r : rows)
            if (r.polarityId != 0)
                showPolarity(storeRead(liveParams.phase[r.phaseIndex[m_effect]]),
                             *button(r.polarityId));
}

void CEffectDlg::copyEffect(int from, int to) {
    const auto f = static_cast<std::size_t>(from);
    const auto t = static_cast<std::size_t>(to);
    copyEqBlock(m_info.postBlock[f], m_info.postBlock[t]);
    storeCopy(*bankEqBypass(m_info.postBlock[t], 0), *bankEqBypass(m_info.postBlock[f], 0));
    copyEqBlock(m_info.preBlock[f], m_info.preBlock[t]);
    storeCopy(*bankEqBypass(m_info.preBlock[t], 0), *bankEqBypass(m_info.preBlock[f], 0));
    CKTVEQ& source = curveModel(m_info.preBlock[f]);
    CKTVEQ& target = curveModel(m_info.preBlock[t]);
    copyXover(*source.highPass(), *target.highPass());
    copyXover(*source.lowPass(), *target.lowPass());
    const bool highDamp = m_info.highDampFilter[0] >= 0;
    if (highDamp)
        storeCopy(liveParams.filter[m_info.highDampFilter[t]],
                  liveParams.filter[m_info.highDampFilter[f]]);
    // Levels with their polarities, then the delays; the crossovers went with their records.
    for (const auto rows : {m_info.levelRows, m_info.delayRows})
        for (const EffectRow& r : rows) {
            const SliderRow& row = *r.row;
            if (row.target == SliderRow::Target::Byte)
                storeCopy(*row.byteField(to), *row.byteField(from));
            else if (row.target == SliderRow::Target::Word &&
                     !(highDamp &&
                       row.wordField(to) == &liveParams.filter[m_info.highDampFilter[t]].freq))
                storeCopy(*row.wordField(to), *row.wordField(from));
            if (r.polarityId != 0)
                storeCopy(liveParams.phase[r.phaseIndex[t]], liveParams.phase[r.phaseIndex[f]]);
        }
    if (rowBank() == to)
        refreshKeepingEq();
}

void CEffectDlg::onCommand(int id) {
    const int effect = rowBank();
    const auto e = static_cast<std::size_t>(effect);
    if (id == m_info.idPre || id == m_info.idPost) {
        m_showPre = id == m_info.idPre;
        showEqButtons();
        bindShownEq();
        return;
    }
    if (id == m_info.idEqReset) {
        const int block = m_showPre ? m_info.preBlock[e] : m_info.postBlock[e];
        eqReset(block);
        bindShownEq(); // selects the block's view and redraws it
        return;
    }
    if (id == m_info.idEqBypass) {
        toggleEqBypass(m_showPre ? m_info.preBlock[e] : m_info.postBlock[e]);
        return;
    }
    if (id == m_info.idCopy) {
        if (QWidget* copy = findControl(this, id))
            openCopyMenu(*copy, pickText(CopyNames[m_info.copyAToB]).data(),
                         pickText(CopyNames[m_info.copyBToA]).data());
        return;
    }
    if (id == IdCopyItemAToB || id == IdCopyItemBToA) {
        const int from = id == IdCopyItemAToB ? 0 : 1;
        copyEffect(from, 1 - from);
        return;
    }
    for (const auto rows : {m_info.levelRows, m_info.delayRows})
        for (const EffectRow& r : rows)
            if (r.polarityId != 0 && r.polarityId == id) {
                togglePolarity(liveParams.phase[r.phaseIndex[effect]], *button(id));
                return;
            }
}

} // namespace zel
