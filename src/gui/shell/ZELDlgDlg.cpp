// CZELDlgDlg: dialog 102 laid out in dialog units, its handlers and the hotkey filter.
#include "gui/shell/ZELDlgDlg.h"

#include "app/Language.h"
#include "app/TextTables.h"
#include "eq/SceneCopy.h"
#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/KeyRules.h"
#include "gui/eq/FStatic.h"
#include "gui/eq/GraphRedrawTarget.h"
#include "gui/modes/SystemDlg.h"
#include "gui/pages/CenterDlg.h"
#include "gui/pages/EchoDlg.h"
#include "gui/pages/EditStatic.h"
#include "gui/pages/MainDlg.h"
#include "gui/pages/MicDlg.h"
#include "gui/pages/MusicDlg.h"
#include "gui/pages/PanelDlg.h"
#include "gui/pages/RearDlg.h"
#include "gui/pages/RevDlg.h"
#include "gui/pages/SubDlg.h"
#include "gui/pages/VolueDlg.h"
#include "gui/res/BitmapIds.h"
#include "gui/shell/AboutDlg.h"
#include "gui/shell/HelpDlg.h"
#include "gui/shell/WindowHost.h"
#include "gui/widgets/BitmapButton.h"
#include "gui/widgets/BitmapSlider.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"
#include "model/MasterLimit.h"
#include "model/StoreWrite.h"
#include "modes/ModePaths.h"
#include "platform/Locale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>

namespace zel {

namespace {

struct MasterGroup {
    int sliderId;
    int labelId;
    int muteId;
    int captionId;
    int max;
    const char* cn;
    const char* en;
    int x; // caption, slider, label and mute positions in dialog units
    int sliderX;
    int labelX;
    int muteX;
};

constexpr std::array<MasterGroup, 3> kMasters = {{
    {1002, 1001, 1009, 1000, 84, "音乐:", "Music:", 373, 404, 506, 525},
    {1004, 1005, 1010, 1003, 84, "话筒:", "MIC:", 544, 573, 676, 692},
    {1007, 1008, 1364, 1006, 70, "效果:", "Effect:", 710, 740, 842, 859},
}};

struct ButtonText {
    int id;
    const char* cn;
    const char* en;
};

constexpr std::array<ButtonText, 6> kButtonTexts = {{
    {CZELDlgDlg::IdCopy, "拷贝", "COPY"},
    {CZELDlgDlg::IdSinging, "唱歌", "SINGING"},
    {CZELDlgDlg::IdManual, "手动", "MANUAL"},
    {CZELDlgDlg::IdDancing, "热舞", "DANCING"},
    {CZELDlgDlg::IdAuto, "自动", "AUTO"},
    {CZELDlgDlg::IdAllMute, "总静音", "ALL MUTE"},
}};

struct MenuText {
    int id;
    const char* cn;
    const char* en;
};

constexpr std::array<MenuText, 6> kMenuTexts = {{
    {ID_LINK_CONNECT, "连接", "Connect"},
    {ID_LINK_DISCONNECT, "断开", "Disconnect"},
    {ID_APP_EXIT_LINK, "退出", "Exit"},
    {CZELDlgDlg::IdMenuVolumePanel, "音量面板", "Volume Panel"},
    {CZELDlgDlg::IdMenuSystemPanel, "系统面板", "System Panel"},
    {CZELDlgDlg::IdMenuHotkey, "热键", "Hotkey"},
}};

constexpr std::array<std::array<const char*, 2>, 3> kMenuTitles = {{
    {"设备&E", "&Equipment"},
    {"控制&C", "&Control"},
    {"帮助", "&Help"},
}};

// Panel slot of each page: music, microphone, echo, reverb (both channels), then the outputs.
constexpr std::array<int, 11> kPanelOfPage = {0, 1, 2, 3, 1, 2, 3, 4, 5, 6, 7};
// The order in which the panels take a language change.
constexpr std::array<int, 9> kLanguageOrder = {0, 1, 2, 3, 1, 4, 5, 7, 6};
// The scene-dependent panels, in the order they hear of a scene change.
constexpr std::array<int, 5> kScenePanels = {0, 4, 5, 6, 7};

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

// Background image 135: a brushed steel strip behind the master controls and the page
// buttons, fading into the panel blue behind the page area and the graph.
QBrush backgroundBrush(QSize size) {
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0.0, QColor(232, 238, 245));
    g.setColorAt(0.09, QColor(196, 208, 222));
    g.setColorAt(0.13, QColor(182, 198, 216));
    g.setColorAt(0.30, QColor(200, 218, 238));
    g.setColorAt(1.0, QColor(176, 196, 220));
    return QBrush(g);
}

} // namespace

