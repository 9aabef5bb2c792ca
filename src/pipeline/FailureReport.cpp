#include "pipeline/FailureReport.h"

#include <QRegularExpression>
#include <QStringList>

#include <array>
#include <utility>
#include <QCoreApplication>

namespace {

// What ffmpeg (and the adapter) write for each cause, most telling first: the
// adapter's install hint before ffmpeg's own complaint about the encoder, the
// system's reason before ffmpeg's doubts about the input.
struct Sign {
    FailureCause cause;
    const char *text;
};
constexpr std::array<Sign, 22> Signs{{
    {FailureCause::EncoderMissing, "coder: this ffmpeg has no encoder"},
    {FailureCause::EncoderMissing, "Unknown encoder"},
    {FailureCause::EncoderMissing, "Error selecting an encoder"},
    {FailureCause::EncoderMissing, "Automatic encoder selection failed"},
    {FailureCause::DiskFull, "No space left on device"},
    {FailureCause::DiskFull, "Disk quota exceeded"},
    {FailureCause::DiskFull, "File too large"},
    {FailureCause::NoPermission, "Permission denied"},
    {FailureCause::NoPermission, "Read-only file system"},
    {FailureCause::NoPermission, "Operation not permitted"},
    {FailureCause::Vanished, "No such file or directory"},
    {FailureCause::NoSound, "does not contain any stream"},
    {FailureCause::NoSound, "matches no streams"},
    {FailureCause::NotMedia, "Invalid data found when processing input"},
    {FailureCause::NotMedia, "Invalid argument"},
    {FailureCause::NotMedia, "moov atom not found"},
    {FailureCause::NotMedia, "could not find codec parameters"},
    {FailureCause::NotMedia, "Failed to read frame size"},
    {FailureCause::NotMedia, "misdetection possible"},
    {FailureCause::NotMedia, "End of file"},
    {FailureCause::Stopped, "received signal"},
    {FailureCause::Stopped, "Exiting normally, received"},
}};

QStringList linesOf(const QString &output)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]+"));
    QStringList lines = output.split(lineBreak, Qt::SkipEmptyParts);
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return lines;
}

// ffmpeg's own prefix "[mp3 @ 0x55a2...] " says nothing to a user.
QString withoutComponentPrefix(const QString &line)
{
    static const QRegularExpression prefix(QStringLiteral("^\\[[^\\]]* @ 0x[0-9a-f]+\\]\\s*"));
    QString plain = line;
    plain.remove(prefix);
    return plain;
}

// ffmpeg's description of what it reads and writes, its banner and its
// progress: none of it says why a job failed.
bool isNoise(const QString &line)
{
    static const QRegularExpression metadata(QStringLiteral("^[^:]*\\S\\s+: "));  // "encoder   : Lavc..."
    static const QStringList openings{QStringLiteral("size="),     QStringLiteral("frame="),
                                      QStringLiteral("video:"),    QStringLiteral("Input #"),
                                      QStringLiteral("Output #"),  QStringLiteral("Stream #"),
                                      QStringLiteral("Stream mapping"), QStringLiteral("Metadata:"),
                                      QStringLiteral("Duration:"), QStringLiteral("ffmpeg version"),
                                      QStringLiteral("built with"), QStringLiteral("configuration:"),
                                      QStringLiteral("lib"),       QStringLiteral("Press [q]")};
    for (const QString &opening : openings) {
        if (line.startsWith(opening))
            return true;
    }
    // The banner's version line, however the build names itself.
    if (line.contains(QLatin1String("Copyright (c)")) || line.contains(QLatin1String("the FFmpeg developers")))
        return true;
    return line.contains(QLatin1String(" time=")) || metadata.match(line).hasMatch();
}

// The last line that may say why, or an empty text.
QString lastTellingLine(const QStringList &lines)
{
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!isNoise(*line))
            return *line;
    }
    return {};
}

}  // namespace

QString failureSentence(FailureCause cause)
{
    switch (cause) {
    case FailureCause::EncoderMissing:
        return QCoreApplication::translate("FailureReport", "转换程序缺少这种格式的编码器。请安装 libavcodec-extra 软件包"
                              "（sudo apt-get install libavcodec-extra）后再试。");
    case FailureCause::DiskFull: return QCoreApplication::translate("FailureReport", "磁盘已满，文件写不下了。请腾出空间后再试。");
    case FailureCause::NoPermission: return QCoreApplication::translate("FailureReport", "没有权限读写这个位置。请换一个文件夹。");
    case FailureCause::Vanished: return QCoreApplication::translate("FailureReport", "文件不见了：它可能已被移动、改名或删除。");
    case FailureCause::NoSound: return QCoreApplication::translate("FailureReport", "这个文件里没有声音。");
    case FailureCause::NotMedia: return QCoreApplication::translate("FailureReport", "这不是可以识别的音乐或视频文件，或者文件已经损坏。");
    case FailureCause::Stopped: return QCoreApplication::translate("FailureReport", "转换程序被停止或被强行结束了。");
    case FailureCause::Unknown: break;
    }
    return QCoreApplication::translate("FailureReport", "转换程序出错了。");
}

FailureReport explainFailure(const QString &output, bool exitedNormally, int exitCode)
{
    const QStringList lines = linesOf(output);
    // The first sign in the table's order decides, and its last line is the
    // detail: the most telling words, as ffmpeg said them last.
    for (const Sign &sign : Signs) {
        const QLatin1String text(sign.text);
        for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
            if (line->contains(text))
                return {sign.cause, failureSentence(sign.cause), withoutComponentPrefix(*line)};
        }
    }
    const bool killed = !exitedNormally || exitCode >= 128;
    const FailureCause cause = killed ? FailureCause::Stopped : FailureCause::Unknown;
    QString detail = withoutComponentPrefix(lastTellingLine(lines));
    if (detail.isEmpty() && exitedNormally && exitCode > 128 && exitCode < 128 + 65)
        detail = QCoreApplication::translate("FailureReport", "ffmpeg 被信号 %1 结束").arg(exitCode - 128);
    return {cause, failureSentence(cause), detail};
}

QString failureText(const FailureReport &report)
{
    if (report.detail.isEmpty())
        return report.sentence;
    return report.sentence + QCoreApplication::translate("FailureReport", "\n\n转换程序的说明：") + report.detail;
}
