// CHelpDlg: the hotkey help box (dialog 187), in the language of the moment.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zel {

class CHelpDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int IdText = 1385;

    explicit CHelpDlg(QWidget* parent = nullptr);

    // The hotkey list in the language of g_bChinese.
    static QString helpText();

    QLabel* textLabel() const { return m_text; }
    QPushButton* okButton() const { return m_ok; }

private:
    QLabel* m_text = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace zel
