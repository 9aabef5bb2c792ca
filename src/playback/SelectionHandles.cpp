#include "playback/SelectionHandles.h"

#include "playback/Timeline.h"

#include <algorithm>
#include <QCoreApplication>

using timeline::GripWidth;
using timeline::TimelineSpan;

namespace {

bool isHandle(int handle)
{
    return handle == SelectionHandles::Start || handle == SelectionHandles::End;
}

// A handle placed by the transport bar follows the play head, which a marker
// drag can have left outside the time line until the next tick.
float onTimeline(float x)
{
    return std::clamp(x, 0.0f, TimelineSpan);
}

}  // namespace

float draggedHandleX(int handle, float gripX, float pointerX, float dragStartX, float otherX)
{
    const float x = gripX + pointerX - dragStartX;
    if (handle == SelectionHandles::Start) {
        const float limit = otherX - GripWidth;
        if (limit < x)
            return std::max(limit, 0.0f);
        return std::max(x, 0.0f);
    }
    const float limit = otherX + GripWidth;
    if (limit > x)
        return std::min(limit, TimelineSpan);
    return std::min(x, TimelineSpan);
}

SelectionHandles::SelectionHandles(EditorState &state, MainFace &face)
    : state_(state), face_(face)
{
}

void SelectionHandles::press(int handle, float pointerXTwips)
{
    if (!isHandle(handle))
        return;
    state_.IsDragging = true;
    state_.DragStartX = timeline::roundHalfEven(pointerXTwips);
}

void SelectionHandles::move(int handle, float pointerXTwips)
{
    if (!isHandle(handle) || !state_.IsDragging)
        return;
    float &x = face_.handleX[handle];
    const float moved = draggedHandleX(handle, x, pointerXTwips,
                                       static_cast<float>(state_.DragStartX),
                                       face_.handleX[1 - handle]);
    if (moved == x)
        return;
    x = moved;
    // The table follows the handle while it moves; the selection itself
    // changes only when the handle is let go.
    const std::int64_t ms = std::clamp<std::int64_t>(timeline::positionToMs(moved, state_.View), 0,
                                                     std::max<std::int64_t>(state_.LengthMs, 0));
    (handle == Start ? face_.lblSelBegin : face_.lblSelEnd) = timeline::formatMilliseconds(ms);
    const Selection &sel = state_.Sel;
    const std::int64_t start = handle == Start ? ms : sel.startMs;
    const std::int64_t end = handle == End ? ms : sel.endMs;
    if ((handle == End || sel.hasEnd()) && end >= start)
        face_.lblSelLength = timeline::formatMilliseconds(end - start);
    face_.touch();
}

void SelectionHandles::release(int handle, float /*pointerXTwips*/)
{
    if (!isHandle(handle) || !state_.IsDragging)
        return;
    state_.IsDragging = false;
    const std::int64_t ms = std::clamp<std::int64_t>(
        timeline::positionToMs(face_.handleX[handle], state_.View), 0, std::max<std::int64_t>(state_.LengthMs, 0));
    Selection &sel = state_.Sel;
    if (handle == Start) {
        // Never past a set end: the save flow cuts from the start to the end.
        sel.startMs = sel.hasEnd() ? std::min(ms, sel.endMs) : ms;
    } else {
        // An end before the start would be no selection at all; keep the
        // selection empty instead.
        sel.endMs = std::max(ms, sel.startMs);
    }
    showSelectionLabels(handle);
}

void SelectionHandles::setGripX(int handle, float xTwips)
{
    if (!isHandle(handle))
        return;
    face_.handleX[handle] = xTwips;
    face_.touch();
}

std::int64_t SelectionHandles::playPositionMs() const
{
    return std::clamp<std::int64_t>(state_.PlayPositionMs, 0, std::max<std::int64_t>(state_.LengthMs, 0));
}

void SelectionHandles::setStartAtPlayPosition()
{
    const std::int64_t p = playPositionMs();
    if (p >= state_.Sel.endMs && state_.Sel.hasEnd())
        return;
    state_.Sel.startMs = p;
    face_.handleX[Start] = onTimeline(face_.playHeadX);
    face_.handleVisible[Start] = true;
    showSelectionLabels(Start);
}

void SelectionHandles::setEndAtPlayPosition()
{
    const std::int64_t p = playPositionMs();
    if (p < state_.Sel.startMs)
        return;
    state_.Sel.endMs = p;
    face_.handleX[End] = onTimeline(face_.playHeadX);
    face_.handleVisible[End] = true;
    showSelectionLabels(End);
}

void SelectionHandles::select(const Selection &selection)
{
    state_.Sel = selection;
    placeOnView();
    face_.handleVisible[Start] = face_.handleVisible[End] = true;
    showSelectionLabels(Start);
    showSelectionLabels(End);
}

QString SelectionHandles::typeStart(std::int64_t ms)
{
    if (ms < 0 || ms > state_.LengthMs)
        return QCoreApplication::translate("SelectionHandles", "超出了文件的长度（%1）").arg(timeline::formatMilliseconds(state_.LengthMs));
    if (state_.Sel.hasEnd() && ms > state_.Sel.endMs)
        return QCoreApplication::translate("SelectionHandles", "开始位置不能晚于结束位置（%1）").arg(timeline::formatMilliseconds(state_.Sel.endMs));
    state_.Sel.startMs = ms;
    face_.handleVisible[Start] = true;
    placeOnView();
    showSelectionLabels(Start);
    return {};
}

QString SelectionHandles::typeEnd(std::int64_t ms)
{
    if (ms < 0 || ms > state_.LengthMs)
        return QCoreApplication::translate("SelectionHandles", "超出了文件的长度（%1）").arg(timeline::formatMilliseconds(state_.LengthMs));
    if (ms < state_.Sel.startMs)
        return QCoreApplication::translate("SelectionHandles", "结束位置不能早于开始位置（%1）").arg(timeline::formatMilliseconds(state_.Sel.startMs));
    state_.Sel.endMs = ms;
    face_.handleVisible[End] = true;
    placeOnView();
    showSelectionLabels(End);
    return {};
}

void SelectionHandles::placeOnView()
{
    const auto at = [this](std::int64_t ms) {
        return static_cast<float>(timeline::msToPosition(static_cast<double>(ms), state_.View));
    };
    face_.handleX[Start] = at(state_.Sel.startMs);
    face_.handleX[End] = state_.Sel.hasEnd() ? at(state_.Sel.endMs) : timeline::TimelineSpan;
    face_.touch();
}

void SelectionHandles::showSelectionLabels(int changedHandle)
{
    const Selection &sel = state_.Sel;
    if (changedHandle == Start) {
        face_.lblSelBegin = timeline::formatMilliseconds(sel.startMs);
        // Without a set end the length label keeps what it showed.
        if (sel.hasEnd() && sel.lengthMs() > 0)
            face_.lblSelLength = timeline::formatMilliseconds(sel.lengthMs());
    } else {
        face_.lblSelEnd = timeline::formatMilliseconds(sel.endMs);
        face_.lblSelLength = timeline::formatMilliseconds(sel.lengthMs());
    }
    face_.touch();
}
