// The microphone, echo and reverb pages in the main window: one page object per pair of
// channels, the channel copies checked on whole store images, the PRE-EQ / POST-EQ choice with
// its strips and graph views, crossover rows and markers, EQ reset and bypass, and the labels
// of the delay and reverb-time rows.
#include "MainWindowFixture.h"

#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "gui/ControlId.h"
#include "gui/eq/FStatic.h"
#include "gui/eq/FilterDlg.h"
#include "gui/eq/GraphRedrawTarget.h"
#include "gui/pages/EchoDlg.h"
#include "gui/pages/MicDlg.h"
#include "gui/pages/RevDlg.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/FontLabel.h"
#include "gui/widgets/NumEdit.h"
#include "model/Defaults.h"
#include "model/FieldTable.h"
#include "model/Globals.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <string>
#include <vector>

namespace zel::test {
namespace {

// Names of the store fields whose bytes differ.
std::vector<std::string> differingFields(const DeviceParams& a, const DeviceParams& b) {
    std::vector<std::string> out;
    const auto* pa = reinterpret_cast<const std::uint8_t*>(&a);
    const auto* pb = reinterpret_cast<const std::uint8_t*>(&b);
    for (const Field& f : allFields())
        if (std::memcmp(pa + f.offset, pb + f.offset, f.size()) != 0)
            out.push_back(f.name);
    return out;
}

// Every microphone, echo and reverb field of both channels set to valid values that differ
// between the channels and from the defaults; the models re-attached as after a sync.
void scramble() {
    DeviceParams& p = liveParams;
    auto bands = [&](int first, int count, int seed) {
        for (int k = 0; k < count; ++k) {
            EqBand& b = p.eqBand[first + k];
            b.freq = static_cast<std::uint16_t>(20 + 15 * k + seed);
            b.gain = static_cast<std::uint16_t>(100 + 9 * k + seed);
            b.q = static_cast<std::uint8_t>(3 + k + seed);
            b.type = static_cast<std::uint8_t>((k + seed) % 3);
        }
    };
    auto xover = [&](int i, int freq, int seed) {
        p.filter[i] = FilterParams{{}, static_cast<std::uint8_t>(seed % 2), 0};
        p.filter[i].freq = static_cast<std::uint16_t>(freq + seed);
    };
    for (int ch = 0; ch < 2; ++ch) {
        const int s = 1 + 4 * ch; // seed: channel B differs from A
        const auto c = static_cast<std::uint8_t>(s);
        bands(ch == 0 ? 10 : 30, 20, s);                    // microphone
        bands(ch == 0 ? 50 : 60, 5, s + 1);                 // echo pre-EQ
        bands(ch == 0 ? 93 : 113, 10, s + 2);               // echo post-EQ
        bands(ch == 0 ? 55 : 65, 5, s + 3);                 // reverb pre-EQ
        bands(ch == 0 ? 103 : 123, 10, s + 4);              // reverb post-EQ
        xover(1 + ch, 60, s);                               // microphone high-pass
        xover(ch == 0 ? 5 : 7, 100, s);                     // echo high-pass
        xover(ch == 0 ? 9 : 12, 310, s);                    // echo low-pass
        xover(ch == 0 ? 11 : 14, 320, s);                   // echo high-damp
        xover(ch == 0 ? 6 : 8, 150, s);                     // reverb high-pass
        xover(ch == 0 ? 10 : 13, 330, s);                   // reverb low-pass
        p.eqBypass[1 + ch] = static_cast<std::uint8_t>(ch); // microphone
        for (int section : {3, 4, 11, 12})                  // echo, reverb pre and post
            p.eqBypass[section + 2 * ch] = static_cast<std::uint8_t>(1 - ch);
        p.fbeMode[ch] = static_cast<std::uint8_t>(2 + ch);
        p.compressor[1 + ch] = CompressorParams{static_cast<std::uint8_t>(10 + s), 3, c, 20};
        p.noiseGate[1 + ch] = NoiseGateParams{static_cast<std::uint8_t>(30 + s), 5, c, 0};
        for (int i : {2, 3, 0, 30, 32, 4, 5}) // levels, repeat, right-channel rows
            p.byteParam[i + (i >= 30 ? ch
                             : i < 2 ? ch
                                     : 4 * ch)] = static_cast<std::uint8_t>(i + 7 * s);
        for (int i : {0, 1, 2, 3})
            p.phase[i + 4 * ch] = static_cast<std::uint8_t>(ch);
        for (int i : {0, 1, 2, 3})
            p.timeParam[i + 10 * ch] = static_cast<std::uint16_t>(11 * s + i);
    }
    reattachSceneIndependentModels();
}

// What each copy must do, written out from the store layout: channel `s` onto channel `t`.
void expectMicCopy(DeviceParams& p, int s, int t) {
    for (int k = 0; k < 20; ++k)
        p.eqBand[10 + 20 * t + k] = p.eqBand[10 + 20 * s + k];
    p.filter[1 + t] = p.filter[1 + s];
    p.eqBypass[1 + t] = p.eqBypass[1 + s];
    p.fbeMode[t] = p.fbeMode[s];
    p.noiseGate[1 + t] = p.noiseGate[1 + s];
    p.compressor[1 + t] = p.compressor[1 + s];
}

void expectEchoCopy(DeviceParams& p, int s, int t) {
    for (int k = 0; k < 10; ++k)
        p.eqBand[93 + 20 * t + k] = p.eqBand[93 + 20 * s + k];
    p.eqBypass[11 + 2 * t] = p.eqBypass[11 + 2 * s];
    for (int k = 0; k < 5; ++k)
        p.eqBand[50 + 10 * t + k] = p.eqBand[50 + 10 * s + k];
    p.eqBypass[3 + 2 * t] = p.eqBypass[3 + 2 * s];
    const int hpf[2] = {5, 7}, lpf[2] = {9, 12}, damp[2] = {11, 14};
    p.filter[hpf[t]] = p.filter[hpf[s]];
    p.filter[lpf[t]] = p.filter[lpf[s]];
    p.filter[damp[t]] = p.filter[damp[s]];
    for (int i : {2, 3})
        p.byteParam[i + 4 * t] = p.byteParam[i + 4 * s];
    for (int i : {0, 1})
        p.phase[i + 4 * t] = p.phase[i + 4 * s];
    for (int i : {0, 1})
        p.timeParam[i + 10 * t] = p.timeParam[i + 10 * s];
    for (int i : {0, 30, 32})
        p.byteParam[i + t] = p.byteParam[i + s];
}

void expectRevCopy(DeviceParams& p, int s, int t) {
    for (int k = 0; k < 10; ++k)
        p.eqBand[103 + 20 * t + k] = p.eqBand[103 + 20 * s + k];
    p.eqBypass[12 + 2 * t] = p.eqBypass[12 + 2 * s];
    for (int k = 0; k < 5; ++k)
        p.eqBand[55 + 10 * t + k] = p.eqBand[55 + 10 * s + k];
    p.eqBypass[4 + 2 * t] = p.eqBypass[4 + 2 * s];
    const int hpf[2] = {6, 8}, lpf[2] = {10, 13};
    p.filter[hpf[t]] = p.filter[hpf[s]];
    p.filter[lpf[t]] = p.filter[lpf[s]];
    for (int i : {4, 5})
        p.byteParam[i + 4 * t] = p.byteParam[i + 4 * s];
    for (int i : {2, 3})
        p.phase[i + 4 * t] = p.phase[i + 4 * s];
    for (int i : {2, 3})
        p.timeParam[i + 10 * t] = p.timeParam[i + 10 * s];
}

// Stands in for the graph to see which element a page asks it to emphasise.
class RedrawRecorder : public GraphRedrawTarget {
public:
    void redraw(int highlight, bool) override { highlights.push_back(highlight); }
    std::vector<int> highlights;
};

class ChannelPagesTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        openWindow();
    }
    // Selects the page as its button does; a page already on show is left first, so that
    // it is shown afresh.
    void show(int page) {
        if (page == g_currentPage)
            window->send(WM_SELECT_PAGE, 0, 0);
        window->send(WM_SELECT_PAGE, static_cast<WPARAM>(page), 0);
        deliver();
    }
    CPanelDlg* panel(int page) const { return window->panelOfPage(page); }
    static void moveRow(CPanelDlg* p, int sliderId, int pos) {
        p->slider(sliderId)->setPos(pos);
        p->send(WM_SLIDER_MOVING, static_cast<WPARAM>(sliderId), pos);
    }
    static void click(CPanelDlg* p, int id) {
        QTest::mouseClick(qobject_cast<CBitmapButton*>(findControl(p, id)), Qt::LeftButton);
    }
    static bool pressed(CPanelDlg* p, int id) {
        return qobject_cast<CBitmapButton*>(findControl(p, id))->isPressed();
    }
    static int stripsShown(CPanelDlg* p) {
        int n = 0;
        for (int k = 0; k < p->stripCount(); ++k)
            n += p->strip(k)->isHidden() ? 0 : 1;
        return n;
    }
};

