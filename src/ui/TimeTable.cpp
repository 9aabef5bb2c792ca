#include "ui/TimeTable.h"

#include "model/EditorModel.h"
#include "playback/Timeline.h"
#include "ui/SelectionHandles.h"

#include <cmath>

TimeTable timeTableOf(const EditorModel &model, const SelectionHandles &handles)
{
    // The selection to the millisecond it is kept in, so start + length = end
    // as shown; the play time to the tenth.
    const bool hours = timeline::clockNeedsHours(model.lengthMs());
    const auto text = [hours](std::int64_t ms) { return timeline::formatClock(ms, hours, 3); };
    const std::int64_t start = handles.shownStartMs();
    const std::optional<std::int64_t> end = handles.shownEndMs();
    const VisibleSpan &view = model.view();
    return {timeline::formatClock(model.play().positionMs, hours, 1),
            text(start),
            text(end.value_or(0)),
            text(end && *end >= start ? *end - start : 0),
            text(std::llround(view.startMs)),
            text(std::llround(view.endMs)),
            text(std::llround(view.lengthMs()))};
}
