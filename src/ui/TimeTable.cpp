#include "ui/TimeTable.h"

#include "model/EditorModel.h"
#include "playback/Timeline.h"
#include "ui/SelectionHandles.h"

#include <cmath>

TimeTable timeTableOf(const EditorModel &model, const SelectionHandles &handles)
{
    const auto text = [](std::int64_t ms) { return timeline::formatMilliseconds(ms); };
    const std::int64_t start = handles.shownStartMs();
    const std::optional<std::int64_t> end = handles.shownEndMs();
    const VisibleSpan &view = model.view();
    return {text(model.play().positionMs),
            text(start),
            text(end.value_or(0)),
            text(end && *end >= start ? *end - start : 0),
            text(std::llround(view.startMs)),
            text(std::llround(view.endMs)),
            text(std::llround(view.lengthMs()))};
}
