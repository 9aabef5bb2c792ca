#include "ProgramIcon.h"

#include "Glyphs.h"
#include "SkinPaint.h"

#include <QPainterPath>

namespace programicon {

QImage paint(int size, qreal dpr)
{
    const QSize device(qRound(size * dpr), qRound(size * dpr));
    QImage image(device, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);

    QPainter p(&image);
    skinpaint::prepare(p);
    const qreal s = size;
    // the tile: the smallest icon keeps a square-ish tile so the bell stays big
    const qreal margin = s <= 16 ? 0.5 : s / 24.0 + 0.5;
    const qreal radius = s * 0.2;
    const QRectF tile(margin, margin, s - 2 * margin, s - 2 * margin);
    QLinearGradient g(tile.topLeft(), tile.bottomRight());
    g.setColorAt(0, QColor(84, 160, 236));
    g.setColorAt(1, QColor(18, 70, 146));
    p.setPen(QPen(QColor(10, 44, 96), 1));
    p.setBrush(g);
    p.drawRoundedRect(tile, radius, radius);

    QRectF upper = tile.adjusted(1, 1, -1, -1);
    upper.setHeight(upper.height() * 0.46);
    p.setPen(Qt::NoPen);
    p.setBrush(skinpaint::vertical(upper, QColor(255, 255, 255, 90), QColor(255, 255, 255, 16)));
    p.drawRoundedRect(upper, radius - 1, radius - 1);

    if (s >= 24) {
        QPen ring(QColor(255, 255, 255, 150), qMax<qreal>(1.0, s / 24));
        ring.setCapStyle(Qt::RoundCap);
        p.setPen(ring);
        p.setBrush(Qt::NoBrush);
        const QPointF c(s / 2, s * 0.5);
        const qreal r = s * 0.36;
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 140 * 16, 60 * 16);
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), -20 * 16, 60 * 16);
    }
    const qreal bw = s * (s <= 16 ? 0.66 : 0.54);
    const qreal bh = bw * 1.2;
    glyphs::bell(p, QRectF((s - bw) / 2, (s - bh) / 2 + s * 0.02, bw, bh), QColor(255, 240, 170),
                 QColor(204, 132, 16));
    return image;
}

}  // namespace programicon
