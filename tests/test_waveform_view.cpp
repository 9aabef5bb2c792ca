// The live waveform over the time line: what it draws for known signals, where
// it draws it (the time line's mapping), the selection's shading, the ruler,
// and nothing at all without a file.
#include "TimelinePictures.h"
#include "playback/PeakSummary.h"
#include "ui/WaveformRenderer.h"
#include "ui/WaveformView.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int LineOffset = 6, Span = 728;  // the time line: panel x 6 .. 734

using Generator = std::function<float(std::int64_t frame, int channel)>;

std::shared_ptr<const PeakSummary> summaryOf(int channels, double seconds, const Generator &sample)
{
    auto summary = std::make_shared<PeakSummary>(channels, Rate);
    const auto frames = std::int64_t(seconds * Rate);
    std::vector<float> chunk;
    for (std::int64_t at = 0; at < frames; at += 65536) {
        const std::int64_t n = std::min<std::int64_t>(65536, frames - at);
        chunk.resize(std::size_t(n * channels));
        for (std::int64_t f = 0; f < n; ++f)
            for (int c = 0; c < channels; ++c)
                chunk[std::size_t(f * channels + c)] = sample(at + f, c);
        summary->append(chunk.data(), n);
    }
    summary->finish();
    return summary;
}

// The signal written as a 16-bit WAV and read back through summariseWav.
std::shared_ptr<const PeakSummary> summaryOfWav(const QString &path, int channels, double seconds,
                                                const Generator &sample)
{
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return nullptr;
    const auto frames = std::int64_t(seconds * Rate);
    std::vector<float> chunk;
    for (std::int64_t at = 0; at < frames; at += 65536) {
        const std::int64_t n = std::min<std::int64_t>(65536, frames - at);
        chunk.resize(std::size_t(n * channels));
        for (std::int64_t f = 0; f < n; ++f)
            for (int c = 0; c < channels; ++c)
                chunk[std::size_t(f * channels + c)] = sample(at + f, c);
        sf_writef_float(file, chunk.data(), n);
    }
    sf_close(file);
    std::optional<PeakSummary> summary = summariseWav(path);
    return summary ? std::make_shared<const PeakSummary>(std::move(*summary)) : nullptr;
}

float sine(std::int64_t frame, double hz, double amplitude)
{
    return float(amplitude * std::sin(2 * M_PI * hz * double(frame) / Rate));
}

double durationMs(const PeakSummary &summary)
{
    return summary.frames() * 1000.0 / summary.sampleRate();
}

// The view's picture on a transparent canvas, read in panel coordinates.
class Picture {
public:
    explicit Picture(WaveformView &view)
        : m_origin(WaveformView::panelGeometry().topLeft()),
          m_image(view.size(), QImage::Format_ARGB32_Premultiplied)
    {
        m_image.fill(Qt::transparent);
        view.render(&m_image, QPoint(), QRegion(), QWidget::RenderFlags());
    }

    QRgb at(int panelX, int panelY) const { return m_image.pixel(panelX - m_origin.x(), panelY - m_origin.y()); }
    const QImage &image() const { return m_image; }

    // The waveform's greens; the field, its grid and the ruler are blue-grey.
    bool isWave(int panelX, int panelY) const
    {
        const QRgb c = at(panelX, panelY);
        return qGreen(c) > qBlue(c) + 15 && qGreen(c) > qRed(c) + 15;
    }