TEST_F(ChannelPagesTest, MicAAndMicBShareOnePageThatReloadsOnEverySwitch) {
    scramble();
    ASSERT_EQ(panel(1), panel(4));
    auto* mic = static_cast<CMicDlg*>(panel(1));
    auto* fbe = qobject_cast<QComboBox*>(findControl(mic, CMicDlg::IdFbeList));
    struct Case {
        int page;
        int channel;
    };
    for (const Case c : {Case{1, 0}, Case{4, 1}, Case{1, 0}}) {
        mic->selectBand(3);
        show(c.page);
        EXPECT_EQ(mic->selectedStrip(), nullptr) << c.page;
        EXPECT_EQ(mic->strip(3)->bandLabel()->textColour(), QColor(Qt::black));
        const EqBand& band = liveParams.eqBand[10 + 20 * c.channel + 7];
        EXPECT_EQ(mic->strip(7)->gainEdit()->getPos(), band.gain) << c.page;
        EXPECT_EQ(mic->slider(CMicDlg::IdHighPassSlider)->getPos(),
                  liveParams.filter[1 + c.channel].freq);
        EXPECT_EQ(mic->slider(3121)->getPos(), liveParams.compressor[1 + c.channel].threshold);
        EXPECT_EQ(mic->slider(3127)->getPos(), liveParams.noiseGate[1 + c.channel].release);
        EXPECT_EQ(fbe->currentIndex(), liveParams.fbeMode[c.channel]);
    }
    // A row edits the channel on show only.
    show(4);
    const CompressorParams a = liveParams.compressor[1];
    moveRow(mic, 3124, 33);
    EXPECT_EQ(liveParams.compressor[2].ratio, 33);
    EXPECT_EQ(liveParams.compressor[1].ratio, a.ratio);
    moveRow(mic, CMicDlg::IdHighPassSlider, 0);
    EXPECT_EQ(liveParams.filter[2].freq, 0);
    EXPECT_EQ(mic->label(CMicDlg::IdHighPassLabel)->text(), QStringLiteral("OFF"));
}

