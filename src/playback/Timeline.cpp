#include "playback/Timeline.h"

#include <QList>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace timeline {

std::int32_t roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; make it explicit instead of trusting that.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] { while (i < n && (text[i] == u' ' || text[i] == u'\t')) ++i; };
    skipBlanks();
    QString digits;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        digits += text[i];
        ++i;
        skipBlanks();
    }
    bool any = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) { digits += text[i++]; any = true; }
    if (i < n && text[i] == u'.') {
        digits += u'.';
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) { digits += text[i++]; any = true; }
    }
    if (!any)
        return 0.0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        QString exponent = QStringLiteral("e");
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'-' || text[j] == u'+'))
            exponent += text[j++];
        bool expDigits = false;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) { exponent += text[j++]; expDigits = true; }
        if (expDigits)
            digits += exponent;
    }
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

QString formatSeconds(std::int32_t seconds)
{
    auto field = [](long long v) {
        QString s = QString::number(v);
        return s.size() < 2 ? QStringLiteral("0") + s : s;
    };
    const long long hours = static_cast<long long>(std::floor(seconds / 3600.0));
    const long long rest = seconds % 3600;  // sign of the dividend
    // Minutes are floored like the hours, so a negative count shows "-1" there
    // rather than "00"; only the seconds keep the dividend's sign.
    const long long minutes = static_cast<long long>(std::floor(rest / 60.0));
    return field(hours) + u':' + field(minutes) + u':' + field(rest % 60);
}

std::int32_t positionToSeconds(double xTwips, double fullSeconds)
{
    return roundHalfEven(xTwips / TimelineSpan * fullSeconds);
}

std::int64_t positionToMs(double xTwips, const VisibleSpan &span)
{
    const double ms = span.startMs + xTwips / TimelineSpan * span.lengthMs();
    if (std::isnan(ms))
        return 0;
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(ms);
    std::fesetround(saved);
    constexpr double limit = 9.0e15;  // far beyond any file, well inside 64 bits
    return static_cast<std::int64_t>(std::clamp(r, -limit, limit));
}

double msToPosition(double ms, const VisibleSpan &span)
{
    if (span.lengthMs() <= 0)
        return 0.0;
    return (ms - span.startMs) / span.lengthMs() * TimelineSpan;
}

QString formatMilliseconds(std::int64_t ms, int decimals)
{
    decimals = std::clamp(decimals, 0, 3);
    const bool negative = ms < 0;
    std::int64_t rest = negative ? -ms : ms;
    // rounded to the digits shown, so 59.96 s at tenths reads 00:01:00.0
    std::int64_t unit = 1;
    for (int i = decimals; i < 3; ++i)
        unit *= 10;
    rest = (rest + unit / 2) / unit * unit;
    const std::int64_t hours = rest / 3600000;
    const std::int64_t minutes = rest / 60000 % 60;
    const std::int64_t seconds = rest / 1000 % 60;
    QString text = QStringLiteral("%1%2:%3:%4")
                       .arg(negative ? QStringLiteral("-") : QString())
                       .arg(hours, 2, 10, QLatin1Char('0'))
                       .arg(minutes, 2, 10, QLatin1Char('0'))
                       .arg(seconds, 2, 10, QLatin1Char('0'));
    if (decimals > 0)
        text += u'.' + QStringLiteral("%1").arg(rest % 1000, 3, 10, QLatin1Char('0')).left(decimals);
    return text;
}

QString formatClock(std::int64_t ms, bool withHours, int decimals)
{
    const QString full = formatMilliseconds(ms, decimals);  // [-]HH:MM:SS[.d]
    const bool negative = full.startsWith(u'-');
    const QString clock = negative ? full.mid(1) : full;
    const qsizetype hoursEnd = clock.indexOf(u':');
    QString text;
    if (withHours) {
        const QStringView hours = QStringView(clock).left(hoursEnd);
        text = QString::number(hours.toLongLong()) + clock.mid(hoursEnd);
    } else {
        // Beyond an hour without hours the minutes go on counting: 75:00.0.
        const std::int64_t minutes = QStringView(clock).left(hoursEnd).toLongLong() * 60
                                     + QStringView(clock).mid(hoursEnd + 1, 2).toLongLong();
        text = QStringLiteral("%1").arg(minutes, 2, 10, QLatin1Char('0')) + clock.mid(hoursEnd + 3);
    }
    return negative ? u'-' + text : text;
}

QString secondsText(std::int64_t ms)
{
    const QString sign = ms < 0 ? QStringLiteral("-") : QString();
    const std::int64_t magnitude = ms < 0 ? -ms : ms;
    QString text = sign + QString::number(magnitude / 1000);
    if (const std::int64_t fraction = magnitude % 1000) {
        QString digits = QStringLiteral("%1").arg(fraction, 3, 10, QLatin1Char('0'));
        while (digits.endsWith(u'0'))
            digits.chop(1);
        text += u'.' + digits;
    }
    return text;
}

std::optional<std::int64_t> parseTypedTime(QStringView text)
{
    text = text.trimmed();
    const QList<QStringView> fields = text.split(u':');
    if (text.isEmpty() || fields.size() > 3)
        return std::nullopt;
    auto digitsOnly = [](QStringView s) {
        return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    // the last field holds the seconds and an optional fraction
    const QStringView last = fields.last();
    const qsizetype dot = last.indexOf(u'.');
    const QStringView whole = dot < 0 ? last : last.left(dot);
    const QStringView fraction = dot < 0 ? QStringView() : last.mid(dot + 1);
    if (!digitsOnly(whole) || (dot >= 0 && (!digitsOnly(fraction) || fraction.size() > 3)) || whole.size() > 9)
        return std::nullopt;
    std::int64_t ms = whole.toLongLong() * 1000;
    if (!fraction.isEmpty())
        ms += fraction.toLongLong() * (fraction.size() == 1 ? 100 : fraction.size() == 2 ? 10 : 1);
    if (fields.size() > 1 && whole.toLongLong() >= 60)
        return std::nullopt;
    std::int64_t unit = 60000;
    for (qsizetype i = fields.size() - 2; i >= 0; --i, unit *= 60) {
        const QStringView field = fields[i];
        if (!digitsOnly(field) || field.size() > 6)
            return std::nullopt;
        // minutes below 60 when hours are given; the first field may be any size
        if (i > 0 && field.toLongLong() >= 60)
            return std::nullopt;
        ms += field.toLongLong() * unit;
    }
    return ms;
}

}  // namespace timeline
