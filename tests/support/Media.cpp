#include "support/Media.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

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
         QStringLiteral("stream=codec_name,sample_rate,channels,bit_rate,profile:stream_tags=title,artist:"
                        "format=duration,format_name:format_tags=title,artist"),
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
    info.profile = stream.value(QStringLiteral("profile")).toString();
    const QJsonObject format = root.value(QStringLiteral("format")).toObject();
    info.container = format.value(QStringLiteral("format_name")).toString();
    // Vorbis comments belong to the stream, the other formats' tags to the file.
    for (const QJsonObject &tags : {format.value(QStringLiteral("tags")).toObject(),
                                    stream.value(QStringLiteral("tags")).toObject()}) {
        for (auto it = tags.begin(); it != tags.end(); ++it) {
            if (it.key().compare(QStringLiteral("title"), Qt::CaseInsensitive) == 0 && info.title.isEmpty())
                info.title = it.value().toString();
            if (it.key().compare(QStringLiteral("artist"), Qt::CaseInsensitive) == 0 && info.artist.isEmpty())
                info.artist = it.value().toString();
        }
    }
    bool ok = false;
    info.duration = format.value(QStringLiteral("duration")).toString().toDouble(&ok);
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

namespace media {

Loudness measureLoudness(const QString &path)
{
    Loudness result;
    const ToolRun run = runTool(QStringLiteral("ffmpeg"),
                                {QStringLiteral("-nostdin"), QStringLiteral("-nostats"), QStringLiteral("-hide_banner"),
                                 QStringLiteral("-i"), asFileUrl(path), QStringLiteral("-af"),
                                 QStringLiteral("ebur128=peak=true"), QStringLiteral("-f"), QStringLiteral("null"),
                                 QStringLiteral("-")},
                                true);
    const QString text = QString::fromUtf8(run.output);
    // The summary comes last: "I:   -14.1 LUFS" and, under "True peak:", "Peak:  -1.6 dBFS".
    const qsizetype summary = text.lastIndexOf(QStringLiteral("Summary:"));
    const QString tail = summary < 0 ? QString() : text.mid(summary);
    const QRegularExpressionMatch integrated =
        QRegularExpression(QStringLiteral("I:\\s+(-?[0-9.]+|-inf) LUFS")).match(tail);
    const qsizetype truePart = tail.indexOf(QStringLiteral("True peak:"));
    const QRegularExpressionMatch peak = QRegularExpression(QStringLiteral("Peak:\\s+(-?[0-9.]+|-inf) dBFS"))
                                             .match(truePart < 0 ? QString() : tail.mid(truePart));
    if (!run.ok || !integrated.hasMatch() || !peak.hasMatch()) {
        result.error = text.right(2000);
        return result;
    }
    result.integratedLufs = integrated.captured(1).toDouble();
    result.truePeakDbtp = peak.captured(1) == u"-inf" ? -200.0 : peak.captured(1).toDouble();
    result.valid = integrated.captured(1) != u"-inf";
    return result;
}

Pcm16 readPcm16(const QString &path)
{
    Pcm16 pcm;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return pcm;
    const QByteArray bytes = file.readAll();
    auto le32 = [&bytes](qsizetype at) {
        return quint32(quint8(bytes[at])) | quint32(quint8(bytes[at + 1])) << 8 | quint32(quint8(bytes[at + 2])) << 16
               | quint32(quint8(bytes[at + 3])) << 24;
    };
    auto le16 = [&bytes](qsizetype at) { return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8); };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return pcm;
    int bits = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = le32(at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            pcm.channels = le16(body + 2);
            pcm.sampleRate = int(le32(body + 4));
            bits = le16(body + 14);
        } else if (id == "data" && bits == 16) {
            const qsizetype count = std::min<qsizetype>(size, bytes.size() - body) / 2;
            pcm.samples.resize(count);
            for (qsizetype i = 0; i < count; ++i)
                pcm.samples[i] = qint16(le16(body + 2 * i));
            return pcm;
        }
        at = body + size + (size & 1);
    }
    return pcm;
}

double Pcm16::rms(double fromSeconds, double toSeconds) const
{
    if (channels <= 0 || sampleRate <= 0)
        return 0.0;
    const qsizetype first = qsizetype(fromSeconds * sampleRate) * channels;
    const qsizetype last = std::min<qsizetype>(qsizetype(toSeconds * sampleRate) * channels, samples.size());
    double sum = 0.0;
    for (qsizetype i = std::max<qsizetype>(first, 0); i < last; ++i)
        sum += double(samples[i]) * samples[i];
    const qsizetype n = last - std::max<qsizetype>(first, 0);
    return n > 0 ? std::sqrt(sum / n) / 32768.0 : 0.0;
}

}  // namespace media