CZELDlgDlg::CZELDlgDlg(CConnectionController::PortLister lister) {
    m_host = std::make_unique<CWindowHost>(*this);
    m_controller =
        std::make_unique<CConnectionController>(*m_host, m_port, m_command, std::move(lister));

    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    setFocusPolicy(Qt::StrongFocus);
    // Caption, system menu and minimise box; the size is fixed.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    createMenus();
    createControls();
    createPanels();

    // Controls in line with the store, then the graph: measure, size the models, first view.
    RefreshMasterLevels();
    ApplySceneButtons(false);
    m_graph->measure();
    m_graph->resizeModels();
    m_graph->selectView(0);
    m_graph->setNotifyWindow(this);

    // The first page, the pointers, the mode folder, the title, the port
    // search and the stored language - the posted ones run after the window appears.
    post(WM_SELECT_PAGE, 0, -1);
    g_pEqGraph = m_graph;
    g_pPanelHost = this;
    createModeFolder();
    m_controller->ShowLinkState(-1, 0);
    m_controller->requestStartupSearch();
    post(WM_APPLY_LANGUAGE, 0, 0);

    qApp->installEventFilter(this);
}

CZELDlgDlg::~CZELDlgDlg() {
    qApp->removeEventFilter(this);
    // The port closes with the controller, before the pages and the graph go.
    m_controller.reset();
    if (g_pEqGraph == m_graph)
        g_pEqGraph = nullptr;
    if (g_pPanelHost == this)
        g_pPanelHost = nullptr;
}

void CZELDlgDlg::createMenus() {
    QMenuBar* bar = menuBar();
    for (std::size_t i = 0; i < m_menus.size(); ++i)
        m_menus[i] = bar->addMenu(utf8(kMenuTitles[i][1]));
    auto add = [this](QMenu* menu, int id) {
        QAction* a = menu->addAction(QString());
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
        return a;
    };
    add(m_menus[0], ID_LINK_CONNECT);
    add(m_menus[0], ID_LINK_DISCONNECT);
    m_menus[0]->addSeparator();
    add(m_menus[0], ID_APP_EXIT_LINK);
    add(m_menus[1], IdMenuVolumePanel);
    add(m_menus[1], IdMenuSystemPanel);
    add(m_menus[1], IdMenuLanguage);
    add(m_menus[2], IdMenuHotkey);
    m_menus[2]->addSeparator();
    add(m_menus[2], IdMenuAbout)->setText(QStringLiteral("&About ZELDlg..."));
    for (const MenuText& t : kMenuTexts)
        menuAction(t.id)->setText(utf8(t.en));
}

