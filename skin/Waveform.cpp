#include "SkinPalette.h"
#include "TimelinePictures.h"

#include <QPainterPath>
#include <QVector>
#include <QtMath>

#include <random>

// A waveform that looks like music (phrases, beats, jagged peaks) but is only
// decoration. It is built from value noise on knots 2 px apart, drawn from one
// seeded generator, so every run and every density shows the same drawing;
// higher densities only add in-between columns.
namespace waveform {
namespace {

constexpr qreal KnotSpacing = 2.0;

class ValueNoise {
public:
    ValueNoise(std::mt19937 &random, int knots)
    {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        m_knots.reserve(knots);
        for (int i = 0; i < knots; ++i)
            m_knots.append(unit(random));
    }
    // smoothly interpolated between the knots
    qreal at(qreal x) const
    {
        const qreal k = qMax<qreal>(0, x / KnotSpacing);
        const int i = qMin(int(k), int(m_knots.size()) - 2);
        const qreal f = k - i;
        const qreal s = f * f * (3 - 2 * f);
        return m_knots[i] * (1 - s) + m_knots[i + 1] * s;
    }

private:
    QVector<double> m_knots;
};

qreal envelope(qreal x, qreal phase)
{
    const qreal phrase = qPow(qAbs(qSin((x + phase) * M_PI / 176)), 0.6);
    const qreal beatPos = std::fmod(x + phase * 0.5, 22.75);
    const qreal beat = qExp(-beatPos / 5.5);
    const qreal swell = 0.5 + 0.5 * qSin(x * M_PI / 520 + 0.6);
    return 0.16 + 0.56 * phrase * (0.6 + 0.4 * swell) + 0.3 * beat;
}

struct Channel {
    QPainterPath outer, inner;
};

Channel channel(const QRectF &area, qreal dpr, const ValueNoise &noise, qreal phase, qreal gain)
{
    const qreal centre = area.center().y();
    const qreal half = area.height() / 2 - 2;
    QVector<QPointF> top, innerTop;
    const qreal step = 1.0 / dpr;
    for (qreal x = 0; x <= area.width() + 1e-6; x += step) {
        // the song fades in and out at the ends of the line
        const qreal fade = qMin<qreal>(1, qMin(x / 40, (area.width() - x) / 30));
        const qreal level = envelope(x, phase) * (0.45 + 0.55 * noise.at(x)) * gain * (0.25 + 0.75 * fade);
        const qreal a = qBound<qreal>(0.02, level, 0.95);
        top.append(QPointF(area.left() + x, centre - a * half));
        innerTop.append(QPointF(area.left() + x, centre - a * half * 0.42));
    }
    auto mirrored = [centre](const QVector<QPointF> &upper) {
        QPainterPath path;
        path.moveTo(upper.first());
        for (const QPointF &pt : upper)
            path.lineTo(pt);
        for (auto it = upper.crbegin(); it != upper.crend(); ++it)
            path.lineTo(it->x(), 2 * centre - it->y());
        path.closeSubpath();
        return path;
    };
    return {mirrored(top), mirrored(innerTop)};
}

void drawChannel(QPainter &p, const QRectF &area, const Channel &c)
{
    const qreal centre = area.center().y();
    QLinearGradient body(QPointF(0, area.top()), QPointF(0, area.bottom()));
    body.setColorAt(0, palette::WaveDeep);
    body.setColorAt(0.5, palette::Wave);
    body.setColorAt(1, palette::WaveDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPath(c.outer);
    p.setBrush(QColor(190, 255, 205, 170));
    p.drawPath(c.inner);
    p.fillRect(QRectF(area.left(), centre - 0.5, area.width(), 1), QColor(220, 255, 226, 120));
}

}  // namespace

void paint(QPainter &p, const QRectF &field, qreal dpr)
{
    std::mt19937 random(0x5eed2024u);
    const int knots = int(field.width() / KnotSpacing) + 3;
    const ValueNoise left(random, knots);
    const ValueNoise right(random, knots);

    const qreal gap = 1;
    const qreal h = (field.height() - gap) / 2;
    const QRectF upper(field.left(), field.top(), field.width(), h);
    const QRectF lower(field.left(), field.top() + h + gap, field.width(), h);

    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    drawChannel(p, upper, channel(upper, dpr, left, 0, 1.0));
    drawChannel(p, lower, channel(lower, dpr, right, 9, 0.93));
    p.restore();
}

}  // namespace waveform
