#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

// The faces of every hot spot in three looks. The window background paints the
// resting face; the picture stores paint the lit and pressed faces over the same
// piece of background, so each lit picture is the same button, highlighted.
namespace faces {

enum class Look { Rest, Lit, Pressed };

// Transport buttons 0..5 (34 x 32) and the wide save button 6 (107 x 32).
void transportButton(QPainter &p, const QRectF &rect, int index, Look look);

// Toolbar button i (37 x 32): its icon, on a highlighted tile when lit.
void toolbarButton(QPainter &p, const QRectF &rect, int index, Look look);

// Menu word i (48 x 18).
QString menuWord(int index);
void menuButton(QPainter &p, const QRectF &rect, int index, Look look);

// Minimise and close glyphs of the title strip (22 x 22).
void titleButton(QPainter &p, const QRectF &rect, bool close, Look look);

}  // namespace faces
