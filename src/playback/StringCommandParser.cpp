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

// The exact command words of one alias.
std::optional<StringCommand::Kind> fixedKind(const QString &text, const QString &alias)
{
    using Kind = StringCommand::Kind;
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
    for (const auto &[word, kind] : fixed) {
        if (text == word)
            return kind;
    }
    return std::nullopt;
}

// "off", or the four numbers of a fade; fills command, false when malformed.
bool parseFade(QStringView rest, StringCommand &command)
{
    if (rest == u"off") {
        command.kind = StringCommand::Kind::FadeOff;
        return true;
    }
    const auto values = rest.split(u' ');
    if (values.size() != 4)
        return false;
    std::int64_t ms[4] = {};
    for (qsizetype i = 0; i < 4; ++i) {
        const auto value = parseMilliseconds(values[i]);
        if (!value)
            return false;
        ms[i] = *value;
    }
    command.kind = StringCommand::Kind::Fade;
    command.fade = {ms[0], ms[1], ms[2], ms[3]};
    return true;
}

// "off", or the two numbers of a loop; fills command, false when malformed.
bool parseLoop(QStringView rest, StringCommand &command)
{
    if (rest == u"off") {
        command.kind = StringCommand::Kind::LoopOff;
        return true;
    }
    const auto values = rest.split(u' ');
    if (values.size() != 2)
        return false;
    const auto start = parseMilliseconds(values[0]);
    const auto end = parseMilliseconds(values[1]);
    if (!start || !end)
        return false;
    command.kind = StringCommand::Kind::Loop;
    command.loop = {*start, *end};
    return true;
}

// Reads text as a command on one alias. False when it is not meant for that
// alias; else true, with `result` the command or nothing for a malformed one.
bool parseForAlias(const QString &text, const QString &alias, std::optional<StringCommand> &result)
{
    using Kind = StringCommand::Kind;
    StringCommand command;
    command.alias = alias;
    result.reset();
    if (const auto kind = fixedKind(text, alias)) {
        command.kind = *kind;
        result = command;
        return true;
    }
    const QString playFromPrefix = QStringLiteral("play ") + alias + QStringLiteral(" from ");
    if (text.startsWith(playFromPrefix)) {
        if (const auto ms = parseMilliseconds(QStringView(text).mid(playFromPrefix.size()))) {
            command.kind = Kind::PlayFrom;
            command.milliseconds = *ms;
            result = command;
        }
        return true;
    }
    const QString fadePrefix = QStringLiteral("setaudio ") + alias + QStringLiteral(" fade ");
    if (text.startsWith(fadePrefix)) {
        if (parseFade(QStringView(text).mid(fadePrefix.size()), command))
            result = command;
        return true;
    }
    const QString loopPrefix = QStringLiteral("setaudio ") + alias + QStringLiteral(" loop ");
    if (text.startsWith(loopPrefix)) {
        if (parseLoop(QStringView(text).mid(loopPrefix.size()), command))
            result = command;
        return true;
    }
    static constexpr QStringView OpenPrefix = u"open ";
    const QString aliasSuffix = QStringLiteral(" alias ") + alias;
    // endsWith makes the suffix the last " alias ALIAS" of the text. Prefix
    // and suffix must not share the blank between them: "open alias sound"
    // names no file.
    if (text.startsWith(OpenPrefix) && text.endsWith(aliasSuffix)
        && text.size() >= OpenPrefix.size() + aliasSuffix.size()) {
        command.kind = Kind::Open;
        command.path = text.mid(OpenPrefix.size(), text.size() - OpenPrefix.size() - aliasSuffix.size());
        if (!command.path.isEmpty())
            result = command;
        return true;
    }
    return false;
}

}  // namespace

std::optional<StringCommand> parseStringCommand(const QString &text)
{
    std::optional<StringCommand> command;
    for (const char *aliasName : {SoundAlias, ChimeAlias}) {
        if (parseForAlias(text, QLatin1String(aliasName), command))
            return command;
    }
    return std::nullopt;
}

}  // namespace string_device
