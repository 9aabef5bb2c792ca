#include "pipeline/CommandLines.h"

#include "model/CutShaping.h"
#include "model/CutFormats.h"
#include "playback/Timeline.h"

#include <algorithm>

namespace {

// Blanks around a typed name are padding; any other white space belongs to it.
QStringView withoutSurroundingBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ')
        ++start;
    while (end > start && text[end - 1] == u' ')
        --end;
    return text.mid(start, end - start);
}

}  // namespace

QString cutFormatOf(const QString &destination)
{
    const QStringView name = withoutSurroundingBlanks(destination);
    if (name.size() < 3)
        return {};
    const QString ending = name.right(3).toString().toUpper();
    return cutFormatWithId(ending) ? ending : QString();
}

Command DecodeCommand(const Paths &paths, const QString &sourcePath)
{
    return Command{paths.coder(),
                   {QStringLiteral("-i"), sourcePath, QStringLiteral("-y"),
                    QStringLiteral("-vn"), paths.workWav()}};
}

QString shapingFilter(const Selection &selection, const CutShaping &shaping, const QString &loudness)
{
    // The filters see the working WAV's own time stamps, so the fades are
    // placed at the selection's place in the file.
    QStringList filters;
    const std::int64_t length = std::max<std::int64_t>(selection.lengthMs(), 0);
    const std::int64_t fadeIn = std::clamp<std::int64_t>(shaping.fadeInMs, 0, length);
    const std::int64_t fadeOut = std::clamp<std::int64_t>(shaping.fadeOutMs, 0, length);
    if (fadeIn > 0)
        filters << QStringLiteral("afade=t=in:st=%1:d=%2")
                       .arg(timeline::secondsText(selection.startMs), timeline::secondsText(fadeIn));
    if (fadeOut > 0)
        filters << QStringLiteral("afade=t=out:st=%1:d=%2")
                       .arg(timeline::secondsText(selection.endMs - fadeOut), timeline::secondsText(fadeOut));
    if (!loudness.isEmpty())
        filters << loudness;
    return filters.join(u',');
}

Command CutCommand(const Paths &paths, const Selection &selection,
                   const QString &destination, const QString &audioFilter,
                   const QString &writeTo)
{
    const CutFormat *format = cutFormatWithId(cutFormatOf(destination));
    if (!format)
        return {};
    QStringList arguments{QStringLiteral("-i"), paths.workWav(), QStringLiteral("-ss"),
                          timeline::secondsText(selection.startMs), QStringLiteral("-t"),
                          timeline::secondsText(selection.lengthMs())};
    if (!audioFilter.isEmpty())
        arguments << QStringLiteral("-af") << audioFilter;
    arguments += format->options;
    if (writeTo.isEmpty()) {
        arguments += destination;
    } else {
        if (!format->options.contains(QStringLiteral("-f")))
            arguments << QStringLiteral("-f") << format->muxer;
        arguments += writeTo;
    }
    return Command{paths.coder(), arguments};
}