void CZELDlgDlg::createControls() {
    m_client = new QWidget(this);
    m_client->setFixedSize(dialogRect(0, 0, 896, 389).size());
    m_client->setAutoFillBackground(true);
    QPalette pal = m_client->palette();
    pal.setBrush(QPalette::Window, backgroundBrush(m_client->size()));
    m_client->setPalette(pal);
    setCentralWidget(m_client);
    setFixedSize(sizeHint());

    auto place = [this](QWidget* w, int id, int x, int y, int width, int height) {
        setControlId(w, id);
        w->setGeometry(dialogRect(x, y, width, height));
    };
    auto button = [&](int id, CBitmapButton::Look look, int x, int y, int w, int h) {
        auto* b = new CBitmapButton(look, m_client);
        place(b, id, x, y, w, h);
        connect(b, &QAbstractButton::clicked, this, [this, id] { onCommand(id); });
        return b;
    };

    // Scenes, COPY (template texts until the language is applied) and ALL MUTE.
    button(IdAuto, CBitmapButton::Look::Text, 9, 2, 41, 14)->setText(utf8("自动"));
    button(IdManual, CBitmapButton::Look::Text, 61, 2, 41, 14)->setText(utf8("手动"));
    button(IdSinging, CBitmapButton::Look::Text, 113, 2, 41, 14)->setText(utf8("唱歌"));
    button(IdDancing, CBitmapButton::Look::Text, 165, 2, 41, 14)->setText(utf8("热舞"));
    button(IdCopy, CBitmapButton::Look::Text, 217, 2, 41, 14)->setText(utf8("拷贝"));
    button(IdAllMute, CBitmapButton::Look::AllMute, 296, 2, 12, 11);

    for (std::size_t g = 0; g < kMasters.size(); ++g) {
        const MasterGroup& m = kMasters[g];
        auto* caption = new QLabel(m_client);
        place(caption, m.captionId, m.x, 4, 27, 8);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (g == 0)
            caption->setText(utf8("音乐"));
        m_masterCaption[g] = caption;

        auto* slider = new CBitmapSlider(m_client);
        setControlId(slider, m.sliderId);
        slider->setChannelBitmaps(IDB_MASTER_CHANNEL, IDB_MASTER_CHANNEL_LIT);
        slider->setThumbBitmaps(IDB_MASTER_THUMB, IDB_MASTER_THUMB_ACTIVE, true);
        slider->setMargins(0, 0, 0, 0);
        slider->setVertical(false);
        slider->setRange(0, m.max);
        const QRect at = dialogRect(m.sliderX, 3, 97, 12);
        slider->move(at.x(), at.y() + (at.height() - slider->height()) / 2);
        slider->setNotifyTarget(this);
        m_masterSlider[g] = slider;

        auto* label = new CEditStatic(m_client);
        place(label, m.labelId, m.labelX, 4, 14, 8);
        label->setRange(0, m.max);
        label->setUnit(1, 0, QString());
        label->setKind(kLabelInt);
        m_masterLabel[g] = label;

        m_muteButton[g] = button(m.muteId, CBitmapButton::Look::Mute, m.muteX, 2, 12, 11);
    }

    for (int k = 0; k < 11; ++k) {
        CBitmapButton* b =
            button(IdFirstPageButton + k, CBitmapButton::Look::Text, 56 + 72 * k, 19, 50, 14);
        b->setTextPixels(13);
        b->setText(QString::fromUtf8(ChannelNamesCn[static_cast<std::size_t>(k)].data()));
        m_pageButton[static_cast<std::size_t>(k)] = b;
    }

    m_tabArea = new QWidget(m_client);
    place(m_tabArea, IdTabArea, 31, 32, 860, 148);

    m_graph = new CFStatic(m_client);
    place(m_graph, IdGraph, 15, 183, 871, 203);
}

void CZELDlgDlg::createPanels() {
    // One line per page class; a page button stays disabled until its panel exists.
    m_panels[0] = new CMusicDlg(m_tabArea);
    m_panels[1] = new CMicDlg(m_tabArea);
    m_panels[2] = new CEchoDlg(m_tabArea);
    m_panels[3] = new CRevDlg(m_tabArea);
    m_panels[4] = new CMainDlg(m_tabArea);
    m_panels[5] = new CCenterDlg(m_tabArea);
    m_panels[6] = new CSubDlg(m_tabArea);
    m_panels[7] = new CRearDlg(m_tabArea);
    for (CPanelDlg* p : m_panels) {
        if (!p)
            continue;
        p->resize(m_tabArea->size());
        p->hide();
    }
    for (int k = 0; k < 11; ++k)
        m_pageButton[static_cast<std::size_t>(k)]->setEnabled(panelOfPage(k) != nullptr);
}

CPanelDlg* CZELDlgDlg::panelOfPage(int page) const {
    if (page < 0 || page > 10)
        return nullptr;
    return m_panels[static_cast<std::size_t>(kPanelOfPage[static_cast<std::size_t>(page)])];
}

