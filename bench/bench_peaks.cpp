// Figures for the live waveform:
//  (a) a 1-hour 44.1 kHz stereo MP3 decoded to the working WAV by ffmpeg (with
//      the program's decode arguments), against summarising that WAV with
//      summariseWav and against only reading it; the summary's memory per hour;
//  (b) one repaint of the waveform view at 746 x 300 on the hour's summary at
//      several zooms, median of 50, against painting the panel's own picture.
#include "BenchCommon.h"
#include "TimelinePictures.h"
#include "playback/PeakSummary.h"
#include "playback/WavSource.h"
#include "ui/WaveformView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int SummaryRuns = 3;
constexpr int Paints = 50;

// One minute of a tone mix with a slow swell, as an MP3, then looped to an
// hour by copying its frames (no second encode).
bool makeHourMp3(const QString &folder, const QString &hour)
{
    const QString minute = folder + QStringLiteral("/minute.mp3");
    const bool made = bench::runFfmpegDirectly(
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
         QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("aevalsrc=0.5*sin(440*2*PI*t)*(0.6+0.4*sin(2*PI*t/7))+0.2*sin(1250*2*PI*t)"
                        "|0.4*sin(660*2*PI*t)*(0.5+0.5*sin(2*PI*t/11))+0.1*sin(97*2*PI*t):s=44100:d=60"),
         QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), QStringLiteral("192k"),
         minute});
    return made && bench::runFfmpegDirectly({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                             QStringLiteral("-stream_loop"), QStringLiteral("59"),
                                             QStringLiteral("-i"), minute, QStringLiteral("-c"),
                                             QStringLiteral("copy"), hour});
}

double msSince(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e6;
}

// Reads the whole file in the chunks summariseWav uses, doing nothing else.
double readOnlyMs(const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    string_device::WavSource source;
    if (!source.open(path))
        return -1;
    std::vector<float> chunk(std::size_t(16384 * source.channels()));
    while (source.read(chunk.data(), 16384) > 0) {
    }
    return msSince(clock);
}

double medianPaintMs(WaveformView &view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int i = 0; i < Paints; ++i) {
        image.fill(Qt::transparent);
        QElapsedTimer clock;
        clock.start();
        view.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        times.push_back(msSince(clock));
    }
    return bench::median(times);
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    const QString source = folder.filePath(QStringLiteral("one hour.mp3"));
    const QString wav = folder.filePath(QStringLiteral("open.wav"));
    std::printf("generating a 1-hour stereo MP3...\n");
    if (!makeHourMp3(folder.path(), source)) {
        std::fprintf(stderr, "ffmpeg could not make the test file\n");
        return 1;
    }

    // (a) decode, then summarise the decoded file
    QElapsedTimer clock;
    clock.start();
    if (!bench::runFfmpegDirectly({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), source,
                                   QStringLiteral("-y"), QStringLiteral("-vn"), wav})) {
        std::fprintf(stderr, "ffmpeg could not decode the test file\n");
        return 1;
    }
    const double decodeMs = msSince(clock);

    std::shared_ptr<const PeakSummary> summary;
    std::vector<double> summaryTimes, readTimes;
    for (int run = 0; run < SummaryRuns; ++run) {
        clock.restart();
        std::optional<PeakSummary> made = summariseWav(wav);
        summaryTimes.push_back(msSince(clock));
        if (!made) {
            std::fprintf(stderr, "the decoded file could not be summarised\n");
            return 1;
        }
        summary = std::make_shared<const PeakSummary>(std::move(*made));
        readTimes.push_back(readOnlyMs(wav));
    }
    const double summaryMs = bench::median(summaryTimes);
    const double readMs = bench::median(readTimes);
    const double hours = summary->frames() / double(summary->sampleRate()) / 3600.0;
    std::printf("(a) 1-hour MP3 (%.2f h, %d ch, %d Hz), WAV of %.0f MB\n", hours, summary->channels(),
                summary->sampleRate(), QFileInfo(wav).size() / 1e6);
    std::printf("    decode to WAV (ffmpeg)  : %9.1f ms\n", decodeMs);
    std::printf("    summariseWav, median %d : %9.1f ms\n", SummaryRuns, summaryMs);
    std::printf("    reading the WAV only    : %9.1f ms\n", readMs);
    std::printf("    summary / decode        : %9.3f   (target <= 0.10)\n", summaryMs / decodeMs);
    std::printf("    summary / read only     : %9.3f\n", summaryMs / readMs);
    std::printf("    memory                  : %9.2f MB per hour (target <= 16)\n",
                summary->bytes() / 1e6 / hours);

    // (b) repaints at several zooms, against the panel's own picture
    std::vector<double> panelTimes;
    for (int i = 0; i < Paints; ++i) {
        clock.restart();
        const QImage panel = timelinepics::panel(1.0);
        panelTimes.push_back(msSince(clock));
    }
    const double panelMs = bench::median(panelTimes);

    WaveformView view;
    view.resize(746, 300);
    view.setSummary(summary);
    view.setSelection(600000, 900000);
    const double hourMs = summary->frames() * 1000.0 / summary->sampleRate();
    struct Zoom {
        const char *name;
        double startMs, endMs;
    };
    const Zoom zooms[] = {
        {"whole hour", 0, hourMs},
        {"1 minute", 1800000, 1860000},
        {"1 second", 1800000, 1801000},
        {"2 ms per pixel", 1800000, 1800000 + 728 * 2.0},
        {"0.05 ms per pixel", 1800000, 1800000 + 728 * 0.05},
    };
    std::printf("(b) repaint of the view at 746 x 300, median of %d (target <= 4 ms)\n", Paints);
    std::printf("    panel picture (baseline) : %7.3f ms\n", panelMs);
    for (const Zoom &zoom : zooms) {
        view.setVisibleSpan(zoom.startMs, zoom.endMs);
        const double ms = medianPaintMs(view);
        std::printf("    %-24s : %7.3f ms  (%.2f x the panel picture)\n", zoom.name, ms, ms / panelMs);
    }
    return 0;
}
