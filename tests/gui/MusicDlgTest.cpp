// CMusicDlg in the main window: slider rows, the input selector, the slope list, EQ reset and
// bypass in the scene's bank, the Auto lock and re-binding, band selection and navigation, and
// the keyboard rules of a page on its own.
#include "MainWindowFixture.h"

#include "app/Startup.h"
#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "gui/ControlId.h"
#include "gui/eq/FilterDlg.h"
#include "gui/pages/MusicDlg.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/DropListButton.h"
#include "gui/widgets/FontLabel.h"
#include "gui/widgets/NumEdit.h"
#include "model/Defaults.h"
#include "model/DeviceParams.h"

#include <QComboBox>
#include <QTest>

namespace zel::test {
namespace {

class MusicDlgTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        openWindow();
        page = static_cast<CMusicDlg*>(window->panelOfPage(0));
        ASSERT_NE(page, nullptr);
    }
    void moveRow(int sliderId, int pos) {
        page->slider(sliderId)->setPos(pos);
        page->send(WM_SLIDER_MOVING, static_cast<WPARAM>(sliderId), pos);
    }
    void scene(int id) { QTest::mouseClick(window->button(id), Qt::LeftButton); }
    CBitmapButton* pageButton(int id) {
        return qobject_cast<CBitmapButton*>(findControl(page, id));
    }
    QComboBox* list(int id) { return qobject_cast<QComboBox*>(findControl(page, id)); }
    void choose(int listId, int index) {
        list(listId)->setCurrentIndex(index);
        emit list(listId)->activated(index);
    }

    CMusicDlg* page = nullptr;
};

TEST_F(MusicDlgTest, SliderRowsWriteTheirFieldAndShowItsText) {
    struct Case {
        int slider;
        int label;
        int pos;
        const std::uint8_t* field;
        const char* text;
    };
    const Case cases[] = {
        {3031, 3014, 0, &liveParams.compressor[0].threshold, "-34dB"},
        {3031, 3014, 34, &liveParams.compressor[0].threshold, "0dB"},
        {3032, 3016, 15, &liveParams.compressor[0].attack, "90ms"},
        {3034, 3018, 7, &liveParams.compressor[0].release, "Atk X32"},
        {3033, 3020, 40, &liveParams.compressor[0].ratio, "100"},
        {3035, 3022, 0, &liveParams.noiseGate[0].threshold, "-90dB"},
        {3035, 3022, 60, &liveParams.noiseGate[0].threshold, "-30dB"},
        {3036, 3024, 3, &liveParams.noiseGate[0].attack, "1.4ms"},
        {3037, 3026, 7, &liveParams.noiseGate[0].release, "Atk X96"},
    };
    for (const Case& c : cases) {
        moveRow(c.slider, c.pos);
        EXPECT_EQ(*c.field, c.pos) << c.slider;
        EXPECT_EQ(page->label(c.label)->text(), QString::fromLatin1(c.text)) << c.slider;
    }
    // refresh() shows what the store holds.
    liveParams.compressor[0].ratio = 10;
    page->refresh();
    EXPECT_EQ(page->slider(3033)->getPos(), 10);
    EXPECT_EQ(page->label(3020)->text(), QStringLiteral("4.0"));
}

TEST_F(MusicDlgTest, HighPassRowWritesTheShownScenesRecordThroughTheFilter) {
    ASSERT_EQ(liveParams.scene, 1);
    moveRow(CMusicDlg::IdHighPassSlider, 0);
    EXPECT_EQ(liveParams.filter[0].freq, 0);
    EXPECT_EQ(page->label(CMusicDlg::IdHighPassLabel)->text(), QStringLiteral("OFF"));
    EXPECT_TRUE(curveModel(0).highPass()->levelDb()[100] == 0.0) << "off is flat";

    const std::uint16_t singing = liveParams.filter[0].freq;
    scene(CZELDlgDlg::IdDancing);
    moveRow(CMusicDlg::IdHighPassSlider, 60);
    EXPECT_EQ(liveParams.dance.filter[0].freq, 60);
    EXPECT_EQ(liveParams.filter[0].freq, singing);

    // The graph's marker dragged: the row follows through graphBandChanged(10).
    curveModel(0).highPass()->setXoverFreqIndex(77);
    window->send(WM_GRAPH_BAND_SELECTED, 0, 10);
    EXPECT_EQ(page->slider(CMusicDlg::IdHighPassSlider)->getPos(), 77);
    EXPECT_EQ(page->label(CMusicDlg::IdHighPassLabel)->index(), 77);
}

