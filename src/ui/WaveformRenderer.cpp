#include "ui/WaveformRenderer.h"

#include "SkinPaint.h"
#include "playback/PeakSummary.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <vector>

namespace waveformrender {
namespace {

constexpr double Second = 1000, Minute = 60 * Second, Hour = 60 * Minute;

// A labelled step and how its ticks divide it: minors unlabelled ticks per
// step, the one at index mid (0: none) a little longer.
struct RulerStep {
    double ms;
    int minors;
    int mid;
};

constexpr RulerStep Steps[] = {
    {1, 10, 5},          {2, 4, 2},          {5, 5, 0},           {10, 10, 5},         {20, 4, 2},
    {50, 5, 0},          {100, 10, 5},       {200, 4, 2},         {500, 5, 0},         {Second, 10, 5},
    {2 * Second, 4, 2},  {5 * Second, 5, 0}, {10 * Second, 10, 5}, {15 * Second, 3, 0}, {30 * Second, 6, 3},
    {Minute, 6, 3},      {2 * Minute, 4, 2}, {5 * Minute, 5, 0},  {10 * Minute, 10, 5}, {15 * Minute, 3, 0},
    {30 * Minute, 6, 3}, {Hour, 6, 3},       {2 * Hour, 4, 2},    {3 * Hour, 3, 0},    {6 * Hour, 6, 3},
    {12 * Hour, 4, 2},   {24 * Hour, 4, 2},
};

// The smallest step of at least ms (a rounding error's worth less still counts).
const RulerStep &stepFor(double ms)
{
    for (const RulerStep &step : Steps)
        if (step.ms >= ms * (1 - 1e-9))
            return step;
    return Steps[std::size(Steps) - 1];
}

qreal densityOf(const QPainter &p)
{
    return p.device() ? p.device()->devicePixelRatioF() : 1.0;
}

// The inner share of each bar drawn in the core colour.
constexpr qreal CoreShare = 0.42;

// An opaque colour part way from a to b.
QRgb mixed(const QColor &a, const QColor &b, qreal share)
{
    const auto mix = [share](int from, int to) { return int(std::lround(from + (to - from) * share)); };
    return qRgb(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

// A translucent colour laid over an opaque one.
QRgb over(const QColor &top, QRgb below)
{
    const qreal a = top.alphaF();
    const auto mix = [a](int under, int above) { return int(std::lround(under + (above - under) * a)); };
    return qRgb(mix(qRed(below), top.red()), mix(qGreen(below), top.green()), mix(qBlue(below), top.blue()));
}

// A logical coordinate moved onto the nearest device pixel edge.
qreal snapped(qreal v, qreal dpr)
{
    return std::round(v * dpr) / dpr;
}

}  // namespace

QRectF laneRect(const QRectF &field, int lanes, int lane)
{
    constexpr qreal Gap = 1;
    lanes = std::max(1, lanes);
    const qreal h = (field.height() - Gap * (lanes - 1)) / lanes;
    return QRectF(field.left(), field.top() + lane * (h + Gap), field.width(), h);
}

void paintWaveform(QPainter &p, const QRectF &field, const PeakSummary &summary, double firstFrame,
                   double framesPerPixel, const WaveformColours &colours)
{
    const qreal dpr = densityOf(p);
    const int columns = std::max(0, int(std::ceil(field.width() * dpr - 1e-6)));
    const int rows = std::max(0, int(std::ceil(field.height() * dpr - 1e-6)));
    if (columns == 0 || rows == 0)
        return;
    // The bars are written straight into a picture of the field's device
    // pixels, one colour per row, and laid over the field in one go: far
    // cheaper than filling hundreds of gradient rectangles.
    QImage canvas(columns, rows, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    const int lanes = summary.channels() == 1 ? 1 : 2;
    std::vector<MinMax> peaks(static_cast<std::size_t>(columns));
    std::vector<QRgb> body(static_cast<std::size_t>(rows)), core(static_cast<std::size_t>(rows));
    auto *pixels = reinterpret_cast<QRgb *>(canvas.bits());
    const qsizetype stride = canvas.bytesPerLine() / qsizetype(sizeof(QRgb));

    for (int lane = 0; lane < lanes; ++lane) {
        const QRectF area = laneRect(field, lanes, lane);
        const qreal centre = area.center().y();
        const qreal half = area.height() / 2 - 2;
        // each row's colour: the gradient from waveDeep at the lane's edges to
        // wave at its centre, and the core colour laid over it
        for (int r = 0; r < rows; ++r) {
            const qreal y = field.top() + (r + 0.5) / dpr;
            const qreal t = std::clamp((y - area.top()) / area.height(), 0.0, 1.0);
            const qreal towardsCentre = 1 - std::abs(2 * t - 1);
            body[std::size_t(r)] = mixed(colours.waveDeep, colours.wave, towardsCentre);
            core[std::size_t(r)] = over(colours.core, body[std::size_t(r)]);
        }
        // device rows [floor(top), ceil(bottom)) of the field, at least one
        const auto span = [&](qreal high, qreal low, qreal scale) {
            const int top = int(std::floor((centre - high * half * scale - field.top()) * dpr));
            const int bottom = std::max(top + 1, int(std::ceil((centre - low * half * scale - field.top()) * dpr)));
            return std::pair<int, int>(std::clamp(top, 0, rows), std::clamp(bottom, 0, rows));
        };
        summary.columns(lane, firstFrame, framesPerPixel / dpr, columns, peaks.data());
        for (int i = 0; i < columns; ++i) {
            const qreal high = std::clamp<qreal>(peaks[std::size_t(i)].max, -1.0, 1.0);
            const qreal low = std::clamp<qreal>(peaks[std::size_t(i)].min, -1.0, high);
            const auto [top, bottom] = span(high, low, 1.0);
            for (int r = top; r < bottom; ++r)
                pixels[r * stride + i] = body[std::size_t(r)];
            const auto [coreTop, coreBottom] = span(high, low, CoreShare);
            for (int r = coreTop; r < coreBottom; ++r)
                pixels[r * stride + i] = core[std::size_t(r)];
        }
    }
    canvas.setDevicePixelRatio(dpr);

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawImage(field.topLeft(), canvas);
    for (int lane = 0; lane < lanes; ++lane) {
        const QRectF area = laneRect(field, lanes, lane);
        // on the row a silent bar takes
        p.fillRect(QRectF(area.left(), std::floor(area.center().y() * dpr) / dpr, area.width(), 1.0 / dpr),
                   colours.centreLine);
    }
    p.restore();
}

void shadeSelection(QPainter &p, const QRectF &area, double fromX, double toX, const WaveformColours &colours)
{
    const qreal dpr = densityOf(p);
    // the first device column whose centre is at or after each end
    const qreal left = std::max(area.left(), std::ceil(fromX * dpr - 0.5) / dpr);
    const qreal right = std::min(area.right(), std::ceil(toX * dpr - 0.5) / dpr);
    if (right <= left)
        return;
    skinpaint::band(p, QRectF(left, area.top(), right - left, area.height()), colours.selection);
}

void shadeUndecoded(QPainter &p, const QRectF &area, double fromX, const WaveformColours &colours)
{
    const qreal left = std::max(area.left(), fromX);
    if (left >= area.right())
        return;
    const QRectF band(left, area.top(), area.right() - left, area.height());
    p.fillRect(band, colours.undecoded);
    p.fillRect(band, QBrush(colours.undecodedHatch, Qt::BDiagPattern));
}

double rulerStepMs(double msPerPixel, double minSpacing)
{
    return stepFor(std::abs(msPerPixel) * minSpacing).ms;
}

QString rulerLabel(double ms, double stepMs)
{
    const int decimals = stepMs >= 1000 ? 0 : stepMs >= 100 ? 1 : stepMs >= 10 ? 2 : 3;
    const auto whole = static_cast<long long>(std::llround(std::abs(ms)));
    const long long hours = whole / 3600000, minutes = whole / 60000 % 60, seconds = whole / 1000 % 60;
    QString text = ms < 0 && whole > 0 ? QStringLiteral("-") : QString();
    if (hours > 0)
        text += QStringLiteral("%1:%2:").arg(hours).arg(minutes, 2, 10, QLatin1Char('0'));
    else
        text += QStringLiteral("%1:").arg(minutes);
    text += QStringLiteral("%1").arg(seconds, 2, 10, QLatin1Char('0'));
    if (decimals > 0)
        text += u'.' + QStringLiteral("%1").arg(whole % 1000, 3, 10, QLatin1Char('0')).left(decimals);
    return text;
}

void paintRuler(QPainter &p, const QRectF &ruler, double startMs, double endMs, const WaveformColours &colours)
{
    if (ruler.width() <= 0 || !(endMs > startMs))
        return;
    const qreal dpr = densityOf(p);
    const double msPerPixel = (endMs - startMs) / ruler.width();
    const auto xOf = [&](double ms) { return ruler.left() + (ms - startMs) / msPerPixel; };

    p.save();
    const QFont font = skinpaint::latinFont(10);
    const QFontMetricsF metrics(font);
    // labels at least 60 px apart, and wider apart than the widest of them
    const RulerStep *step = &stepFor(msPerPixel * 60.0);
    while (step != &Steps[std::size(Steps) - 1]
           && metrics.horizontalAdvance(rulerLabel(endMs, step->ms)) + 10 > step->ms / msPerPixel)
        ++step;

    int minors = step->minors;
    int mid = step->mid;
    const double minorPixels = step->ms / minors / msPerPixel;
    if (minorPixels < 4) {  // too dense: keep only the middle tick, if any
        minors = mid > 0 && minorPixels * mid >= 4 ? minors / mid : 1;
        mid = 0;
    }
    const double minorMs = step->ms / minors;

    // ticks, from the first minor one at or after startMs
    const double tolerance = msPerPixel * 0.25;
    const auto first = static_cast<long long>(std::ceil((startMs - tolerance) / minorMs));
    const auto last = static_cast<long long>(std::floor((endMs + tolerance) / minorMs));
    const qreal top = ruler.top() + 1;
    for (long long k = first; k <= last; ++k) {
        const qreal x = snapped(xOf(k * minorMs), dpr);
        const long long place = ((k % minors) + minors) % minors;
        if (place == 0)
            skinpaint::band(p, QRectF(x, top, 1, 9), colours.majorTick);
        else
            skinpaint::band(p, QRectF(x, top, 1, mid > 0 && place % mid == 0 ? 6 : 3), colours.minorTick);
    }

    p.setFont(font);
    p.setPen(colours.majorTick);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // the labels' digits stand below the longest ticks
    const qreal baseline = ruler.bottom() - 2;
    for (long long k = first; k <= last; ++k) {
        if (((k % minors) + minors) % minors != 0)
            continue;
        const double ms = k * minorMs;
        const QString text = rulerLabel(ms, step->ms);
        const qreal x = snapped(xOf(ms), dpr) + 3;
        if (x + metrics.horizontalAdvance(text) > ruler.right())
            continue;
        p.drawText(QPointF(x, baseline), text);
    }
    p.restore();
}

}  // namespace waveformrender
