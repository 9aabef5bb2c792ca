#include "SkinPaint.h"

#include "Skin.h"

#include <QtMath>

namespace skinpaint {

QImage canvas(QSize logical, qreal dpr, const QColor &fill)
{
    const QSize device(qRound(logical.width() * dpr), qRound(logical.height() * dpr));
    QImage image(device, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(fill);
    return image;
}

void prepare(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

static QFont font(const QStringList &families, qreal pixelSize, bool bold)
{
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferVerticalHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont cjkFont(qreal pixelSize, bool bold)
{
    return font({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                 QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("DejaVu Sans"),
                 QStringLiteral("sans-serif")},
                pixelSize, bold);
}

QFont latinFont(qreal pixelSize, bool bold)
{
    return font({QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans"),
                 QStringLiteral("Liberation Sans"), QStringLiteral("sans-serif")},
                pixelSize, bold);
}

QLinearGradient vertical(const QRectF &rect, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void band(QPainter &p, const QRectF &rect, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(rect, colour);
    p.restore();
}

void bandGradient(QPainter &p, const QRectF &rect, const QColor &top, const QColor &bottom)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(rect, vertical(rect, top, bottom));
    p.restore();
}

void shadowedText(QPainter &p, const QPointF &baseline, const QString &text,
                  const QColor &colour, const QColor &shadow)
{
    p.save();
    QColor s = shadow;
    s.setAlpha(150);
    p.setPen(s);
    p.drawText(baseline + QPointF(0, 1), text);
    p.setPen(colour);
    p.drawText(baseline, text);
    p.restore();
}

QImage crop(const QImage &canvas, const QRect &logical)
{
    const qreal dpr = canvas.devicePixelRatio();
    const QRect device(qRound(logical.x() * dpr), qRound(logical.y() * dpr),
                       qRound(logical.width() * dpr), qRound(logical.height() * dpr));
    QImage part = canvas.copy(device);
    part.setDevicePixelRatio(dpr);
    return part;
}

bool insideRounded(const QRectF &outline, qreal radius, const QPointF &point)
{
    if (!outline.contains(point))
        return false;
    const qreal cx = qBound(outline.left() + radius, point.x(), outline.right() - radius);
    const qreal cy = qBound(outline.top() + radius, point.y(), outline.bottom() - radius);
    const qreal dx = point.x() - cx;
    const qreal dy = point.y() - cy;
    return dx * dx + dy * dy <= radius * radius;
}

void applyKeyMargin(QImage &canvas, const QRectF &outline, qreal radius)
{
    const qreal dpr = canvas.devicePixelRatio();
    const QRgb key = 0xff000000u | SkinKeyColour;
    for (int y = 0; y < canvas.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(canvas.scanLine(y));
        for (int x = 0; x < canvas.width(); ++x) {
            const QPointF centre((x + 0.5) / dpr, (y + 0.5) / dpr);
            if (!insideRounded(outline, radius, centre))
                row[x] = key;
        }
    }
}

QPainterPath polygonPath(std::initializer_list<QPointF> corners)
{
    QPainterPath path;
    for (const QPointF &corner : corners) {
        if (path.elementCount() == 0)
            path.moveTo(corner);
        else
            path.lineTo(corner);
    }
    path.closeSubpath();
    return path;
}

}  // namespace skinpaint
