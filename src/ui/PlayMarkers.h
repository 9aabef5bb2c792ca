#pragma once

#include "model/EditorModel.h"
#include "playback/PlaybackDevice.h"
#include "ui/TimelineFace.h"

#include <QString>

class PositionTracker;

// Starting playback anywhere on the time line: by dragging the play head (its top
// and bottom grips behave alike) and letting go, or by pressing the time-line
// panel. Both reopen the working WAV and play from the whole second nearest to
// the chosen point. Pointer x is in twips.
class PlayMarkers {
public:
    PlayMarkers(EditorModel &model, TimelineFace &face, PlaybackDevice &device,
                PositionTracker &tracker, QString workWav);

    // Press on a grip: the timer is held and the device closed for the whole
    // drag, so no tick pulls the play head back while it is dragged.
    void press(float pointerXTwips);
    // Follows the pointer without limits, past either end of the time line.
    void move(float pointerXTwips);
    // Plays from the play head's position; the pointer x is not used.
    void release(float pointerXTwips);

    // Press on the time-line panel at pointer x (twips from its left edge).
    void panelPress(float pointerXTwips);

    // Plays from a millisecond of the file (kept inside it), as a press on the
    // time line there does: for the keys that move the play position.
    void seekTo(std::int64_t ms);

private:
    void playFromPosition(float xTwips);

    EditorModel &m_model;
    TimelineFace &m_face;
    PlaybackDevice &m_device;
    PositionTracker &m_tracker;
    QString m_workWav;
};
