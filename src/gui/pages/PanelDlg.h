// CPanelDlg: the base of every channel page - band strips, slider rows described by data, EQ
// reset and bypass, polarity buttons, the copy menu, texts by control id and the keyboard
// rules.
//
// How a page plugs in:
//   1. Derive from CPanelDlg (`class CMicDlg : public CPanelDlg`) and pass the EqBlockId of its
//      first block and its template size in dialog units to the constructor.
//   2. In the constructor, in template dialog units: createStrips(n); place<QGroupBox>,
//      place<QLabel>(id, x, y, w, h) for frames and captions; placeButton(id, look, ...) and
//      placeList(id, {items}, ...) for controls whose clicks and choices reach onCommand(id);
//      addRow(row, sliderRect, labelRect) for each entry of a static SliderRow table (the row
//      names its store field per bank, range, LabelKind, step, offset and unit, so one handler
//      serves every slider). Finish with finishSetUp(texts), texts being a static table of
//      ControlText (group titles, captions, button texts by id in both languages).
//   3. Override model() (the CKTVEQ shown) and refresh(); as needed rowBank() (channel A/B or
//      scene bank), bandsShown(), applyScene(reload), graphBandChanged(i), refreshMuteSolo()
//      and onCommand(id). refresh() calls refreshStrips() and refreshRows(); the shared buttons
//      use eqReset(), toggleEqBypass(), togglePolarity() and openCopyMenu(). Records that have
//      a Dance copy are looked up through SceneBank.h only; the main window's mute, solo and
//      commands through g_pPanelHost (PanelHost.h).
//   4. Create the page in CZELDlgDlg::createPanels() in its slot; its page button is enabled
//      from then on, and the main window calls refresh, applyLanguage and applyScene.
// Every control writes the store through storeWrite; pages never build device frames.
#pragma once

#include "gui/MessageWindow.h"
#include "gui/pages/EditStatic.h"
#include "gui/widgets/BitmapButton.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class QComboBox;

namespace zel {

class CBitmapSlider;
class CFilter;
class CFilterDlg;
class CKTVEQ;
struct U16le;

// One slider row: slider and value label, the store field it edits and how the label reads.
struct SliderRow {
    enum class Target : std::uint8_t {
        Byte,          // byteField(bank)
        Word,          // wordField(bank)
        HighPassFreq,  // through the shown model's high-pass filter
        LowPassFreq,   // through the shown model's low-pass filter
        HighPassUserQ, // user Q of the high-pass filter
        LowPassUserQ,  // user Q of the low-pass filter
    };
    int sliderId;
    int labelId;
    int min;
    int max;
    int kind; // LabelKind
    int step;
    int offset;
    const char* unit; // UTF-8, may be null
    Target target;
    // The store field for the bank the page shows (rowBank(): channel 0/1 or scene 0/1);
    // null where the bank has none (rowBank() -1 while the scene is Auto): the row then only
    // shows its label.
    std::uint8_t* (*byteField)(int bank);
    U16le* (*wordField)(int bank);
    double realStep = 0.0;   // kind 14 only
    double realOffset = 0.0; // kind 14 only
};

// A translated text of a control (group title, caption, button text), by control id.
struct ControlText {
    int id;
    const char* cn; // UTF-8
    const char* en;
};

class CPanelDlg : public MessageWindow<QWidget> {
    Q_OBJECT

public:
    // Ids shared by the pages that have these buttons.
    static constexpr int IdCopyItemAToB = 132;
    static constexpr int IdCopyItemBToA = 133;

    CPanelDlg(int firstBlockId, int templateWidthDlu, int templateHeightDlu,
              QWidget* parent = nullptr);
    ~CPanelDlg() override;

    // Reload every control from the store (g_currentPage is set first).
    virtual void refresh() = 0;
    // Every text of the page in the language of g_bChinese.
    virtual void applyLanguage();
    // The music scene changed (pages whose data depend on it).
    virtual void applyScene(bool reload);
    // The EQ graph changed element i of the shown model.
    virtual void graphBandChanged(int i);
    // Output pages: mute and solo buttons from the store (after ALL MUTE).
    virtual void refreshMuteSolo() {}

