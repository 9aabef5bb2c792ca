#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>

// The time-line panel, its markers and the two progress bars.
namespace timelinepics {

QImage panel(qreal dpr);                        // picOpened, 746 x 363
QImage loadingBar(qreal dpr);                   // picPBBack, 462 x 37
QImage loadingFill(qreal dpr);                  // imgPB, 1 x 14
QImage cutFill(qreal dpr);                      // imgPro, 1 x 15
QImage grip(qreal dpr, bool top, bool playHead);  // 13 x 8, pointing at the line
QImage line(qreal dpr, bool playHead);          // 1 x 284

// The flat colour the grips stand on; the grips' corners are painted in it.
QColor railColour();

// Where the parts of the dark field stand, in panel coordinates. The panel
// paints its field with these rows; a live view laid over the field paints its
// own background with the same helpers, so both look alike.
struct FieldLayout {
    QRectF inside;    // the field within its one-pixel frame, ruler included
    qreal waveTop;    // first row of the channel lanes
    qreal waveBottom; // the row below the last lane row
    qreal rulerTop;   // first row of the tick ruler, which runs to inside's bottom
};

// The panel's own field: inside x 3..742, y 63..316, lanes from row 64, the
// ruler rows 297..316.
FieldLayout panelField();

// The same rows for a field whose inside is the given rectangle: the ruler keeps
// its height at the bottom and the lanes fill what is above it.
FieldLayout fieldWithin(const QRectF &inside);

// The field's vertical gradient and its grid: the time line's tenths, each
// lane's half-scale lines and the divider between lanes. lanes is 1 or 2.
void paintFieldBackground(QPainter &p, const FieldLayout &field, int lanes = 2);

// The soft sheen laid over the top of the field, after the waveform.
void paintFieldSheen(QPainter &p, const FieldLayout &field);

// The ruler's fill and its top edge, without ticks.
void paintRulerBackground(QPainter &p, const FieldLayout &field);

}  // namespace timelinepics

// The fixed two-channel waveform drawing of the time-line panel. Always the same
// drawing (a seeded generator), at any density.
namespace waveform {
void paint(QPainter &p, const QRectF &field, qreal dpr);
}
