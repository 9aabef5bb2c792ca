#pragma once

#include <QImage>
#include <QRegion>

// The part of a skin picture that is not the key colour, as a window region.
// Works in the picture's logical pixels whatever its device pixel ratio, so the
// shape matches the window's logical geometry on high-density displays too.
QRegion regionWithoutKeyColour(const QImage &picture, QSize logicalSize, QRgb keyColour = qRgb(255, 0, 255));

// The same picture with every key-colour pixel fully transparent, for desktops
// (Wayland) where a window mask limits input but not what is drawn.
QImage withKeyColourTransparent(const QImage &picture, QRgb keyColour = qRgb(255, 0, 255));
