// CFilterDlg: the narrow editor strip of one parametric band, lined up under the EQ graph.
#pragma once

#include "eq/GainSliderLink.h"
#include "gui/MessageWindow.h"

#include <QWidget>

namespace zel {

class CBitmapSlider;
class CDropListButton;
class CFilter;
class CFontLabel;
class CNumEdit;

// Band number, type, gain as text and as a vertical slider, frequency and Q of one band. Every
// edit goes through the attached CFilter into the band's record; the strip then tells its page
// which band was touched with WM_BAND_SELECTED (0, band index): sent after an entry was
// committed, posted after the slider moved. Left/Right in an entry reach the page as
// WM_BAND_NAVIGATE. The strip is the filter's linked slider, so a marker dragged on the graph
// moves the gain slider.
class CFilterDlg : public MessageWindow<QWidget>, public GainSliderLink {
    Q_OBJECT

public:
    // Control ids of the strip's template.
    static constexpr int IdQEdit = 1037;
    static constexpr int IdFreqEdit = 1038;
    static constexpr int IdGainEdit = 1041;
    static constexpr int IdBandLabel = 1043;
    static constexpr int IdGainSlider = 1044;
    static constexpr int IdTypeButton = 2500;
    static constexpr int IdTypeList = 2501;

    // Creates the strip and its controls as a child of the page and initialises them.
    explicit CFilterDlg(QWidget* parent = nullptr);
    ~CFilterDlg() override;

    // Client size measured at creation; the page lays the strips out with it.
    int stripWidth() const { return m_width; }
    int stripHeight() const { return m_height; }

    void setBandIndex(int i);
    int bandIndex() const { return m_bandIndex; }
    // The filter of the band this strip edits (not owned); the strip becomes its linked slider.
    void attachFilter(CFilter* f);
    CFilter* filter() const { return m_filter; }
    // Every control from the band's record.
    void refreshStrip();
    // After a graph drag: the three entries from the record, then the focus to the gain entry.
    // The slider already followed the drag.
    void refreshFromGraph();
    void showStrip(bool show);
    void enableStrip(bool enable);
    // The page's mark of its selected band: the band number in red, or back to black.
    void highlight(bool on);

    // GainSliderLink: the graph moved the band's gain.
    void setGainPosition(int gainIndex) override;

    CFontLabel* bandLabel() const { return m_label; }
    CDropListButton* typeButton() const { return m_type; }
    CNumEdit* gainEdit() const { return m_gainEdit; }
    CBitmapSlider* gainSlider() const { return m_slider; }
    CNumEdit* freqEdit() const { return m_freqEdit; }
    CNumEdit* qEdit() const { return m_qEdit; }

protected:
    LRESULT onMessage(const Message& m) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void onEditChanged(int id);
    void onSliderMoved();
    void onTypeChosen();
    void detachFilter();
    // The attached filter when it edits a band record; edits of anything else go nowhere.
    CFilter* bandFilter() const;

    CFontLabel* m_label = nullptr;
    CDropListButton* m_type = nullptr;
    CNumEdit* m_gainEdit = nullptr;
    CBitmapSlider* m_slider = nullptr;
    CNumEdit* m_freqEdit = nullptr;
    CNumEdit* m_qEdit = nullptr;

    int m_width = 0;
    int m_height = 0;
    int m_bandIndex = 0;
    CFilter* m_filter = nullptr;
    // The last values taken from the controls.
    int m_gain = 0;
    int m_freq = 0;
    int m_q = 0;
    int m_typeValue = 0;
};

} // namespace zel
