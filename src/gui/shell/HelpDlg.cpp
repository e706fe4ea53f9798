// CHelpDlg: 174 x 118 dialog units in "Arial" 10; OK only, Cancel stays hidden.
#include "gui/shell/HelpDlg.h"

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "model/Globals.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace zel {

namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

QString CHelpDlg::helpText() {
    if (g_bChinese != 0)
        return utf8("快捷键说明\n1、音乐总音量增大：Q\n2、音乐总音量减小：A\n3、音乐总音量静音：Z\n"
                    "4、话筒总音量增大：W\n5、话筒总音量减小：S\n6、话筒总音量静音：X\n"
                    "7、效果总音量增大：E\n8、效果总音量减小：D\n9、效果总音量静音：C\n"
                    "10、总输出静音：      M");
    return utf8("Hotkey\n1   Music Total volume increase:Q\n2   Music Total volume decrease:A\n"
                "3   Music Total volume mute:Z\n4   Mic Total volume increase:W\n"
                "5   Mic Total volume decrease:S\n6   Mic Total volume mute:X\n"
                "7   Effect Total volume increase:E\n8   Effect Total volume decrease:D\n"
                "9   Effect Total volume mute:C\n10 Total volume mute:      M");
}

CHelpDlg::CHelpDlg(QWidget* parent) : QDialog(parent) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(10);
    setFont(f);
    const bool cn = g_bChinese != 0;
    setWindowTitle(cn ? QString::fromUtf8("帮助") : QStringLiteral("Help"));

    // The template is in units of its own "Arial" 10, larger than the main window's.
    const auto rect = [](int x, int y, int w, int h) {
        const QRect r = dialogRect(x, y, w, h);
        return QRect(r.x() * 7 / 6, r.y() * 16 / 13, r.width() * 7 / 6, r.height() * 16 / 13);
    };
    m_text = new QLabel(this);
    setControlId(m_text, IdText);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setText(helpText());
    QRect textRect = rect(10, 6, 160, 88);
    // Where the face in use is taller than Arial (the Chinese lines), the box grows rather
    // than cut the last lines off.
    const int grow = std::max(0, m_text->sizeHint().height() - textRect.height());
    textRect.setHeight(textRect.height() + grow);
    m_text->setGeometry(textRect);

    m_ok = new QPushButton(cn ? QString::fromUtf8("确定") : QStringLiteral("OK"), this);
    setControlId(m_ok, 1);
    m_ok->setGeometry(rect(62, 98, 50, 14).translated(0, grow));
    m_ok->setDefault(true);
    const QSize box = rect(0, 0, 174, 118).size();
    setFixedSize(box.width(), box.height() + grow);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace zel
