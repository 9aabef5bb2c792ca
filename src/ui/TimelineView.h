#pragma once

#include "model/EditorModel.h"

// Which stretch of the open file the time line shows: the whole file, or a
// zoomed part of it down to a millisecond per pixel. The stretch is the
// model's; the handles and the view row of the time table follow it.
class TimelineView {
public:
    // The narrowest stretch: one millisecond per pixel of the time line.
    static constexpr double MinSpanMs = 728.0;

    explicit TimelineView(EditorModel &model);

    // The whole open file; nothing (an empty stretch) while none is open.
    void showWholeFile();
    // Zooms by factor (below 1 zooms in) keeping the millisecond under the
    // time-line position atTwips where it is.
    void zoomAround(double factor, double atTwips);
    // Moves the stretch by a share of its own length (negative: towards the start).
    void scrollBy(double shareOfSpan);
    // The selection with a little room on either side, or nothing without one.
    void zoomToSelection();
    // Any stretch, kept inside the file and no narrower than MinSpanMs.
    void show(double startMs, double endMs);

    bool isWholeFile() const;

private:
    EditorModel &m_model;
};
