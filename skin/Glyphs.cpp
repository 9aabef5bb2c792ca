#include "GlyphGrid.h"
#include "Glyphs.h"
#include "SkinPaint.h"

#include <QPainterPath>

// One-colour glyphs: transport symbols, chrome glyphs, and the bell of the
// quick-start artwork.
namespace glyphs {
namespace {

QPen roundPen(const QColor &c, qreal w)
{
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A curly brace standing between x = left and left + width: its ends on one
// side, its point on the other.
QPainterPath brace(qreal left, qreal width, qreal top, qreal bottom, bool opening)
{
    const qreal mid = (top + bottom) / 2;
    const qreal tip = opening ? left : left + width;
    const qreal end = opening ? left + width : left;
    const qreal stem = (tip + end) / 2;
    const qreal r = qAbs(end - stem);  // the hooks are quarter circles
    const qreal k = 0.55 * r;           // cubic handle of a quarter circle
    const qreal toEnd = end > stem ? 1 : -1;
    QPainterPath path;
    path.moveTo(end, top);
    path.cubicTo(end - toEnd * k, top, stem, top + r - k, stem, top + r);
    path.lineTo(stem, mid - r);
    path.cubicTo(stem, mid - r + k, tip + toEnd * k, mid, tip, mid);
    path.cubicTo(tip + toEnd * k, mid, stem, mid + r - k, stem, mid + r);
    path.lineTo(stem, bottom - r);
    path.cubicTo(stem, bottom - r + k, end - toEnd * k, bottom, end, bottom);
    return path;
}

QPainterPath playTriangle(qreal left, qreal top, qreal right, qreal bottom)
{
    QPainterPath path = skinpaint::polygonPath({{left, top}, {right, (top + bottom) / 2}, {left, bottom}});
    return path;
}

}  // namespace

void transport(QPainter &p, int index, const QRectF &box, const QColor &colour)
{
    Grid grid(p, box, 16);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(colour);
    p.setPen(roundPen(colour, 1.2));
    switch (index) {
    case 0:
        p.drawPath(playTriangle(4.5, 2.5, 13.5, 13.5));
        break;
    case 1:
        p.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 1.2, 1.2);
        break;
    case 2:
        p.drawRoundedRect(QRectF(3.5, 2.5, 3, 11), 0.8, 0.8);
        p.drawRoundedRect(QRectF(9.5, 2.5, 3, 11), 0.8, 0.8);
        break;
    case 3:
    case 4:
        p.setBrush(Qt::NoBrush);
        p.setPen(roundPen(colour, 2.2));
        p.drawPath(brace(5, 6, 1.5, 14.5, index == 3));
        break;
    case 5:
        p.setBrush(Qt::NoBrush);
        p.setPen(roundPen(colour, 1.6));
        p.drawPath(brace(0.8, 3.6, 1.8, 14.2, true));
        p.drawPath(brace(11.6, 3.6, 1.8, 14.2, false));
        p.setBrush(colour);
        p.setPen(roundPen(colour, 1.0));
        p.drawPath(playTriangle(6.4, 4.6, 10.8, 11.4));
        break;
    case 7: {
        // loop: two arrows chasing each other round a rounded ring
        p.setBrush(Qt::NoBrush);
        p.setPen(roundPen(colour, 1.6));
        QPainterPath upper;
        upper.moveTo(3.0, 9.0);
        upper.lineTo(3.0, 6.5);
        upper.quadTo(3.0, 4.5, 5.0, 4.5);
        upper.lineTo(11.5, 4.5);
        QPainterPath lower;
        lower.moveTo(13.0, 7.0);
        lower.lineTo(13.0, 9.5);
        lower.quadTo(13.0, 11.5, 11.0, 11.5);
        lower.lineTo(4.5, 11.5);
        p.drawPath(upper);
        p.drawPath(lower);
        p.setBrush(colour);
        p.setPen(roundPen(colour, 0.8));
        p.drawPath(skinpaint::polygonPath({{10.5, 2.0}, {14.0, 4.5}, {10.5, 7.0}}));
        p.drawPath(skinpaint::polygonPath({{5.5, 9.0}, {2.0, 11.5}, {5.5, 14.0}}));
        break;
    }
    default:
        break;
    }
}

void floppyOutline(QPainter &p, const QRectF &box, const QColor &colour)
{
    Grid grid(p, box, 16);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath body;
    body.moveTo(1.5, 2.5);
    body.quadTo(1.5, 1.5, 2.5, 1.5);
    body.lineTo(12.5, 1.5);
    body.lineTo(14.5, 3.5);
    body.lineTo(14.5, 13.5);
    body.quadTo(14.5, 14.5, 13.5, 14.5);
    body.lineTo(2.5, 14.5);
    body.quadTo(1.5, 14.5, 1.5, 13.5);
    body.closeSubpath();
    p.setPen(roundPen(colour, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(4.5, 1.5, 6.5, 4));
    p.drawRect(QRectF(3.8, 8.6, 8.4, 5.9));
}

void note(QPainter &p, const QRectF &box, const QColor &colour)
{
    Grid grid(p, box, 18);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (const QPointF &head : {QPointF(4.6, 14.2), QPointF(13.6, 12.4)}) {
        p.save();
        p.translate(head);
        p.rotate(-22);
        p.drawEllipse(QPointF(0, 0), 3.3, 2.3);
        p.restore();
    }
    p.drawRect(QRectF(6.6, 3.6, 1.5, 10.4));
    p.drawRect(QRectF(15.6, 1.8, 1.5, 10.4));
    QPainterPath beam = skinpaint::polygonPath({{6.6, 3.6}, {17.1, 1.2}, {17.1, 4.2}, {6.6, 6.6}});
    p.drawPath(beam);
}

void check(QPainter &p, const QRectF &box)
{
    Grid grid(p, box, 16);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.3, 12.3);
    tick.lineTo(13.8, 3.6);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(QColor(18, 112, 40), 3.6));
    p.drawPath(tick);
    p.setPen(roundPen(QColor(70, 190, 80), 2.2));
    p.drawPath(tick);
}