TEST_F(MusicDlgTest, InputSelectorStoresItsValueAndShowsOneButton) {
    struct Case {
        int id;
        int value;
    };
    const Case cases[] = {{CMusicDlg::IdInputUsb, 4},
                          {CMusicDlg::IdInput2, 1},
                          {CMusicDlg::IdInputOptical, 3},
                          {CMusicDlg::IdInputOptical, 3},
                          {CMusicDlg::IdInput1, 0}};
    for (const Case& c : cases) {
        QTest::mouseClick(pageButton(c.id), Qt::LeftButton);
        EXPECT_EQ(liveParams.musicInputPort, c.value);
        for (int id : {CMusicDlg::IdInput1, CMusicDlg::IdInput2, CMusicDlg::IdInputOptical,
                       CMusicDlg::IdInputUsb})
            EXPECT_EQ(pageButton(id)->isPressed(), id == c.id) << c.id << " " << id;
    }
    // A stored 2 has no button: the selector stays as it was.
    liveParams.musicInputPort = 2;
    page->refresh();
    EXPECT_TRUE(pageButton(CMusicDlg::IdInput1)->isPressed());

    choose(CMusicDlg::IdGainList, 2);
    EXPECT_EQ(liveParams.musicInputGain, 2);
}

TEST_F(MusicDlgTest, SlopeListChangesOnlyTheShownScenesRecord) {
    scene(CZELDlgDlg::IdDancing);
    liveParams.filter[0].slope = 0;
    liveParams.dance.filter[0].slope = 0;
    page->refresh();
    choose(CMusicDlg::IdSlopeList, 1);
    EXPECT_EQ(liveParams.dance.filter[0].slope, 1);
    EXPECT_EQ(liveParams.filter[0].slope, 0);
    choose(CMusicDlg::IdSlopeList, 1);
    EXPECT_EQ(liveParams.dance.filter[0].slope, 1);
}

TEST_F(MusicDlgTest, EqResetAndBypassActOnTheBankOfTheScene) {
    struct Case {
        int sceneButton;
        std::uint8_t* bypass;
        EqBand* band;
        std::uint8_t* otherBypass;
        EqBand* otherBand;
    };
    const Case cases[] = {
        {CZELDlgDlg::IdSinging, &liveParams.eqBypass[0], &liveParams.eqBand[4],
         &liveParams.danceEqBypass[0], &liveParams.dance.eqBand[4]},
        {CZELDlgDlg::IdDancing, &liveParams.danceEqBypass[0], &liveParams.dance.eqBand[4],
         &liveParams.eqBypass[0], &liveParams.eqBand[4]},
    };
    for (const Case& c : cases) {
        scene(c.sceneButton);
        const std::uint8_t bypass = *c.bypass;
        const std::uint8_t other = *c.otherBypass;
        QTest::mouseClick(pageButton(CMusicDlg::IdEqBypass), Qt::LeftButton);
        EXPECT_EQ(*c.bypass, bypass ^ 1);
        EXPECT_EQ(*c.otherBypass, other);

        c.band->gain = 330;
        c.otherBand->gain = 150;
        QTest::mouseClick(pageButton(CMusicDlg::IdEqReset), Qt::LeftButton);
        EXPECT_EQ(c.band->gain, 240);
        EXPECT_EQ(c.otherBand->gain, 150);
        EXPECT_EQ(page->strip(4)->gainEdit()->text(), QStringLiteral("0.0"));
    }
}