TEST_F(ChannelPagesTest, FbeListStoresTheModeOfTheChannelOnShow) {
    auto* mic = panel(1);
    auto* fbe = qobject_cast<QComboBox*>(findControl(mic, CMicDlg::IdFbeList));
    struct Case {
        int page;
        int index;
        std::uint8_t* field;
        std::uint8_t* other;
    };
    const Case cases[] = {
        {4, 5, &liveParams.fbeMode[1], &liveParams.fbeMode[0]},
        {4, 0, &liveParams.fbeMode[1], &liveParams.fbeMode[0]},
        {1, 5, &liveParams.fbeMode[0], &liveParams.fbeMode[1]},
    };
    for (const Case& c : cases) {
        show(c.page);
        const std::uint8_t other = *c.other;
        fbe->setCurrentIndex(c.index);
        emit fbe->activated(c.index);
        EXPECT_EQ(*c.field, c.index) << fbe->itemText(c.index).toStdString();
        EXPECT_EQ(*c.other, other);
    }
    EXPECT_EQ(fbe->itemText(0), QStringLiteral("OFF"));
}

// Each direction on each page, with the target on show and not: every listed field of the
// target equals the source's, nothing else in the store moved, the target's curve follows, and
// the page shows the store of the channel on show, with its EQ choice kept.
TEST_F(ChannelPagesTest, CopyMakesTheTargetEqualTheSourceAndTouchesNothingElse) {
    struct Case {
        int shownPage;
        bool postEq;
        int item;
        void (*expect)(DeviceParams&, int, int);
        int sourceBlock; // a block of the source and the same block of the target
        int targetBlock;
        int rowSlider; // a row of the page and the store value it must show
        int (*shownValue)();
    };
    const Case cases[] = {
        {1, false, CPanelDlg::IdCopyItemAToB, expectMicCopy, 1, 4, 3121,
         [] { return int{liveParams.compressor[1].threshold}; }},
        {1, false, CPanelDlg::IdCopyItemBToA, expectMicCopy, 4, 1, 3121,
         [] { return int{liveParams.compressor[1].threshold}; }},
        {5, false, CPanelDlg::IdCopyItemAToB, expectEchoCopy, 11, 13, 3236,
         [] { return int{liveParams.timeParam[11]}; }},
        {2, true, CPanelDlg::IdCopyItemBToA, expectEchoCopy, 13, 11, 3236,
         [] { return int{liveParams.timeParam[1]}; }},
        {3, true, CPanelDlg::IdCopyItemAToB, expectRevCopy, 12, 14, 3325,
         [] { return int{liveParams.timeParam[3]}; }},
        {3, false, CPanelDlg::IdCopyItemBToA, expectRevCopy, 6, 3, 3325,
         [] { return int{liveParams.timeParam[3]}; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.shownPage) + " item " + std::to_string(c.item));
        scramble();
        show(c.shownPage);
        CPanelDlg* page = panel(c.shownPage);
        auto* effect = dynamic_cast<CEffectDlg*>(page);
        if (effect && c.postEq)
            click(page, effect->info().idPost);
        const int from = c.item == CPanelDlg::IdCopyItemAToB ? 0 : 1;
        DeviceParams expected = liveParams;
        c.expect(expected, from, 1 - from);
        ASSERT_FALSE(differingFields(expected, liveParams).empty()) << "the channels differ";

        // The copy menu's choice.
        if (effect)
            effect->onCommand(c.item);
        else
            static_cast<CMicDlg*>(page)->onCommand(c.item);

        EXPECT_EQ(differingFields(liveParams, expected), std::vector<std::string>{});
        const CKTVEQ& source = curveModel(c.sourceBlock);
        const CKTVEQ& target = curveModel(c.targetBlock);
        for (int k = 0; k < target.size(); ++k)
            EXPECT_EQ(target.filterAt(k)->levelDb(), source.filterAt(k)->levelDb()) << k;
        EXPECT_EQ(page->slider(c.rowSlider)->getPos(), c.shownValue());
        EXPECT_EQ(page->strip(0)->gainEdit()->getPos(), page->model().filterAt(0)->band()->gain);
        if (effect) {
            EXPECT_EQ(effect->showsPre(), !c.postEq) << "a copy keeps the EQ choice";
        }
    }
}

