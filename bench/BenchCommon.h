#pragma once

// Small pieces the benchmarks share: medians, a generated 10-minute MP3 and a
// direct ffmpeg run to compare the program's own path against.

#include <QEventLoop>
#include <functional>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace bench {

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// ffmpeg with the given arguments, its console output read as it comes (as the
// program's runner reads it).
// Turns the event loop until `done` holds: the program's jobs report their
// end by signals.
inline void waitUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    while (!done())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
}

inline bool runFfmpegDirectly(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-nostdin")} + arguments);
    while (ffmpeg.state() != QProcess::NotRunning) {
        ffmpeg.waitForReadyRead(-1);
        ffmpeg.readAll();
    }
    return ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

inline bool makeTenMinuteMp3(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                  QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                  QStringLiteral("-i"),
                  QStringLiteral("aevalsrc=sin(440*2*PI*t)|sin(660*2*PI*t):s=44100:d=600"),
                  QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
                  QStringLiteral("192k"), path});
    return ffmpeg.waitForFinished(-1) && ffmpeg.exitCode() == 0;
}

// A stereo 44.1 kHz MP3 of a tone over pink noise: something for the coders
// to work at.
inline bool makeMp3(const QString &path, int seconds)
{
    return runFfmpegDirectly({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                              QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=f=440:d=%1").arg(seconds),
                              QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                              QStringLiteral("anoisesrc=d=%1:a=0.1:c=pink").arg(seconds),
                              QStringLiteral("-filter_complex"),
                              QStringLiteral("[0][1]amix,aformat=channel_layouts=stereo"), QStringLiteral("-ar"),
                              QStringLiteral("44100"), QStringLiteral("-b:a"), QStringLiteral("192k"), path});
}

}  // namespace bench
