#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

// The small drawings shared by the window backgrounds and the lit pictures, so
// a lit button shows exactly the icon that its painted face shows.
namespace glyphs {

// Toolbar icons, by toolbar index 0..7 (index 3 is the green downward arrow
// that only its lit picture shows). Drawn on a 24-unit grid scaled to box.
void toolIcon(QPainter &p, int index, const QRectF &box);

// The document picture of the quick-start panel (31 x 36), plain or lit.
void quickStartDocument(QPainter &p, const QRectF &box, bool lit);

// Transport glyphs by transport index 0..5 and 7 (loop), on a 16-unit grid scaled to box:
// play, stop, pause, "{", "}", and a play triangle between braces.
void transport(QPainter &p, int index, const QRectF &box, const QColor &colour);

// A floppy disk in one colour, for the wide save button.
void floppyOutline(QPainter &p, const QRectF &box, const QColor &colour);

// Two beamed notes, the program's mark on the title strip.
void note(QPainter &p, const QRectF &box, const QColor &colour);

// A green check mark.
void check(QPainter &p, const QRectF &box);

// Minimise bar and close cross.
void minimise(QPainter &p, const QRectF &box, const QColor &colour);
void cross(QPainter &p, const QRectF &box, const QColor &colour, qreal width);

// A bell with its clapper, drawn into box (about 5 : 6).
void bell(QPainter &p, const QRectF &box, const QColor &light, const QColor &dark);

}  // namespace glyphs
