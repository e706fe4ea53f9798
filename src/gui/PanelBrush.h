// PanelBrush: the light blue behind every page and band strip.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace zel {

inline QColor panelColour() {
    return QColor(210, 230, 250);
}

// Gives a page or strip the panel background; its child controls keep their own colours.
inline void usePanelBrush(QWidget& window) {
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, panelColour());
    window.setPalette(pal);
    window.setAutoFillBackground(true);
}

} // namespace zel
