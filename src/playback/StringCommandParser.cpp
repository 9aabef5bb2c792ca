#include "playback/StringCommandParser.h"

#include <array>
#include <utility>

namespace string_device {

namespace {

std::optional<std::int64_t> parseMilliseconds(QStringView text)
{
    QStringView digits = text;
    if (digits.startsWith(u'-'))
        digits = digits.mid(1);
    if (digits.isEmpty())
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok)
        return std::nullopt;  // does not fit: certainly no position in any file
    return value;
}

}  // namespace

std::optional<StringCommand> parseStringCommand(const QString &text)
{
    using Kind = StringCommand::Kind;
    static const std::array<std::pair<QStringView, Kind>, 7> fixed{{
        {u"play sound", Kind::Play},
        {u"pause sound", Kind::Pause},
        {u"resume sound", Kind::Resume},
        {u"stop sound", Kind::Stop},
        {u"close sound", Kind::Close},
        {u"status sound length", Kind::StatusLength},
        {u"status sound position", Kind::StatusPosition},
    }};
    for (const auto &[word, kind] : fixed) {
        if (text == word) {
            StringCommand command;
            command.kind = kind;
            return command;
        }
    }

    static constexpr QStringView PlayFromPrefix = u"play sound from ";
    if (text.startsWith(PlayFromPrefix)) {
        const auto ms = parseMilliseconds(QStringView(text).mid(PlayFromPrefix.size()));
        if (!ms)
            return std::nullopt;
        StringCommand command;
        command.kind = Kind::PlayFrom;
        command.milliseconds = *ms;
        return command;
    }

    static constexpr QStringView OpenPrefix = u"open ";
    static constexpr QStringView AliasSuffix = u" alias sound";
    // endsWith makes the suffix the last " alias sound" of the text. Prefix and
    // suffix must not share the blank between them: "open alias sound" names no file.
    if (text.startsWith(OpenPrefix) && text.endsWith(AliasSuffix)
        && text.size() >= OpenPrefix.size() + AliasSuffix.size()) {
        StringCommand command;
        command.kind = Kind::Open;
        command.path = text.mid(OpenPrefix.size(),
                                text.size() - OpenPrefix.size() - AliasSuffix.size());
        if (command.path.isEmpty())
            return std::nullopt;
        return command;
    }
    return std::nullopt;
}

}  // namespace string_device
