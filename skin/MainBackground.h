#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

// The main window's face.
namespace mainbg {

// Every band, caption and piece of artwork, but none of the hot-spot faces and
// no key margin: the ground from which the lit and pressed pictures are cut, so
// that they sit seamlessly on the face.
QImage bare(qreal dpr);

// The finished background: the bare face, every hot spot's resting face, and
// the key-colour margin around the rounded outline.
QImage finished(const QImage &bare);

}  // namespace mainbg

// The quick-start artwork of the main panel (rows 107..456): blue ground, bell,
// heading and the five numbered lines with their small button pictures. The
// document picture of line 1 is a hot-spot face and is not painted here.
namespace quickstart {
void paint(QPainter &p, const QRect &panel);
}
