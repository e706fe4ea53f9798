// WidgetShot: renders a widget and its children to an image or a PNG file, without a display.
#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace zel {

// The widget as it would appear on a screen of `scale` device pixels per logical pixel
// (1 = 96 dpi, 2 = 200 %). Areas the widget does not paint stay transparent.
QImage renderWidget(QWidget& widget, qreal scale = 1.0);
// Writes renderWidget() as a PNG; on failure returns false and says why in *error.
bool saveWidgetPng(QWidget& widget, const QString& path, qreal scale = 1.0,
                   QString* error = nullptr);

} // namespace zel
