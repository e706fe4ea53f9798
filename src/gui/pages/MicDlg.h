// CMicDlg: the page of both microphone channels - twenty band strips, the high-pass row, the
// FBE mode, compressor and noise gate, and the copy between the channels.
#pragma once

#include "gui/pages/PanelDlg.h"

namespace zel {

class CMicDlg : public CPanelDlg {
    Q_OBJECT

public:
    static constexpr int IdEqReset = 1045;
    static constexpr int IdEqBypass = 3100;
    static constexpr int IdCopy = 1337;
    static constexpr int IdFbeList = 3102;
    static constexpr int IdHighPassSlider = 3120;
    static constexpr int IdHighPassLabel = 1109;

    explicit CMicDlg(QWidget* parent = nullptr);

    void refresh() override;
    CKTVEQ& model() const override;
    int rowBank() const override { return m_channel; }

    // Public so tests and the main window's shots can drive them like a click.
    void onCommand(int id) override;

private:
    // Every field of channel `from` onto channel `to`, then the page if it shows `to`.
    void copyChannel(int from, int to);

    int m_channel = 0; // 0 microphone A, 1 microphone B: the channel of the last refresh
};

} // namespace zel
