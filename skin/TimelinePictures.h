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

}  // namespace timelinepics

// The fixed two-channel waveform drawing of the time-line panel. Always the same
// drawing (a seeded generator), at any density.
namespace waveform {
void paint(QPainter &p, const QRectF &field, qreal dpr);
}
