// zel-shot: renders every drawn image, a gallery of the value widgets, a row of band strips and
// the EQ graph on several blocks to PNG files, at 100 % and 200 %, without a display.
// Usage: zel-shot [output folder [subject ...]]; a subject is the start of a file name
// ("graph", "strips", "bitmap-146"), and without one every subject is rendered.
#include "app/Startup.h"
#include "eq/CurveModels.h"
#include "eq/Filter.h"
#include "gui/DialogUnits.h"
#include "gui/PaintDensity.h"
#include "gui/WidgetShot.h"
#include "gui/eq/FStatic.h"
#include "gui/eq/FilterDlg.h"
#include "gui/modes/SystemDlg.h"
#include "gui/pages/EffectDlg.h"
#include "gui/pages/PanelDlg.h"
#include "gui/pages/VolueDlg.h"
#include "gui/res/BitmapArt.h"
#include "gui/res/BitmapIds.h"
#include "gui/res/BitmapLibrary.h"
#include "gui/shell/AboutDlg.h"
#include "gui/shell/HelpDlg.h"
#include "gui/shell/ZELDlgDlg.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/DropListButton.h"
#include "gui/widgets/FontLabel.h"
#include "gui/widgets/GridList.h"
#include "gui/widgets/NumEdit.h"
#include "link/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"
#include "modes/ModeFile.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

using namespace zel;

namespace {

const QColor PanelColour(210, 230, 250);

// Shows one numbered image at the density it is painted at.
class BitmapFace : public QWidget {
public:
    BitmapFace(int id, QWidget* parent = nullptr) : QWidget(parent), m_id(id) {
        setFixedSize(BitmapLibrary::size(id));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(0, 0, BitmapLibrary::pixmap(m_id, paintDensity(p)));
    }

private:
    int m_id;
};

QWidget* panel(QWidget* parent = nullptr) {
    auto* w = new QWidget(parent);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, PanelColour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    return w;
}

// One band column as the band strip lines them up: gain text, gain slider, frequency, Q.
QWidget* bandColumn(QWidget* parent, int gain, int freq, int q, bool focused) {
    auto* column = new QWidget(parent);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);

    auto* gainEdit = new CNumEdit(column);
    gainEdit->setFont(font);
    gainEdit->setKind(CNumEdit::KindGain);
    gainEdit->setStep(0.1);
    gainEdit->setOffset(24.0);
    gainEdit->setRange(0, 360);
    gainEdit->setPos(gain);
    gainEdit->setFixedWidth(38);

    auto* slider = new CBitmapSlider(column);
    slider->setChannelBitmaps(IDB_STRIP_CHANNEL, IDB_STRIP_CHANNEL);
    slider->setThumbBitmaps(IDB_STRIP_THUMB, IDB_STRIP_THUMB_ACTIVE, true);
    slider->setRange(0, 360);
    slider->setValue(gain);
    slider->setFocusHighlight(focused);

    auto* freqEdit = new CNumEdit(column);
    freqEdit->setFont(font);
    freqEdit->setKind(CNumEdit::KindFrequency);
    freqEdit->setRange(0, 361);
    freqEdit->setPos(freq);
    freqEdit->setFixedWidth(38);

    auto* qEdit = new CNumEdit(column);
    qEdit->setFont(font);
    qEdit->setKind(CNumEdit::KindQ);
    qEdit->setRange(0, 100);
    qEdit->setPos(q);
    qEdit->setFixedWidth(38);

    layout->addWidget(gainEdit);
    layout->addWidget(slider, 0, Qt::AlignHCenter);
    layout->addWidget(freqEdit);
    layout->addWidget(qEdit);
    return column;
}

CBitmapSlider* levelSlider(QWidget* parent, int channel, int channelLit, int thumb, int thumbActive,
                           int max, int pos) {
    auto* s = new CBitmapSlider(parent);
    s->setChannelBitmaps(channel, channelLit, true);
    s->setThumbBitmaps(thumb, thumbActive, true);
    s->setRange(0, max);
    s->setVertical(false);
    s->setPos(pos);
    return s;
}

