#include "playback/SelectionHandles.h"

#include "playback/Timeline.h"

#include <algorithm>

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
    state_.IsDragging = FlagTrue;
    state_.DragStartX = timeline::roundHalfEven(pointerXTwips);
}

void SelectionHandles::move(int handle, float pointerXTwips)
{
    if (!isHandle(handle) || !isSet(state_.IsDragging))
        return;
    float &x = face_.handleX[handle];
    const float moved = draggedHandleX(handle, x, pointerXTwips,
                                       static_cast<float>(state_.DragStartX),
                                       face_.handleX[1 - handle]);
    if (moved == x)
        return;
    x = moved;
    face_.touch();
}

void SelectionHandles::release(int handle, float /*pointerXTwips*/)
{
    if (!isHandle(handle) || !isSet(state_.IsDragging))
        return;
    state_.IsDragging = FlagFalse;
    const double full = double(fullSeconds(state_));
    const std::int32_t upper = timeline::roundHalfEven(std::max(full, 0.0));
    const std::int32_t seconds =
        std::clamp(timeline::positionToSeconds(face_.handleX[handle], full), 0, upper);
    if (handle == Start) {
        // Never past a set end: the save flow cuts SelEnd - SelStart seconds.
        state_.SelStart = state_.SelEnd != 0 ? std::min(seconds, state_.SelEnd) : seconds;
    } else {
        // An end before the start would be no selection at all; keep the
        // selection empty instead.
        state_.SelEnd = std::max(seconds, state_.SelStart);
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

void SelectionHandles::setStartAtPlayPosition()
{
    const std::int32_t p =
        timeline::roundHalfEven(double(fullSeconds(state_)) * static_cast<double>(state_.PlayFraction));
    if (p >= state_.SelEnd && state_.SelEnd > 0)
        return;
    state_.SelStart = p;
    face_.handleX[Start] = onTimeline(face_.playHeadX);
    face_.handleVisible[Start] = true;
    showSelectionLabels(Start);
}

void SelectionHandles::setEndAtPlayPosition()
{
    const std::int32_t p =
        timeline::roundHalfEven(double(fullSeconds(state_)) * static_cast<double>(state_.PlayFraction));
    if (p < state_.SelStart)
        return;
    state_.SelEnd = p;
    face_.handleX[End] = onTimeline(face_.playHeadX);
    face_.handleVisible[End] = true;
    showSelectionLabels(End);
}

void SelectionHandles::showSelectionLabels(int changedHandle)
{
    const std::int32_t length = state_.SelEnd - state_.SelStart;
    if (changedHandle == Start) {
        face_.lblSelBegin = timeline::formatSeconds(state_.SelStart);
        face_.lblViewBegin = face_.lblSelBegin;
        // Without a set end the length labels keep what they showed.
        if (length > 0)
            face_.lblSelLength = timeline::formatSeconds(length);
    } else {
        face_.lblSelEnd = timeline::formatSeconds(state_.SelEnd);
        face_.lblViewEnd = face_.lblSelEnd;
        face_.lblSelLength = timeline::formatSeconds(length);
    }
    face_.lblViewLength = face_.lblSelLength;
    face_.touch();
}
