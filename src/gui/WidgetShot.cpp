// WidgetShot: QWidget::render into a transparent image with the requested pixel ratio.
#include "gui/WidgetShot.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QLayout>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace zel {

namespace {

void prepare(QWidget& widget) {
    widget.ensurePolished();
    for (QWidget* child : widget.findChildren<QWidget*>())
        child->ensurePolished();
    if (QLayout* layout = widget.layout())
        layout->activate();
    if (widget.size().isEmpty())
        widget.adjustSize();
}

} // namespace

QImage renderWidget(QWidget& widget, qreal scale) {
    prepare(widget);
    if (scale <= 0.0)
        scale = 1.0;
    const QSize pixels(static_cast<int>(std::ceil(widget.width() * scale)),
                       static_cast<int>(std::ceil(widget.height() * scale)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    // A control on its own keeps its see-through parts; windows and filled panels bring
    // their background.
    QWidget::RenderFlags flags = QWidget::DrawChildren;
    if (widget.isWindow() || widget.autoFillBackground())
        flags |= QWidget::DrawWindowBackground;
    QPainter painter(&image);
    widget.render(&painter, QPoint(), QRegion(), flags);
    painter.end();
    return image;
}

bool saveWidgetPng(QWidget& widget, const QString& path, qreal scale, QString* error) {
    const QImage image = renderWidget(widget, scale);
    const QFileInfo file(path);
    if (!QDir().mkpath(file.absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1; choose a writable place")
                         .arg(file.absolutePath());
        return false;
    }
    QImageWriter writer(path, "png");
    if (!writer.write(image)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, writer.errorString());
        return false;
    }
    return true;
}

} // namespace zel