std::unique_ptr<QWidget> gallery() {
    std::unique_ptr<QWidget> root(panel());
    auto* grid = new QGridLayout(root.get());
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);

    auto* strips = new QWidget(root.get());
    auto* stripLayout = new QHBoxLayout(strips);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->setSpacing(3);
    const int bands[5][3] = {
        {240, 11, 16}, {300, 83, 9}, {120, 155, 40}, {360, 227, 0}, {0, 299, 100}};
    for (int i = 0; i < 5; ++i)
        stripLayout->addWidget(bandColumn(strips, bands[i][0], bands[i][1], bands[i][2], i == 1));
    grid->addWidget(strips, 0, 0, 6, 1);

    auto label = [&](const char* text, int row) {
        grid->addWidget(new QLabel(QString::fromLatin1(text), root.get()), row, 1);
    };
    label("Page level", 0);
    grid->addWidget(levelSlider(root.get(), IDB_PANEL_CHANNEL, IDB_PANEL_CHANNEL, IDB_PANEL_THUMB,
                                IDB_PANEL_THUMB_ACTIVE, 84, 60),
                    0, 2);
    label("Page level, focused", 1);
    auto* focused = levelSlider(root.get(), IDB_PANEL_CHANNEL, IDB_PANEL_CHANNEL, IDB_PANEL_THUMB,
                                IDB_PANEL_THUMB_ACTIVE, 84, 21);
    focused->setFocusHighlight(true);
    grid->addWidget(focused, 1, 2);
    label("Page level, disabled", 2);
    auto* disabled = levelSlider(root.get(), IDB_PANEL_CHANNEL, IDB_PANEL_CHANNEL, IDB_PANEL_THUMB,
                                 IDB_PANEL_THUMB_ACTIVE, 84, 40);
    disabled->enable(false);
    grid->addWidget(disabled, 2, 2);
    label("Master level", 3);
    grid->addWidget(levelSlider(root.get(), IDB_MASTER_CHANNEL, IDB_MASTER_CHANNEL_LIT,
                                IDB_MASTER_THUMB, IDB_MASTER_THUMB_ACTIVE, 84, 50),
                    3, 2);
    label("Volume limit", 4);
    grid->addWidget(levelSlider(root.get(), IDB_VOLUME_CHANNEL, IDB_VOLUME_CHANNEL_LIT,
                                IDB_PANEL_THUMB, IDB_PANEL_THUMB_ACTIVE, 84, 70),
                    4, 2);
    label("Band type", 5);
    auto* drops = new QWidget(root.get());
    auto* dropLayout = new QHBoxLayout(drops);
    dropLayout->setContentsMargins(0, 0, 0, 0);
    for (int id : {IDB_DROP_BUTTON, IDB_DROP_BUTTON_OPEN})
        dropLayout->addWidget(new BitmapFace(id, drops));
    dropLayout->addStretch();
    grid->addWidget(drops, 5, 2);
    root->adjustSize();
    return root;
}

// Five band strips as a page lines them up, on band records of their own: one of each type,
// band 2 selected on its page, band 4 with its gain entry focused, band 5 disabled (a music
// or output page while the scene is Auto).
struct StripRow {
    std::array<EqBand, 5> bands{};
    std::array<CFilter, 5> filters;
    std::unique_ptr<QWidget> root;
    std::array<CFilterDlg*, 5> strips{};
};

