// Figures of the playback device on SDL's dummy driver:
//  - how long after "play sound" the first samples reach the driver (target < 30 ms);
//  - how far "status sound position" is from the samples the driver has taken,
//    in ms and in audio buffers (target < one buffer).
// Needs ffmpeg on PATH (or BRINDLEWAVE_FFMPEG) to make the test sound.

#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandDevice.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <vector>

using string_device::SdlHandoffClock;

namespace {

constexpr int Rate = 44100;

struct Summary {
    double min = 0, median = 0, mean = 0, max = 0;
};

Summary summarise(std::vector<double> values)
{
    Summary s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    s.min = values.front();
    s.max = values.back();
    s.median = values[values.size() / 2];
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    return s;
}

void print(const char *what, const Summary &s, const char *unit)
{
    std::printf("  %-44s min %7.2f  median %7.2f  mean %7.2f  max %7.2f %s\n", what, s.min,
                s.median, s.mean, s.max, unit);
}

bool makeSound(const QString &path, int seconds)
{
    QString ffmpeg = qEnvironmentVariable("BRINDLEWAVE_FFMPEG");
    if (ffmpeg.isEmpty())
        ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    QProcess p;
    p.start(ffmpeg, {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                     QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                         .arg(Rate)
                         .arg(seconds),
                     "-ac", "2", "-c:a", "pcm_s16le", path});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit
           && p.exitCode() == 0;
}

double msSince(std::int64_t fromNanoseconds, std::int64_t toNanoseconds)
{
    return (toNanoseconds - fromNanoseconds) / 1e6;
}

void startLatency(StringCommandDevice &device)
{
    std::vector<double> untilHandoff;
    std::vector<double> sendTime;
    auto *random = QRandomGenerator::global();
    for (int round = 0; round < 40; ++round) {
        device.send(QStringLiteral("stop sound"));
        // Start at a random moment of the driver's cycle.
        QThread::usleep(random->bounded(5000, 60000));
        const std::int64_t before = SdlHandoffClock::steadyNanoseconds();
        device.send(QStringLiteral("play sound from 1000"));
        sendTime.push_back(msSince(before, SdlHandoffClock::steadyNanoseconds()));
        std::int64_t first = 0;
        while ((first = device.driverStats().firstHandoffNanoseconds) == 0)
            QThread::usleep(200);
        untilHandoff.push_back(msSince(before, first));
    }
    std::printf("From \"play sound\" to the first samples handed to the driver (%zu runs):\n",
                untilHandoff.size());
    print("first hand-off", summarise(untilHandoff), "ms  (target < 30 ms)");
    print("the send() call itself", summarise(sendTime), "ms");
}

void positionError(StringCommandDevice &device)
{
    device.send(QStringLiteral("play sound from 0"));
    const string_device::SdlOutputStats stats = device.driverStats();
    const double bufferMs = 1000.0 * stats.bufferFrames / stats.sampleRate;
    std::vector<double> behindHanded;
    std::vector<double> againstWall;
    auto *random = QRandomGenerator::global();
    QThread::msleep(100);
    const std::int64_t started = SdlHandoffClock::steadyNanoseconds();
    const qint64 startedAt = device.send(QStringLiteral("status sound position")).toLongLong();
    while (msSince(started, SdlHandoffClock::steadyNanoseconds()) < 5000) {
        QThread::usleep(random->bounded(1000, 9000));
        const std::int64_t handedBefore = device.driverStats().framesHanded;
        const qint64 reported = device.send(QStringLiteral("status sound position")).toLongLong();
        const std::int64_t now = SdlHandoffClock::steadyNanoseconds();
        const std::int64_t handedAfter = device.driverStats().framesHanded;
        if (handedBefore != handedAfter)
            continue;  // a callback ran in between; the pair does not belong together
        behindHanded.push_back(handedAfter * 1000.0 / stats.sampleRate - reported);
        againstWall.push_back(reported - startedAt - msSince(started, now));
    }
    const Summary ms = summarise(behindHanded);
    std::printf("Reported position against the samples the driver has taken "
                "(%zu readings, buffer %d frames = %.2f ms):\n",
                behindHanded.size(), stats.bufferFrames, bufferMs);
    print("handed minus reported", ms, "ms");
    print("handed minus reported", {ms.min / bufferMs, ms.median / bufferMs, ms.mean / bufferMs,
                                    ms.max / bufferMs},
          "buffers  (target < 1)");
    std::printf("  (replies are whole milliseconds rounded down, which adds up to 1 ms above)\n");
    print("reported minus wall clock since start", summarise(againstWall), "ms");
    device.send(QStringLiteral("stop sound"));
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("SDL_AUDIODRIVER", "dummy");
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("bench.wav"));
    if (!dir.isValid() || !makeSound(wav, 30)) {
        std::fprintf(stderr, "cannot make the test sound with ffmpeg\n");
        return 1;
    }
    StringCommandDevice device;
    bool ok = false;
    const std::int64_t before = SdlHandoffClock::steadyNanoseconds();
    device.send("open " + wav + " alias sound", &ok);
    if (!ok) {
        std::fprintf(stderr, "the device did not open %s\n", qPrintable(wav));
        return 1;
    }
    std::printf("Driver %s, 44.1 kHz stereo 16-bit WAV; first open (starts SDL audio) %.2f ms\n\n",
                qPrintable(device.driverStats().driver),
                msSince(before, SdlHandoffClock::steadyNanoseconds()));
    startLatency(device);
    std::printf("\n");
    positionError(device);
    device.send(QStringLiteral("close sound"));
    return 0;
}
