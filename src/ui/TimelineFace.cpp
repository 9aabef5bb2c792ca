#include "ui/TimelineFace.h"

#include "model/EditorModel.h"

#include <algorithm>

void TimelineFace::followPlayback(const EditorModel &model)
{
    const PlayState &play = model.play();
    const VisibleSpan &view = model.view();
    float x = 0.0f;
    if (play.loaded) {
        x = view.lengthMs() > 0 ? static_cast<float>(timeline::msToPosition(double(play.positionMs), view))
                                : timeline::TimelineSpan * play.fraction;
    } else if (play.restMs && view.lengthMs() > 0) {
        x = std::clamp(static_cast<float>(timeline::msToPosition(double(*play.restMs), view)), 0.0f,
                       timeline::TimelineSpan);
    }
    if (x == playHeadX)
        return;
    playHeadX = x;
    touch();
}

void TimelineFace::reset()
{
    playHeadX = 0.0f;
    handleX[Start] = 0.0f;
    handleX[End] = timeline::TimelineSpan;
    handleVisible[Start] = handleVisible[End] = false;
    dragging = false;
    draggedHandle = -1;
    touch();
}
