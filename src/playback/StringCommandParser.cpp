#include "playback/StringCommandParser.h"

#include <QList>

#include <algorithm>
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

// -?DIGITS(.DIGITS)?
std::optional<double> parseDecimal(QStringView text)
{
    QStringView digits = text.startsWith(u'-') ? text.mid(1) : text;
    const qsizetype point = digits.indexOf(u'.');
    for (const QStringView part : {digits.left(point), point < 0 ? QStringView(u"0") : digits.mid(point + 1)}) {
        if (part.isEmpty() || !std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return std::nullopt;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);  // always the C locale's point
    return ok ? std::optional<double>(value) : std::nullopt;
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

// Exactly N millisecond values separated by single blanks.
template <std::size_t N>
std::optional<std::array<std::int64_t, N>> parseMillisecondValues(QStringView rest)
{
    const auto values = rest.split(u' ');
    if (values.size() != qsizetype(N))
        return std::nullopt;
    std::array<std::int64_t, N> ms{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto value = parseMilliseconds(values[qsizetype(i)]);
        if (!value)
            return std::nullopt;
        ms[i] = *value;
    }
    return ms;
}

// "off", or the four numbers of a fade; fills command, false when malformed.
bool parseFade(QStringView rest, StringCommand &command)
{
    if (rest == u"off") {
        command.kind = StringCommand::Kind::FadeOff;
        return true;
    }
    const auto ms = parseMillisecondValues<4>(rest);
    if (!ms)
        return false;
    command.kind = StringCommand::Kind::Fade;
    command.fade = {(*ms)[0], (*ms)[1], (*ms)[2], (*ms)[3]};
    return true;
}

// "off", or the two numbers of a loop; fills command, false when malformed.
bool parseLoop(QStringView rest, StringCommand &command)
{
    if (rest == u"off") {
        command.kind = StringCommand::Kind::LoopOff;
        return true;
    }
    const auto ms = parseMillisecondValues<2>(rest);
    if (!ms)
        return false;
    command.kind = StringCommand::Kind::Loop;
    command.loop = {(*ms)[0], (*ms)[1]};
    return true;
}

// "off", or a gain with its optional limiter and ramp; fills command, false
// when malformed.
bool parseGain(QStringView rest, StringCommand &command)
{
    if (rest == u"off") {
        command.kind = StringCommand::Kind::GainOff;
        return true;
    }
    const auto words = rest.split(u' ');
    GainSetting gain;
    const std::optional<double> db = parseDecimal(words.value(0));
    if (!db)
        return false;
    gain.gainDb = *db;
    qsizetype next = 1;
    if (words.value(next) == u"limit") {
        gain.limitDbfs = parseDecimal(words.value(next + 1));
        if (!gain.limitDbfs)
            return false;
        next += 2;
    }
    if (words.value(next) == u"ramp") {
        const auto start = parseMilliseconds(words.value(next + 1));
        const auto length = parseMilliseconds(words.value(next + 2));
        if (!start || !length)
            return false;
        gain.rampStartMs = *start;
        gain.rampMs = *length;
        next += 3;
    }
    if (next != words.size())
        return false;
    command.kind = StringCommand::Kind::Gain;
    command.gain = gain;
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
    const QString gainPrefix = QStringLiteral("setaudio ") + alias + QStringLiteral(" gain ");
    if (text.startsWith(gainPrefix)) {
        if (parseGain(QStringView(text).mid(gainPrefix.size()), command))
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
