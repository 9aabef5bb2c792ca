#include "ui/KeyColourShape.h"

#include <QList>
#include <QRect>

QRegion regionWithoutKeyColour(const QImage &picture, QSize logicalSize, QRgb keyColour)
{
    // nearest-neighbour sampling keeps every pixel's colour exact
    const QImage image = picture.scaled(logicalSize, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    const QRgb key = keyColour | 0xFF000000u;
    QList<QRect> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && (line[x] | 0xFF000000u) == key)
                ++x;
            const int start = x;
            while (x < image.width() && (line[x] | 0xFF000000u) != key)
                ++x;
            if (x > start)
                runs.append(QRect(start, y, x - start, 1));
        }
    }
    QRegion region;
    region.setRects(runs.constData(), int(runs.size()));
    return region;
}

QImage withKeyColourTransparent(const QImage &picture, QRgb keyColour)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = keyColour | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
    }
    image.setDevicePixelRatio(picture.devicePixelRatio());
    return image;
}
