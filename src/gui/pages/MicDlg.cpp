// CMicDlg: controls of template 147, its rows and texts, and the channel copy.
#include "gui/pages/MicDlg.h"

#include "app/TextTables.h"
#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "eq/SceneCopy.h"
#include "gui/ControlId.h"
#include "gui/eq/FilterDlg.h"
#include "gui/pages/DynamicsRows.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/DropListButton.h"
#include "model/Globals.h"
#include "model/StoreWrite.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

#include <array>

namespace zel {

namespace {

constexpr int kBands = 20;
constexpr std::array<int, 2> kBlock = {1, 4}; // EqBlockId of microphone A, B

using Target = SliderRow::Target;

// The channel a handler edits: B while MIC-B is on show, else A.
int pageChannel() {
    return g_currentPage == kBlock[1] ? 1 : 0;
}

const SliderRow kHighPassRow{CMicDlg::IdHighPassSlider,
                             CMicDlg::IdHighPassLabel,
                             0,
                             143,
                             kLabelXoverFreq,
                             1,
                             0,
                             "Hz",
                             Target::HighPassFreq,
                             nullptr,
                             nullptr};

// compressor[1] and noiseGate[1] belong to microphone A, [2] to B.
const std::array<SliderRow, 7> kDynamicsRows = dynamicsRows<1>(
    {{3121, 3122, 3123, 3124, 3125, 3126, 3127}, {3106, 3108, 3110, 3112, 3115, 3117, 3119}});
// Caption id of each dynamics row, in the order above.
constexpr std::array<int, 7> kDynamicsCaptions = {3105, 3107, 3109, 3111, 3114, 3116, 3118};

const ControlText kTexts[] = {
    {CMicDlg::IdEqReset, "EQ 重置", "EQ RESET"},
    {CMicDlg::IdEqBypass, "EQ BYPASS", "EQ BYPASS"},
    {CMicDlg::IdCopy, "拷贝", "COPY"},
    {3101, "FBE模式", "FBE Mode"},
    {3103, "麦克风高通", "Mic HPF"},
    {3104, "压限器", "Compressor"},
    {3105, "启动电平", "Attack Level"},
    {3107, "启动时间", "Attack Time"},
    {3109, "释放时间", "Release Time"},
    {3111, "压限比例", "Ratio"},
    {3113, "噪声门", "NosieGate"},
    {3114, "启动电平", "Attack Level"},
    {3116, "启动时间", "Attack Time"},
    {3118, "释放时间", "Release Time"},
};

constexpr CBitmapButton::Look kText = CBitmapButton::Look::Text;

} // namespace

CMicDlg::CMicDlg(QWidget* parent) : CPanelDlg(kBlock[0], 753, 164, parent) {
    // Left: the twenty band strips; below them the EQ buttons, the FBE mode and the
    // high-pass row.
    createStrips(kBands);
    placeButton(IdEqReset, kText, 2, 130, 56, 14);
    placeButton(IdEqBypass, kText, 62, 130, 56, 14);
    placeButton(IdCopy, kText, 122, 130, 48, 14);
    place<QLabel>(3101, 182, 133, 44, 9);
    placeList(IdFbeList, {"OFF", "1", "2", "3", "4", "5"}, 228, 131, 40);
    place<QLabel>(3103, 282, 133, 46, 9);
    addRow(kHighPassRow, QRect(330, 132, 100, 11), QRect(434, 133, 44, 9));

    // Right: compressor (four rows) over noise gate (three rows).
    place<QGroupBox>(3104, 538, 1, 214, 72);
    place<QGroupBox>(3113, 538, 76, 214, 70);
    for (std::size_t r = 0; r < kDynamicsRows.size(); ++r) {
        const bool gate = r >= 4;
        const int y = gate ? 90 + 16 * static_cast<int>(r - 4) : 14 + 15 * static_cast<int>(r);
        place<QLabel>(kDynamicsCaptions[r], 544, y, 56, 9);
        addRow(kDynamicsRows[r], QRect(600, y - 1, 100, 11), QRect(704, y, 44, 9));
    }

    finishSetUp(kTexts);
}

CKTVEQ& CMicDlg::model() const {
    return curveModel(kBlock[static_cast<std::size_t>(m_channel)]);
}

void CMicDlg::refresh() {
    m_channel = pageChannel();
    // The band filters stay on their records from start-up; only the strips follow.
    refreshStrips();
    showRow(kHighPassRow, rowValue(kHighPassRow));
    graphRedraw(-1, false);
    if (auto* fbe = qobject_cast<QComboBox*>(findControl(this, IdFbeList)))
        fbe->setCurrentIndex(storeRead(liveParams.fbeMode[m_channel]));
    for (const SliderRow& row : kDynamicsRows)
        showRow(row, rowValue(row));
    strip(0)->typeButton()->setFocus(Qt::OtherFocusReason);
}

void CMicDlg::copyChannel(int from, int to) {
    const auto f = static_cast<std::size_t>(from);
    const auto t = static_cast<std::size_t>(to);
    copyEqBlock(kBlock[f], kBlock[t]);
    copyXover(*curveModel(kBlock[f]).highPass(), *curveModel(kBlock[t]).highPass());
    storeCopy(liveParams.eqBypass[1 + t], liveParams.eqBypass[1 + f]);
    storeCopy(liveParams.fbeMode[t], liveParams.fbeMode[f]);
    storeCopy(liveParams.noiseGate[1 + t], liveParams.noiseGate[1 + f]);
    storeCopy(liveParams.compressor[1 + t], liveParams.compressor[1 + f]);
    if (pageChannel() == to)
        refresh();
}

void CMicDlg::onCommand(int id) {
    const int channel = pageChannel();
    const int block = kBlock[static_cast<std::size_t>(channel)];
    switch (id) {
    case IdFbeList:
        if (auto* fbe = qobject_cast<QComboBox*>(findControl(this, IdFbeList))) {
            const int mode = fbe->currentIndex();
            std::uint8_t& field = liveParams.fbeMode[channel];
            if (mode >= 0 && mode != storeRead(field))
                storeWrite(field, static_cast<std::uint8_t>(mode));
        }
        return;
    case IdEqReset:
        eqReset(block);
        refresh();
        graphSelectView(block);
        graphRedraw(-1, false);
        return;
    case IdEqBypass:
        toggleEqBypass(block);
        return;
    case IdCopy:
        if (QWidget* copy = findControl(this, IdCopy))
            openCopyMenu(*copy, pickText(CopyNames[kCopyMicAToB]).data(),
                         pickText(CopyNames[kCopyMicBToA]).data());
        return;
    case IdCopyItemAToB:
        copyChannel(0, 1);
        return;
    case IdCopyItemBToA:
        copyChannel(1, 0);
        return;
    default:
        return;
    }
}

} // namespace zel
