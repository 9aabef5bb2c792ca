#pragma once

#include "SkinPalette.h"

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>

class PeakSummary;

// The live waveform's colours: those of the panel's decorative drawing, so the
// real audio looks like the picture it replaces.
struct WaveformColours {
    QColor wave = palette::Wave;          // the bars at the lane's centre line
    QColor waveDeep = palette::WaveDeep;  // the bars towards the lane's edges
    QColor core{190, 255, 205, 170};      // the lighter inner part of each bar
    QColor centreLine{220, 255, 226, 120};
    QColor selection{110, 180, 255, 70};  // laid over the selected stretch
    QColor undecoded{8, 14, 20, 150};     // laid over what is not decoded yet
    QColor undecodedHatch{120, 140, 160, 90};
    QColor majorTick{196, 220, 238};      // labelled ruler ticks and their labels
    QColor minorTick = palette::RulerTick;
};

// Stateless painting of the time line's live parts. Coordinates are the
// painter's logical ones; columns are the paint device's pixel columns, so the
// drawing stays crisp at any pixel density.
namespace waveformrender {

// The share of field given to a lane: the lanes stack from the top, one
// pixel apart, and split the height evenly (one lane, or two).
QRectF laneRect(const QRectF &field, int lanes, int lane);

// The summary's waveform over field, one lane per channel (mono: one lane;
// otherwise the first two channels, left above right). firstFrame stands at
// field.left(), and each logical pixel to the right is framesPerPixel frames
// later. Every device column gets a vertical bar from its min to its max (at
// least one device row high, so silence shows as the centre line), in a
// gradient from waveDeep at the lane's edges to wave at its centre, with a
// lighter core over the inner 42 % of the bar. Draws nothing outside field,
// whose edges are expected on device pixel edges.
void paintWaveform(QPainter &p, const QRectF &field, const PeakSummary &summary, double firstFrame,
                   double framesPerPixel, const WaveformColours &colours = {});

// Shades the device columns of area whose centres lie in [fromX, toX) with the
// selection colour; nothing when toX <= fromX.
void shadeSelection(QPainter &p, const QRectF &area, double fromX, double toX,
                    const WaveformColours &colours = {});

// Marks the part of area from fromX to its right end as not decoded yet: a
// darker, hatched band; nothing when fromX is at or past the end.
void shadeUndecoded(QPainter &p, const QRectF &area, double fromX, const WaveformColours &colours = {});

// The ticks and time labels of the ruler: startMs stands at ruler.left() and
// endMs at ruler.right() (left + width); ticks on both ends are drawn. Labelled
// ticks are rulerStepMs() apart and at least 60 px; a label stands right of its
// tick and is left out where it would not fit inside ruler. Unlabelled ticks
// divide each step where they are at least 4 px apart.
void paintRuler(QPainter &p, const QRectF &ruler, double startMs, double endMs,
                const WaveformColours &colours = {});

// The smallest of the steps 1, 2, 5, 10, 20, 50, 100, 200, 500 ms, 1, 2, 5, 10,
// 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12, 24 h whose labels stand at
// least minSpacing pixels apart at msPerPixel; the largest when none does.
double rulerStepMs(double msPerPixel, double minSpacing = 60.0);

// A ruler label: "m:ss" below an hour, "h:mm:ss" from an hour on, with as many
// decimals of the second as the step needs (none from 1 s, one from 100 ms,
// two from 10 ms, else three). ms is rounded to whole milliseconds.
QString rulerLabel(double ms, double stepMs);

}  // namespace waveformrender
