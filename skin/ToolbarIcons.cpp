#include "GlyphGrid.h"
#include "Glyphs.h"
#include "SkinPaint.h"

#include <QPainterPath>
#include <QtMath>

// The toolbar icons: full-colour drawings on a 24-unit grid, lit from the top
// left like every other face of the window.
namespace glyphs {
namespace {

const QColor Outline{74, 106, 146};

QPen pen(const QColor &c, qreal w = 1.0)
{
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void softShadow(QPainter &p, const QPainterPath &shape)
{
    p.save();
    p.translate(1, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 50, 90, 45));
    p.drawPath(shape);
    p.restore();
}

void document(QPainter &p)
{
    QPainterPath page = skinpaint::polygonPath({{4.5, 1.5}, {14.5, 1.5}, {19.5, 6.5}, {19.5, 22.5}, {4.5, 22.5}});
    softShadow(p, page);
    p.setPen(pen(Outline));
    p.setBrush(skinpaint::vertical(QRectF(4, 1, 16, 22), Qt::white, QColor(226, 236, 247)));
    p.drawPath(page);
    QPainterPath fold = skinpaint::polygonPath({{14.5, 1.5}, {14.5, 6.5}, {19.5, 6.5}});
    p.setBrush(QColor(200, 216, 236));
    p.drawPath(fold);
}

void floppy(QPainter &p)
{
    QPainterPath body;
    body.moveTo(2.5, 4.5);
    body.quadTo(2.5, 2.5, 4.5, 2.5);
    body.lineTo(18.5, 2.5);
    body.lineTo(21.5, 5.5);
    body.lineTo(21.5, 19.5);
    body.quadTo(21.5, 21.5, 19.5, 21.5);
    body.lineTo(4.5, 21.5);
    body.quadTo(2.5, 21.5, 2.5, 19.5);
    body.closeSubpath();
    softShadow(p, body);
    p.setPen(pen(QColor(18, 52, 98)));
    p.setBrush(skinpaint::vertical(QRectF(2, 2, 20, 20), QColor(70, 128, 204), QColor(26, 70, 132)));
    p.drawPath(body);
    // metal shutter with its window
    p.setPen(pen(QColor(96, 110, 128)));
    p.setBrush(skinpaint::vertical(QRectF(7, 2.5, 10, 6.5), QColor(244, 247, 250), QColor(170, 182, 196)));
    p.drawRect(QRectF(7.5, 2.5, 9, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 56, 78));
    p.drawRect(QRectF(13, 3.5, 2, 4));
    // paper label
    p.setPen(pen(QColor(160, 176, 196)));
    p.setBrush(QColor(252, 252, 250));
    p.drawRoundedRect(QRectF(5.5, 12.5, 13, 9), 1, 1);
    p.setPen(pen(QColor(150, 176, 210)));
    p.drawLine(QPointF(7.5, 15.5), QPointF(16.5, 15.5));
    p.drawLine(QPointF(7.5, 18.5), QPointF(14.5, 18.5));
}

QPainterPath blade(const QPointF &tip, const QPointF &pivot, qreal halfWidth)
{
    const QPointF d = pivot - tip;
    const qreal len = qSqrt(d.x() * d.x() + d.y() * d.y());
    const QPointF n(-d.y() / len * halfWidth, d.x() / len * halfWidth);
    const QPointF shank = pivot + d / len * 4.6;
    QPainterPath path = skinpaint::polygonPath({{tip}, {pivot + n}, {shank + n * 0.6}, {shank - n * 0.6}, {pivot - n}});
    return path;
}

void scissors(QPainter &p)
{
    const QPointF pivot(12, 11);
    const QColor steelEdge(84, 98, 118);
    QLinearGradient steel(QPointF(6, 0), QPointF(18, 0));
    steel.setColorAt(0, QColor(246, 248, 251));
    steel.setColorAt(0.5, QColor(198, 208, 220));
    steel.setColorAt(1, QColor(150, 164, 182));
    p.setPen(pen(steelEdge, 0.9));
    p.setBrush(steel);
    p.drawPath(blade(QPointF(6.2, 0.8), pivot, 1.7));
    p.drawPath(blade(QPointF(17.8, 0.8), pivot, 1.7));
    // handles
    const QColor ring(214, 60, 40), ringDark(150, 32, 20);
    for (const QPointF &c : {QPointF(7.4, 19.0), QPointF(16.6, 19.0)}) {
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(ringDark, 3.2));
        p.drawEllipse(c, 3.0, 3.0);
        p.setPen(pen(ring, 2.0));
        p.drawEllipse(c, 3.0, 3.0);
    }
    p.setPen(pen(steelEdge, 0.8));
    p.setBrush(QColor(236, 240, 245));
    p.drawEllipse(pivot, 1.3, 1.3);
}

void downArrow(QPainter &p)
{
    QPainterPath arrow = skinpaint::polygonPath({{8.5, 2.5}, {15.5, 2.5}, {15.5, 11.5}, {20.5, 11.5}, {12, 21.5}, {3.5, 11.5}, {8.5, 11.5}});
    softShadow(p, arrow);
    p.setPen(pen(QColor(22, 108, 36)));
    p.setBrush(skinpaint::vertical(QRectF(3, 2, 18, 20), QColor(138, 232, 120), QColor(34, 150, 52)));
    p.drawPath(arrow);
    p.setPen(pen(QColor(255, 255, 255, 120)));
    p.drawLine(QPointF(9.5, 3.5), QPointF(9.5, 11));
}

void envelope(QPainter &p)
{
    const QRectF body(2.5, 5.5, 19, 13);
    QPainterPath shape;
    shape.addRect(body);
    softShadow(p, shape);
    p.setPen(pen(Outline));
    p.setBrush(skinpaint::vertical(body, QColor(255, 253, 246), QColor(236, 226, 198)));
    p.drawRect(body);
    p.setPen(pen(QColor(176, 158, 118)));
    p.drawLine(QPointF(3, 18), QPointF(9.5, 12));
    p.drawLine(QPointF(21, 18), QPointF(14.5, 12));
    QPainterPath flap;
    flap.moveTo(2.5, 5.5);
    flap.lineTo(12, 13.5);
    flap.lineTo(21.5, 5.5);
    p.setPen(pen(Outline));
    p.setBrush(skinpaint::vertical(QRectF(2, 5, 20, 9), QColor(255, 255, 255), QColor(228, 216, 186)));
    p.drawPath(flap);
    // a red seal where the flap meets the body
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 60, 40));
    p.drawEllipse(QPointF(12, 12.2), 1.8, 1.8);
}

