// Figures for the open flow: from "open confirmed" in the file dialog to the
// whole file open (decoded, proven, its waveform's peaks read), for a
// 10-minute and a 1-hour MP3, against ffmpeg decoding the same file to a WAV
// directly; and to the file being usable while it decodes (its length known
// and the first of its waveform shown). Medians of 5 interleaved runs.
#include "BenchCommon.h"
#include "app/MainController.h"
#include "QuietDesktop.h"
#include "playback/PeakSummary.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Runs = 5;

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const Paths paths = bench::pathsIn(folder);
    const QString tenMinutes = folder.filePath(QStringLiteral("ten minutes.mp3"));
    const QString hour = folder.filePath(QStringLiteral("one hour.mp3"));
    std::printf("generating a 10-minute and a 1-hour stereo MP3...\n");
    std::fflush(stdout);
    if (!bench::makeMp3(tenMinutes, 600) || !bench::makeMp3(hour, 3600))
        return 1;

    bench::QuietDesktop desktop;
    QElapsedTimer clock;
    qint64 confirmedAt = 0;
    desktop.onChoose = [&] { confirmedAt = clock.nsecsElapsed(); };
    MainController controller(paths, {desktop, desktop, desktop, desktop, desktop});
    qint64 usableAt = -1;
    QObject::connect(&controller.model(), &EditorModel::mediaChanged, [&] {
        const auto &media = controller.model().media();
        if (usableAt < 0 && media && media->lengthMs > 0 && media->peaks && media->peaks->frames() > 0)
            usableAt = clock.nsecsElapsed();
    });

    const QString directTarget = folder.filePath(QStringLiteral("direct.wav"));
    for (const auto &[source, runs] : {std::pair{tenMinutes, 5}, std::pair{hour, 5}}) {
        desktop.chosen = source;
        std::vector<double> flow;
        std::vector<double> direct;
        std::vector<double> usable;
        for (int run = 0; run < runs; ++run) {
            usableAt = -1;
            clock.start();
            controller.toolbar().press(ToolbarActions::Button::Open);
            bench::waitUntil([&controller] {
                return !controller.model().job().running() && !controller.openFlow().isReadingPeaks();
            });
            if (!controller.model().isFileOpen()) {
                std::fprintf(stderr, "the time line was not shown\n");
                return 1;
            }
            flow.push_back((clock.nsecsElapsed() - confirmedAt) / 1e6);
            usable.push_back((usableAt - confirmedAt) / 1e6);
            controller.openFlow().close();  // answered OK: ready for the next open

            clock.restart();
            if (!bench::runFfmpegDirectly({"-i", source, "-y", "-vn", directTarget}))
                return 1;
            direct.push_back(clock.nsecsElapsed() / 1e6);
        }
        const double flowMs = bench::median(flow);
        const double directMs = bench::median(direct);
        std::printf("open confirmed -> whole file open, %s, median of %d\n", qPrintable(QFileInfo(source).fileName()), runs);
        std::printf("    open flow        : %8.1f ms\n", flowMs);
        std::printf("    ffmpeg directly  : %8.1f ms\n", directMs);
        std::printf("    ratio            : %8.3f   (target <= 1.1)\n", flowMs / directMs);
        std::printf("    usable after     : %8.1f ms (length known, waveform filling in; about a second)\n",
                    bench::median(usable));
    }
    return 0;
}
