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

namespace {

// The format's options and the place it is written to close every cut.
void appendDestination(QStringList &arguments, const CutFormat &format, const QString &destination,
                       const QString &writeTo)
{
    arguments += format.options;
    if (writeTo.isEmpty()) {
        arguments += destination;
    } else {
        if (!format.options.contains(QStringLiteral("-f")))
            arguments << QStringLiteral("-f") << format.muxer;
        arguments += writeTo;
    }
}

// "-ss SEEK" before the input, none from the file's start: even a seek to 0
// changes how ffmpeg converts the decoded samples.
QStringList seekTo(std::int64_t seekMs)
{
    if (seekMs <= 0)
        return {};
    return {QStringLiteral("-ss"), timeline::secondsText(seekMs)};
}

}  // namespace

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
    appendDestination(arguments, *format, destination, writeTo);
    return Command{paths.coder(), arguments};
}

std::int64_t seekPointMs(const Selection &selection)
{
    constexpr std::int64_t LeadMs = 2000;
    return std::max<std::int64_t>(0, (selection.startMs - LeadMs) / 1000 * 1000);
}

Command SeekingCutCommand(const Paths &paths, const QString &sourcePath, const Selection &selection,
                          const CutShaping &fades, const QString &destination, const QString &writeTo)
{
    const CutFormat *format = cutFormatWithId(cutFormatOf(destination));
    if (!format)
        return {};
    const std::int64_t seekMs = seekPointMs(selection);
    const Selection inStretch{selection.startMs - seekMs, selection.endMs - seekMs};
    // The working WAV holds 16-bit samples: the stretch is brought to them
    // first. The format's rate is reached by a resampler of its own, as the
    // working WAV's cut reaches it, and not merged into that first conversion.
    QStringList filters{QStringLiteral("aformat=sample_fmts=s16")};
    if (const QString shaped = shapingFilter(inStretch, CutShaping{fades.fadeInMs, fades.fadeOutMs, false});
        !shaped.isEmpty())
        filters << shaped;
    if (format->sampleRate > 0)
        filters << QStringLiteral("aresample=%1").arg(format->sampleRate);

    QStringList arguments = seekTo(seekMs);
    arguments << QStringLiteral("-i") << sourcePath << QStringLiteral("-vn") << QStringLiteral("-sn")
              << QStringLiteral("-dn") << QStringLiteral("-ss") << timeline::secondsText(inStretch.startMs)
              << QStringLiteral("-t") << timeline::secondsText(inStretch.lengthMs()) << QStringLiteral("-af")
              << filters.join(u',');
    appendDestination(arguments, *format, destination, writeTo);
    return Command{paths.coder(), arguments};
}

Command StretchDecodeCommand(const Paths &paths, const QString &sourcePath, const Selection &selection)
{
    const std::int64_t seekMs = seekPointMs(selection);
    QStringList arguments = seekTo(seekMs);
    arguments << QStringLiteral("-i") << sourcePath << QStringLiteral("-t")
              << timeline::secondsText(selection.endMs + 1000 - seekMs) << QStringLiteral("-y")
              << QStringLiteral("-vn") << paths.workWav();
    return Command{paths.coder(), arguments};
}