std::unique_ptr<StripRow> stripRow() {
    auto row = std::make_unique<StripRow>();
    // freq index, gain index, Q index, type
    const int values[5][4] = {
        {11, 240, 16, 1}, {83, 300, 9, 0}, {155, 120, 40, 0}, {227, 360, 0, 0}, {299, 0, 100, 2}};
    row->root.reset(panel());
    for (int i = 0; i < 5; ++i) {
        EqBand& b = row->bands[static_cast<std::size_t>(i)];
        b.freq = static_cast<std::uint16_t>(values[i][0]);
        b.gain = static_cast<std::uint16_t>(values[i][1]);
        b.q = static_cast<std::uint8_t>(values[i][2]);
        b.type = static_cast<std::uint8_t>(values[i][3]);
        CFilter& f = row->filters[static_cast<std::size_t>(i)];
        f.setCode(i + 1);
        f.bindBand(&b);
        auto* strip = new CFilterDlg(row->root.get());
        strip->move(i * (strip->stripWidth() + 2), 2);
        strip->setBandIndex(i);
        strip->attachFilter(&f);
        strip->refreshStrip();
        row->strips[static_cast<std::size_t>(i)] = strip;
    }
    const CFilterDlg* first = row->strips[0];
    row->root->resize(5 * (first->stripWidth() + 2), first->stripHeight() + 4);
    row->strips[1]->highlight(true);
    row->strips[3]->gainSlider()->setFocusHighlight(true);
    row->strips[4]->enableStrip(false);
    return row;
}

// One look of the EQ graph: the store as a page would leave it, the block shown and the
// element emphasised (-1 for none).
struct GraphSubject {
    const char* name;
    int view;
    int highlight;
    void (*setUp)();
};

void setBand(int element, int freq, int gain, int q, int type = 0) {
    EqBand& b = liveParams.eqBand[element];
    b.freq = static_cast<std::uint16_t>(freq);
    b.gain = static_cast<std::uint16_t>(gain);
    b.q = static_cast<std::uint8_t>(q);
    b.type = static_cast<std::uint8_t>(type);
}

void setCrossover(int element, int freq, int slope) {
    liveParams.filter[element].freq = static_cast<std::uint16_t>(freq);
    liveParams.filter[element].slope = static_cast<std::uint8_t>(slope);
}

// Echo A pre-EQ shaped, its post-EQ in grey behind it.
void echoShaped() {
    const int gains[5] = {300, 200, 330, 180, 260};
    for (int k = 0; k < 5; ++k) {
        liveParams.eqBand[50 + k].gain = static_cast<std::uint16_t>(gains[k]);
        liveParams.eqBand[93 + 2 * k].gain = static_cast<std::uint16_t>(200 + 15 * k);
    }
}

// Music: a 40 Hz high-pass, a low lift, a mid cut, presence and a high shelf.
void musicShaped() {
    setBand(1, 58, 280, 16);     // 60 Hz +4 dB
    setBand(4, 156, 190, 24);    // 400 Hz -5 dB
    setBand(7, 261, 300, 20);    // 3 kHz +6 dB
    setBand(9, 324, 270, 10, 2); // 10 kHz high shelf +3 dB
    setCrossover(0, 38, 1);      // 40 Hz, 24 dB/oct
}

void musicBypassed() {
    musicShaped();
    liveParams.eqBypass[0] = 1;
}

// Subwoofer between a 25 Hz high-pass and a 160 Hz low-pass, both Linkwitz-Riley.
void subwooferCrossovers() {
    setBand(80, 43, 270, 16); // 45 Hz +3 dB
    setBand(81, 73, 210, 20); // 80 Hz -3 dB
    setCrossover(4, 13, 2);
    setCrossover(15, 110, 2);
}

const GraphSubject graphSubjects[] = {
    {"graph-echo", 2, 2, echoShaped},
    {"graph-music", 0, 7, musicShaped},
    {"graph-music-bypass", 0, -1, musicBypassed},
    {"graph-subwoofer", 9, 4, subwooferCrossovers},
};

// Singing scene, every EQ in use, then the subject's own settings.
void prepareGraph(CFStatic& view, const GraphSubject& subject) {
    initDefaults();
    liveParams.scene = 1;
    std::fill(std::begin(liveParams.eqBypass), std::end(liveParams.eqBypass), 0);
    subject.setUp();
    for (int block = 0; block < kEqBlockCount; ++block)
        attachBlock(block, false);
    g_currentPage = CFStatic::pageOfView(subject.view);
    view.selectView(subject.view);
    view.redraw(subject.highlight, false);
}

