#include "ui/TimelineView.h"

#include "playback/Timeline.h"

#include <algorithm>
#include <cmath>

TimelineView::TimelineView(EditorModel &model) : m_model(model) {}

void TimelineView::showWholeFile()
{
    m_model.setView({0.0, static_cast<double>(m_model.lengthMs())});
}

void TimelineView::zoomAround(double factor, double atTwips)
{
    const VisibleSpan &view = m_model.view();
    if (m_model.lengthMs() <= 0 || view.lengthMs() <= 0 || !(factor > 0))
        return;
    const double share = std::clamp(atTwips / timeline::TimelineSpan, 0.0, 1.0);
    const double anchor = view.startMs + share * view.lengthMs();
    const double length = std::clamp(view.lengthMs() * factor, MinSpanMs, static_cast<double>(m_model.lengthMs()));
    show(anchor - share * length, anchor - share * length + length);
}

void TimelineView::scrollBy(double shareOfSpan)
{
    const VisibleSpan view = m_model.view();
    const double by = view.lengthMs() * shareOfSpan;
    show(view.startMs + by, view.endMs + by);
}

void TimelineView::zoomToSelection()
{
    const std::optional<Selection> sel = m_model.marks().selection();
    if (!sel || sel->lengthMs() <= 0)
        return;
    const double room = static_cast<double>(sel->lengthMs()) * 0.05;
    show(static_cast<double>(sel->startMs) - room, static_cast<double>(sel->endMs) + room);
}

void TimelineView::show(double startMs, double endMs)
{
    const double file = static_cast<double>(m_model.lengthMs());
    if (file <= 0) {
        showWholeFile();
        return;
    }
    const double length = std::clamp(endMs - startMs, std::min(MinSpanMs, file), file);
    const double start = std::clamp(startMs, 0.0, file - length);
    m_model.setView({start, start + length});
}

bool TimelineView::isWholeFile() const
{
    return m_model.view().startMs <= 0.0 && m_model.view().endMs >= static_cast<double>(m_model.lengthMs());
}
