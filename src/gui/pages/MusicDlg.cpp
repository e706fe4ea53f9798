// CMusicDlg: controls of template 143, its rows and texts, and the scene lock.
#include "gui/pages/MusicDlg.h"

#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "gui/ControlId.h"
#include "gui/eq/FilterDlg.h"
#include "gui/pages/DynamicsRows.h"
#include "gui/pages/SceneBank.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/DropListButton.h"
#include "model/StoreWrite.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

#include <array>

namespace zel {

namespace {

constexpr int kMusicBlock = 0;
constexpr int kBands = 10;
constexpr int kMusicFilter = 0;

using Target = SliderRow::Target;

const SliderRow kHighPassRow{CMusicDlg::IdHighPassSlider,
                             CMusicDlg::IdHighPassLabel,
                             0,
                             143,
                             kLabelXoverFreq,
                             1,
                             0,
                             "Hz",
                             Target::HighPassFreq,
                             nullptr,
                             nullptr};

const std::array<SliderRow, 7> kDynamicsRows = dynamicsRows<0>(
    {{3031, 3032, 3034, 3033, 3035, 3036, 3037}, {3014, 3016, 3018, 3020, 3022, 3024, 3026}});
// Caption id of each dynamics row, in the order above.
constexpr std::array<int, 7> kDynamicsCaptions = {3013, 3015, 3017, 3019, 3021, 3023, 3025};

const std::array<ControlText, 19> kTexts = {{
    {CMusicDlg::IdEqReset, "EQ 重置", "EQ RESET"},
    {CMusicDlg::IdEqBypass, "EQ BYPASS", "EQ BYPASS"},
    {3002, "音乐输入", "Music Input"},
    {3006, "音乐输入口", "Music Port"},
    {3007, "音乐输入增益", "Music Gain"},
    {3005, "音乐高通", "Music HPF"},
    {3011, "滤波器斜率", "Slope/OCT"},
    {3003, "压限器", "Compressor"},
    {3013, "启动电平", "Attack Level"},
    {3015, "启动时间", "Attack Time"},
    {3017, "释放时间", "Release Time"},
    {3019, "压限比例", "Ratio"},
    {3004, "噪声门", "NoiseGate"},
    {3021, "启动电平", "Attack Level"},
    {3023, "启动时间", "Attack Time"},
    {3025, "释放时间", "Release Time"},
    // The optical input's picture carries its name; the other three read the same in both.
    {CMusicDlg::IdInputOptical, "光纤", "Optical"},
    {CMusicDlg::IdInput1, "1", "1"},
    {CMusicDlg::IdInput2, "2", "2"},
}};

struct SelectorButton {
    int id;
    std::uint8_t value;
};
constexpr std::array<SelectorButton, 4> kSelector = {{
    {CMusicDlg::IdInput1, 0},
    {CMusicDlg::IdInput2, 1},
    {CMusicDlg::IdInputOptical, 3},
    {CMusicDlg::IdInputUsb, 4},
}};

constexpr CBitmapButton::Look kRadio = CBitmapButton::Look::Radio;
constexpr CBitmapButton::Look kText = CBitmapButton::Look::Text;

} // namespace

CMusicDlg::CMusicDlg(QWidget* parent) : CPanelDlg(kMusicBlock, 927, 151, parent) {
    // Left: the ten band strips, the EQ buttons below them.
    createStrips(kBands);
    placeButton(IdEqReset, kText, 2, 128, 56, 14);
    placeButton(IdEqBypass, kText, 64, 128, 56, 14);

    // Music input: port selector and gain.
    place<QGroupBox>(3002, 272, 1, 150, 72);
    place<QLabel>(3006, 280, 13, 130, 9);
    placeButton(IdInput1, kRadio, 284, 24, 44, 11);
    placeButton(IdInput2, kRadio, 344, 24, 44, 11);
    placeButton(IdInputOptical, kRadio, 284, 37, 44, 11);
    placeButton(IdInputUsb, kRadio, 344, 37, 44, 11)->setText(QStringLiteral("USB"));
    place<QLabel>(3007, 280, 55, 62, 9);
    placeList(IdGainList, {"0dB", "3dB", "6dB"}, 346, 53, 50);

    // High-pass filter of the music EQ.
    place<QGroupBox>(3005, 272, 76, 150, 68);
    addRow(kHighPassRow, QRect(280, 88, 100, 11), QRect(384, 89, 36, 9));
    place<QLabel>(3011, 280, 113, 62, 9);
    placeList(IdSlopeList, {"12dB", "24dB"}, 346, 111, 50);

    // Compressor (four rows) and noise gate (three rows).
    place<QGroupBox>(3003, 428, 1, 214, 143);
    place<QGroupBox>(3004, 648, 1, 210, 143);
    for (std::size_t r = 0; r < kDynamicsRows.size(); ++r) {
        const bool gate = r >= 4;
        const int x = gate ? 654 : 434;
        const int y = 18 + 30 * static_cast<int>(gate ? r - 4 : r);
        place<QLabel>(kDynamicsCaptions[r], x, y, 56, 9);
        addRow(kDynamicsRows[r], QRect(x + 56, y - 1, 100, 11), QRect(x + 160, y, 40, 9));
    }

    finishSetUp(kTexts);
}

CKTVEQ& CMusicDlg::model() const {
    return curveModel(kMusicBlock);
}

int CMusicDlg::rowBank() const {
    return 0;
}

void CMusicDlg::bindScene(int bank) {
    if (bank < 0)
        return; // Auto: the bank bound last stays attached, locked
    EqBand* bands = bankBands(kMusicBlock, bank);
    for (int k = 0; k < kBands; ++k)
        model().filterAt(k)->bindBand(&bands[k]);
}

void CMusicDlg::refreshEq() {
    const int bank = sceneBank();
    bindScene(bank);
    refreshStrips();
    if (bank >= 0)
        model().highPass()->bindXover(bankFilter(kMusicFilter, bank));
    CFilter* hpf = model().highPass();
    showRow(kHighPassRow, storeRead(hpf->xover()->freq));
    if (auto* slope = qobject_cast<QComboBox*>(findControl(this, IdSlopeList)))
        slope->setCurrentIndex(storeRead(hpf->xover()->slope));
    graphRedraw(-1, true);
}

void CMusicDlg::refresh() {
    refreshEq();
    showSelector();
    if (auto* gain = qobject_cast<QComboBox*>(findControl(this, IdGainList)))
        gain->setCurrentIndex(storeRead(liveParams.musicInputGain));
    refreshRows();
    strip(0)->typeButton()->setFocus(Qt::OtherFocusReason);
}

void CMusicDlg::setSceneControlsEnabled(bool enabled) {
    for (int id : {IdEqBypass, IdEqReset, IdSlopeList})
        if (QWidget* c = findControl(this, id))
            c->setEnabled(enabled);
    if (CBitmapSlider* s = slider(IdHighPassSlider)) {
        s->enable(enabled);
        s->setEnabled(enabled);
    }
    if (CEditStatic* l = label(IdHighPassLabel))
        l->setEnabled(enabled);
}

void CMusicDlg::applyScene(bool reload) {
    const int bank = sceneBank();
    if (bank < 0) {
        enableStrips(false);
        setSceneControlsEnabled(false);
        graphRedraw(-1, true);
        return;
    }
    enableStrips(true);
    bindScene(bank);
    setSceneControlsEnabled(true);
    if (reload)
        refreshEq();
}

void CMusicDlg::showSelector() {
    const std::uint8_t port = storeRead(liveParams.musicInputPort);
    bool known = false;
    for (const SelectorButton& b : kSelector)
        known = known || b.value == port;
    if (!known)
        return; // a value without a button leaves the selector as it is
    for (const SelectorButton& b : kSelector)
        if (auto* button = qobject_cast<CBitmapButton*>(findControl(this, b.id)))
            button->setPressed(b.value == port);
}

void CMusicDlg::onCommand(int id) {
    for (const SelectorButton& b : kSelector) {
        if (b.id != id)
            continue;
        if (storeRead(liveParams.musicInputPort) != b.value) {
            storeWrite(liveParams.musicInputPort, b.value);
            showSelector();
        }
        return;
    }
    switch (id) {
    case IdGainList:
        if (auto* gain = qobject_cast<QComboBox*>(findControl(this, IdGainList)))
            if (gain->currentIndex() >= 0)
                storeWrite(liveParams.musicInputGain,
                           static_cast<std::uint8_t>(gain->currentIndex()));
        return;
    case IdSlopeList:
        if (sceneBank() < 0)
            return;
        if (auto* slope = qobject_cast<QComboBox*>(findControl(this, IdSlopeList))) {
            CFilter* hpf = model().highPass();
            if (slope->currentIndex() >= 0 &&
                slope->currentIndex() != storeRead(hpf->xover()->slope)) {
                hpf->setSlope(slope->currentIndex());
                graphRedraw(-1, false);
            }
        }
        return;
    case IdEqReset:
        eqReset(kMusicBlock);
        refresh();
        graphSelectView(kMusicBlock);
        graphRedraw(-1, false);
        return;
    case IdEqBypass:
        toggleEqBypass(kMusicBlock);
        return;
    default:
        return;
    }
}

} // namespace zel
