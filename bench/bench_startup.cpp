// Start-up to a shown window, and the memory held once it idles: the program
// against a bare Qt Widgets window with one Chinese label (bare_window, built
// beside this benchmark), launched alternately under the same environment.
//
// The time runs from the launch until the process writes "shown" (its first
// window exposed and painted; the program does so under
// BRINDLEWAVE_REPORT_SHOWN). The memory is VmRSS from /proc/PID/status half a
// second after that, with the program left alone. Both run headless as the
// tests run the program: offscreen Qt (unless QT_QPA_PLATFORM says otherwise,
// e.g. xcb under xvfb-run), SDL's dummy audio driver, a HOME and XDG folders
// of their own.
//
//   bench_startup [RUNS]     (7 runs of each by default, after one warm-up)
#include "BenchCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int IdleMs = 500;

struct Sample {
    double shownMs = -1;
    double rssMb = -1;
    double anonMb = -1;
};

// A "Key:   1234 kB" line of /proc/PID/status, in MB; -1 when missing.
double statusMb(qint64 pid, const char *key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

Sample launch(const QString &program, const QProcessEnvironment &environment)
{
    Sample sample;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    QByteArray out;
    while (!out.contains("shown\n") && process.waitForReadyRead(20000))
        out += process.readAllStandardOutput();
    if (out.contains("shown\n")) {
        sample.shownMs = clock.nsecsElapsed() / 1e6;
        QThread::msleep(IdleMs);
        sample.rssMb = statusMb(process.processId(), "VmRSS");
        sample.anonMb = statusMb(process.processId(), "RssAnon");
    } else {
        std::fprintf(stderr, "%s never reported its window shown\n", qPrintable(program));
    }
    process.terminate();  // the program's clean end on SIGTERM
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(-1);
    }
    return sample;
}

struct Figures {
    double median, min, max;
};

Figures figuresOf(const std::vector<Sample> &samples, double Sample::*field)
{
    std::vector<double> values;
    for (const Sample &s : samples)
        values.push_back(s.*field);
    return {bench::median(values), *std::min_element(values.begin(), values.end()),
            *std::max_element(values.begin(), values.end())};
}

void printRow(const char *what, const Figures &bare, const Figures &program, const char *unit)
{
    std::printf("%-22s bare %7.1f (%.1f..%.1f)   brindlewave %7.1f (%.1f..%.1f) %s   ratio %.2f\n", what,
                bare.median, bare.min, bare.max, program.median, program.min, program.max, unit,
                program.median / bare.median);
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = std::max(1, QCoreApplication::arguments().value(1, QStringLiteral("7")).toInt());
    const QString build = QStringLiteral(BRINDLEWAVE_BUILD_DIR);
    const QString programPath = build + QStringLiteral("/brindlewave");
    const QString barePath = build + QStringLiteral("/bench/bare_window");

    QTemporaryDir home;
    for (const char *sub : {"config", "cache", "data", "runtime"})
        QDir(home.path()).mkpath(QLatin1String(sub));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("BRINDLEWAVE_REPORT_SHOWN"), QStringLiteral("1"));

    std::printf("platform %s, %d runs of each after one warm-up, memory %d ms after shown\n",
                qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"))), runs, IdleMs);
    launch(barePath, environment);
    launch(programPath, environment);
    std::vector<Sample> bare, program;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(launch(barePath, environment));
        program.push_back(launch(programPath, environment));
        std::printf("run %d: bare %.1f ms %.1f MB, brindlewave %.1f ms %.1f MB\n", i + 1, bare.back().shownMs,
                    bare.back().rssMb, program.back().shownMs, program.back().rssMb);
    }
    const auto failed = [](const Sample &s) { return s.shownMs < 0 || s.rssMb < 0; };
    if (std::any_of(bare.begin(), bare.end(), failed) || std::any_of(program.begin(), program.end(), failed))
        return 1;
    printRow("start-up to shown", figuresOf(bare, &Sample::shownMs), figuresOf(program, &Sample::shownMs), "ms");
    printRow("idle RSS", figuresOf(bare, &Sample::rssMb), figuresOf(program, &Sample::rssMb), "MB");
    printRow("  of it anonymous", figuresOf(bare, &Sample::anonMb), figuresOf(program, &Sample::anonMb), "MB");
    return 0;
}