TEST_F(MusicDlgTest, AutoLocksTheSceneControlsAndManualKeepsTheBinding) {
    scene(CZELDlgDlg::IdDancing);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(curveModel(0).filterAt(k)->band(), &liveParams.dance.eqBand[k]) << k;
    EXPECT_EQ(curveModel(0).highPass()->xover(), &liveParams.dance.filter[0]);

    scene(CZELDlgDlg::IdAuto);
    for (int k = 0; k < 10; ++k)
        EXPECT_FALSE(page->strip(k)->gainEdit()->isEnabled()) << k;
    for (int id : {CMusicDlg::IdEqBypass, CMusicDlg::IdEqReset, CMusicDlg::IdSlopeList,
                   CMusicDlg::IdHighPassSlider})
        EXPECT_FALSE(findControl(page, id)->isEnabled()) << id;
    for (int id : {CMusicDlg::IdGainList, CMusicDlg::IdInput1, 3031, 3035})
        EXPECT_TRUE(findControl(page, id)->isEnabled()) << id;
    // A locked button leaves the store alone even when reached.
    const std::uint8_t bypass = liveParams.danceEqBypass[0];
    page->onCommand(CMusicDlg::IdEqBypass);
    EXPECT_EQ(liveParams.danceEqBypass[0], bypass);

    scene(CZELDlgDlg::IdManual);
    EXPECT_TRUE(page->strip(0)->gainEdit()->isEnabled());
    EXPECT_TRUE(findControl(page, CMusicDlg::IdSlopeList)->isEnabled());
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(curveModel(0).filterAt(k)->band(), &liveParams.dance.eqBand[k]) << k;
    scene(CZELDlgDlg::IdSinging);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(curveModel(0).filterAt(k)->band(), &liveParams.eqBand[k]) << k;
    EXPECT_EQ(curveModel(0).highPass()->xover(), &liveParams.filter[0]);
}

TEST_F(MusicDlgTest, SelectionMovesTheRedBandNumberAndRefreshClearsIt) {
    const QColor red(255, 0, 0);
    page->selectBand(2);
    page->selectBand(5);
    EXPECT_EQ(page->strip(2)->bandLabel()->textColour(), QColor(Qt::black));
    EXPECT_EQ(page->strip(5)->bandLabel()->textColour(), red);
    EXPECT_EQ(page->selectedStrip(), page->strip(5));
    page->refresh();
    EXPECT_EQ(page->selectedStrip(), nullptr);
    EXPECT_EQ(page->strip(5)->bandLabel()->textColour(), QColor(Qt::black));
}

TEST_F(MusicDlgTest, LeftAndRightWalkTheSameEntryThroughTheBandsWithWrapAround) {
    struct Case {
        int fromBand;
        Qt::Key key;
        int toBand;
    };
    for (const Case& c : {Case{0, Qt::Key_Left, 9}, Case{9, Qt::Key_Right, 0},
                          Case{4, Qt::Key_Right, 5}, Case{4, Qt::Key_Left, 3}}) {
        CNumEdit* from = page->strip(c.fromBand)->freqEdit();
        from->setFocus();
        from->setCursorPosition(c.key == Qt::Key_Left ? 0 : static_cast<int>(from->text().size()));
        QTest::keyClick(from, c.key);
        deliver();
        EXPECT_TRUE(page->strip(c.toBand)->freqEdit()->hasFocus()) << c.fromBand;
        EXPECT_EQ(page->selectedStrip(), page->strip(c.toBand)) << c.fromBand;
    }
}

TEST(MusicPageAloneTest, EnterAndEscapeInAStripMoveTheFocusToThePageAndCloseNothing) {
    startUp();
    initDefaults();
    CMusicDlg page;
    page.refresh();
    showActive(page);
    CNumEdit* q = page.strip(3)->qEdit();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        q->setFocus();
        QTest::keyClick(q, key);
        EXPECT_TRUE(page.hasFocus());
        // A second press, now on the page, stays there too.
        QTest::keyClick(&page, key);
        EXPECT_TRUE(page.hasFocus());
        EXPECT_TRUE(page.isVisible());
    }
}

} // namespace
} // namespace zel::test
