// Figures for the open flow: from "open confirmed" in the file dialog to the
// time line shown, for a 10-minute MP3, against ffmpeg decoding the same file
// directly; medians of 5 interleaved runs.
#include "BenchCommon.h"
#include "app/MainController.h"
#include "QuietDesktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
    const QString source = folder.filePath(QStringLiteral("ten minutes.mp3"));
    std::printf("generating a 10-minute stereo MP3...\n");
    if (!bench::makeTenMinuteMp3(source))
        return 1;

    bench::QuietDesktop desktop;
    QElapsedTimer clock;
    qint64 confirmedAt = 0;
    desktop.onChoose = [&] { confirmedAt = clock.nsecsElapsed(); };
    desktop.chosen = source;
    MainController controller(paths, {desktop, desktop, desktop, desktop, desktop});

    std::vector<double> flow;
    std::vector<double> direct;
    const QString directTarget = folder.filePath(QStringLiteral("direct.wav"));
    for (int run = 0; run < Runs; ++run) {
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
        controller.openFlow().close();  // answered OK: ready for the next open

        clock.restart();
        if (!bench::runFfmpegDirectly({"-i", source, "-y", "-vn", directTarget}))
            return 1;
        direct.push_back(clock.nsecsElapsed() / 1e6);
    }
    const double flowMs = bench::median(flow);
    const double directMs = bench::median(direct);
    std::printf("open confirmed -> time line shown, 10 min MP3, median of %d\n", Runs);
    std::printf("    open flow        : %8.1f ms\n", flowMs);
    std::printf("    ffmpeg directly  : %8.1f ms\n", directMs);
    std::printf("    ratio            : %8.3f   (target <= 1.15)\n", flowMs / directMs);
    return 0;
}