TEST_F(ChannelPagesTest, PreAndPostButtonsSwitchTheStripsAndTheGraphView) {
    struct Case {
        int page;
        int preView;
        int postView;
    };
    for (const Case c : {Case{2, 2, 11}, Case{5, 5, 13}, Case{3, 3, 12}, Case{6, 6, 14}}) {
        SCOPED_TRACE(c.page);
        show(c.page);
        auto* effect = dynamic_cast<CEffectDlg*>(panel(c.page));
        ASSERT_NE(effect, nullptr);
        const EffectPage& info = effect->info();
        struct Step {
            int button; // 0: the page shown again
            bool pre;
        };
        for (const Step step : {Step{0, true}, Step{info.idPost, false}, Step{info.idPost, false},
                                Step{0, true}, Step{info.idPre, true}, Step{info.idPre, true}}) {
            if (step.button != 0)
                click(effect, step.button);
            else
                show(c.page); // each visit starts on the pre-EQ
            const int view = step.pre ? c.preView : c.postView;
            EXPECT_EQ(effect->showsPre(), step.pre) << step.button;
            EXPECT_EQ(pressed(effect, info.idPre), step.pre);
            EXPECT_EQ(pressed(effect, info.idPost), !step.pre);
            EXPECT_EQ(stripsShown(effect), step.pre ? 5 : 10);
            EXPECT_EQ(window->graph()->view(), view);
            EXPECT_EQ(window->graph()->activeEq(), &curveModel(view));
            EXPECT_EQ(effect->strip(4)->gainEdit()->getPos(),
                      curveModel(view).filterAt(4)->band()->gain);
        }
        // The two pages of an effect pair are one object.
        EXPECT_EQ(panel(c.page), panel(c.preView == 2 || c.preView == 5 ? 2 : 3));
    }
}

