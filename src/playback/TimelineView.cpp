#include "playback/TimelineView.h"

#include "playback/SelectionHandles.h"
#include "playback/Timeline.h"

#include <algorithm>
#include <cmath>

TimelineView::TimelineView(EditorState &state, MainFace &face, SelectionHandles &handles)
    : m_state(state), m_face(face), m_handles(handles)
{
}

void TimelineView::showWholeFile()
{
    m_state.View = {0.0, static_cast<double>(std::max<std::int64_t>(m_state.LengthMs, 0))};
    publish();
}

void TimelineView::zoomAround(double factor, double atTwips)
{
    const VisibleSpan &view = m_state.View;
    if (m_state.LengthMs <= 0 || view.lengthMs() <= 0 || !(factor > 0))
        return;
    const double share = std::clamp(atTwips / timeline::TimelineSpan, 0.0, 1.0);
    const double anchor = view.startMs + share * view.lengthMs();
    const double length = std::clamp(view.lengthMs() * factor, MinSpanMs, static_cast<double>(m_state.LengthMs));
    show(anchor - share * length, anchor - share * length + length);
}

void TimelineView::scrollBy(double shareOfSpan)
{
    const VisibleSpan view = m_state.View;
    const double by = view.lengthMs() * shareOfSpan;
    show(view.startMs + by, view.endMs + by);
}

void TimelineView::zoomToSelection()
{
    const Selection &sel = m_state.Sel;
    if (!sel.hasEnd() || sel.lengthMs() <= 0)
        return;
    const double room = static_cast<double>(sel.lengthMs()) * 0.05;
    show(static_cast<double>(sel.startMs) - room, static_cast<double>(sel.endMs) + room);
}

void TimelineView::show(double startMs, double endMs)
{
    const double file = static_cast<double>(std::max<std::int64_t>(m_state.LengthMs, 0));
    if (file <= 0) {
        showWholeFile();
        return;
    }
    const double length = std::clamp(endMs - startMs, std::min(MinSpanMs, file), file);
    const double start = std::clamp(startMs, 0.0, file - length);
    m_state.View = {start, start + length};
    publish();
}

bool TimelineView::isWholeFile() const
{
    return m_state.View.startMs <= 0.0 && m_state.View.endMs >= static_cast<double>(m_state.LengthMs);
}

void TimelineView::publish()
{
    const VisibleSpan &view = m_state.View;
    m_face.lblViewBegin = timeline::formatMilliseconds(std::llround(view.startMs));
    m_face.lblViewEnd = timeline::formatMilliseconds(std::llround(view.endMs));
    m_face.lblViewLength = timeline::formatMilliseconds(std::llround(view.lengthMs()));
    m_handles.placeOnView();  // touches the face
}
