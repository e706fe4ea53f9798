// CZELDlgDlg: the program's main window - master levels, scenes, COPY, ALL MUTE, the page
// buttons over the page area, the EQ graph, the menus and the hotkeys. It hosts the connection
// controller, the serial port and the receive parser.
#pragma once

#include "app/ConnectionController.h"
#include "gui/MessageWindow.h"
#include "gui/pages/PanelHost.h"
#include "link/Command.h"
#include "link/SerialPort.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QMenu;

namespace zel {

class CBitmapButton;
class CBitmapSlider;
class CEditStatic;
class CFStatic;
class CPanelDlg;
class CWindowHost;

// 0 while the Volume or System panel is open: the hotkeys are off.
inline int g_bHotkeysEnabled = 1;

class CZELDlgDlg : public MessageWindow<QMainWindow>, public PanelHost {
    Q_OBJECT

public:
    // Control ids of dialog 102.
    static constexpr int IdAuto = 1341;
    static constexpr int IdManual = 1337;
    static constexpr int IdSinging = 1343;
    static constexpr int IdDancing = 1344;
    static constexpr int IdCopy = 1386;
    static constexpr int IdAllMute = 1365;
    static constexpr int IdFirstPageButton = 1011;
    static constexpr int IdTabArea = 1023;
    static constexpr int IdGraph = 1035;
    static constexpr int IdCopySingingToDance = 200;
    static constexpr int IdCopyDanceToSinging = 201;
    // Menu commands.
    static constexpr int IdMenuLanguage = 32772;
    static constexpr int IdMenuVolumePanel = 32775;
    static constexpr int IdMenuSystemPanel = 32776;
    static constexpr int IdMenuHotkey = 32777;
    static constexpr int IdMenuAbout = 0x10;

    // lister: the port list of the start-up search (the platform's discovery by default).
    explicit CZELDlgDlg(CConnectionController::PortLister lister = {});
    ~CZELDlgDlg() override;

    void RefreshMasterLevels();
    void RefreshMasterLevel(int group) override;
    void SetOutputMute(int output, int value) override;
    void SetOutputSolo(int output, int value) override;
    void UpdateAllMute();
    void ApplySceneButtons(bool reload);
    void RefreshFromStore();
    void SendCommand(int code, int value) override;
    void ApplyLanguage();
    void LoadLanguage();
    void ToggleLanguage();

    // Buttons, copy items and menu commands by id, as a click or a menu choice does.
    void onCommand(int id);

    CBitmapSlider* masterSlider(int group) const { return m_masterSlider[group]; }
    CEditStatic* masterLabel(int group) const { return m_masterLabel[group]; }
    CBitmapButton* muteButton(int group) const { return m_muteButton[group]; }
    CBitmapButton* button(int id) const;
    CFStatic* graph() const { return m_graph; }
    // The panel that serves page 0..10, or null while that page is not built.
    CPanelDlg* panelOfPage(int page) const;
    QAction* menuAction(int id) const;
    CConnectionController& controller() { return *m_controller; }
    CSerialPort& port() { return m_port; }
    CCommand& command() { return m_command; }

protected:
    LRESULT onMessage(const Message& m) override;
    void onTimer(int id) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void createControls();
    void createMenus();
    void createPanels();
    void selectPage(int page, LPARAM lParam);
    void masterMoved(int sliderId);
    void toggleMasterMute(int group);
    void stepMaster(int group, int delta);
    void toggleAllMute();
    void sceneButton(int id);
    void copyScene(int item);
    void openCopyMenu();
    void hotkey(int key);
    void showHotkeyHelp();
    void showVolumePanel();
    void showSystemPanel();
    void showAbout();
    void setMasterDisplay(int group, int value);

    // Link stack: the parser and the port outlive the controller that uses them.
    CCommand m_command;
    CSerialPort m_port;
    std::unique_ptr<CWindowHost> m_host;
    std::unique_ptr<CConnectionController> m_controller;

    QWidget* m_client = nullptr;
    std::array<CBitmapSlider*, 3> m_masterSlider{};
    std::array<CEditStatic*, 3> m_masterLabel{};
    std::array<CBitmapButton*, 3> m_muteButton{};
    std::array<QWidget*, 3> m_masterCaption{};
    std::array<CBitmapButton*, 11> m_pageButton{};
    QWidget* m_tabArea = nullptr;
    CFStatic* m_graph = nullptr;
    // The eight panels: music, microphone, echo, reverb, Main, Center, Subwoofer, Rear.
    std::array<CPanelDlg*, 8> m_panels{};
    std::array<QMenu*, 3> m_menus{};
};

} // namespace zel
