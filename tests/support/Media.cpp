#include "support/Media.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cerrno>
#include <csignal>

namespace media {

namespace {

constexpr int ToolTimeoutMs = 120000;

struct ToolRun {
    bool ok = false;
    QByteArray output;
};

ToolRun runTool(const QString &program, const QStringList &arguments, bool mergeErrors)
{
    QProcess process;
    process.setProcessChannelMode(mergeErrors ? QProcess::MergedChannels
                                              : QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForStarted()) {
        run.output = (program + QStringLiteral(" could not be started")).toUtf8();
        return run;
    }
    if (!process.waitForFinished(ToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.output = (program + QStringLiteral(" did not finish")).toUtf8();
        return run;
    }
    run.output = process.readAllStandardOutput();
    if (!mergeErrors && process.exitCode() != 0)
        run.output += process.readAllStandardError();
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return run;
}

QString stereoTone(double seconds, int sampleRate)
{
    return QStringLiteral("aevalsrc=sin(440*2*PI*t)|sin(660*2*PI*t):s=%1:d=%2")
        .arg(sampleRate)
        .arg(seconds);
}

}  // namespace

QString adapterPath() { return QStringLiteral(BRINDLEWAVE_BUILD_DIR "/data/coder"); }

QString asFileUrl(const QString &path) { return QStringLiteral("file:") + path; }

bool toolsAvailable(QString *why)
{
    for (const QString &tool : {QStringLiteral("ffmpeg"), QStringLiteral("ffprobe")}) {
        if (!runTool(tool, {QStringLiteral("-version")}, true).ok) {
            if (why)
                *why = tool + QStringLiteral(" cannot be run; install the ffmpeg package");
            return false;
        }
    }
    return true;
}

bool runFfmpeg(const QStringList &arguments, QString *log)
{
    const ToolRun run = runTool(
        QStringLiteral("ffmpeg"),
        QStringList{QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                    QStringLiteral("-y")}
            + arguments,
        true);
    if (log)
        *log = QString::fromUtf8(run.output);
    return run.ok;
}

bool makeStereoMp3(const QString &path, double seconds, int sampleRate, const QString &bitRate)
{
    return runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      stereoTone(seconds, sampleRate), QStringLiteral("-c:a"),
                      QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), bitRate,
                      asFileUrl(path)});
}

bool makeVideoWithSound(const QString &path, double seconds)
{
    return runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc=size=160x120:rate=10:duration=%1").arg(seconds),
                      QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      stereoTone(seconds, 44100), QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                      QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-shortest"),
                      asFileUrl(path)});
}

bool makeWav(const QString &path, double seconds, int sampleRate)
{
    return makePcmWav(path, seconds, sampleRate, 2, QStringLiteral("pcm_s16le"));
}

bool makePcmWav(const QString &path, double seconds, int sampleRate, int channels,
                const QString &codec, const QStringList &extra)
{
    return runFfmpeg(QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"),
                                 QStringLiteral("-i"), stereoTone(seconds, sampleRate),
                                 QStringLiteral("-ac"), QString::number(channels),
                                 QStringLiteral("-c:a"), codec}
                     + extra + QStringList{asFileUrl(path)});
}

bool processIsGone(qint64 pid)
{
    if (::kill(static_cast<pid_t>(pid), 0) != 0)
        return errno == ESRCH;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.mid(close + 2, 1) == "Z";
}

bool writeTruncatedCopy(const QString &source, const QString &destination, qint64 bytes)
{
    QFile in(source);
    QFile out(destination);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray head = in.read(bytes);
    return head.size() == bytes && out.write(head) == bytes && out.flush();
}

AudioInfo probe(const QString &path)
{
    AudioInfo info;
    const ToolRun run = runTool(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
         QStringLiteral("a:0"), QStringLiteral("-show_entries"),
         QStringLiteral("stream=codec_name,sample_rate,channels,bit_rate:format=duration"),
         QStringLiteral("-of"), QStringLiteral("json"), asFileUrl(path)},
        false);
    if (!run.ok) {
        info.error = QString::fromUtf8(run.output);
        return info;
    }
    const QJsonObject root = QJsonDocument::fromJson(run.output).object();
    const QJsonArray streams = root.value(QStringLiteral("streams")).toArray();
    if (streams.isEmpty()) {
        info.error = QStringLiteral("no audio stream in ") + path;
        return info;
    }
    const QJsonObject stream = streams.first().toObject();
    // ffprobe writes its numbers as JSON strings, except channels.
    info.codec = stream.value(QStringLiteral("codec_name")).toString();
    info.sampleRate = stream.value(QStringLiteral("sample_rate")).toString().toInt();
    info.channels = stream.value(QStringLiteral("channels")).toInt();
    info.bitRate = stream.value(QStringLiteral("bit_rate")).toString().toLongLong();
    bool ok = false;
    info.duration = root.value(QStringLiteral("format")).toObject()
                        .value(QStringLiteral("duration")).toString().toDouble(&ok);
    if (!ok)
        info.duration = -1;
    info.valid = true;
    return info;
}

bool writeScript(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const bool written = file.write("#!/bin/sh\n" + body + "\n") > 0;
    file.close();
    return written && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace media