    // The first and last wave row of a column within a lane; (-1, -1) for none.
    std::pair<int, int> waveRows(int panelX, const QRectF &lane) const
    {
        int first = -1, last = -1;
        for (int y = int(std::floor(lane.top())); y < int(std::ceil(lane.bottom())); ++y) {
            if (isWave(panelX, y)) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
        return {first, last};
    }

private:
    QPoint m_origin;
    QImage m_image;
};

// The lanes as the view lays them out: the time line's stretch across the rows
// of the field above the ruler.
QRectF lane(int lanes, int index)
{
    const timelinepics::FieldLayout field = timelinepics::panelField();
    const QRectF area(LineOffset, field.waveTop, Span, field.waveBottom - field.waveTop);
    return waveformrender::laneRect(area, lanes, index);
}

// The rows a bar from min to max takes in a lane: from the row the top lies in
// to the row the bottom lies in, at least one; full scale is 2 px short of the
// lane's edges.
std::pair<int, int> barRows(const QRectF &lane, const MinMax &peaks)
{
    const double centre = lane.center().y(), half = lane.height() / 2 - 2;
    const int top = int(std::floor(centre - peaks.max * half));
    const int bottom = std::max(top + 1, int(std::ceil(centre - peaks.min * half)));
    return {top, bottom - 1};
}

int barHeight(const QRectF &lane, const MinMax &peaks)
{
    const auto [top, bottom] = barRows(lane, peaks);
    return bottom - top + 1;
}

int drawnHeight(const Picture &picture, int panelX, const QRectF &lane)
{
    const auto [first, last] = picture.waveRows(panelX, lane);
    return first < 0 ? 0 : last - first + 1;
}

struct View {
    WaveformView widget;
    View()
    {
        widget.setGeometry(WaveformView::panelGeometry());
    }
};

// What the summary says for the frames of one panel column of a view.
MinMax columnPeaks(const PeakSummary &summary, int channel, int panelX, double startMs, double endMs)
{
    const double framesPerMs = summary.sampleRate() / 1000.0;
    MinMax out;
    summary.columns(channel, WaveformView::msAtPanelX(panelX, startMs, endMs) * framesPerMs,
                    (endMs - startMs) / Span * framesPerMs, 1, &out);
    return out;
}

}  // namespace

class TestWaveformView : public QObject {
    Q_OBJECT

private slots:
    void mapsTimeToTheTimeLine_data()
    {
        QTest::addColumn<double>("startMs");
        QTest::addColumn<double>("endMs");
        QTest::newRow("a 10 s file") << 0.0 << 10000.0;
        QTest::newRow("an hour") << 0.0 << 3600000.0;
        QTest::newRow("a minute inside") << 754321.5 << 814321.5;
        QTest::newRow("a few ms per pixel") << 123456.7 << 123456.7 + 728 * 0.004;
    }

    void mapsTimeToTheTimeLine()
    {
        QFETCH(double, startMs);
        QFETCH(double, endMs);
        QCOMPARE(WaveformView::panelXOf(startMs, startMs, endMs), 6.0);
        QCOMPARE(WaveformView::panelXOf(endMs, startMs, endMs), 734.0);
        QCOMPARE(WaveformView::msAtPanelX(6, startMs, endMs), startMs);
        QCOMPARE(WaveformView::msAtPanelX(734, startMs, endMs), endMs);
        const double msPerPixel = (endMs - startMs) / 728;
        for (int x = 0; x <= 740; x += 7) {
            const double ms = WaveformView::msAtPanelX(x, startMs, endMs);
            QVERIFY(std::abs(ms - (startMs + (x - 6) * msPerPixel)) <= msPerPixel * 1e-6);
            QVERIFY(std::abs(WaveformView::panelXOf(ms, startMs, endMs) - x) < 1e-6);
        }
    }

