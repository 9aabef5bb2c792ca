// Figures for the transcoding pipeline:
//  (a) decoding a 10-minute MP3 through runner + adapter against ffmpeg run
//      directly with the same arguments, median of 5 runs each;
//  (b) ProgressReport throughput over about 1 MB of real adapter output.

#include "BenchCommon.h"
#include "files/Paths.h"
#include "pipeline/CommandLines.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/ProgressReport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 5;

class SilentMessages : public MessageSeam {
public:
    MessageAnswer show(const QString &text, const QString &, MessageButtons, MessageIcon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MessageAnswer::Ok;
    }
};

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    Paths paths;
    paths.programFolder = QStringLiteral(BRINDLEWAVE_BUILD_DIR);
    paths.workFolder = folder.path();
    const QString source = folder.filePath(QStringLiteral("ten minutes.mp3"));
    std::printf("generating a 10-minute stereo MP3...\n");
    if (!bench::makeTenMinuteMp3(source)) {
        std::fprintf(stderr, "ffmpeg could not make the test file\n");
        return 1;
    }

    SilentMessages messages;
    ProcessRunner runner(messages);
    const Command decode = DecodeCommand(paths, source);
    std::vector<double> throughRunner;
    std::vector<double> direct;
    QString adapterOutput;
    for (int run = 0; run < Runs; ++run) {
        // Interleaved, so that a change in machine load hits both sides alike.
        QElapsedTimer clock;
        clock.start();
        bool over = false;
        const auto connection = QObject::connect(&runner, &ProcessRunner::finished, [&over] { over = true; });
        if (runner.start(decode))
            bench::waitUntil([&over] { return over; });
        QObject::disconnect(connection);
        adapterOutput = runner.output();
        throughRunner.push_back(clock.nsecsElapsed() / 1e6);
        if (runner.exitCode() != 0) {
            std::fprintf(stderr, "adapter failed: %s\n", qPrintable(adapterOutput));
            return 1;
        }
        clock.restart();
        if (!bench::runFfmpegDirectly(decode.arguments)) {
            std::fprintf(stderr, "ffmpeg failed\n");
            return 1;
        }
        direct.push_back(clock.nsecsElapsed() / 1e6);
    }
    const double runnerMs = bench::median(throughRunner);
    const double directMs = bench::median(direct);
    std::printf("(a) decode 10 min MP3 -> WAV, median of %d\n", Runs);
    std::printf("    runner + adapter : %8.1f ms\n", runnerMs);
    std::printf("    ffmpeg directly  : %8.1f ms\n", directMs);
    std::printf("    ratio            : %8.3f   (target <= 1.10)\n", runnerMs / directMs);

    // (b) The adapter output of the last decode, repeated to about 1 MB and cut
    // into pieces of the size the runner delivers.
    const QByteArray once = adapterOutput.toUtf8();
    QStringList pieces;
    qint64 totalBytes = 0;
    while (totalBytes < 1024 * 1024) {
        for (qsizetype at = 0; at < once.size(); at += 1024) {
            pieces.append(QString::fromUtf8(once.mid(at, 1024)));
            totalBytes += std::min<qsizetype>(1024, once.size() - at);
        }
    }
    std::vector<double> rates;
    int shown = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        std::int32_t totalSeconds = 0;
        for (const QString &piece : std::as_const(pieces)) {
            if (ProgressReport(ProgressJob::Decode, piece, totalSeconds, 0.0))
                ++shown;
            if (piece.contains(u"muxing overhead"))
                totalSeconds = 0;  // next repetition is a new decode job
        }
        rates.push_back(totalBytes / 1e6 / (clock.nsecsElapsed() / 1e9));
    }
    std::printf("(b) ProgressReport over %.2f MB of adapter output (%lld pieces, %d displays)\n",
                totalBytes / 1e6, static_cast<long long>(pieces.size()), shown / Runs);
    std::printf("    throughput       : %8.1f MB/s (target >= 50)\n", bench::median(rates));
    return 0;
}
