#include "ui/SelectionHandles.h"

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

SelectionHandles::SelectionHandles(EditorModel &model, TimelineFace &face)
    : m_model(model), m_face(face)
{
    QObject::connect(&model, &EditorModel::viewChanged, &face, [this] { placeOnView(); });
}

void SelectionHandles::press(int handle, float pointerXTwips)
{
    if (!isHandle(handle))
        return;
    m_face.dragging = true;
    m_face.draggedHandle = handle;
    m_face.dragStartX = timeline::roundHalfEven(pointerXTwips);
}

void SelectionHandles::move(int handle, float pointerXTwips)
{
    if (!isHandle(handle) || !m_face.dragging)
        return;
    float &x = m_face.handleX[handle];
    const float moved = draggedHandleX(handle, x, pointerXTwips, static_cast<float>(m_face.dragStartX),
                                       m_face.handleX[1 - handle]);
    if (moved == x)
        return;
    // The table follows the handle while it moves; the marks change only when
    // the handle is let go.
    x = moved;
    m_face.draggedHandle = handle;
    m_face.touch();
}

std::int64_t SelectionHandles::draggedMs(int handle) const
{
    return std::clamp<std::int64_t>(timeline::positionToMs(m_face.handleX[handle], m_model.view()), 0,
                                    std::max<std::int64_t>(m_model.lengthMs(), 0));
}

void SelectionHandles::release(int handle, float /*pointerXTwips*/)
{
    if (!isHandle(handle) || !m_face.dragging)
        return;
    m_face.dragging = false;
    m_face.draggedHandle = -1;
    const std::int64_t ms = draggedMs(handle);
    Marks marks = m_model.marks();
    if (handle == Start) {
        // Never past a set end: the save flow cuts from the start to the end.
        marks.startMs = marks.endMs ? std::min(ms, *marks.endMs) : ms;
    } else {
        // An end before the start would be no selection at all; keep the
        // selection empty instead.
        marks.endMs = std::max(ms, marks.startMs);
    }
    m_model.setMarks(marks);
    m_face.touch();
}

void SelectionHandles::setGripX(int handle, float xTwips)
{
    if (!isHandle(handle))
        return;
    m_face.handleX[handle] = xTwips;
    m_face.touch();
}

std::int64_t SelectionHandles::playPositionMs() const
{
    return std::clamp<std::int64_t>(m_model.play().positionMs, 0, std::max<std::int64_t>(m_model.lengthMs(), 0));
}

void SelectionHandles::setStartAtPlayPosition() { placeAtPlayPosition(Start); }

void SelectionHandles::setEndAtPlayPosition() { placeAtPlayPosition(End); }

void SelectionHandles::placeAtPlayPosition(int handle)
{
    const std::int64_t p = playPositionMs();
    Marks marks = m_model.marks();
    if (handle == Start) {
        if (marks.endMs && p >= *marks.endMs)
            return;
        marks.startMs = p;
    } else {
        if (p < marks.startMs)
            return;
        marks.endMs = p;
    }
    if (!m_model.setMarks(marks))
        return;
    m_face.handleX[handle] = onTimeline(m_face.playHeadX);
    m_face.handleVisible[handle] = true;
    m_face.touch();
}

bool SelectionHandles::select(const Selection &selection)
{
    if (!m_model.setMarks(Marks{selection.startMs, selection.endMs}))
        return false;
    m_face.handleVisible[Start] = m_face.handleVisible[End] = true;
    placeOnView();
    return true;
}

QString SelectionHandles::typeStart(std::int64_t ms)
{
    const std::int64_t length = m_model.lengthMs();
    const Marks &marks = m_model.marks();
    if (ms < 0 || ms > length)
        return QCoreApplication::translate("SelectionHandles", "超出了文件的长度（%1）").arg(timeline::formatMilliseconds(length));
    if (marks.endMs && ms > *marks.endMs)
        return QCoreApplication::translate("SelectionHandles", "开始位置不能晚于结束位置（%1）").arg(timeline::formatMilliseconds(*marks.endMs));
    m_model.setMarks(Marks{ms, marks.endMs});
    m_face.handleVisible[Start] = true;
    placeOnView();
    return {};
}

QString SelectionHandles::typeEnd(std::int64_t ms)
{
    const std::int64_t length = m_model.lengthMs();
    const Marks &marks = m_model.marks();
    if (ms < 0 || ms > length)
        return QCoreApplication::translate("SelectionHandles", "超出了文件的长度（%1）").arg(timeline::formatMilliseconds(length));
    if (ms < marks.startMs)
        return QCoreApplication::translate("SelectionHandles", "结束位置不能早于开始位置（%1）").arg(timeline::formatMilliseconds(marks.startMs));
    m_model.setMarks(Marks{marks.startMs, ms});
    m_face.handleVisible[End] = true;
    placeOnView();
    return {};
}

void SelectionHandles::placeOnView()
{
    const auto at = [this](std::int64_t ms) {
        return static_cast<float>(timeline::msToPosition(static_cast<double>(ms), m_model.view()));
    };
    const Marks &marks = m_model.marks();
    m_face.handleX[Start] = at(marks.startMs);
    m_face.handleX[End] = marks.endMs ? at(*marks.endMs) : timeline::TimelineSpan;
    m_face.touch();
}

bool SelectionHandles::moveMark(int handle, std::int64_t ms)
{
    const Marks &marks = m_model.marks();
    const std::int64_t length = std::max<std::int64_t>(m_model.lengthMs(), 0);
    Marks next = marks;
    if (handle == Start) {
        next.startMs = std::clamp<std::int64_t>(ms, 0, marks.endMs.value_or(length));
    } else if (handle == End && marks.endMs) {
        next.endMs = std::clamp<std::int64_t>(ms, std::min(marks.startMs, length), length);
    }
    if (next == marks || !m_model.setMarks(next))
        return false;
    m_face.handleVisible[handle] = true;
    placeOnView();
    return true;
}

void SelectionHandles::showMarks()
{
    const Marks &marks = m_model.marks();
    m_face.handleVisible[Start] = marks.startMs > 0 || marks.hasEnd();
    m_face.handleVisible[End] = marks.hasEnd();
    placeOnView();
}

std::int64_t SelectionHandles::shownStartMs() const
{
    return m_face.dragging && m_face.draggedHandle == Start ? draggedMs(Start) : m_model.marks().startMs;
}

std::optional<std::int64_t> SelectionHandles::shownEndMs() const
{
    return m_face.dragging && m_face.draggedHandle == End ? draggedMs(End) : m_model.marks().endMs;
}