// Left and Right walk an entry through the bands on show: five on the pre-EQ, ten on the
// post-EQ, twenty on the microphone page.
TEST_F(ChannelPagesTest, ArrowKeysWrapOverTheBandsOnShow) {
    struct Case {
        int page;
        bool postEq;
        int from;
        Qt::Key key;
        int to;
    };
    const Case cases[] = {
        {2, false, 0, Qt::Key_Left, 4},   {2, false, 4, Qt::Key_Right, 0},
        {6, true, 0, Qt::Key_Left, 9},    {6, true, 4, Qt::Key_Right, 5},
        {4, false, 19, Qt::Key_Right, 0},
    };
    for (const Case& c : cases) {
        show(c.page);
        CPanelDlg* page = panel(c.page);
        if (auto* effect = dynamic_cast<CEffectDlg*>(page); effect && c.postEq)
            click(page, effect->info().idPost);
        CNumEdit* from = page->strip(c.from)->freqEdit();
        from->setFocus();
        from->setCursorPosition(c.key == Qt::Key_Left ? 0 : static_cast<int>(from->text().size()));
        QTest::keyClick(from, c.key);
        deliver();
        EXPECT_TRUE(page->strip(c.to)->freqEdit()->hasFocus()) << c.page << " " << c.from;
        EXPECT_EQ(page->selectedStrip(), page->strip(c.to)) << c.page << " " << c.from;
    }
}

