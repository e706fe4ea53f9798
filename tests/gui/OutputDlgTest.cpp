// The output pages in the main window: mute and solo by the master strip's rules, the
// Subwoofer's type lists and Q rows, the row texts of every page, the Auto lock and the
// reload of a page from the Dance copy.
#include "MainWindowFixture.h"

#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "gui/ControlId.h"
#include "gui/eq/FilterDlg.h"
#include "gui/pages/OutputDlg.h"
#include "gui/pages/SubDlg.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/NumEdit.h"
#include "model/DeviceParams.h"

#include <QComboBox>
#include <QTest>

#include <array>

namespace zel::test {
namespace {

class OutputDlgTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        openWindow();
    }
    // Shows output page 7..10 the way its page button does.
    COutputDlg* show(int page) {
        QTest::mouseClick(window->button(CZELDlgDlg::IdFirstPageButton + page), Qt::LeftButton);
        deliver();
        auto* p = static_cast<COutputDlg*>(window->panelOfPage(page));
        EXPECT_TRUE(p->isVisible());
        return p;
    }
    static CBitmapButton* button(COutputDlg* p, int id) {
        return qobject_cast<CBitmapButton*>(findControl(p, id));
    }
    static void click(COutputDlg* p, int id) { QTest::mouseClick(button(p, id), Qt::LeftButton); }
    static void moveRow(COutputDlg* p, int sliderId, int pos) {
        p->slider(sliderId)->setPos(pos);
        p->send(WM_SLIDER_MOVING, static_cast<WPARAM>(sliderId), pos);
    }
    static QComboBox* list(COutputDlg* p, int id) {
        return qobject_cast<QComboBox*>(findControl(p, id));
    }
    static void choose(COutputDlg* p, int listId, int index) {
        list(p, listId)->setCurrentIndex(index);
        emit list(p, listId)->activated(index);
    }
    void scene(int id) { QTest::mouseClick(window->button(id), Qt::LeftButton); }
    static std::array<int, 6> mutes() {
        std::array<int, 6> m{};
        for (int i = 0; i < 6; ++i)
            m[static_cast<std::size_t>(i)] = liveParams.outputMute[i];
        return m;
    }
    static int solos() {
        int n = 0;
        for (std::uint8_t s : liveParams.outputSolo)
            n += s;
        return n;
    }
};