bool save(QWidget& w, const QString& path, qreal scale) {
    QString error;
    if (!saveWidgetPng(w, path, scale, &error)) {
        std::fprintf(stderr, "zel-shot: %s\n", qPrintable(error));
        return false;
    }
    std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
    return true;
}

// The whole main window on the music page, off-line, with the music EQ shaped, levels up and
// band 8 selected, in one language.
bool saveMainWindow(const QString& path, qreal scale, bool chinese) {
    initDefaults();
    musicShaped();
    std::fill(std::begin(liveParams.eqBypass), std::end(liveParams.eqBypass), 0);
    liveParams.compressor[0] = CompressorParams{24, 6, 2, 10};
    liveParams.noiseGate[0] = NoiseGateParams{12, 4, 3, 0};
    liveParams.musicInputPort = 3;
    liveParams.musicInputGain = 1;
    const std::uint8_t levels[3] = {56, 42, 0};
    for (int g = 0; g < 3; ++g)
        setMasterVolume(g, levels[g]);
    // No port list: the window stays off-line and never opens a device.
    CZELDlgDlg window([](std::vector<SerialPortInfo>&) {});
    QCoreApplication::sendPostedEvents();
    g_bChinese = chinese ? 1 : 0;
    window.ApplyLanguage();
    window.RefreshFromStore();
    if (CPanelDlg* music = window.panelOfPage(0))
        music->selectBand(7);
    window.setFocus();
    return save(window, path, scale);
}

// Microphone A: a 97 Hz high-pass, a low cut, presence, a notch, compressor and gate in use.
void micShaped() {
    setBand(11, 86, 200, 16);  // 103 Hz -4 dB
    setBand(16, 250, 290, 20); // 2420 Hz +5 dB
    setBand(19, 290, 150, 60); // 5240 Hz narrow cut
    setCrossover(1, 84, 1);
    liveParams.fbeMode[0] = 2;
    liveParams.compressor[1] = CompressorParams{28, 5, 3, 12};
    liveParams.noiseGate[1] = NoiseGateParams{10, 2, 4, 0};
}

// Echo A with both EQs shaped, its filters, levels and delays set.
void echoPageShaped() {
    echoShaped();
    setCrossover(5, 96, 0);   // high-pass 123 Hz
    setCrossover(9, 330, 0);  // low-pass 11.1 kHz
    setCrossover(11, 320, 0); // high-damp 9150 Hz
    liveParams.byteParam[2] = 70;
    liveParams.byteParam[3] = 85;
    liveParams.phase[1] = 0;
    liveParams.timeParam[0] = 12;
    liveParams.timeParam[1] = 110;
    liveParams.byteParam[0] = 45;
    liveParams.byteParam[30] = 10;
    liveParams.byteParam[32] = 62;
}

// Reverb B: a pre-EQ cut, a bright post-EQ, a long reverb time.
void revBShaped() {
    const int gains[5] = {220, 250, 200, 240, 280};
    for (int k = 0; k < 5; ++k)
        liveParams.eqBand[65 + k].gain = static_cast<std::uint16_t>(gains[k]);
    setCrossover(8, 120, 0);
    setCrossover(13, 340, 0);
    liveParams.byteParam[8] = 60;
    liveParams.phase[7] = 0;
    liveParams.timeParam[12] = 20;
    liveParams.timeParam[13] = 40;
}

// Main output: a shaped EQ, the levels up with the echo inverted, the left channel soloed.
void mainOutputShaped() {
    liveParams.scene = 1;
    setBand(70, 60, 270, 16);  // 63 Hz +3 dB
    setBand(72, 200, 210, 20); // 1 kHz -3 dB
    setBand(74, 300, 260, 12); // 8 kHz +2 dB
    const std::uint8_t levels[4] = {100, 80, 60, 50};
    std::copy(std::begin(levels), std::end(levels), liveParams.byteParam + 10);
    liveParams.phase[10] = 0;
    liveParams.compressor[3] = CompressorParams{24, 6, 2, 10};
    liveParams.timeParam[4] = 35;
    liveParams.timeParam[5] = 120;
    liveParams.outputSolo[0] = 1;
    for (int c = 1; c < 6; ++c)
        liveParams.outputMute[c] = 1;
}