void minimise(QPainter &p, const QRectF &box, const QColor &colour)
{
    Grid grid(p, box, 22);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRectF(6, 14, 10, 2), colour);
}

void cross(QPainter &p, const QRectF &box, const QColor &colour, qreal width)
{
    Grid grid(p, box, 22);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(roundPen(colour, width));
    p.drawLine(QPointF(6.5, 6.5), QPointF(15.5, 15.5));
    p.drawLine(QPointF(15.5, 6.5), QPointF(6.5, 15.5));
}

void bell(QPainter &p, const QRectF &box, const QColor &light, const QColor &dark)
{
    Grid grid(p, box, 50, 60);
    p.setRenderHint(QPainter::Antialiasing, true);
    // hanging loop
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(dark, 2.6));
    p.drawEllipse(QPointF(25, 5.5), 3.6, 3.6);
    // clapper below the rim
    QRadialGradient ball(QPointF(23.5, 54), 6);
    ball.setColorAt(0, light);
    ball.setColorAt(1, dark);
    p.setPen(Qt::NoPen);
    p.setBrush(ball);
    p.drawEllipse(QPointF(25, 55), 5, 5);
    // body, lit from the left
    QPainterPath body;
    body.moveTo(25, 8.5);
    body.cubicTo(14, 8.5, 11, 16, 11, 28);
    body.lineTo(11, 37);
    body.cubicTo(11, 42.5, 7, 45.5, 3.5, 48);
    body.lineTo(46.5, 48);
    body.cubicTo(43, 45.5, 39, 42.5, 39, 37);
    body.lineTo(39, 28);
    body.cubicTo(39, 16, 36, 8.5, 25, 8.5);
    body.closeSubpath();
    QLinearGradient shade(QPointF(4, 0), QPointF(46, 0));
    shade.setColorAt(0, light.lighter(104));
    shade.setColorAt(0.35, light);
    shade.setColorAt(1, dark);
    p.setBrush(shade);
    p.drawPath(body);
    // a soft highlight down the left flank
    QPainterPath gloss;
    gloss.moveTo(19, 13);
    gloss.cubicTo(15.5, 17, 15, 24, 15, 31);
    gloss.lineTo(15, 38);
    gloss.cubicTo(17, 36, 18, 30, 18.5, 24);
    gloss.cubicTo(19, 19, 20, 15, 19, 13);
    gloss.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawPath(gloss);
    // rim
    const QRectF rim(2, 46.5, 46, 5.5);
    p.setBrush(skinpaint::vertical(rim, light, dark));
    p.drawRoundedRect(rim, 2.7, 2.7);
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawRoundedRect(QRectF(5, 47, 30, 1.6), 0.8, 0.8);
}

}  // namespace glyphs
