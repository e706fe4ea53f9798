// BitmapLibrary: the numbered images, drawn on first use and cached by id and pixel density.
#pragma once

#include <QPixmap>
#include <QSize>

#include <cstdint>

namespace zel {

// A transparent colour of FF000000 means "the colour of the image's top-left pixel".
inline constexpr std::uint32_t TopLeftPixelColour = 0xFF000000u;

class BitmapLibrary {
public:
    static bool contains(int id);
    // Size in logical pixels, or an empty size for an unknown id.
    static QSize size(int id);
    // The image drawn for `dpr` device pixels per logical pixel; a null pixmap for an
    // unknown id.
    static QPixmap pixmap(int id, qreal dpr = 1.0);
    // The image with every pixel of one colour made transparent. `colour` is 0x00BBGGRR,
    // or TopLeftPixelColour.
    static QPixmap keyed(int id, qreal dpr, std::uint32_t colour);
    // Forget every cached picture (after a change of screen density, and in tests).
    static void clear();
};

} // namespace zel
