#pragma once

#include "model/EditorModel.h"
#include "ui/TimelineFace.h"

#include <QString>

// Where a dragged selection handle lands. Positions are twips from the left edge
// of the time line; otherX is the other handle's position. The start handle keeps
// a grip's width left of the end handle and does not go below 0; the end handle
// keeps a grip's width right of the start handle and does not go beyond the
// span. When the other handle stands too close to the near end for both to
// hold, the handle stays on the time line rather than leave it.
float draggedHandleX(int handle, float gripX, float pointerX, float dragStartX, float otherX);

// The two selection handles on the time line: dragging either grip of a handle
// (top and bottom grips behave alike and share their position), and placing a
// handle at the play position from the transport bar. Releasing or placing a
// handle turns its position into the start or end mark in the model (to the
// millisecond, through the stretch the time line shows). The handles follow
// every change of the stretch on view.
class SelectionHandles {
public:
    enum Handle : int { Start = 0, End = 1 };

    SelectionHandles(EditorModel &model, TimelineFace &face);

    // Pointer events of a grip, pointer x in twips within the grip. A move or a
    // release acts only while a drag is in progress; the release
    // takes the handle's own position, not the pointer's.
    void press(int handle, float pointerXTwips);
    void move(int handle, float pointerXTwips);
    void release(int handle, float pointerXTwips);

    // Places a handle's grips directly, as the random selection does before it
    // runs a move and a release on that handle.
    void setGripX(int handle, float xTwips);

    // Set start (strictly before a set end) and Set end (not before the start):
    // the handle goes onto the play head and is shown.
    void setStartAtPlayPosition();
    void setEndAtPlayPosition();

    // Takes a whole selection at once (typed times, a drag on the waveform):
    // both handles go to its ends and are shown. False (nothing changes) when
    // it does not lie within the open file.
    bool select(const Selection &selection);
    // A start or an end typed by the user. Returns why it is refused (outside
    // the file, an end before the start) and then changes nothing; an empty
    // text when it was taken.
    QString typeStart(std::int64_t ms);
    QString typeEnd(std::int64_t ms);

    // Puts the handles where the selection stands in the stretch the time
    // line shows, after that stretch has changed.
    void placeOnView();
    // Moves a mark as far towards ms as it may go: the start within [0, the
    // end or the file's length], the end within [the start, the length]; the
    // end only once it is set. False when nothing moved.
    bool moveMark(int handle, std::int64_t ms);

    const EditorModel &model() const { return m_model; }

    // Shows the marks as the model has them now, after undo or redo: the end
    // handle where there is an end, the start handle where the start was
    // moved or there is an end.
    void showMarks();

    // The millisecond a handle stands for now: while it is dragged, where the
    // drag has it; else its mark (the end: nothing until one is set).
    std::int64_t shownStartMs() const;
    std::optional<std::int64_t> shownEndMs() const;

private:
    std::int64_t playPositionMs() const;
    void placeAtPlayPosition(int handle);
    std::int64_t draggedMs(int handle) const;

    EditorModel &m_model;
    TimelineFace &m_face;
};
