#include "pipeline/TranscoderOutput.h"

#include <QFileInfo>
#include <QRegularExpression>

QString lastErrorLine(const QString &output)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]+"));
    const QStringList lines = output.split(lineBreak, Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        if (line.isEmpty())
            continue;
        // progress lines ("size= ... time=12.3 bitrate=...") say nothing about a failure
        if (line.startsWith(QLatin1String("size=")) || line.startsWith(QLatin1String("frame="))
            || line.contains(QLatin1String(" time=")))
            continue;
        // ffmpeg's closing summary is not the reason either
        if (line.startsWith(QLatin1String("video:")) || line.startsWith(QLatin1String("Exiting normally")))
            continue;
        return line;
    }
    return QString();
}

bool holdsMedia(const QString &path, qint64 minimumBytes)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() >= minimumBytes;
}