CBitmapButton* CZELDlgDlg::button(int id) const {
    return qobject_cast<CBitmapButton*>(findControl(m_client, id));
}

QAction* CZELDlgDlg::menuAction(int id) const {
    for (QMenu* menu : m_menus)
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->data().toInt() == id)
                return a;
    return nullptr;
}

// ---- master levels ----

void CZELDlgDlg::setMasterDisplay(int group, int value) {
    m_masterSlider[static_cast<std::size_t>(group)]->setPos(value);
    m_masterLabel[static_cast<std::size_t>(group)]->setValue(value);
}

void CZELDlgDlg::RefreshMasterLevel(int g) {
    setMasterDisplay(g, storeRead(liveParams.masterVolume[g]));
    m_muteButton[static_cast<std::size_t>(g)]->setPressed(storeRead(liveParams.masterMute[g]) != 0);
}

void CZELDlgDlg::RefreshMasterLevels() {
    for (int g = 0; g < 3; ++g)
        RefreshMasterLevel(g);
}

void CZELDlgDlg::masterMoved(int sliderId) {
    for (int g = 0; g < 3; ++g) {
        const MasterGroup& m = kMasters[static_cast<std::size_t>(g)];
        if (m.sliderId != sliderId)
            continue;
        CBitmapSlider* s = m_masterSlider[static_cast<std::size_t>(g)];
        const int v = limitedMasterLevel(liveParams, g, s->getPos());
        if (v != s->getPos())
            s->setPos(v);
        m_masterLabel[static_cast<std::size_t>(g)]->setValue(v);
        storeWrite(liveParams.masterVolume[g], static_cast<std::uint8_t>(v));
        storeWrite(liveParams.masterMute[g], static_cast<std::uint8_t>(v == 0 ? 1 : 0));
        m_muteButton[static_cast<std::size_t>(g)]->setPressed(v == 0);
    }
}

void CZELDlgDlg::toggleMasterMute(int g) {
    CBitmapButton* mute = m_muteButton[static_cast<std::size_t>(g)];
    const int level = storeRead(liveParams.masterVolume[g]);
    if (mute->isPressed()) {
        if (level == 0)
            return; // a group at level 0 stays muted
        setMasterDisplay(g, level);
        storeWrite(liveParams.masterMute[g], 0);
        mute->setPressed(false);
    } else {
        // The level is kept, so unmuting brings it back.
        setMasterDisplay(g, 0);
        storeWrite(liveParams.masterMute[g], 1);
        mute->setPressed(true);
    }
}

void CZELDlgDlg::stepMaster(int g, int delta) {
    const int limit = storeRead(liveParams.volumeLimit[masterLimitIndex(g)]);
    int v = storeRead(liveParams.masterVolume[g]) + delta;
    if (delta > 0 && v > limit)
        v = std::max(limit, v - delta);
    if (v < 0)
        v = 0;
    storeWrite(liveParams.masterVolume[g], static_cast<std::uint8_t>(v));
    storeWrite(liveParams.masterMute[g], static_cast<std::uint8_t>(v == 0 ? 1 : 0));
    RefreshMasterLevel(g);
}

// ---- outputs ----

void CZELDlgDlg::SetOutputMute(int i, int value) {
    storeWrite(liveParams.outputMute[i], static_cast<std::uint8_t>(value));
    for (int j = 0; j < 6; ++j)
        storeWrite(liveParams.outputSolo[j], 0);
    UpdateAllMute();
}

void CZELDlgDlg::SetOutputSolo(int i, int value) {
    for (int j = 0; j < 6; ++j) {
        if (j == i) {
            storeWrite(liveParams.outputMute[j], 0);
            storeWrite(liveParams.outputSolo[j], static_cast<std::uint8_t>(value));
        } else {
            storeWrite(liveParams.outputMute[j], static_cast<std::uint8_t>(value != 0 ? 1 : 0));
            storeWrite(liveParams.outputSolo[j], 0);
        }
    }
    UpdateAllMute();
}

