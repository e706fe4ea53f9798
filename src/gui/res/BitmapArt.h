// BitmapArt: the drawing of every numbered image, in logical pixels at 96 dpi.
#pragma once

#include <QSize>

#include <span>

class QPainter;

namespace zel {

struct BitmapArt {
    int id;
    QSize size; // logical pixels; the control that shows the image takes this size
    void (*draw)(QPainter&, QSize);
};

// Every image the program draws, in ascending id order.
std::span<const BitmapArt> bitmapArt();

} // namespace zel
