#pragma once

#include <QRect>
#include <QWidget>

#include <memory>
#include <optional>

class PeakSummary;

// The real waveform of the open file, laid over the dark field and the ruler of
// the time-line panel (picOpened). It only paints: it lets every mouse event
// through to the panel below, which keeps handling presses, drags and the
// wheel, and the play head, the handles' lines and their grips must stand
// above it. Without a summary it paints nothing at all, so the panel's own
// decorative picture shows.
//
// Horizontal mapping, in panel coordinates: a time t of the visible stretch
// [start, end) stands at panel x = 6 + 728 * (t - start) / (end - start), the
// column of a marker's line at that time; the widget's own x is that minus its
// left edge in the panel, panelGeometry().left().
class WaveformView : public QWidget {
    Q_OBJECT

public:
    explicit WaveformView(QWidget *parent = nullptr);

    // The rectangle of the panel (panel coordinates) the view must be given:
    // the dark field inside its frame, ruler included, x 3..742, y 63..316.
    // A taller or wider view keeps the ruler's 20 rows at its bottom and the
    // same horizontal mapping, as long as its left edge stays at x 3.
    static QRect panelGeometry();
    // The mapping above and its inverse; for end <= start every time stands at
    // the start of the time line, x 6.
    static double panelXOf(double ms, double startMs, double endMs);
    static double msAtPanelX(double panelX, double startMs, double endMs);

    // The file to draw; null for none. The view shares it and never changes it.
    void setSummary(std::shared_ptr<const PeakSummary> summary);
    // The stretch of the file across the time line, in ms. Until one is set (or
    // when end <= start) the whole file is shown.
    void setVisibleSpan(double startMs, double endMs);
    // The selection to shade; end <= start shades nothing.
    void setSelection(double startMs, double endMs);
    // While the file is still decoded: what exists of it, from its start; the
    // rest of the time line is drawn as not there yet. None: the whole file.
    void setDecodedUntil(std::optional<double> ms);
    std::optional<double> decodedUntil() const { return m_decodedUntilMs; }

    const std::shared_ptr<const PeakSummary> &summary() const { return m_summary; }
    // The stretch actually shown: the one set, or the whole file.
    double visibleStartMs() const;
    double visibleEndMs() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::shared_ptr<const PeakSummary> m_summary;
    double m_startMs = 0, m_endMs = 0;
    double m_selectionStartMs = 0, m_selectionEndMs = 0;
    std::optional<double> m_decodedUntilMs;
};
