#pragma once

#include <QImage>

// The program's icon: a golden bell on a blue tile, the quick-start artwork in
// small. Transparent around the tile.
namespace programicon {
QImage paint(int size, qreal dpr);
}