// Crossover rows write through the pre-EQ's filters whichever EQ is shown; the graph
// emphasises the marker only while it shows the pre-EQ.
TEST_F(ChannelPagesTest, CrossoverRowsFollowThePreEqWhileThePostEqIsShown) {
    struct Case {
        int page;
        int slider;
        bool lowPass;
        int pos;
        int element;
    };
    const Case cases[] = {
        {2, CEchoDlg::IdHighPassSlider, false, 40, 5},
        {5, CEchoDlg::IdLowPassSlider, true, 350, 6},
        {6, CRevDlg::IdHighPassSlider, false, 60, 5},
        {3, CRevDlg::IdLowPassSlider, true, 298, 6},
    };
    RedrawRecorder recorder;
    for (const Case& c : cases) {
        for (const bool post : {false, true}) {
            SCOPED_TRACE(std::to_string(c.slider) + (post ? " post" : " pre"));
            show(c.page);
            auto* effect = static_cast<CEffectDlg*>(panel(c.page));
            if (post)
                click(effect, effect->info().idPost);
            CKTVEQ& pre = curveModel(c.page);
            CFilter* filter = c.lowPass ? pre.lowPass() : pre.highPass();
            const auto before = filter->levelDb();
            GraphRedrawTarget* graph = std::exchange(g_pEqGraph, &recorder);
            recorder.highlights.clear();
            moveRow(effect, c.slider, c.pos + (post ? 1 : 0));
            g_pEqGraph = graph;
            EXPECT_EQ(filter->xover()->freq, c.pos + (post ? 1 : 0));
            EXPECT_NE(filter->levelDb(), before) << "the curve follows";
            EXPECT_EQ(recorder.highlights, std::vector<int>{post ? -1 : c.element});
        }
    }
}

TEST_F(ChannelPagesTest, RowsWriteTheFieldOfTheEffectOnShowAndShowItsText) {
    struct Case {
        int page;
        int slider;
        int label;
        int pos;
        const void* field;
        bool word;
        const char* text;
    };
    const Case cases[] = {
        {2, 3239, 3227, 0, &liveParams.byteParam[32], false, "-50%"},
        {2, 3239, 3227, 50, &liveParams.byteParam[32], false, "0%"},
        {5, 3239, 3227, 100, &liveParams.byteParam[33], false, "50%"},
        {2, 3231, 3211, 125, &liveParams.timeParam[0], true, "250ms"},
        {5, 3236, 3221, 250, &liveParams.timeParam[11], true, "500ms"},
        {2, 3237, 3223, 90, &liveParams.byteParam[0], false, "90%"},
        {5, 3238, 3225, 50, &liveParams.byteParam[31], false, "50%"},
        {2, CEchoDlg::IdHighDampSlider, 3219, 362, &liveParams.filter[11].freq, true, "20600Hz"},
        {5, 3230, 3203, 77, &liveParams.byteParam[6], false, "77%"},
        {3, CRevDlg::IdTimeSlider, 3317, 0, &liveParams.timeParam[3], true, "0.0ms"},
        {6, CRevDlg::IdTimeSlider, 3317, 80, &liveParams.timeParam[13], true, "5000.0ms"},
        {6, 3324, 3315, 125, &liveParams.timeParam[12], true, "250ms"},
        {3, 3321, 3307, 100, &liveParams.byteParam[5], false, "100%"},
    };
    for (const Case& c : cases) {
        show(c.page);
        CPanelDlg* page = panel(c.page);
        const DeviceParams before = liveParams;
        moveRow(page, c.slider, c.pos);
        const int stored = c.word ? int{*static_cast<const U16le*>(c.field)}
                                  : int{*static_cast<const std::uint8_t*>(c.field)};
        EXPECT_EQ(stored, c.pos) << c.slider;
        EXPECT_EQ(page->label(c.label)->text(), QString::fromLatin1(c.text)) << c.slider;
        EXPECT_LE(differingFields(before, liveParams).size(), 1u) << c.slider;
        // The page shows the stored value again when shown afresh.
        show(c.page);
        EXPECT_EQ(page->slider(c.slider)->getPos(), c.pos) << c.slider;
    }
}

