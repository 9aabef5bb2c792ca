#include "playback/StringCommandParser.h"

#include <QList>

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
    for (const char *aliasName : {SoundAlias, ChimeAlias}) {
        const QString alias = QLatin1String(aliasName);
        const std::array<std::pair<QString, Kind>, 8> fixed{{
            {QStringLiteral("play ") + alias, Kind::Play},
            {QStringLiteral("pause ") + alias, Kind::Pause},
            {QStringLiteral("resume ") + alias, Kind::Resume},
            {QStringLiteral("stop ") + alias, Kind::Stop},
            {QStringLiteral("close ") + alias, Kind::Close},
            {QStringLiteral("status ") + alias + QStringLiteral(" length"), Kind::StatusLength},
            {QStringLiteral("status ") + alias + QStringLiteral(" position"), Kind::StatusPosition},
            {QStringLiteral("status ") + alias + QStringLiteral(" mode"), Kind::StatusMode},
        }};
        StringCommand command;
        command.alias = alias;
        for (const auto &[word, kind] : fixed) {
            if (text == word) {
                command.kind = kind;
                return command;
            }
        }

        const QString playFromPrefix = QStringLiteral("play ") + alias + QStringLiteral(" from ");
        if (text.startsWith(playFromPrefix)) {
            const auto ms = parseMilliseconds(QStringView(text).mid(playFromPrefix.size()));
            if (!ms)
                return std::nullopt;
            command.kind = Kind::PlayFrom;
            command.milliseconds = *ms;
            return command;
        }

        const QString fadePrefix = QStringLiteral("setaudio ") + alias + QStringLiteral(" fade ");
        if (text.startsWith(fadePrefix)) {
            const QStringView rest = QStringView(text).mid(fadePrefix.size());
            if (rest == u"off") {
                command.kind = Kind::FadeOff;
                return command;
            }
            const auto values = rest.split(u' ');
            if (values.size() != 4)
                return std::nullopt;
            std::int64_t ms[4] = {};
            for (qsizetype i = 0; i < 4; ++i) {
                const auto value = parseMilliseconds(values[i]);
                if (!value)
                    return std::nullopt;
                ms[i] = *value;
            }
            command.kind = Kind::Fade;
            command.fade = {ms[0], ms[1], ms[2], ms[3]};
            return command;
        }

        static constexpr QStringView OpenPrefix = u"open ";
        const QString aliasSuffix = QStringLiteral(" alias ") + alias;
        // endsWith makes the suffix the last " alias ALIAS" of the text. Prefix
        // and suffix must not share the blank between them: "open alias sound"
        // names no file.
        if (text.startsWith(OpenPrefix) && text.endsWith(aliasSuffix)
            && text.size() >= OpenPrefix.size() + aliasSuffix.size()) {
            command.kind = Kind::Open;
            command.path = text.mid(OpenPrefix.size(),
                                    text.size() - OpenPrefix.size() - aliasSuffix.size());
            if (command.path.isEmpty())
                return std::nullopt;
            return command;
        }
    }
    return std::nullopt;
}

}  // namespace string_device
