// COutputDlg: the output page family - four source levels with polarities, the limiter, the
// per-channel delays, mute and solo, the EQ and the crossover extras - driven by one row of
// the OutputPage table (CMainDlg, CCenterDlg, CSubDlg, CRearDlg).
#pragma once

#include "gui/pages/OutputPage.h"
#include "gui/pages/PanelDlg.h"

namespace zel {

class COutputDlg : public CPanelDlg {
    Q_OBJECT

public:
    // The five entries of the Subwoofer's crossover type lists, their spaces included.
    static constexpr std::array<const char*, 5> kSubTypes = {
        "Bessel 24dB", "Butter   24dB", "LinkRi  48dB", "User     24dB", "User     48dB"};

    COutputDlg(const OutputPage& page, QWidget* parent);

    void refresh() override;
    void applyScene(bool reload) override;
    void refreshMuteSolo() override;
    CKTVEQ& model() const override;
    // The scene bank: the scene rows have no field while Auto.
    int rowBank() const override;

    const OutputPage& page() const { return m_page; }

    // Public so tests and the shots can drive them like a click.
    void onCommand(int id) override;

private:
    void layOut();
    void attachStrips();
    void bindBands(int bank);
    // The scene part of refresh: strips, crossovers, levels and polarities of the scene.
    void refreshScene(int bank);
    void refreshCrossover(int bank);
    // Subwoofer: select type t in a list and show its Q row only for the user types.
    void showType(int listId, int t);
    void setSceneControlsEnabled(bool enabled);
    void showMuteSolo(const OutputChannel& channel);
    void muteClicked(const OutputChannel& channel);
    void soloClicked(const OutputChannel& channel);
    void typeChosen(int listId);

    const OutputPage& m_page;
    std::vector<ControlText> m_texts;
};

} // namespace zel
