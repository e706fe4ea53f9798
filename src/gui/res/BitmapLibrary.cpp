// BitmapLibrary: renders the images of BitmapArt on demand and keeps them.
#include "gui/res/BitmapLibrary.h"
#include "gui/res/BitmapArt.h"

#include <QHash>
#include <QImage>
#include <QPainter>

#include <cmath>

namespace zel {

namespace {

const BitmapArt* findArt(int id) {
    for (const BitmapArt& art : bitmapArt())
        if (art.id == id)
            return &art;
    return nullptr;
}

// Densities are cached in quarter steps; anything finer would only fill the cache.
int densityKey(qreal dpr) {
    return std::max(1, static_cast<int>(std::lround(dpr * 4.0)));
}

QHash<quint64, QPixmap>& cache() {
    static QHash<quint64, QPixmap> pictures;
    return pictures;
}

// A colour key is 32 bits; bit 32 marks the plain picture.
constexpr quint64 PlainPicture = quint64{1} << 32;

quint64 cacheKey(int id, int density, quint64 colourKey) {
    return (static_cast<quint64>(static_cast<std::uint16_t>(id)) << 41) |
           (static_cast<quint64>(density & 0xFF) << 33) | colourKey;
}

QImage render(const BitmapArt& art, qreal dpr) {
    const QSize pixels(static_cast<int>(std::ceil(art.size.width() * dpr)),
                       static_cast<int>(std::ceil(art.size.height() * dpr)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    art.draw(painter, art.size);
    return image;
}

} // namespace

bool BitmapLibrary::contains(int id) {
    return findArt(id) != nullptr;
}

QSize BitmapLibrary::size(int id) {
    const BitmapArt* art = findArt(id);
    return art ? art->size : QSize();
}

QPixmap BitmapLibrary::pixmap(int id, qreal dpr) {
    const BitmapArt* art = findArt(id);
    if (!art)
        return QPixmap();
    const int density = densityKey(dpr);
    const quint64 key = cacheKey(id, density, PlainPicture);
    auto it = cache().constFind(key);
    if (it != cache().constEnd())
        return *it;
    QPixmap picture = QPixmap::fromImage(render(*art, density / 4.0));
    cache().insert(key, picture);
    return picture;
}

QPixmap BitmapLibrary::keyed(int id, qreal dpr, std::uint32_t colour) {
    const BitmapArt* art = findArt(id);
    if (!art)
        return QPixmap();
    const int density = densityKey(dpr);
    const quint64 key = cacheKey(id, density, colour);
    auto it = cache().constFind(key);
    if (it != cache().constEnd())
        return *it;

    QImage image = pixmap(id, dpr).toImage().convertToFormat(QImage::Format_ARGB32);
    if (!image.isNull()) {
        const QRgb topLeft = image.pixel(0, 0);
        const bool useTopLeft = colour == TopLeftPixelColour;
        // 0x00BBGGRR: red in the low byte.
        const QRgb wanted =
            qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                 static_cast<int>((colour >> 16) & 0xFF));
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const bool match = useTopLeft ? line[x] == topLeft
                                              : qAlpha(line[x]) == 255 &&
                                                    (line[x] & 0xFFFFFF) == (wanted & 0xFFFFFF);
                if (match)
                    line[x] = 0;
            }
        }
    }
    QPixmap picture = QPixmap::fromImage(image);
    cache().insert(key, picture);
    return picture;
}

void BitmapLibrary::clear() {
    cache().clear();
}

} // namespace zel