    void geometryAndMouse()
    {
        QCOMPARE(WaveformView::panelGeometry(), QRect(3, 63, 740, 254));
        WaveformView view;
        QVERIFY(view.testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void drawsNothingWithoutASummary()
    {
        View view;
        view.widget.setVisibleSpan(0, 10000);
        view.widget.setSelection(1000, 2000);
        const auto isEmpty = [](const QImage &image) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) != 0)
                        return false;
            return true;
        };
        QVERIFY(isEmpty(Picture(view.widget).image()));
        view.widget.setSummary(summaryOf(2, 1, [](std::int64_t f, int) { return sine(f, 440, 0.5); }));
        QVERIFY(!isEmpty(Picture(view.widget).image()));
        view.widget.setSummary(nullptr);
        QVERIFY(isEmpty(Picture(view.widget).image()));
    }

    void fieldLooksLikeThePanels()
    {
        // beside the time line's stretch (x 3..5 and 735..742) neither picture
        // draws a waveform or a tick: there the view must repeat the panel's
        // field, grid, sheen and ruler, up to the gradients' rounding
        View view;
        view.widget.setSummary(summaryOf(2, 10, [](std::int64_t f, int c) { return sine(f, 200 + 300 * c, 0.7); }));
        const Picture picture(view.widget);
        const QImage panel = timelinepics::panel(1.0);
        const QRect all = WaveformView::panelGeometry();
        const auto near = [](QRgb a, QRgb b) {
            return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1
                && std::abs(qBlue(a) - qBlue(b)) <= 1 && qAlpha(a) == qAlpha(b);
        };
        QStringList faults;
        for (int x = all.left(); x <= all.right(); ++x) {
            if (x >= LineOffset && x <= LineOffset + Span)
                continue;
            for (int y = all.top(); y <= all.bottom(); ++y)
                if (!near(picture.at(x, y), panel.pixel(x, y)))
                    faults << QStringLiteral("(%1, %2) %3, not %4")
                                  .arg(x).arg(y).arg(picture.at(x, y), 0, 16).arg(panel.pixel(x, y), 0, 16);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 8).join(u"; ")));
    }

    void silenceIsFlat_data()
    {
        QTest::addColumn<int>("channels");
        QTest::newRow("mono") << 1;
        QTest::newRow("stereo") << 2;
    }

    void silenceIsFlat()
    {
        QFETCH(int, channels);
        View view;
        view.widget.setSummary(summaryOf(channels, 10, [](std::int64_t, int) { return 0.0f; }));
        const Picture picture(view.widget);
        QStringList faults;
        for (int l = 0; l < channels; ++l) {
            const QRectF area = lane(channels, l);
            for (int x = LineOffset; x < LineOffset + Span; ++x) {
                const auto [first, last] = picture.waveRows(x, area);
                // a line at most two rows thick on the lane's centre
                if (first < 0 || last - first > 1 || std::abs((first + last + 1) / 2.0 - area.center().y()) > 1.5)
                    faults << QStringLiteral("lane %1 x %2: rows %3..%4").arg(l).arg(x).arg(first).arg(last);
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(u"; ")));
    }

    void quietHalfFlatLoudHalfBusy_data()
    {
        QTest::addColumn<int>("channels");
        QTest::newRow("mono") << 1;
        QTest::newRow("stereo, left silent throughout") << 2;
    }

    void quietHalfFlatLoudHalfBusy()
    {
        QFETCH(int, channels);
        const double seconds = 20;
        const auto half = std::int64_t(seconds / 2 * Rate);
        View view;
        // the loud half is a tone whose crest stays the same, 0.9
        view.widget.setSummary(summaryOf(channels, seconds, [=](std::int64_t f, int c) {
            return f < half || c != channels - 1 ? 0.0f : sine(f, 441, 0.9);
        }));
        const Picture picture(view.widget);
        QStringList faults;
        for (int l = 0; l < channels; ++l) {
            const QRectF area = lane(channels, l);
            const bool loudLane = l == channels - 1;
            const int loudHeight = barHeight(area, {-0.9f, 0.9f});
            for (int x = LineOffset; x < LineOffset + Span; ++x) {
                if (std::abs(x - (LineOffset + Span / 2)) <= 1)
                    continue;  // the columns where the sound starts
                const bool loud = loudLane && x > LineOffset + Span / 2;
                const int height = drawnHeight(picture, x, area);
                if (loud ? std::abs(height - loudHeight) > 1 : height > 2)
                    faults << QStringLiteral("lane %1 x %2: %3 rows").arg(l).arg(x).arg(height);
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(u"; ")));
    }

    void rendererDrawsEveryDeviceColumnAtDoubleDensity()
    {
        // blocks of 256 frames, loud and silent by turns; at 512 frames per
        // logical pixel every device column of a 2x picture shows one block
        constexpr int Block = PeakSummary::BaseBlockFrames;
        const auto summary = summaryOf(1, 10, [](std::int64_t f, int) {
            return (f / Block) % 2 == 0 ? (f % 2 ? 0.9f : -0.9f) : 0.0f;
        });
        const QRectF field(0, 0, 728, 232);
        QImage image(QSize(728, 232) * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        const double firstFrame = 40 * Block;
        waveformrender::paintWaveform(painter, field, *summary, firstFrame, 2.0 * Block);
        painter.end();

        const double centre = field.center().y() * 2, crest = 0.9 * (field.height() / 2 - 2) * 2;
        const int loudRows = int(std::ceil(centre + crest)) - int(std::floor(centre - crest));
        QStringList faults;
        for (int dx = 0; dx < image.width(); ++dx) {
            int first = -1, last = -1;
            for (int dy = 0; dy < image.height(); ++dy) {
                const QRgb c = image.pixel(dx, dy);
                if (qGreen(c) > qBlue(c) + 15 && qGreen(c) > qRed(c) + 15) {
                    first = first < 0 ? dy : first;
                    last = dy;
                }
            }
            const int height = first < 0 ? 0 : last - first + 1;
            const bool loud = (std::int64_t(firstFrame) / Block + dx) % 2 == 0;
            if (loud ? std::abs(height - loudRows) > 1 : height < 1 || height > 2)
                faults << QStringLiteral("device column %1: %2 rows").arg(dx).arg(height);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(u"; ")));
    }

    void differentFilesDrawDifferently()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const auto sineFile = summaryOfWav(folder.filePath(QStringLiteral("sine.wav")), 2, 10,
                                           [](std::int64_t f, int) { return sine(f, 440, 0.9); });
        const auto squareFile = summaryOfWav(folder.filePath(QStringLiteral("square.wav")), 2, 240,
                                             [](std::int64_t f, int) { return (f / 50) % 2 ? 0.4f : -0.4f; });
        QVERIFY(sineFile && squareFile);
        QCOMPARE(durationMs(*squareFile), 240000.0);

        View sineView, squareView;
        sineView.widget.setSummary(sineFile);
        squareView.widget.setSummary(squareFile);
        const Picture sinePicture(sineView.widget), squarePicture(squareView.widget);
        // every column as tall as the file's crest: 0.9 against 0.4 of the lane
        for (const auto &[picture, crest] : {std::pair(&sinePicture, 0.9), std::pair(&squarePicture, 0.4)}) {
            for (int l = 0; l < 2; ++l) {
                const QRectF area = lane(2, l);
                const int expected = barHeight(area, {float(-crest), float(crest)});
                for (int x = LineOffset; x < LineOffset + Span; x += 13)
                    QVERIFY2(std::abs(drawnHeight(*picture, x, area) - expected) <= 1,
                             qPrintable(QStringLiteral("x %1: %2 rows, not %3")
                                            .arg(x).arg(drawnHeight(*picture, x, area)).arg(expected)));
            }
        }
        // and the rulers tell different times
        const timelinepics::FieldLayout field = timelinepics::panelField();
        int differing = 0;
        for (int y = int(field.rulerTop); y < int(field.inside.bottom()); ++y)
            for (int x = LineOffset; x < LineOffset + Span; ++x)
                differing += sinePicture.at(x, y) != squarePicture.at(x, y);
        QVERIFY(differing > 100);
    }

    void barsFollowThePeaks_data()
    {
        QTest::addColumn<double>("startMs");
        QTest::addColumn<double>("endMs");
        QTest::newRow("whole file") << 0.0 << 0.0;
        QTest::newRow("one minute") << 30000.0 << 90000.0;
        QTest::newRow("one second") << 61000.0 << 62000.0;
        QTest::newRow("2 ms per pixel") << 45000.0 << 45000.0 + 728 * 2;
        QTest::newRow("0.1 ms per pixel") << 100000.0 << 100000.0 + 72.8;
        QTest::newRow("running past the end") << 110000.0 << 130000.0;
    }

    void barsFollowThePeaks()
    {
        QFETCH(double, startMs);
        QFETCH(double, endMs);
        // two minutes of noise whose loudness jumps every few blocks, different per channel
        std::vector<float> loudness(std::size_t(120 * Rate / 700 + 2) * 2);
        std::mt19937 random(3);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (float &v : loudness)
            v = unit(random);
        const auto summary = summaryOf(2, 120, [&](std::int64_t f, int c) {
            const float level = loudness[std::size_t(f / 700 * 2 + c)];
            return level * (f % 3 == 0 ? 1.0f : f % 3 == 1 ? -1.0f : 0.3f);
        });
        View view;
        view.widget.setSummary(summary);
        view.widget.setVisibleSpan(startMs, endMs);
        const double shownStart = view.widget.visibleStartMs(), shownEnd = view.widget.visibleEndMs();
        const Picture picture(view.widget);
        QStringList faults;
        for (int l = 0; l < 2; ++l) {
            const QRectF area = lane(2, l);
            for (int x = LineOffset; x < LineOffset + Span; ++x) {
                const auto [top, bottom] = barRows(area, columnPeaks(*summary, l, x, shownStart, shownEnd));
                const auto [first, last] = picture.waveRows(x, area);
                if (std::abs(first - top) > 1 || std::abs(last - bottom) > 1)
                    faults << QStringLiteral("lane %1 x %2: rows %3..%4, want %5..%6")
                                  .arg(l).arg(x).arg(first).arg(last).arg(top).arg(bottom);
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(u"; ")));
    }

    void aClickStandsWhereTheTimeLineSaysIt_data()
    {
        QTest::addColumn<double>("startMs");
        QTest::addColumn<double>("endMs");
        QTest::addColumn<double>("clickMs");
        QTest::newRow("whole file, early") << 0.0 << 0.0 << 1234.5;
        QTest::newRow("whole file, late") << 0.0 << 0.0 << 59000.0;
        QTest::newRow("10 ms per pixel") << 20000.0 << 27280.0 << 26999.0;
        QTest::newRow("30 ms per pixel, near the start") << 5000.0 << 5000.0 + 728 * 30 << 5100.0;
    }

    void aClickStandsWhereTheTimeLineSaysIt()
    {
        QFETCH(double, startMs);
        QFETCH(double, endMs);
        QFETCH(double, clickMs);
        const auto clickFrame = std::int64_t(clickMs * Rate / 1000);
        View view;
        view.widget.setSummary(summaryOf(1, 60, [=](std::int64_t f, int) { return f == clickFrame ? 0.8f : 0.0f; }));
        view.widget.setVisibleSpan(startMs, endMs);
        const Picture picture(view.widget);
        const int expected = int(std::floor(WaveformView::panelXOf(
            clickFrame * 1000.0 / Rate, view.widget.visibleStartMs(), view.widget.visibleEndMs())));
        QList<int> busy;
        for (int x = LineOffset; x < LineOffset + Span; ++x)
            if (drawnHeight(picture, x, lane(1, 0)) > 10)
                busy << x;
        QVERIFY2(!busy.isEmpty(), "the click is not drawn");
        // the column the click's time maps to, and at most the neighbour that
        // shares the click's block
        QVERIFY2(busy.contains(expected) && busy.first() >= expected - 1 && busy.last() <= expected + 1,
                 qPrintable(QStringLiteral("drawn at %1..%2, expected column %3")
                                .arg(busy.first()).arg(busy.last()).arg(expected)));
    }

    void selectionShadesExactlyItsColumns_data()
    {
        QTest::addColumn<double>("startMs");
        QTest::addColumn<double>("endMs");
        QTest::addColumn<double>("selStart");
        QTest::addColumn<double>("selEnd");
        QTest::newRow("whole file") << 0.0 << 0.0 << 2500.0 << 7250.0;
        QTest::newRow("zoomed in") << 1000.0 << 1100.0 << 1020.3 << 1050.7;
        QTest::newRow("from before the view to inside it") << 3000.0 << 6000.0 << 1000.0 << 4000.0;
        QTest::newRow("from inside the view to past it") << 3000.0 << 6000.0 << 5999.0 << 9000.0;
        QTest::newRow("covering the view") << 3000.0 << 6000.0 << 0.0 << 10000.0;
        QTest::newRow("before the view") << 3000.0 << 6000.0 << 1000.0 << 2000.0;
        QTest::newRow("empty") << 0.0 << 0.0 << 5000.0 << 5000.0;
        QTest::newRow("backwards") << 0.0 << 0.0 << 6000.0 << 2000.0;
    }

    void selectionShadesExactlyItsColumns()
    {
        QFETCH(double, startMs);
        QFETCH(double, endMs);
        QFETCH(double, selStart);
        QFETCH(double, selEnd);
        View view;
        view.widget.setSummary(summaryOf(2, 10, [](std::int64_t f, int c) { return sine(f, 300 + 200 * c, 0.6); }));
        view.widget.setVisibleSpan(startMs, endMs);
        const Picture plain(view.widget);
        view.widget.setSelection(selStart, selEnd);
        const Picture shaded(view.widget);
        const double shownStart = view.widget.visibleStartMs(), shownEnd = view.widget.visibleEndMs();

        // the columns whose centres lie in the selection, on the time line
        const double from = WaveformView::panelXOf(selStart, shownStart, shownEnd);
        const double to = WaveformView::panelXOf(selEnd, shownStart, shownEnd);
        const timelinepics::FieldLayout field = timelinepics::panelField();
        QStringList faults;
        const QRect all = WaveformView::panelGeometry();
        for (int x = all.left(); x <= all.right(); ++x) {
            const bool selected = x >= LineOffset && x < LineOffset + Span && x + 0.5 >= from && x + 0.5 < to;
            int changed = 0;
            for (int y = all.top(); y <= all.bottom(); ++y)
                changed += plain.at(x, y) != shaded.at(x, y);
            const int lanesRows = int(field.waveBottom - field.waveTop);
            if (changed != (selected ? lanesRows : 0))
                faults << QStringLiteral("x %1: %2 pixels changed").arg(x).arg(changed);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(u"; ")));
    }

    void rulerLabels_data()
    {
        QTest::addColumn<double>("ms");
        QTest::addColumn<double>("stepMs");
        QTest::addColumn<QString>("text");
        QTest::newRow("half seconds") << 41500.0 << 500.0 << "0:41.5";
        QTest::newRow("seconds") << 62000.0 << 1000.0 << "1:02";
        QTest::newRow("an hour") << 3600000.0 << 60000.0 << "1:00:00";
        QTest::newRow("hours, minutes, seconds") << 3723000.0 << 1000.0 << "1:02:03";
        QTest::newRow("milliseconds") << 61234.0 << 1.0 << "1:01.234";
        QTest::newRow("hundredths") << 5020.0 << 20.0 << "0:05.02";
        QTest::newRow("tenths past an hour") << 3600100.0 << 100.0 << "1:00:00.1";
        QTest::newRow("zero") << 0.0 << 1000.0 << "0:00";
        QTest::newRow("rounded to a millisecond") << 599999.6 << 5.0 << "10:00.000";
        QTest::newRow("ten minutes") << 600000.0 << 300000.0 << "10:00";
    }

    void rulerLabels()
    {
        QFETCH(double, ms);
        QFETCH(double, stepMs);
        QFETCH(QString, text);
        QCOMPARE(waveformrender::rulerLabel(ms, stepMs), text);
    }

    void rulerSteps_data()
    {
        QTest::addColumn<double>("msPerPixel");
        QTest::addColumn<double>("stepMs");
        QTest::newRow("deep zoom") << 0.005 << 1.0;
        QTest::newRow("1 ms per pixel") << 1.0 << 100.0;
        QTest::newRow("a 10 s file") << 10000.0 / 728 << 1000.0;
        QTest::newRow("a 4 min file") << 240000.0 / 728 << 30000.0;
        QTest::newRow("an hour") << 3600000.0 / 728 << 300000.0;
        QTest::newRow("exactly 60 px") << 1000.0 / 60 << 1000.0;
        QTest::newRow("a day") << 86400000.0 / 728 << 2 * 3600000.0;
        QTest::newRow("longer than any step") << 1e9 << 24 * 3600000.0;
    }

    void rulerSteps()
    {
        QFETCH(double, msPerPixel);
        QFETCH(double, stepMs);
        QCOMPARE(waveformrender::rulerStepMs(msPerPixel), stepMs);
    }

    void rulerTicksStandOnTheStep_data()
    {
        QTest::addColumn<double>("startMs");
        QTest::addColumn<double>("endMs");
        QTest::newRow("10 s") << 0.0 << 10000.0;
        QTest::newRow("an hour") << 0.0 << 3600000.0;
        QTest::newRow("a second inside") << 61234.0 << 62234.0;
        QTest::newRow("a few ms per pixel") << 100000.0 << 100000.0 + 728 * 0.004;
    }

    void rulerTicksStandOnTheStep()
    {
        QFETCH(double, startMs);
        QFETCH(double, endMs);
        View view;
        view.widget.setSummary(summaryOf(1, 10, [](std::int64_t, int) { return 0.0f; }));
        view.widget.setVisibleSpan(startMs, endMs);
        const Picture picture(view.widget);
        const timelinepics::FieldLayout field = timelinepics::panelField();
        // the 9th row under the ruler's edge holds only the labelled ticks
        const int row = int(field.rulerTop) + 9;
        const QRgb major = WaveformColours().majorTick.rgb();
        const double step = waveformrender::rulerStepMs((endMs - startMs) / Span);
        QList<int> ticks;
        for (int x = LineOffset; x <= LineOffset + Span; ++x)
            if (picture.at(x, row) == major)
                ticks << x;
        QList<int> expected;
        for (double t = std::ceil(startMs / step) * step; t <= endMs; t += step)
            expected << int(std::round(WaveformView::panelXOf(t, startMs, endMs)));
        QCOMPARE(ticks, expected);
        QVERIFY(expected.size() >= 2);
        for (int i = 1; i < expected.size(); ++i)
            QVERIFY(expected[i] - expected[i - 1] >= 60);
    }
};

QTEST_MAIN(TestWaveformView)
#include "test_waveform_view.moc"
