#pragma once

#include "playback/Timeline.h"

#include <QObject>

class EditorModel;

// Where the time line draws the play head and the two selection handles, in
// twips (15 to a pixel) from the left edge of the time-line panel, as
// unrounded floats; a grip's line stands 90 twips to its right. The handles
// follow the model's marks through the stretch on view, except while one is
// dragged; the play head follows each tick of the position timer, except while
// it is dragged.
class TimelineFace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    enum Handle : int { Start = 0, End = 1 };

    float playHeadX = 0.0f;
    float handleX[2] = {0.0f, timeline::TimelineSpan};
    bool handleVisible[2] = {false, false};

    // A grip or the play head is held: the pointer's twips within the grip at
    // the press, and which handle (-1: the play head) is held.
    bool dragging = false;
    int dragStartX = 0;
    int draggedHandle = -1;

    // The play head where the play state puts it: at the start while the
    // device holds nothing, else at the play position in the stretch on view.
    void followPlayback(const EditorModel &model);
    // Back to how a window without a file shows the time line.
    void reset();

    void touch() { emit changed(); }

signals:
    void changed();
};