// Subwoofer: its crossovers, the high-pass a user type with its Q row shown.
void subwooferUserType() {
    liveParams.scene = 1;
    subwooferCrossovers();
    liveParams.filter[4].slope = 3;
    liveParams.filter[4].userQ = 12;
    liveParams.timeParam[7] = 620;
}

// An output page with its factory settings, Singing.
void singing() {
    liveParams.scene = 1;
}

// The main window on one of the pages.
struct PageSubject {
    const char* name;
    int page;
    bool postEq;
    void (*setUp)();
};

const PageSubject pageSubjects[] = {
    {"page-mic-a", 1, false, micShaped},
    {"page-echo-a-pre", 2, false, echoPageShaped},
    {"page-echo-a-post", 2, true, echoPageShaped},
    {"page-rev-b", 6, false, revBShaped},
    {"main-output", 7, false, mainOutputShaped},
    {"center-output", 8, false, singing},
    {"subwoofer-output", 9, false, subwooferUserType},
    {"rear-output", 10, false, singing},
};

bool savePage(const QString& path, qreal scale, bool chinese, const PageSubject& subject) {
    initDefaults();
    std::fill(std::begin(liveParams.eqBypass), std::end(liveParams.eqBypass), 0);
    subject.setUp();
    for (int block = 0; block < kEqBlockCount; ++block)
        attachBlock(block, false);
    CZELDlgDlg window([](std::vector<SerialPortInfo>&) {});
    QCoreApplication::sendPostedEvents();
    g_bChinese = chinese ? 1 : 0;
    window.ApplyLanguage();
    window.send(WM_SELECT_PAGE, static_cast<WPARAM>(subject.page), 0);
    if (subject.postEq)
        if (auto* effect = dynamic_cast<CEffectDlg*>(window.panelOfPage(subject.page)))
            effect->onCommand(effect->info().idPost);
    QCoreApplication::sendPostedEvents();
    window.RefreshFromStore();
    window.setFocus();
    return save(window, path, scale);
}

// The Volume panel over factory limits with the record mix set, in one language.
bool saveVolumePanel(const QString& path, qreal scale, bool chinese) {
    initDefaults();
    g_bChinese = chinese ? 1 : 0;
    const std::uint8_t limits[6] = {20, 70, 10, 60, 0, 50};
    std::copy(std::begin(limits), std::end(limits), liveParams.volumeLimit);
    const std::uint8_t record[4] = {125, 100, 40, 0};
    std::copy(std::begin(record), std::end(record), liveParams.byteParam + 26);
    liveParams.phase[25] = 0;
    CVolueDlg panel;
    return save(panel, path, scale);
}

