// CVolueDlg: the modal Volume panel - start and limit volumes of the three master groups, the
// record output mix with polarities, and the device's keyboard lock behind its password.
#pragma once

#include "gui/MessageWindow.h"

#include <QDialog>

#include <array>
#include <vector>

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace zel {

class CBitmapButton;
class CBitmapSlider;
class CEditStatic;

class CVolueDlg : public MessageWindow<QDialog> {
    Q_OBJECT

public:
    static constexpr int IdPassword = 3810;
    static constexpr int IdConfirm = 3811;
    static constexpr int IdEnable = 3812;
    static constexpr int IdDisable = 3813;
    static constexpr int IdNewPassword = 3814;
    static constexpr int IdModify = 3815;
    // Sliders of the limit rows: music start/limit, microphone start/limit, effect start/limit.
    static constexpr int IdFirstLimitSlider = 3840;
    // Sliders of the record rows: music, direct, echo, reverb.
    static constexpr std::array<int, 4> IdRecordSliders = {3849, 3846, 3847, 3848};
    static constexpr std::array<int, 4> IdRecordPolarities = {3850, 3851, 3852, 3855};

    explicit CVolueDlg(QWidget* parent = nullptr);

    CBitmapSlider* slider(int sliderId) const;
    CEditStatic* label(int sliderId) const; // the label of a slider's row

    // Buttons by id, as a click does (tests and the shots drive them like this).
    void onCommand(int id);
    // A limit or record slider moved: store its position under the rules of its row.
    void onValueSlider(int sliderId);

protected:
    LRESULT onMessage(const Message& m) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    struct Row {
        int sliderId;
        CBitmapSlider* slider;
        CEditStatic* label;
    };
    void addRow(int captionId, int labelId, int sliderId, int max, int step, QRect captionDlu,
                QRect sliderDlu, QRect labelDlu);
    void load();
    void applyLanguage();
    void showRow(int sliderId, int value);
    void limitMoved(int index, int pos);
    void confirmPassword();
    void modifyPassword();
    void lockChoice();
    void setLockControlsEnabled(bool enabled);

    std::vector<Row> m_rows;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_newPassword = nullptr;
    QPushButton* m_modify = nullptr;
    QRadioButton* m_enable = nullptr;
    QRadioButton* m_disable = nullptr;
};

} // namespace zel
