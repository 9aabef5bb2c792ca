// The command line's cut against a direct ffmpeg cut of the same stretch into
// the same format, for a 4-minute song and a 1-hour file: one cut of 20 s from
// the middle, and a batch of five cuts from one file. Runs alternate, so that
// a change in machine load hits both sides alike; medians of 7 (3 for the
// batches), with min and max.
//
//   bench_headless_cut [PROGRAM]
//
// PROGRAM is the brindlewave to measure (default: the one beside this build),
// so that an older build can be measured the same way.

#include "BenchCommon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

struct Cut {
    int startS;
    int endS;
};

// The program's cut, in a home of its own and with no display.
bool programCut(const QString &program, const QString &home, const QString &source, const Cut &cut,
                const QString &output)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {QStringLiteral("--cut"), source, QStringLiteral("--start"), QString::number(cut.startS),
                            QStringLiteral("--end"), QString::number(cut.endS), QStringLiteral("--output"), output});
    process.waitForFinished(-1);
    if (process.exitCode() != 0)
        std::fprintf(stderr, "the program's cut failed: %s\n", process.readAll().constData());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// ffmpeg cutting the stretch straight into an MP3 as the program's MP3 row does.
bool directCut(const QString &source, const Cut &cut, const QString &output)
{
    return bench::runFfmpegDirectly({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                     QStringLiteral("-ss"), QString::number(cut.startS), QStringLiteral("-i"),
                                     source, QStringLiteral("-t"), QString::number(cut.endS - cut.startS),
                                     QStringLiteral("-ab"), QStringLiteral("320k"), QStringLiteral("-ar"),
                                     QStringLiteral("48000"), QStringLiteral("-ac"), QStringLiteral("2"), output});
}

struct Figures {
    double ours;
    double direct;
};

void print(const char *what, const std::vector<double> &ours, const std::vector<double> &direct)
{
    const double oursMs = bench::median(ours);
    const double directMs = bench::median(direct);
    std::printf("%-34s program %8.1f ms (%.1f-%.1f)   ffmpeg %8.1f ms (%.1f-%.1f)   ratio %6.3f  (target <= 1.2)\n",
                what, oursMs, *std::min_element(ours.begin(), ours.end()), *std::max_element(ours.begin(), ours.end()),
                directMs, *std::min_element(direct.begin(), direct.end()),
                *std::max_element(direct.begin(), direct.end()), oursMs / directMs);
}

bool measure(const char *what, const QString &program, const QString &home, const QString &source,
             const std::vector<Cut> &cuts, int runs, const QString &folder)
{
    std::vector<double> ours;
    std::vector<double> direct;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        for (std::size_t i = 0; i < cuts.size(); ++i) {
            if (!programCut(program, home, source, cuts[i], folder + QStringLiteral("/ours %1.mp3").arg(i)))
                return false;
        }
        ours.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        for (std::size_t i = 0; i < cuts.size(); ++i) {
            if (!directCut(source, cuts[i], folder + QStringLiteral("/direct %1.mp3").arg(i)))
                return false;
        }
        direct.push_back(clock.nsecsElapsed() / 1e6);
    }
    print(what, ours, direct);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QStringLiteral(BRINDLEWAVE_BUILD_DIR "/brindlewave");
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    const QString home = folder.filePath(QStringLiteral("home"));
    const QString song = folder.filePath(QStringLiteral("four minutes.mp3"));
    const QString hour = folder.filePath(QStringLiteral("one hour.mp3"));
    std::printf("generating a 4-minute and a 1-hour MP3...\n");
    std::fflush(stdout);
    if (!bench::makeMp3(song, 240) || !bench::makeMp3(hour, 3600)) {
        std::fprintf(stderr, "ffmpeg could not make the test files\n");
        return 1;
    }
    std::printf("%s: 20 s cuts into MP3\n", qPrintable(program));
    const std::vector<Cut> batchOfSong{{10, 30}, {50, 70}, {100, 120}, {150, 170}, {200, 220}};
    const std::vector<Cut> batchOfHour{{300, 320}, {1000, 1020}, {1800, 1820}, {2500, 2520}, {3500, 3520}};
    const bool measured = measure("4-minute song, one cut", program, home, song, {{110, 130}}, 7, folder.path())
                          && measure("1-hour file, one cut", program, home, hour, {{1800, 1820}}, 7, folder.path())
                          && measure("4-minute song, batch of 5", program, home, song, batchOfSong, 3, folder.path())
                          && measure("1-hour file, batch of 5", program, home, hour, batchOfHour, 3, folder.path());
    return measured ? 0 : 1;
}
