// CAboutDlg: 235 x 55 dialog units: the application icon, the version text and OK.
#include "gui/shell/AboutDlg.h"

#include "gui/DialogUnits.h"
#include "gui/res/AppIcon.h"

#include <QLabel>
#include <QPushButton>

namespace zel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    setFont(f);
    setWindowTitle(QStringLiteral("About ZELDlg"));
    setFixedSize(dialogRect(0, 0, 235, 55).size());

    auto* icon = new QLabel(this);
    icon->setGeometry(dialogRect(11, 17, 20, 20));
    icon->setPixmap(appIcon().pixmap(icon->size()));

    auto* text = new QLabel(QStringLiteral("ZEL Version 1.0.1"), this);
    text->setGeometry(dialogRect(40, 14, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(dialogRect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace zel