void CZELDlgDlg::UpdateAllMute() {
    bool all = true;
    for (int j = 0; j < 6; ++j)
        all = all && storeRead(liveParams.outputMute[j]) != 0;
    button(IdAllMute)->setPressed(all);
}

void CZELDlgDlg::toggleAllMute() {
    CBitmapButton* allMute = button(IdAllMute);
    const bool muting = !allMute->isPressed();
    for (int j = 0; j < 6; ++j) {
        storeWrite(liveParams.outputMute[j], static_cast<std::uint8_t>(muting ? 1 : 0));
        storeWrite(liveParams.outputSolo[j], 0);
    }
    allMute->setPressed(muting);
    if (g_currentPage >= 7 && g_currentPage <= 10)
        if (CPanelDlg* p = panelOfPage(g_currentPage))
            p->refreshMuteSolo();
}

// ---- scenes ----

void CZELDlgDlg::sceneButton(int id) {
    const std::uint8_t scene = storeRead(liveParams.scene);
    switch (id) {
    case IdAuto:
        if (scene != 0) {
            storeWrite(liveParams.scene, 0);
            ApplySceneButtons(false);
        }
        return;
    case IdManual:
        if (scene == 0) {
            storeWrite(liveParams.scene, storeRead(liveParams.lastManualScene));
            ApplySceneButtons(false);
        }
        return;
    case IdSinging:
    case IdDancing: {
        const std::uint8_t wanted = id == IdSinging ? 1 : 2;
        if (scene != wanted) {
            storeWrite(liveParams.scene, wanted);
            storeWrite(liveParams.lastManualScene, wanted);
            ApplySceneButtons(true);
        }
        return;
    }
    default:
        return;
    }
}

void CZELDlgDlg::ApplySceneButtons(bool reload) {
    const std::uint8_t scene = storeRead(liveParams.scene);
    const bool manual = scene == 1 || scene == 2;
    button(IdAuto)->setPressed(!manual);
    button(IdManual)->setPressed(manual);
    button(IdSinging)->setEnabled(manual);
    button(IdDancing)->setEnabled(manual);
    button(IdSinging)->setPressed(scene == 1);
    button(IdDancing)->setPressed(scene == 2);
    for (int slot : kScenePanels)
        if (CPanelDlg* p = m_panels[static_cast<std::size_t>(slot)])
            p->applyScene(reload);
}

void CZELDlgDlg::copyScene(int item) {
    const std::uint8_t scene = storeRead(liveParams.scene);
    if (item == IdCopySingingToDance) {
        copySingingToDance();
        if (scene == 2)
            ApplySceneButtons(true);
    } else if (item == IdCopyDanceToSinging) {
        copyDanceToSinging();
        if (scene == 1)
            ApplySceneButtons(true);
    }
}

void CZELDlgDlg::openCopyMenu() {
    CBitmapButton* copy = button(IdCopy);
    QMenu menu(this);
    const TextPair& s2d = CopyNames[kCopySingingToDance];
    const TextPair& d2s = CopyNames[kCopyDanceToSinging];
    QAction* first = menu.addAction(QString::fromUtf8(pickText(s2d).data()));
    QAction* second = menu.addAction(QString::fromUtf8(pickText(d2s).data()));
    QAction* chosen = menu.exec(copy->mapToGlobal(QPoint(0, copy->height() + 2)));
    if (chosen == first)
        copyScene(IdCopySingingToDance);
    else if (chosen == second)
        copyScene(IdCopyDanceToSinging);
}

// ---- pages ----

void CZELDlgDlg::selectPage(int page, LPARAM lParam) {
    if (page < 0 || page > 10)
        return;
    if (lParam == 0) {
        if (page == g_currentPage)
            return;
        if (CPanelDlg* old = panelOfPage(g_currentPage))
            old->hide();
        m_pageButton[static_cast<std::size_t>(g_currentPage)]->setPressed(false);
    }
    g_currentPage = page;
    m_pageButton[static_cast<std::size_t>(page)]->setPressed(true);
    m_graph->selectView(page);
    if (CPanelDlg* p = panelOfPage(page)) {
        p->refresh();
        p->show();
    }
}

