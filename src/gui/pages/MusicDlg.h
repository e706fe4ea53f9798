// CMusicDlg: the music input page - input selector and gain, the ten-band music EQ with its
// high-pass filter in the scene's bank, compressor and noise gate.
#pragma once

#include "gui/pages/PanelDlg.h"

namespace zel {

class CMusicDlg : public CPanelDlg {
    Q_OBJECT

public:
    static constexpr int IdEqBypass = 3000;
    static constexpr int IdEqReset = 3001;
    static constexpr int IdInput1 = 3008;
    static constexpr int IdInput2 = 3009;
    static constexpr int IdInputOptical = 1387;
    static constexpr int IdInputUsb = 1388;
    static constexpr int IdGainList = 1036;
    static constexpr int IdSlopeList = 3012;
    static constexpr int IdHighPassSlider = 3030;
    static constexpr int IdHighPassLabel = 3010;

    explicit CMusicDlg(QWidget* parent = nullptr);

    void refresh() override;
    void applyScene(bool reload) override;
    CKTVEQ& model() const override;
    int rowBank() const override;

    // Public so tests and the main window's shots can drive them like a click.
    void onCommand(int id) override;

private:
    // Bands and high-pass filter bound to the scene's records, strips, high-pass row, slope.
    void refreshEq();
    void bindScene(int bank);
    void showSelector();
    void setSceneControlsEnabled(bool enabled);
};

} // namespace zel