// EQ reset puts the bands of the EQ on show back to their defaults and nothing else.
TEST_F(ChannelPagesTest, EqResetTouchesOnlyTheBandsOfTheEqShown) {
    struct Case {
        int page;
        bool postEq;
        int resetId;
        int section;
        int bypassId;
    };
    const Case cases[] = {
        {2, true, CEchoDlg::IdEqReset, 11, CEchoDlg::IdEqBypass},
        {5, false, CEchoDlg::IdEqReset, 5, CEchoDlg::IdEqBypass},
        {6, true, CRevDlg::IdEqReset, 14, CRevDlg::IdEqBypass},
        {4, false, CMicDlg::IdEqReset, 2, CMicDlg::IdEqBypass},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        scramble();
        show(c.page);
        CPanelDlg* page = panel(c.page);
        if (auto* effect = dynamic_cast<CEffectDlg*>(page); effect && c.postEq)
            click(page, effect->info().idPost);
        DeviceParams expected = liveParams;
        const EqSection& s = kEqSections[c.section];
        for (int k = 0; k < s.bandCount; ++k)
            expected.eqBand[s.firstBand + k] = defaultBand(c.section, k);
        click(page, c.resetId);
        EXPECT_EQ(differingFields(liveParams, expected), std::vector<std::string>{});
        EXPECT_EQ(page->strip(2)->gainEdit()->getPos(), 240);
        EXPECT_EQ(window->graph()->view(), s.blockId);

        // Bypass inverts the flag of the same EQ.
        expected.eqBypass[c.section] ^= 1;
        click(page, c.bypassId);
        EXPECT_EQ(differingFields(liveParams, expected), std::vector<std::string>{});
    }
}

TEST_F(ChannelPagesTest, PolarityButtonsInvertTheFlagOfTheEffectOnShow) {
    struct Case {
        int page;
        int button;
        int phase;
    };
    const Case cases[] = {
        {2, CEchoDlg::IdLevelPolarity, 0},
        {5, CEchoDlg::IdDirectPolarity, 5},
        {3, CRevDlg::IdDirectPolarity, 3},
        {6, CRevDlg::IdLevelPolarity, 6},
    };
    for (const Case& c : cases) {
        show(c.page);
        CPanelDlg* page = panel(c.page);
        auto* button = qobject_cast<CBitmapButton*>(findControl(page, c.button));
        for (const char* text : {"+", "-"}) {
            DeviceParams expected = liveParams;
            expected.phase[c.phase] ^= 1;
            click(page, c.button);
            EXPECT_EQ(differingFields(liveParams, expected), std::vector<std::string>{});
            EXPECT_EQ(button->text(), QString::fromLatin1(text)) << c.button;
        }
    }
}

// The markers of the crossovers dragged on the graph: the page's rows follow.
TEST_F(ChannelPagesTest, GraphCrossoverMarkersUpdateThePagesRows) {
    struct Case {
        int page;
        int element;
        int slider;
        int label;
        int pos;
    };
    const Case cases[] = {
        {4, 20, CMicDlg::IdHighPassSlider, CMicDlg::IdHighPassLabel, 90},
        {2, 5, CEchoDlg::IdHighPassSlider, 3215, 120},
        {5, 6, CEchoDlg::IdLowPassSlider, 3217, 300},
        {6, 5, CRevDlg::IdHighPassSlider, 3311, 33},
        {3, 6, CRevDlg::IdLowPassSlider, 3313, 361},
    };
    for (const Case& c : cases) {
        show(c.page);
        CPanelDlg* page = panel(c.page);
        CKTVEQ& eq = curveModel(c.page);
        eq.filterAt(c.element)->setXoverFreqIndex(c.pos);
        window->send(WM_GRAPH_BAND_SELECTED, static_cast<WPARAM>(c.page), c.element);
        EXPECT_EQ(page->slider(c.slider)->getPos(), c.pos) << c.page;
        EXPECT_EQ(page->label(c.label)->index(), c.pos) << c.page;
        EXPECT_EQ(page->selectedStrip(), nullptr) << "the strip selection stays";
    }
    // A band of the post-EQ selected on the graph selects its strip.
    show(2);
    click(panel(2), CEchoDlg::IdPostEq);
    window->send(WM_GRAPH_BAND_SELECTED, 11, 8);
    EXPECT_EQ(panel(2)->selectedStrip(), panel(2)->strip(8));
}