void CZELDlgDlg::RefreshFromStore() {
    RefreshMasterLevels();
    ApplySceneButtons(false);
    UpdateAllMute();
    m_graph->selectView(g_currentPage);
    if (CPanelDlg* p = panelOfPage(g_currentPage)) {
        p->refresh();
        p->show();
    }
}

void CZELDlgDlg::SendCommand(int code, int value) {
    m_controller->SendCommand(code, value);
}

// ---- language ----

void CZELDlgDlg::ApplyLanguage() {
    const bool cn = g_bChinese != 0;
    for (const ButtonText& t : kButtonTexts) {
        button(t.id)->setText(utf8(cn ? t.cn : t.en));
        if (t.id == IdAllMute)
            button(t.id)->setToolTip(button(t.id)->text());
    }
    for (std::size_t g = 0; g < kMasters.size(); ++g)
        static_cast<QLabel*>(m_masterCaption[g])
            ->setText(utf8(cn ? kMasters[g].cn : kMasters[g].en));
    for (int k = 0; k < 11; ++k) {
        const std::string_view name = channelName(k);
        m_pageButton[static_cast<std::size_t>(k)]->setText(
            QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    for (std::size_t i = 0; i < m_menus.size(); ++i)
        m_menus[i]->setTitle(utf8(kMenuTitles[i][cn ? 0 : 1]));
    for (const MenuText& t : kMenuTexts)
        menuAction(t.id)->setText(utf8(cn ? t.cn : t.en));
    menuAction(IdMenuLanguage)
        ->setText(utf8(cn ? "English" : (g_systemLcid == kLcidChinesePrc ? "中文" : "Chinese")));
    for (int slot : kLanguageOrder)
        if (CPanelDlg* p = m_panels[static_cast<std::size_t>(slot)])
            p->applyLanguage();
    // The title keeps the link state it shows, now in this language. Deriving it from the open
    // port alone would claim On-Line while a port is still being probed or synchronised.
    int state = -1;
    int online = g_bConnected.load();
    const std::string shown = windowTitle().toStdString();
    for (const int s : {-1, 1, 2})
        for (const int o : {0, 1})
            for (const bool chinese : {false, true})
                if (const char* t = CConnectionController::linkTitle(s, o, chinese);
                    t != nullptr && shown == t) {
                    state = o != 0 ? s : -1;
                    online = o;
                }
    m_controller->ShowLinkState(state, m_controller->searchArmed() ? 0 : online);
    menuBar()->update();
    update();
}

void CZELDlgDlg::LoadLanguage() {
    loadLanguage();
    ApplyLanguage();
}

void CZELDlgDlg::ToggleLanguage() {
    toggleLanguage();
    ApplyLanguage();
}

void CZELDlgDlg::showHotkeyHelp() {
    CHelpDlg help(this);
    help.exec();
}

void CZELDlgDlg::showVolumePanel() {
    // The hotkeys would change master levels behind the modal panel.
    g_bHotkeysEnabled = 0;
    CVolueDlg panel(this);
    panel.exec();
    g_bHotkeysEnabled = 1;
}

void CZELDlgDlg::showSystemPanel() {
    g_bHotkeysEnabled = 0;
    {
        CSystemDlg panel(*m_controller, this);
        panel.exec();
    } // closing unregisters it from the link
    g_bHotkeysEnabled = 1;
}

void CZELDlgDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

// ---- commands, messages, keys ----

void CZELDlgDlg::onCommand(int id) {
    if (id >= IdFirstPageButton && id < IdFirstPageButton + 11) {
        post(WM_SELECT_PAGE, static_cast<WPARAM>(id - IdFirstPageButton), 0);
        return;
    }
    for (int g = 0; g < 3; ++g)
        if (kMasters[static_cast<std::size_t>(g)].muteId == id) {
            toggleMasterMute(g);
            return;
        }
    switch (id) {
    case IdAuto:
    case IdManual:
    case IdSinging:
    case IdDancing:
        sceneButton(id);
        return;
    case IdCopy:
        openCopyMenu();
        return;
    case IdCopySingingToDance:
    case IdCopyDanceToSinging:
        copyScene(id);
        return;
    case IdAllMute:
        toggleAllMute();
        return;
    case ID_LINK_CONNECT:
        m_controller->onConnect();
        return;
    case ID_LINK_DISCONNECT:
        m_controller->onDisconnect();
        return;
    case ID_APP_EXIT_LINK:
        m_controller->onExit();
        return;
    case IdMenuLanguage:
        ToggleLanguage();
        return;
    case IdMenuVolumePanel:
        showVolumePanel();
        return;
    case IdMenuHotkey:
        showHotkeyHelp();
        return;
    case IdMenuSystemPanel:
        showSystemPanel();
        return;
    case IdMenuAbout:
        showAbout();
        return;
    default:
        return;
    }
}

void CZELDlgDlg::hotkey(int key) {
    switch (key) {
    case 'Q':
        stepMaster(0, 1);
        return;
    case 'A':
        stepMaster(0, -1);
        return;
    case 'W':
        stepMaster(1, 1);
        return;
    case 'S':
        stepMaster(1, -1);
        return;
    case 'E':
        stepMaster(2, 1);
        return;
    case 'D':
        stepMaster(2, -1);
        return;
    case 'Z':
        toggleMasterMute(0);
        return;
    case 'X':
        toggleMasterMute(1);
        return;
    case 'C':
        toggleMasterMute(2);
        return;
    case 'M':
        toggleAllMute();
        return;
    default:
        return;
    }
}

LRESULT CZELDlgDlg::onMessage(const Message& m) {
    switch (m.id) {
    case WM_SELECT_PAGE:
        selectPage(static_cast<int>(m.wParam), m.lParam);
        return 0;
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        masterMoved(static_cast<int>(m.wParam));
        return 1;
    case WM_HOTKEY_KEY:
        hotkey(static_cast<int>(m.wParam));
        return 0;
    case WM_APPLY_LANGUAGE:
        LoadLanguage();
        return 0;
    case WM_GRAPH_BAND_SELECTED: {
        const int page = CFStatic::pageOfView(static_cast<int>(m.wParam));
        if (page == g_currentPage)
            if (CPanelDlg* p = panelOfPage(page))
                p->graphBandChanged(static_cast<int>(m.lParam));
        return 0;
    }
    default:
        m_controller->handleMessage(m);
        return 0;
    }
}

void CZELDlgDlg::onTimer(int id) {
    m_controller->onTimer(id);
}

bool CZELDlgDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress)
        return MessageWindow<QMainWindow>::eventFilter(watched, e);
    auto* w = qobject_cast<QWidget*>(watched);
    // Each key-down once, where it is first delivered: the focus widget of this window (or
    // the window itself), not again as it travels up to the parents.
    QWidget* focus = QApplication::focusWidget();
    if (!w || w->window() != this || (focus ? w != focus : w != this))
        return MessageWindow<QMainWindow>::eventFilter(watched, e);
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (g_bHotkeysEnabled != 0) {
        switch (key) {
        case Qt::Key_A:
        case Qt::Key_C:
        case Qt::Key_D:
        case Qt::Key_E:
        case Qt::Key_M:
        case Qt::Key_Q:
        case Qt::Key_S:
        case Qt::Key_W:
        case Qt::Key_X:
        case Qt::Key_Z:
            post(WM_HOTKEY_KEY, static_cast<WPARAM>(key), WM_KEYDOWN);
            break;
        default:
            break;
        }
    }
    if (endsEntry(key)) {
        // Ends (and commits) an entry being typed; the window never closes on a key.
        setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (isDialogNavigation(key))
        return true;
    return MessageWindow<QMainWindow>::eventFilter(watched, e);
}

void CZELDlgDlg::closeEvent(QCloseEvent* e) {
    // The port thread stops before the window's parts go away.
    if (g_bConnected.load() != 0) {
        m_port.Close();
        g_bConnected = 0;
    }
    MessageWindow<QMainWindow>::closeEvent(e);
}

} // namespace zel
