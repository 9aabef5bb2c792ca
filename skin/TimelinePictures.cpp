#include "TimelinePictures.h"

#include "Glyphs.h"
#include "SkinGeometry.h"
#include "SkinPalette.h"
#include "SkinPaint.h"

#include <QCoreApplication>
#include <QPainterPath>

using namespace skingeo;
using skinpaint::band;
using skinpaint::bandGradient;

namespace timelinepics {
namespace {

// Panel rows: tab strip, top rail (grips), dark field with the waveform and the
// ruler, the caption row for "Start"/"End", bottom rail (grips).
constexpr int TabBottom = 29;
constexpr int RailTop = 44, RailBottom = 61;
constexpr int FieldTop = 62, FieldBottom = 317;
constexpr int RulerTop = 297;
constexpr int BottomRailTop = 338, BottomRailBottom = 355;
constexpr int FieldLeft = 2, FieldRight = 743;

QRectF rows(int top, int bottom, int left = 0, int right = TimelineSize.width() - 1)
{
    return QRectF(left, top, right - left + 1, bottom - top + 1);
}

void tab(QPainter &p)
{
    // a file tab, generous enough for a long path in the window font
    const qreal left = 5.5, right = 452.5, top = 3.5, bottom = TabBottom + 1;
    QPainterPath shape;
    shape.moveTo(left, bottom);
    shape.lineTo(left, top + 5);
    shape.quadTo(left, top, left + 5, top);
    shape.lineTo(right - 18, top);
    shape.cubicTo(right - 10, top, right - 8, bottom - 1, right, bottom);
    p.setPen(QPen(palette::PanelBorder, 1));
    p.setBrush(skinpaint::vertical(QRectF(left, top, right - left, bottom - top), Qt::white, palette::PanelTop));
    p.drawPath(shape);
    p.setPen(QPen(QColor(255, 255, 255), 1));
    p.drawLine(QPointF(left + 5, top + 1), QPointF(right - 18, top + 1));
    // the file's mark, left of where the file name stands
    glyphs::note(p, QRectF(13, 9, 15, 15), QColor(52, 112, 184));
}

void rail(QPainter &p, int top, int bottom)
{
    band(p, rows(top, bottom), railColour());
    band(p, rows(top, top), QColor(198, 214, 232));
    band(p, rows(top + 1, top + 1), QColor(246, 250, 254));
}

void field(QPainter &p, qreal dpr)
{
    const QRectF frame = rows(FieldTop, FieldBottom, FieldLeft, FieldRight);
    band(p, frame, QColor(6, 12, 18));
    const FieldLayout layout = panelField();
    paintFieldBackground(p, layout, 2);

    waveform::paint(p, QRectF(LineOffset, layout.waveTop, TimelineSpan + 1, layout.waveBottom - layout.waveTop),
                    dpr);

    paintFieldSheen(p, layout);

    // the tick ruler: a hundred steps over the time line, tenths and halves longer
    paintRulerBackground(p, layout);
    for (int k = 0; k <= 100; ++k) {
        const qreal x = qRound((LineOffset + TimelineSpan * k / 100.0) * dpr) / dpr;
        const qreal length = k % 10 == 0 ? 9 : (k % 5 == 0 ? 6 : 3);
        band(p, QRectF(x, layout.rulerTop + 1, 1, length),
             k % 10 == 0 ? QColor(196, 220, 238) : palette::RulerTick);
    }
}

QImage gripImage(qreal dpr, bool top, const QColor &light, const QColor &mid, const QColor &dark)
{
    QImage image = skinpaint::canvas(GripSize, dpr, railColour());
    QPainter p(&image);
    skinpaint::prepare(p);
    if (!top) {
        p.translate(0, GripSize.height());
        p.scale(1, -1);
    }
    // a tag whose point stands on the line's column (x = 6)
    QPainterPath tag;
    tag.moveTo(0.5, 1.5);
    tag.quadTo(0.5, 0.5, 1.5, 0.5);
    tag.lineTo(11.5, 0.5);
    tag.quadTo(12.5, 0.5, 12.5, 1.5);
    tag.lineTo(12.5, 3.8);
    tag.lineTo(6.5, 8.0);
    tag.lineTo(0.5, 3.8);
    tag.closeSubpath();
    p.setPen(QPen(dark, 1));
    p.setBrush(skinpaint::vertical(QRectF(0, 0, 13, 8), top ? light : mid, top ? mid : light));
    p.drawPath(tag);
    if (top) {  // light falls from above: only the top grip's flat edge catches it
        p.setPen(QPen(QColor(255, 255, 255, 120), 1));
        p.drawLine(QPointF(2, 1.5), QPointF(11, 1.5));
    }
    return image;
}

}  // namespace

QColor railColour()
{
    return palette::Rail;
}

FieldLayout panelField()
{
    return fieldWithin(rows(FieldTop, FieldBottom, FieldLeft, FieldRight).adjusted(1, 1, -1, -1));
}

FieldLayout fieldWithin(const QRectF &inside)
{
    constexpr qreal RulerHeight = FieldBottom - RulerTop;  // 20 rows inside the frame
    const qreal rulerTop = inside.bottom() - RulerHeight;
    return FieldLayout{inside, inside.top() + 1, rulerTop - 1, rulerTop};
}

void paintFieldBackground(QPainter &p, const FieldLayout &field, int lanes)
{
    const QRectF &inside = field.inside;
    bandGradient(p, QRectF(inside.left(), inside.top(), inside.width(), field.rulerTop - inside.top()),
                 palette::FieldTop, palette::FieldBottom);

    // grid: the time line's tenths, and each lane's half-scale lines
    const qreal waveTop = field.waveTop, waveBottom = field.waveBottom;
    for (int k = 0; k <= 10; ++k) {
        const qreal x = qRound(LineOffset + TimelineSpan * k / 10.0);
        band(p, QRectF(x, waveTop, 1, waveBottom - waveTop), palette::FieldGrid);
    }
    lanes = qBound(1, lanes, 2);
    const qreal lane = (waveBottom - waveTop) / lanes;
    for (int c = 0; c < lanes; ++c) {
        const qreal mid = waveTop + lane * c + lane / 2;
        for (qreal off : {-lane / 4, lane / 4})
            band(p, QRectF(inside.left(), qRound(mid + off), inside.width(), 1), palette::FieldGrid);
    }
    for (int c = 1; c < lanes; ++c)
        band(p, QRectF(inside.left(), qRound(waveTop + lane * c), inside.width(), 1), QColor(40, 70, 88));
}

void paintFieldSheen(QPainter &p, const FieldLayout &field)
{
    const QRectF &inside = field.inside;
    bandGradient(p, QRectF(inside.left(), inside.top(), inside.width(), 30), QColor(255, 255, 255, 18),
                 QColor(255, 255, 255, 0));
}

void paintRulerBackground(QPainter &p, const FieldLayout &field)
{
    const QRectF &inside = field.inside;
    const QRectF ruler(inside.left(), field.rulerTop, inside.width(), inside.bottom() - field.rulerTop);
    bandGradient(p, ruler, QColor(34, 54, 72), palette::RulerFill);
    band(p, QRectF(ruler.left(), field.rulerTop, ruler.width(), 1), QColor(60, 92, 116));
}

QImage panel(qreal dpr)
{
    QImage image = skinpaint::canvas(TimelineSize, dpr, palette::PanelTop);
    QPainter p(&image);
    skinpaint::prepare(p);
    // header strip with the file tab, then the body
    bandGradient(p, rows(0, TabBottom), QColor(214, 228, 243), QColor(194, 214, 236));
    bandGradient(p, rows(TabBottom + 1, TimelineSize.height() - 1), palette::PanelTop, palette::PanelBottom);
    band(p, rows(TabBottom + 1, TabBottom + 1), palette::PanelBorder);
    tab(p);
    // the tab opens into the body
    band(p, QRectF(6, TabBottom + 1, 446, 1), palette::PanelTop);

    rail(p, RailTop, RailBottom);
    field(p, dpr);
    rail(p, BottomRailTop, BottomRailBottom);

    // outer edge
    p.setRenderHint(QPainter::Antialiasing, false);
    const int w = TimelineSize.width(), h = TimelineSize.height();
    band(p, QRectF(0, 0, w, 1), palette::PanelBorder);
    band(p, QRectF(0, 0, 1, h), palette::PanelBorder);
    band(p, QRectF(w - 1, 0, 1, h), palette::PanelBorder);
    band(p, QRectF(0, h - 4, w, 1), palette::PanelBorder);  // the panel shows 360 rows
    return image;
}

QImage loadingBar(qreal dpr)
{
    QImage image = skinpaint::canvas(LoadingSize, dpr, palette::PanelTop);
    QPainter p(&image);
    skinpaint::prepare(p);
    const int w = LoadingSize.width(), h = LoadingSize.height();
    bandGradient(p, QRectF(0, 0, w, h), QColor(250, 252, 255), QColor(214, 227, 242));
    band(p, QRectF(0, 0, w, 1), QColor(96, 130, 170));
    band(p, QRectF(0, h - 1, w, 1), QColor(96, 130, 170));
    band(p, QRectF(0, 0, 1, h), QColor(96, 130, 170));
    band(p, QRectF(w - 1, 0, 1, h), QColor(96, 130, 170));
    band(p, QRectF(1, 1, w - 2, 1), Qt::white);

    // the caption must end before the bar, whatever sans the system offers
    const QString caption = QCoreApplication::translate("TimelinePictures", "Loading File:");
    QFont font = skinpaint::latinFont(11, true);
    while (font.pixelSize() > 8 && QFontMetricsF(font).horizontalAdvance(caption) > LoadingFill.left() - 14)
        font.setPixelSize(font.pixelSize() - 1);
    const QFontMetricsF fm(font);
    p.setFont(font);
    p.setPen(QColor(36, 70, 108));
    p.drawText(QPointF(8, qRound(19 + (fm.ascent() - fm.descent()) / 2)), caption);

    const QRect fill = LoadingFill;
    band(p, QRectF(fill.left() - 1, fill.top() - 1, fill.width() + 2, fill.height() + 2), QColor(118, 150, 186));
    band(p, QRectF(fill), Qt::white);
    band(p, QRectF(fill.left(), fill.top(), fill.width(), 1), QColor(226, 233, 241));
    return image;
}

QImage loadingFill(qreal dpr)
{
    QImage image = skinpaint::canvas(QSize(1, 14), dpr, palette::LoadBottom);
    QPainter p(&image);
    QLinearGradient g(QPointF(0, 0), QPointF(0, 14));
    g.setColorAt(0, QColor(196, 246, 186));
    g.setColorAt(0.45, palette::LoadTop);
    g.setColorAt(0.5, QColor(84, 190, 84));
    g.setColorAt(1, palette::LoadBottom);
    p.fillRect(QRectF(0, 0, 1, 14), g);
    return image;
}

QImage cutFill(qreal dpr)
{
    QImage image = skinpaint::canvas(QSize(1, 15), dpr, palette::CutTop);
    // exact end colours: the first row is the top colour, the last the bottom one
    const int n = image.height();
    for (int y = 0; y < n; ++y) {
        const qreal t = n > 1 ? qreal(y) / (n - 1) : 0;
        const auto mix = [t](int a, int b) { return qRound(a + (b - a) * t); };
        const QRgb c = qRgb(mix(palette::CutTop.red(), palette::CutBottom.red()),
                            mix(palette::CutTop.green(), palette::CutBottom.green()),
                            mix(palette::CutTop.blue(), palette::CutBottom.blue()));
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = c;
    }
    return image;
}

QImage grip(qreal dpr, bool top, bool playHead)
{
    return playHead ? gripImage(dpr, top, palette::PlayHeadLight, palette::PlayHead, palette::PlayHeadDark)
                    : gripImage(dpr, top, palette::HandleLight, palette::Handle, palette::HandleDark);
}

QImage line(qreal dpr, bool playHead)
{
    return skinpaint::canvas(QSize(1, LineHeight), dpr, playHead ? palette::PlayHead : palette::Handle);
}

}  // namespace timelinepics