// The System panel with a few PC modes listed and the second one being uploaded, 128 of its
// frames answered.
bool saveSystemPanel(const QString& path, qreal scale, bool chinese) {
    initDefaults();
    const char* const deviceModes[] = {"Standard", "Party", "Ballad"};
    for (int i = 0; i < 3; ++i)
        textToBytes(liveParams.modeName[i], kModeNameLength, deviceModes[i]);
    liveParams.currentMode = 1;
    QTemporaryDir folder;
    const std::filesystem::path modes = folder.path().toStdString();
    const ModeBytes image = encodeMode(liveParams);
    for (const char* name : {"Room-A.dat", "Party night.dat", "Ballad.dat", "Speech.dat"})
        writeModeFile(modes / name, image);

    CZELDlgDlg window([](std::vector<SerialPortInfo>&) {});
    QCoreApplication::sendPostedEvents();
    g_bChinese = chinese ? 1 : 0;
    CSystemDlg panel(window.controller(), modes, &window);
    panel.grid()->selectRow(2);
    // As if a port were open: the upload is queued, nothing runs it.
    g_bConnected = 1;
    panel.library().uploadMode(2, 0);
    g_bConnected = 0;
    window.command().clearQueue();
    panel.progressBar()->setValue(128);
    return save(panel, path, scale);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QDir::temp().filePath(QStringLiteral("zel-shot"));
    QStringList subjects;
    for (int i = 2; i < argc; ++i)
        subjects << QString::fromLocal8Bit(argv[i]);
    auto wanted = [&](const QString& name) {
        if (subjects.isEmpty())
            return true;
        for (const QString& s : subjects)
            if (name.startsWith(s))
                return true;
        return false;
    };
    // The main window reads and creates the stored language; keep that away from the user's.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    bool ok = true;
    const auto widgets = gallery();
    const auto strips = stripRow();

    startUp();
    CFStatic eqGraph;
    eqGraph.resize(dialogRect(15, 183, 871, 203).size());
    eqGraph.measure();
    eqGraph.resizeModels();

    for (qreal scale : {1.0, 2.0}) {
        const QString suffix = QStringLiteral("@%1x.png").arg(scale);
        if (wanted(QStringLiteral("widgets")))
            ok &= save(*widgets, out + QStringLiteral("/widgets") + suffix, scale);
        if (wanted(QStringLiteral("strips"))) {
            ok &= save(*strips->root, out + QStringLiteral("/strips") + suffix, scale);
            // The type list as it drops from band 3, over a row that shows that button open.
            CDropListButton* type = strips->strips[2]->typeButton();
            type->showList();
            ok &= save(*strips->root, out + QStringLiteral("/strips-open") + suffix, scale);
            ok &= save(*type->list(), out + QStringLiteral("/strips-list") + suffix, scale);
            type->list()->hide();
        }
        for (const GraphSubject& subject : graphSubjects) {
            const QString name = QString::fromLatin1(subject.name);
            if (!wanted(name))
                continue;
            prepareGraph(eqGraph, subject);
            ok &= save(eqGraph, out + QLatin1Char('/') + name + suffix, scale);
        }
        for (const bool chinese : {false, true}) {
            const QString name = chinese ? QStringLiteral("main-cn") : QStringLiteral("main-en");
            if (wanted(name))
                ok &= saveMainWindow(out + QLatin1Char('/') + name + suffix, scale, chinese);
        }
        for (const bool chinese : {false, true}) {
            const QString name = chinese ? QStringLiteral("help-cn") : QStringLiteral("help-en");
            if (!wanted(name))
                continue;
            g_bChinese = chinese ? 1 : 0;
            CHelpDlg help;
            ok &= save(help, out + QLatin1Char('/') + name + suffix, scale);
        }
        for (const bool chinese : {false, true}) {
            const QString name =
                chinese ? QStringLiteral("system-cn") : QStringLiteral("system-en");
            if (wanted(name))
                ok &= saveSystemPanel(out + QLatin1Char('/') + name + suffix, scale, chinese);
        }
        if (wanted(QStringLiteral("about"))) {
            CAboutDlg about;
            ok &= save(about, out + QStringLiteral("/about") + suffix, scale);
        }
        for (const PageSubject& subject : pageSubjects)
            for (const bool chinese : {false, true}) {
                const QString name = QString::fromLatin1(subject.name) +
                                     (chinese ? QStringLiteral("-cn") : QStringLiteral("-en"));
                if (wanted(name))
                    ok &= savePage(out + QLatin1Char('/') + name + suffix, scale, chinese, subject);
            }
        for (const bool chinese : {false, true}) {
            const QString name =
                chinese ? QStringLiteral("volume-cn") : QStringLiteral("volume-en");
            if (wanted(name))
                ok &= saveVolumePanel(out + QLatin1Char('/') + name + suffix, scale, chinese);
        }
        for (const BitmapArt& art : bitmapArt()) {
            const QString name = QStringLiteral("bitmap-%1").arg(art.id);
            if (!wanted(name))
                continue;
            BitmapFace face(art.id);
            ok &= save(face, out + QLatin1Char('/') + name + suffix, scale);
        }
    }
    return ok ? 0 : 1;
}