    // The EQ model the strips and the graph show now.
    virtual CKTVEQ& model() const = 0;
    // The model whose high-pass and low-pass filters the crossover rows edit; differs from
    // model() where a page shows an EQ without crossovers beside one with them.
    virtual CKTVEQ& xoverModel() const { return model(); }
    // Bands shown now (the strips in use).
    virtual int bandsShown() const { return static_cast<int>(m_strips.size()); }
    // The bank rows read and write: the channel (0 A, 1 B) or the scene bank (0, 1).
    virtual int rowBank() const { return 0; }

    // Slider row handling, also reachable by tests and benchmarks through the messages.
    void onValueSlider(int sliderId);
    void selectBand(int i);
    CFilterDlg* selectedStrip() const { return m_selected; }
    CFilterDlg* strip(int i) const { return m_strips.at(static_cast<std::size_t>(i)); }
    int stripCount() const { return static_cast<int>(m_strips.size()); }
    CBitmapSlider* slider(int sliderId) const;
    CEditStatic* label(int labelId) const;
    int firstBlockId() const { return m_blockId; }

protected:
    LRESULT onMessage(const Message& m) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

    // Button and list notifications by control id.
    virtual void onCommand(int id);

    // Creates a control of the page at a template rectangle, with its id.
    template <class T, class... Args> T* place(int id, int x, int y, int w, int h, Args&&... a) {
        T* c = new T(std::forward<Args>(a)..., this);
        placeControl(c, id, x, y, w, h);
        return c;
    }
    void placeControl(QWidget* c, int id, int x, int y, int w, int h);
    // A bitmap button whose clicks reach onCommand(id).
    CBitmapButton* placeButton(int id, CBitmapButton::Look look, int x, int y, int w, int h);
    // A drop-down list with fixed entries whose choices reach onCommand(id).
    QComboBox* placeList(int id, std::initializer_list<const char*> items, int x, int y, int w);
    // Slider and label of a row at the template places given; the caption is a text entry.
    void addRow(const SliderRow& row, QRect sliderDlu, QRect labelDlu);
    // n strips side by side from the top-left corner.
    void createStrips(int n);
    // Once every control exists: keyboard rules on every child, captions from the texts.
    void finishSetUp(std::span<const ControlText> texts);

    // Every row with a field in the bank shown: label and slider from the store; list and
    // button states are the page's own.
    void refreshRows();
    // Forgets the selected strip; attaches strip k to element k of model() and refreshes it.
    void refreshStrips();
    // Forgets the selected strip (its highlight goes), leaving every strip's binding.
    void forgetSelection();
    void enableStrips(bool enable);
    // The store value of a row for the bank shown, -1 where the bank has no field.
    int rowValue(const SliderRow& row) const;
    void showRow(const SliderRow& row, int value);
    const SliderRow* rowOfSlider(int sliderId) const;

    // EQ reset of block blockId; the caller refreshes what shows it.
    void eqReset(int blockId);
    // Inverts the bypass flag of block blockId in the scene bank (nothing while Auto for
    // scene blocks) and redraws the graph.
    void toggleEqBypass(int blockId);
    // Inverts a polarity flag and sets the button's "+" / "-".
    void togglePolarity(std::uint8_t& flag, CBitmapButton& button);
    static void showPolarity(std::uint8_t flag, CBitmapButton& button);
    // Opens the copy pop-up below `button` with items 132 and 133; the choice goes to
    // onCommand(132 or 133).
    void openCopyMenu(QWidget& button, const char* aToB, const char* bToA);

    // Copies the bands of block `from` onto those of block `to` (blocks of one bank, with the
    // same band count) and re-attaches `to`'s band filters to its records, so its curve
    // follows.
    static void copyEqBlock(int from, int to);
    // Copies a crossover record onto another and re-attaches the target's filter to it.
    static void copyXover(const CFilter& from, CFilter& to);

    // The graph, when the main window has one.
    static void graphRedraw(int highlight, bool dropSelection);
    static void graphSelectView(int view);

    static QString text(const char* utf8) { return QString::fromUtf8(utf8); }

private:
    struct RowControls {
        const SliderRow* row;
        CBitmapSlider* slider;
        CEditStatic* label;
    };
    void navigate(int id, LPARAM key);
    void applyTexts();

    int m_blockId;
    std::vector<CFilterDlg*> m_strips;
    CFilterDlg* m_selected = nullptr;
    std::vector<RowControls> m_rows;
    std::span<const ControlText> m_texts;
    int m_lastSliderPos = 0;
};

} // namespace zel
