#pragma once

#include <QPainter>
#include <QRectF>

namespace glyphs {

// Maps a square design grid of `units` onto box for the lifetime of the object.
// Icons are designed on whole and half units so that at their natural size
// their 1-px strokes fall on pixel centres.
class Grid {
public:
    Grid(QPainter &p, const QRectF &box, qreal unitsWide, qreal unitsHigh)
        : m_p(p)
    {
        m_p.save();
        m_p.translate(box.topLeft());
        m_p.scale(box.width() / unitsWide, box.height() / unitsHigh);
    }
    Grid(QPainter &p, const QRectF &box, qreal units) : Grid(p, box, units, units) {}
    ~Grid() { m_p.restore(); }
    Grid(const Grid &) = delete;
    Grid &operator=(const Grid &) = delete;

private:
    QPainter &m_p;
};

}  // namespace glyphs