void monitor(QPainter &p)
{
    // stand
    p.setPen(pen(QColor(90, 102, 118)));
    p.setBrush(skinpaint::vertical(QRectF(9, 16, 6, 4), QColor(196, 204, 214), QColor(140, 150, 164)));
    p.drawRect(QRectF(10.5, 16.5, 3, 3));
    p.drawRoundedRect(QRectF(6.5, 19.5, 11, 2.5), 1.2, 1.2);
    // bezel and screen
    QPainterPath bezel;
    bezel.addRoundedRect(QRectF(1.5, 2.5, 21, 14), 1.8, 1.8);
    softShadow(p, bezel);
    p.setPen(pen(QColor(24, 32, 44)));
    p.setBrush(skinpaint::vertical(QRectF(1, 2, 22, 15), QColor(84, 98, 116), QColor(34, 44, 58)));
    p.drawPath(bezel);
    const QRectF screen(3.5, 4.5, 17, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(skinpaint::vertical(screen, QColor(140, 204, 255), QColor(34, 104, 200)));
    p.drawRect(screen);
    QPainterPath gloss;
    gloss.moveTo(3.5, 4.5);
    gloss.lineTo(20.5, 4.5);
    gloss.lineTo(20.5, 7.0);
    gloss.quadTo(12, 8.5, 3.5, 11.5);
    gloss.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawPath(gloss);
}

void information(QPainter &p)
{
    QPainterPath disc;
    disc.addEllipse(QPointF(12, 12), 10, 10);
    softShadow(p, disc);
    QRadialGradient g(QPointF(9, 7), 14);
    g.setColorAt(0, QColor(130, 196, 255));
    g.setColorAt(1, QColor(26, 96, 192));
    p.setPen(pen(QColor(18, 70, 146)));
    p.setBrush(g);
    p.drawPath(disc);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawEllipse(QRectF(5, 3, 14, 8));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 7), 1.7, 1.7);
    p.drawRoundedRect(QRectF(10.5, 10, 3, 8.5), 0.8, 0.8);
}