TEST_F(ChannelPagesTest, TextsOfBothLanguagesAsTheProcessorsUsersKnowThem) {
    struct Case {
        int page;
        int id;
        const char* en;
        const char* cn;
    };
    const Case cases[] = {
        {1, 3113, "NosieGate", "噪声门"},
        {1, 3103, "Mic HPF", "麦克风高通"},
        {1, CMicDlg::IdCopy, "COPY", "拷贝"},
        {2, 3220, "ECHO Dealy", "回声延时"},
        {2, 3222, "ECHO　Repeat", "回声重复比例"},
        {2, CEchoDlg::IdPreEq, "PRE-EQ", "回声前置均衡"},
        {2, CEchoDlg::IdPostEq, "POST-EQ", "回声后置均衡"},
        {2, 3226, "ECHO R CH Delay Time", "回声右延时"},
        {3, CRevDlg::IdPreEq, "PRE-EQ", "混响前置均衡"},
        {3, 3316, "Reverb Time", "混响延时"},
        {3, 1376, "Delay", "延时"},
    };
    auto textOf = [](QWidget* w) {
        if (auto* group = qobject_cast<QGroupBox*>(w))
            return group->title();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            return button->text();
        return qobject_cast<QLabel*>(w)->text();
    };
    for (const bool chinese : {false, true}) {
        g_bChinese = chinese ? 1 : 0;
        window->ApplyLanguage();
        for (const Case& c : cases)
            EXPECT_EQ(textOf(findControl(panel(c.page), c.id)),
                      QString::fromUtf8(chinese ? c.cn : c.en))
                << c.id;
    }
}

// COPY opens the two directions below the button in the current language; the first one
// chosen copies A onto B.
TEST_F(ChannelPagesTest, CopyButtonOffersBothDirectionsInTheCurrentLanguage) {
    struct Case {
        int page;
        int copyId;
        const char* en[2];
        const char* cn[2];
        const std::uint8_t* a; // a field of channel A and its twin of B
        const std::uint8_t* b;
    };
    const Case cases[] = {
        {1,
         CMicDlg::IdCopy,
         {"MicA->MicB", "MicB->MicA"},
         {"话筒A->话筒B", "话筒B->话筒A"},
         &liveParams.fbeMode[0],
         &liveParams.fbeMode[1]},
        {5,
         CEchoDlg::IdCopy,
         {"EchoA->EchoB", "EchoB->EchoA"},
         {"回声A->回声B", "回声B->回声A"},
         &liveParams.byteParam[0],
         &liveParams.byteParam[1]},
        {3,
         CRevDlg::IdCopy,
         {"RevA->RevB", "RevB->RevA"},
         {"混响A->混响B", "混响B->混响A"},
         &liveParams.byteParam[4],
         &liveParams.byteParam[8]},
    };
    for (const Case& c : cases) {
        scramble();
        ASSERT_NE(*c.a, *c.b);
        show(c.page);
        for (const bool chinese : {true, false}) {
            g_bChinese = chinese ? 1 : 0;
            window->ApplyLanguage();
            QStringList texts;
            QTimer::singleShot(0, [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                ASSERT_NE(menu, nullptr);
                for (QAction* a : menu->actions())
                    texts << a->text();
                // English: choose the first item; Chinese: leave the menu.
                if (!chinese)
                    QTest::keyClick(menu, Qt::Key_Down);
                QTest::keyClick(menu, chinese ? Qt::Key_Escape : Qt::Key_Return);
            });
            click(panel(c.page), c.copyId);
            const char* const* want = chinese ? c.cn : c.en;
            EXPECT_EQ(texts, (QStringList{QString::fromUtf8(want[0]), QString::fromUtf8(want[1])}));
            EXPECT_EQ(*c.a == *c.b, !chinese) << c.page;
        }
    }
}

} // namespace
} // namespace zel::test
