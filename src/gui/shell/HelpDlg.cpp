// CHelpDlg: 174 x 118 dialog units in "Arial" 10; OK only, Cancel stays hidden.
#include "gui/shell/HelpDlg.h"

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/shell/ZELDlgDlg.h"
#include "model/Globals.h"

#include <QLabel>
#include <QPushButton>

namespace zel {

CHelpDlg::CHelpDlg(QWidget* parent) : QDialog(parent) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(10);
    setFont(f);
    const bool cn = g_bChinese != 0;
    setWindowTitle(cn ? QString::fromUtf8("帮助") : QStringLiteral("Help"));
    setFixedSize(dialogRect(0, 0, 174, 118).size());

    m_text = new QLabel(this);
    setControlId(m_text, IdText);
    m_text->setGeometry(dialogRect(10, 6, 160, 88));
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setText(CZELDlgDlg::hotkeyHelpText());

    m_ok = new QPushButton(cn ? QString::fromUtf8("确定") : QStringLiteral("OK"), this);
    setControlId(m_ok, 1);
    m_ok->setGeometry(dialogRect(62, 98, 50, 14));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace zel