TEST_F(OutputDlgTest, SoloAndMuteFollowTheMasterStripRules) {
    COutputDlg* main = show(7);
    const OutputChannel& left = main->page().channels[0];
    const OutputChannel& right = main->page().channels[1];

    // Solo of Main left from nothing: every other output muted.
    click(main, left.soloId);
    EXPECT_EQ(mutes(), (std::array<int, 6>{0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(liveParams.outputSolo[0], 1);
    EXPECT_EQ(solos(), 1);
    EXPECT_TRUE(button(main, left.soloId)->isPressed());
    EXPECT_FALSE(button(main, left.muteId)->isPressed());
    EXPECT_TRUE(button(main, right.muteId)->isPressed());
    EXPECT_FALSE(button(main, right.soloId)->isPressed());
    EXPECT_FALSE(window->button(CZELDlgDlg::IdAllMute)->isPressed());

    // Again: everything sounds, nothing soloed.
    click(main, left.soloId);
    EXPECT_EQ(mutes(), (std::array<int, 6>{}));
    EXPECT_EQ(solos(), 0);
    EXPECT_FALSE(button(main, right.muteId)->isPressed());

    // Center's mute while Main left is soloed: Center sounds again, the solo goes, the rest
    // stays as the solo left it.
    click(main, left.soloId);
    COutputDlg* center = show(8);
    const OutputChannel& c = center->page().channels[0];
    EXPECT_TRUE(button(center, c.muteId)->isPressed()) << "the refresh shows the solo's mute";
    click(center, c.muteId);
    EXPECT_EQ(mutes(), (std::array<int, 6>{0, 1, 1, 0, 1, 1}));
    EXPECT_EQ(solos(), 0);
    EXPECT_FALSE(button(center, c.muteId)->isPressed());

    // ALL MUTE brings the shown page's buttons in line.
    click(center, c.soloId);
    QTest::mouseClick(window->button(CZELDlgDlg::IdAllMute), Qt::LeftButton);
    EXPECT_EQ(mutes(), (std::array<int, 6>{1, 1, 1, 1, 1, 1}));
    EXPECT_TRUE(button(center, c.muteId)->isPressed());
    EXPECT_FALSE(button(center, c.soloId)->isPressed());
}

TEST_F(OutputDlgTest, SubwooferTypeListsShowTheQRowOnlyForUserTypes) {
    CSubDlg* sub = static_cast<CSubDlg*>(show(9));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list(sub, xover::SubHighPassTypeList)->itemText(i),
                  QString::fromLatin1(COutputDlg::kSubTypes[static_cast<std::size_t>(i)]));
    EXPECT_EQ(list(sub, xover::SubLowPassTypeList)->itemText(1), QStringLiteral("Butter   24dB"));

    struct Filter {
        int listId;
        int qCaption;
        int qSlider;
        FilterParams* record;
    };
    const Filter filters[] = {
        {xover::SubHighPassTypeList, xover::SubHighPassQCaption, 3762, &liveParams.filter[4]},
        {xover::SubLowPassTypeList, xover::SubLowPassQCaption, 3760, &liveParams.filter[15]},
    };
    for (const Filter& f : filters) {
        f.record->userQ = 9;
        for (int t : {3, 1, 4, 0, 2}) {
            choose(sub, f.listId, t);
            const bool user = t >= 3;
            EXPECT_EQ(f.record->slope, t);
            EXPECT_EQ(f.record->userQ, 9) << "the stored user Q stays";
            EXPECT_EQ(findControl(sub, f.qCaption)->isVisible(), user) << t;
            EXPECT_EQ(sub->slider(f.qSlider)->isVisible(), user) << t;
        }
    }
    // A stored type without an entry leaves the list as it was.
    liveParams.filter[4].slope = 7;
    sub->refresh();
    EXPECT_EQ(list(sub, xover::SubHighPassTypeList)->currentIndex(), 2);

    // The Q row writes the user Q through the filter.
    choose(sub, xover::SubHighPassTypeList, 3);
    moveRow(sub, 3762, 23);
    EXPECT_EQ(liveParams.filter[4].userQ, 23);
    EXPECT_EQ(sub->label(3742)->text(), QStringLiteral("1.50"));
}

TEST_F(OutputDlgTest, RowsWriteTheirFieldsAndReadAsTheDeviceValues) {
    struct Case {
        int page;
        int slider;
        int label;
        int pos;
        const std::uint8_t* byte; // or the delay word
        const U16le* word;
        const char* text;
    };
    const Case cases[] = {
        {9, 3761, 3739, 0, nullptr, &liveParams.timeParam[7], "-50.0ms"},
        {9, 3761, 3739, 500, nullptr, &liveParams.timeParam[7], "0.0ms"},
        {9, 3761, 3739, 1000, nullptr, &liveParams.timeParam[7], "50.0ms"},
        {7, 3469, 3429, 500, nullptr, &liveParams.timeParam[5], "50.0ms"},
        {10, 3548, 3538, 1, nullptr, &liveParams.timeParam[8], "0.1ms"},
        {8, 3639, 3629, 0, nullptr, &liveParams.timeParam[6], "0.0ms"},
        {7, 3464, 3424, 0, &liveParams.compressor[3].threshold, nullptr, "-20dB"},
        {8, 3634, 3624, 34, &liveParams.compressor[5].threshold, nullptr, "14dB"},
        {9, 3754, 3734, 0, &liveParams.compressor[4].threshold, nullptr, "-20dB"},
        {10, 3544, 3534, 34, &liveParams.compressor[6].threshold, nullptr, "14dB"},
        {10, 3547, 3537, 40, &liveParams.compressor[6].ratio, nullptr, "100"},
        {7, 3460, 3420, 250, &liveParams.byteParam[10], nullptr, "500%"},
        {8, 3633, 3623, 1, &liveParams.byteParam[17], nullptr, "2%"},
        {9, 3751, 3731, 125, &liveParams.byteParam[23], nullptr, "250%"},
        {10, 3543, 3533, 250, &liveParams.byteParam[21], nullptr, "500%"},
        {8, 3638, 3628, 0, nullptr, nullptr, "OFF"},
    };
    for (const Case& c : cases) {
        COutputDlg* p = show(c.page);
        moveRow(p, c.slider, c.pos);
        if (c.byte) {
            EXPECT_EQ(*c.byte, c.pos) << c.slider;
        }
        if (c.word) {
            EXPECT_EQ(*c.word, c.pos) << c.slider;
        }
        EXPECT_EQ(p->label(c.label)->text(), QString::fromUtf8(c.text)) << c.slider;
    }
    EXPECT_EQ(liveParams.filter[3].freq, 0) << "Center's high-pass row goes through its filter";
}

TEST_F(OutputDlgTest, AutoLocksTheSceneControlsAndLeavesLimiterDelayMuteAndSolo) {
    scene(CZELDlgDlg::IdAuto);
    for (int page = 7; page <= 10; ++page) {
        COutputDlg* p = show(page);
        const OutputPage& t = p->page();
        for (const SliderRow& row : t.levels)
            EXPECT_FALSE(p->slider(row.sliderId)->isEnabled()) << page;
        for (const SliderRow& row : t.crossoverRows)
            EXPECT_FALSE(p->slider(row.sliderId)->isEnabled()) << page;
        for (int id : t.polarityIds)
            EXPECT_FALSE(button(p, id)->isEnabled()) << page;
        EXPECT_FALSE(button(p, t.eqResetId)->isEnabled());
        EXPECT_FALSE(button(p, t.eqBypassId)->isEnabled());
        for (int k = 0; k < p->stripCount(); ++k)
            EXPECT_FALSE(p->strip(k)->gainEdit()->isEnabled()) << page << " " << k;
        for (int id : {xover::CenterSlopeList, xover::SubHighPassTypeList}) {
            if (QWidget* w = findControl(p, id)) {
                EXPECT_FALSE(w->isEnabled()) << page;
            }
        }

        for (const SliderRow& row : t.limiter)
            EXPECT_TRUE(p->slider(row.sliderId)->isEnabled()) << page;
        const OutputChannel& ch = t.channels[0];
        EXPECT_TRUE(p->slider(ch.delay->sliderId)->isEnabled());
        moveRow(p, t.limiter[1].sliderId, 9);
        moveRow(p, ch.delay->sliderId, 42);
        click(p, ch.muteId);
        EXPECT_EQ(liveParams.outputMute[ch.output], 1) << page;
        click(p, ch.soloId);
        EXPECT_EQ(liveParams.outputSolo[ch.output], 1) << page;
        click(p, ch.soloId);
    }
    EXPECT_EQ(liveParams.compressor[6].attack, 9);
    EXPECT_EQ(liveParams.timeParam[8], 42);
    // Unlocked again with a manual scene.
    scene(CZELDlgDlg::IdManual);
    COutputDlg* rear = show(10);
    EXPECT_TRUE(rear->slider(rear->page().levels[0].sliderId)->isEnabled());
    EXPECT_TRUE(rear->strip(9)->gainEdit()->isEnabled());
}

TEST_F(OutputDlgTest, SingingToDanceReloadsRearFromTheDanceCopy) {
    for (int k = 0; k < 10; ++k)
        liveParams.dance.eqBand[23 + k].gain = static_cast<std::uint16_t>(250 + k);
    const std::uint8_t danceLevels[4] = {11, 22, 33, 44};
    for (int i = 0; i < 4; ++i)
        liveParams.dance.byteParam[8 + i] = danceLevels[i];
    liveParams.dance.phase[8] = 1;
    liveParams.phase[16] = 0;
    COutputDlg* rear = show(10);
    EXPECT_EQ(button(rear, 3502)->text(), QStringLiteral("-"));

    scene(CZELDlgDlg::IdDancing);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(rear->strip(k)->filter()->gainIndex(), 250 + k) << k;
        EXPECT_EQ(rear->strip(k)->gainEdit()->text(), QString::number(1.0 + 0.1 * k, 'f', 1));
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rear->slider(3540 + i)->getPos(), danceLevels[i]) << i;
    EXPECT_EQ(button(rear, 3502)->text(), QStringLiteral("+"));

    // Edits now land in the Dance copy only.
    const std::uint8_t singingLevel = liveParams.byteParam[18];
    const std::uint8_t singingBypass = liveParams.eqBypass[10];
    const std::uint8_t danceBypass = liveParams.danceEqBypass[4];
    moveRow(rear, 3540, 200);
    click(rear, 3502);
    click(rear, 3501);
    EXPECT_EQ(liveParams.dance.byteParam[8], 200);
    EXPECT_EQ(liveParams.byteParam[18], singingLevel);
    EXPECT_EQ(liveParams.dance.phase[8], 0);
    EXPECT_EQ(liveParams.phase[16], 0);
    EXPECT_EQ(liveParams.danceEqBypass[4], danceBypass != 0 ? 0 : 1);
    EXPECT_EQ(liveParams.eqBypass[10], singingBypass);

    // EQ RESET flattens the Dance bands only, and the strips show it.
    liveParams.eqBand[83].gain = 300;
    click(rear, 3500);
    EXPECT_EQ(liveParams.dance.eqBand[23].gain, 240);
    EXPECT_EQ(liveParams.dance.eqBand[32].gain, 240);
    EXPECT_EQ(liveParams.eqBand[83].gain, 300);
    EXPECT_EQ(rear->strip(0)->gainEdit()->text(), QStringLiteral("0.0"));
}

TEST_F(OutputDlgTest, CrossoverControlsWriteTheShownScenesRecords) {
    struct Case {
        int sceneButton;
        int page;
        int listId; // or 0 for the slider
        int sliderId;
        int value;
        const std::uint8_t* slope;
        const U16le* freq;
    };
    const Case cases[] = {
        {CZELDlgDlg::IdSinging, 8, xover::CenterSlopeList, 0, 1, &liveParams.filter[3].slope,
         nullptr},
        {CZELDlgDlg::IdSinging, 9, xover::SubLowPassTypeList, 0, 3, &liveParams.filter[15].slope,
         nullptr},
        {CZELDlgDlg::IdDancing, 8, xover::CenterSlopeList, 0, 1, &liveParams.dance.filter[1].slope,
         nullptr},
        {CZELDlgDlg::IdDancing, 8, 0, 3638, 77, nullptr, &liveParams.dance.filter[1].freq},
        {CZELDlgDlg::IdDancing, 9, xover::SubHighPassTypeList, 0, 4,
         &liveParams.dance.filter[2].slope, nullptr},
        {CZELDlgDlg::IdDancing, 9, 0, 3759, 99, nullptr, &liveParams.dance.filter[3].freq},
    };
    for (const Case& c : cases) {
        scene(c.sceneButton);
        COutputDlg* p = show(c.page);
        if (c.listId != 0)
            choose(p, c.listId, c.value);
        else
            moveRow(p, c.sliderId, c.value);
        if (c.slope) {
            EXPECT_EQ(*c.slope, c.value) << c.page << " " << c.listId;
        }
        if (c.freq) {
            EXPECT_EQ(*c.freq, c.value) << c.page << " " << c.sliderId;
        }
    }
    // The Singing records kept what they had.
    EXPECT_EQ(liveParams.filter[3].slope, 1);
    EXPECT_NE(liveParams.filter[3].freq, 77);
    EXPECT_NE(liveParams.filter[15].freq, 99);
}

TEST_F(OutputDlgTest, MainBindsItsStripsOnlyInAManualScene) {
    scene(CZELDlgDlg::IdAuto);
    COutputDlg* main = show(7);
    EXPECT_EQ(main->strip(0)->filter(), nullptr) << "Auto leaves Main's strips as they were";
    COutputDlg* center = show(8);
    EXPECT_EQ(center->strip(0)->filter(), curveModel(8).filterAt(0));

    scene(CZELDlgDlg::IdManual); // back to Singing without a reload
    main = show(7);
    EXPECT_EQ(main->strip(4)->filter(), curveModel(7).filterAt(4));
    main->strip(4)->filter()->setGainIndex(300);
    EXPECT_EQ(liveParams.eqBand[74].gain, 300);
}

} // namespace
} // namespace zel::test
