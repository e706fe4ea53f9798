// CSystemDlg: the System panel - the user/administrator switch behind the administrator
// password, the password change, the six modes stored in the device, and the library of
// PC modes with its upload to the device. Modal; registered as the link's System panel
// while it exists.
#pragma once

#include "gui/MessageWindow.h"
#include "modes/ModeLibrary.h"
#include "modes/ModeUi.h"

#include <QDialog>

#include <array>
#include <functional>
#include <string>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zel {

class CConnectionController;
class CGridList;

class CSystemDlg : public MessageWindow<QDialog>, public ModeUi {
    Q_OBJECT

public:
    // Control ids of dialog 165.
    static constexpr int IdPassword = 1334;
    static constexpr int IdUser = 1335;
    static constexpr int IdAdministrator = 1336;
    static constexpr int IdUnlock = 1337;
    static constexpr int IdOldPassword = 1338;
    static constexpr int IdNewPassword = 1339;
    static constexpr int IdConfirmPassword = 1340;
    static constexpr int IdChangePassword = 1341;
    static constexpr int IdModeList = 1036;
    static constexpr int IdModeName = 1342;
    static constexpr int IdLoadMode = 1343;
    static constexpr int IdSaveModeName = 1344;
    static constexpr int IdGrid = 1345;
    static constexpr int IdPcModeName = 1357;
    static constexpr int IdSaveInPc = 1358;
    static constexpr int IdDelete = 1359;
    static constexpr int IdUpload = 1360;
    static constexpr int IdFirstPartRadio = 1367; // ..1372, load parts 0..5

    // What the page waits for while it is disabled.
    enum class Busy { None, ModeLoad, Upload };

    // Registers the panel with the link (g_pCommand) until it is destroyed. Commands go out
    // through `controller`; PC modes live in `modeFolder` (g_modeFolder by default).
    explicit CSystemDlg(CConnectionController& controller, QWidget* parent = nullptr);
    CSystemDlg(CConnectionController& controller, std::filesystem::path modeFolder,
               QWidget* parent);
    ~CSystemDlg() override;

    // The controller's re-enable after a lost link: a load or upload still awaited did not
    // finish, and the page says so.
    void enablePage();

    // The control with a dialog id, or null.
    QWidget* control(int id) const;
    CGridList* grid() const { return m_grid; }
    QProgressBar* progressBar() const { return m_progress; }
    QLabel* statusLabel() const { return m_status; }
    QWidget* page() const { return m_page; }
    Busy busy() const { return m_busy; }
    CModeLibrary& library() { return m_library; }

    // The replace question of Save in PC; a message box with OK and Cancel by default.
    using Confirmer = std::function<bool(const std::string& text)>;
    void setConfirmer(Confirmer confirmer) { m_confirmer = std::move(confirmer); }

    // ModeUi
    void message(const std::string& text) override;
    bool confirm(const std::string& text) override;
    void listChanged() override;
    void uploadStarted() override;
    void storeChanged() override;

protected:
    LRESULT onMessage(const Message& m) override;

private:
    void createControls();
    void applyTexts();
    void applyState();
    void refillModeList();
    void showUserMode();
    void unlock();
    void userModeChosen(int choice);
    void oldPasswordEdited();
    void changePassword();
    void modeChosen(int mode);
    void loadMode();
    void saveModeName();
    void gridRowSelected(int row);
    void setStatus(const QString& text);

    CConnectionController& m_controller;
    CModeLibrary m_library;
    Confirmer m_confirmer;

    QWidget* m_page = nullptr;
    QLineEdit* m_password = nullptr;
    QRadioButton* m_user = nullptr;
    QRadioButton* m_administrator = nullptr;
    QButtonGroup* m_userGroup = nullptr;
    QLineEdit* m_oldPassword = nullptr;
    QLineEdit* m_newPassword = nullptr;
    QLineEdit* m_confirmPassword = nullptr;
    QPushButton* m_changePassword = nullptr;
    QComboBox* m_modeList = nullptr;
    QLineEdit* m_modeName = nullptr;
    CGridList* m_grid = nullptr;
    QLineEdit* m_pcModeName = nullptr;
    QButtonGroup* m_partGroup = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;

    bool m_unlocked = false;
    bool m_oldPasswordConfirmed = false;
    int m_loadPart = 0;
    int m_selectedMode = 0;
    Busy m_busy = Busy::None;
};

} // namespace zel
