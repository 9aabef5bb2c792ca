#include "pipeline/CommandLines.h"

#include "playback/Timeline.h"

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

QStringList cutOptionsFor(const QString &format)
{
    if (format == u"MP3")
        return {QStringLiteral("-y"), QStringLiteral("-ab"), QStringLiteral("320k"),
                QStringLiteral("-ar"), QStringLiteral("48000"), QStringLiteral("-ac"),
                QStringLiteral("2")};
    if (format == u"WMA")
        return {QStringLiteral("-y"), QStringLiteral("-acodec"), QStringLiteral("wmav1")};
    if (format == u"WAV")
        return {QStringLiteral("-y")};
    if (format == u"AMR")
        return {QStringLiteral("-y"), QStringLiteral("-ar"), QStringLiteral("8000"),
                QStringLiteral("-ab"), QStringLiteral("7.4k"), QStringLiteral("-ac"),
                QStringLiteral("1")};
    return {};
}

}  // namespace

QString cutFormatOf(const QString &destination)
{
    const QStringView name = withoutSurroundingBlanks(destination);
    if (name.size() < 3)
        return {};
    const QString ending = name.right(3).toString().toUpper();
    for (const char *known : {"MP3", "WMA", "WAV", "AMR"}) {
        if (ending == QLatin1String(known))
            return ending;
    }
    return {};
}

Command DecodeCommand(const Paths &paths, const QString &sourcePath)
{
    return Command{paths.coder(),
                   {QStringLiteral("-i"), sourcePath, QStringLiteral("-y"),
                    QStringLiteral("-vn"), paths.workWav()}};
}

Command CutCommand(const Paths &paths, const Selection &selection,
                   const QString &destination)
{
    const QString format = cutFormatOf(destination);
    if (format.isEmpty())
        return {};
    QStringList arguments{QStringLiteral("-i"), paths.workWav(), QStringLiteral("-ss"),
                          timeline::secondsText(selection.startMs), QStringLiteral("-t"),
                          timeline::secondsText(selection.lengthMs())};
    arguments += cutOptionsFor(format);
    arguments += destination;
    return Command{paths.coder(), arguments};
}
