#include "pipeline/ProgressReport.h"

#include "playback/Timeline.h"

#include <QList>

#include <cmath>
#include <cstdio>

namespace {

constexpr QStringView DurationMarker = u"Duration: ";
constexpr QStringView TimeMarker = u"time=";

// Characters from pos up to the next blank or the end of the piece.
QStringView tokenAt(QStringView piece, qsizetype pos)
{
    const qsizetype blank = piece.indexOf(u' ', pos);
    return piece.mid(pos, (blank < 0 ? piece.size() : blank) - pos);
}

}  // namespace

std::optional<std::int32_t> durationIn(QStringView piece)
{
    // A marker counts only with at least one character after it, and only when
    // that character is not a blank; the first one that counts is the only one.
    qsizetype at = piece.indexOf(DurationMarker);
    while (at >= 0 && at + DurationMarker.size() < piece.size()) {
        const qsizetype tokenStart = at + DurationMarker.size();
        if (piece[tokenStart] != u' ') {
            const QStringView token = tokenAt(piece, tokenStart);
            const QList<QStringView> fields = token.split(u':');
            if (fields.size() < 3)
                return std::nullopt;
            const double seconds = timeline::leadingNumber(fields[0]) * 3600.0
                                 + timeline::leadingNumber(fields[1]) * 60.0
                                 + timeline::leadingNumber(fields[2]);
            return timeline::roundHalfEven(seconds);
        }
        at = piece.indexOf(DurationMarker, at + 1);
    }
    return std::nullopt;
}

std::optional<std::int32_t> progressTimeIn(QStringView piece)
{
    const qsizetype at = piece.indexOf(TimeMarker);
    if (at < 0 || at + TimeMarker.size() >= piece.size())
        return std::nullopt;
    const QStringView token = tokenAt(piece, at + TimeMarker.size());
    return timeline::roundHalfEven(timeline::leadingNumber(token));
}

QString percentText(double percent)
{
    if (percent == 0.0 || !std::isfinite(percent))
        return QStringLiteral("0");
    // Fifteen significant digits in scientific form, then placed as plain
    // decimal text by hand so that small values never come out as "5e-05".
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.14e", std::fabs(percent));
    QString digits;
    const char *c = scientific;
    for (; *c && *c != 'e'; ++c) {
        if (*c >= '0' && *c <= '9')
            digits += QLatin1Char(*c);
    }
    const int exponent = *c == 'e' ? std::atoi(c + 1) : 0;
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);

    QString text = percent < 0 ? QStringLiteral("-") : QString();
    const int integerDigits = exponent + 1;
    if (integerDigits <= 0) {
        text += QStringLiteral("0.") + QString(-integerDigits, u'0') + digits;
    } else if (integerDigits >= digits.size()) {
        text += digits + QString(integerDigits - digits.size(), u'0');
    } else {
        text += digits.left(integerDigits) + u'.' + digits.mid(integerDigits);
    }
    return text;
}

std::optional<ProgressDisplay> ProgressReport(ProgressJob job, QStringView piece,
                                              std::int32_t &totalSeconds,
                                              double cutSeconds)
{
    if (job == ProgressJob::Decode && totalSeconds == 0) {
        if (const auto duration = durationIn(piece))
            totalSeconds = *duration;
    }

    const std::optional<std::int32_t> time = progressTimeIn(piece);
    if (!time)
        return std::nullopt;

    const double denominator = job == ProgressJob::Decode ? static_cast<double>(totalSeconds) : cutSeconds;
    return progressDisplay(job, denominator == 0.0 ? 1.0 : *time / denominator);
}

ProgressDisplay progressDisplay(ProgressJob job, double fraction)
{
    const float fullWidth = job == ProgressJob::Decode ? DecodeBarFullWidth : CutBarFullWidth;
    if (fraction * 100.0 >= 100.0)
        return ProgressDisplay{1.0, fullWidth, QStringLiteral("100%")};
    const float width = static_cast<float>(fraction * fullWidth);
    return ProgressDisplay{fraction, width, percentText(fraction * 100.0).left(4) + u'%'};
}
