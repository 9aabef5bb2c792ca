#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <initializer_list>

// Small painting helpers shared by every picture. All coordinates are logical
// pixels; the canvases carry the device pixel ratio, so the same code paints
// crisp pictures at any density.
namespace skinpaint {

// An opaque canvas of the given logical size at the given density.
QImage canvas(QSize logical, qreal dpr, const QColor &fill);

// A painter with antialiasing switched on.
void prepare(QPainter &p);

// Chinese captions use Noto Sans CJK SC; Latin words a plain sans.
QFont cjkFont(qreal pixelSize, bool bold = false);
QFont latinFont(qreal pixelSize, bool bold = false);

// A vertical two-stop gradient over rect.
QLinearGradient vertical(const QRectF &rect, const QColor &top, const QColor &bottom);

// A closed outline through the given corners, in order.
QPainterPath polygonPath(std::initializer_list<QPointF> corners);

// Fills the logical rect exactly (no antialiasing), for crisp 1-px lines and bands.
void band(QPainter &p, const QRectF &rect, const QColor &colour);
void bandGradient(QPainter &p, const QRectF &rect, const QColor &top, const QColor &bottom);

// Text with a one-pixel shadow below it, as used on the blue artwork.
void shadowedText(QPainter &p, const QPointF &baseline, const QString &text,
                  const QColor &colour, const QColor &shadow);

// Copies a logical rectangle out of a canvas, keeping its density.
QImage crop(const QImage &canvas, const QRect &logical);

// Sets every device pixel whose centre lies outside the rounded rectangle to
// the key colour, and leaves every other pixel alone, so the outline has no
// blend of the key colour at all.
void applyKeyMargin(QImage &canvas, const QRectF &outline, qreal radius);

// True when the logical point lies inside the rounded rectangle.
bool insideRounded(const QRectF &outline, qreal radius, const QPointF &point);

}  // namespace skinpaint
