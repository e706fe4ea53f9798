// CEffectDlg: what the echo and reverb pages share - one page for the A and B effects, a
// five-band pre-EQ holding the effect's high-pass and low-pass filters beside a ten-band
// post-EQ, the PRE-EQ / POST-EQ choice, level and delay groups of slider rows, polarity
// buttons and the copy between the two effects. The pages are data for it.
#pragma once

#include "app/TextTables.h"
#include "gui/pages/PanelDlg.h"

#include <array>
#include <span>

namespace zel {

class CBitmapButton;

// A slider row of an effect page with its caption and, for a level, its polarity button.
struct EffectRow {
    int captionId;
    const SliderRow* row;
    int polarityId;    // 0 without a button
    int phaseIndex[2]; // phase[] of the polarity for effect A, B
};

// Everything that tells one effect page from the other.
struct EffectPage {
    int widthDlu;
    int heightDlu;
    std::array<int, 2> preBlock;  // EqBlockId of the pre-EQ of effect A, B (also the page)
    std::array<int, 2> postBlock; // EqBlockId of the post-EQ of effect A, B
    int idPre;
    int idPost;
    int idEqReset;
    int idEqBypass;
    int idCopy;
    int idLevelGroup;
    int idDelayGroup;
    std::span<const EffectRow> levelRows;
    std::span<const EffectRow> delayRows;
    // A high-damp crossover outside the models: filter[] of effect A, B; -1 without one.
    std::array<int, 2> highDampFilter;
    CopyNameId copyAToB;
    CopyNameId copyBToA;
    std::span<const ControlText> texts;
};

class CEffectDlg : public CPanelDlg {
    Q_OBJECT

public:
    explicit CEffectDlg(const EffectPage& page, QWidget* parent = nullptr);

    // Starts on the pre-EQ.
    void refresh() override;
    // Reloads the page keeping the PRE-EQ / POST-EQ choice (after a copy).
    void refreshKeepingEq();
    CKTVEQ& model() const override;
    CKTVEQ& xoverModel() const override;
    int bandsShown() const override;
    // The effect on show: B while its page is g_currentPage, else A.
    int rowBank() const override;

    bool showsPre() const { return m_showPre; }
    const EffectPage& info() const { return m_info; }

    // Public so tests and the main window's shots can drive them like a click.
    void onCommand(int id) override;

private:
    void showEqButtons();
    // Strips, graph view and model of the EQ shown, with the selection forgotten.
    void bindShownEq();
    void showEffect();
    void copyEffect(int from, int to);
    CBitmapButton* button(int id) const;

    const EffectPage& m_info;
    bool m_showPre = true;
    int m_effect = 0; // 0 effect A, 1 effect B: the effect of the last refresh
};

} // namespace zel
