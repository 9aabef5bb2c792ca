#include "ui/WaveformView.h"

#include "SkinGeometry.h"
#include "TimelinePictures.h"
#include "playback/PeakSummary.h"
#include "ui/WaveformRenderer.h"

#include <QPaintEvent>
#include <QPainter>

WaveformView::WaveformView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

QRect WaveformView::panelGeometry()
{
    return timelinepics::panelField().inside.toRect();
}

double WaveformView::panelXOf(double ms, double startMs, double endMs)
{
    if (!(endMs > startMs))
        return skingeo::LineOffset;
    return skingeo::LineOffset + skingeo::TimelineSpan * (ms - startMs) / (endMs - startMs);
}

double WaveformView::msAtPanelX(double panelX, double startMs, double endMs)
{
    if (!(endMs > startMs))
        return startMs;
    return startMs + (panelX - skingeo::LineOffset) / skingeo::TimelineSpan * (endMs - startMs);
}

void WaveformView::setSummary(std::shared_ptr<const PeakSummary> summary)
{
    m_summary = std::move(summary);
    update();
}

void WaveformView::setVisibleSpan(double startMs, double endMs)
{
    m_startMs = startMs;
    m_endMs = endMs;
    update();
}

void WaveformView::setSelection(double startMs, double endMs)
{
    m_selectionStartMs = startMs;
    m_selectionEndMs = endMs;
    update();
}

double WaveformView::visibleStartMs() const
{
    return m_endMs > m_startMs ? m_startMs : 0.0;
}

double WaveformView::visibleEndMs() const
{
    if (m_endMs > m_startMs)
        return m_endMs;
    if (!m_summary || m_summary->sampleRate() <= 0)
        return 0.0;
    return m_summary->frames() * 1000.0 / m_summary->sampleRate();
}

void WaveformView::setDecodedUntil(std::optional<double> ms)
{
    if (m_decodedUntilMs == ms)
        return;
    m_decodedUntilMs = ms;
    update();
}

void WaveformView::paintEvent(QPaintEvent *)
{
    if (!m_summary)
        return;
    QPainter p(this);
    // everything below is laid out in panel coordinates
    const QPoint origin = panelGeometry().topLeft();
    p.translate(-origin);
    const timelinepics::FieldLayout field = timelinepics::fieldWithin(QRectF(origin, size()));
    const int lanes = m_summary->channels() == 1 ? 1 : 2;
    timelinepics::paintFieldBackground(p, field, lanes);

    const double startMs = visibleStartMs(), endMs = visibleEndMs();
    // the time line's stretch: panel x 6 up to (not including) 734
    const QRectF lanesArea(skingeo::LineOffset, field.waveTop, skingeo::TimelineSpan, field.waveBottom - field.waveTop);
    if (endMs > startMs) {
        const double framesPerMs = m_summary->sampleRate() / 1000.0;
        waveformrender::paintWaveform(p, lanesArea, *m_summary, startMs * framesPerMs,
                                      (endMs - startMs) * framesPerMs / skingeo::TimelineSpan);
        if (m_selectionEndMs > m_selectionStartMs)
            waveformrender::shadeSelection(p, lanesArea, panelXOf(m_selectionStartMs, startMs, endMs),
                                           panelXOf(m_selectionEndMs, startMs, endMs));
        if (m_decodedUntilMs && *m_decodedUntilMs < endMs)
            waveformrender::shadeUndecoded(p, lanesArea, panelXOf(std::max(*m_decodedUntilMs, startMs), startMs, endMs));
    }
    timelinepics::paintFieldSheen(p, field);

    timelinepics::paintRulerBackground(p, field);
    const QRectF ruler(skingeo::LineOffset, field.rulerTop, skingeo::TimelineSpan,
                       field.inside.bottom() - field.rulerTop);
    waveformrender::paintRuler(p, ruler, startMs, endMs);
}