void runner(QPainter &p)
{
    const QColor body(222, 70, 40), edge(150, 36, 18);
    QPainterPath limbs;
    limbs.moveTo(13.6, 8.0);   // torso
    limbs.lineTo(10.6, 13.6);
    limbs.moveTo(13.2, 8.8);   // arm back
    limbs.lineTo(9.0, 9.6);
    limbs.lineTo(6.8, 12.6);
    limbs.moveTo(13.2, 8.8);   // arm forward
    limbs.lineTo(16.6, 11.4);
    limbs.lineTo(19.8, 10.0);
    limbs.moveTo(10.6, 13.6);  // front leg
    limbs.lineTo(14.6, 16.2);
    limbs.lineTo(13.4, 21.2);
    limbs.moveTo(10.6, 13.6);  // back leg
    limbs.lineTo(8.0, 17.6);
    limbs.lineTo(3.6, 18.6);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(edge, 3.6));
    p.drawPath(limbs);
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    p.drawEllipse(QPointF(15.6, 4.4), 2.9, 2.9);
    p.setPen(pen(body, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(limbs);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(QPointF(15.6, 4.4), 2.1, 2.1);
    // speed lines
    p.setPen(pen(QColor(120, 150, 186), 1.0));
    p.drawLine(QPointF(1.5, 8.5), QPointF(5.0, 8.5));
    p.drawLine(QPointF(0.5, 11.5), QPointF(3.5, 11.5));
}

}  // namespace

void toolIcon(QPainter &p, int index, const QRectF &box)
{
    Grid grid(p, box, 24);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (index) {
    case 0: document(p); break;
    case 1: floppy(p); break;
    case 2: scissors(p); break;
    case 3: downArrow(p); break;
    case 4: envelope(p); break;
    case 5: monitor(p); break;
    case 6: information(p); break;
    case 7: runner(p); break;
    default: break;
    }
}

void quickStartDocument(QPainter &p, const QRectF &box, bool lit)
{
    Grid grid(p, box, 31, 36);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (lit) {
        // a glow that fades out before the picture's edges
        p.save();
        p.translate(15.5, 18);
        p.scale(1.0, 18.0 / 15.5);
        QRadialGradient halo(QPointF(0, 0), 15.5);
        halo.setColorAt(0, QColor(255, 246, 196, 220));
        halo.setColorAt(0.65, QColor(255, 236, 150, 120));
        halo.setColorAt(1, QColor(255, 236, 150, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(QPointF(0, 0), 15.5, 15.5);
        p.restore();
    }
    QPainterPath page = skinpaint::polygonPath({{4.5, 2.5}, {19.5, 2.5}, {26.5, 9.5}, {26.5, 33.5}, {4.5, 33.5}});
    p.save();
    p.translate(1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(6, 30, 70, 90));
    p.drawPath(page);
    p.restore();
    p.setPen(pen(lit ? QColor(232, 150, 20) : QColor(40, 82, 140)));
    p.setBrush(skinpaint::vertical(QRectF(4, 2, 23, 32), Qt::white,
                                   lit ? QColor(255, 246, 214) : QColor(220, 232, 246)));
    p.drawPath(page);
    QPainterPath fold = skinpaint::polygonPath({{19.5, 2.5}, {19.5, 9.5}, {26.5, 9.5}});
    p.setBrush(lit ? QColor(255, 222, 140) : QColor(190, 210, 234));
    p.drawPath(fold);
    // a note on the page: this document is music
    note(p, QRectF(8, 13, 15, 15), lit ? QColor(220, 110, 10) : QColor(34, 96, 176));
    p.setPen(pen(lit ? QColor(240, 190, 110) : QColor(170, 194, 224)));
    p.drawLine(QPointF(7.5, 6.5), QPointF(15.5, 6.5));
    p.drawLine(QPointF(7.5, 9.5), QPointF(13.5, 9.5));
}

}  // namespace glyphs
