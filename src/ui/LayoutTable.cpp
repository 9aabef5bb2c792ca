#include "ui/LayoutTable.h"

#include <cmath>

namespace layout {

int pixelSizeOfPoints(double points)
{
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

}  // namespace layout
