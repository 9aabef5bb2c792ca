#pragma once

#include "model/Selection.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Time-line geometry and the number rules shared by the time line, the handles,
// the markers, the progress routine and the settings file.
namespace timeline {

inline constexpr int TwipsPerPixel = 15;
inline constexpr float TimelineSpan = 10920.0f;  // 728 px
inline constexpr float LineOffset = 90.0f;       // 6 px
inline constexpr float GripWidth = 195.0f;       // 13 px

// Rule N: nearest integer, an exact half to the even neighbour, as 32-bit signed.
// Values outside the 32-bit range saturate.
std::int32_t roundHalfEven(double value);

// The decimal number a text begins with (optional blanks, sign, digits, fraction,
// exponent); 0 when it begins with none. Like reading "12abc" as 12.
double leadingNumber(QStringView text);

// Whole seconds as hours:minutes:seconds, each field at least two digits.
QString formatSeconds(std::int32_t seconds);

// A position on the time line (twips from its left edge) as whole seconds of a
// file that is fullSeconds long.
std::int32_t positionToSeconds(double xTwips, double fullSeconds);

// A position on the time line (twips from its left edge) as the nearest
// millisecond of the stretch it shows (rule N).
std::int64_t positionToMs(double xTwips, const VisibleSpan &span);
// Where a millisecond of the file stands on the time line, in twips (outside
// 0 .. TimelineSpan when it is not in the stretch shown).
double msToPosition(double ms, const VisibleSpan &span);

// Milliseconds as hours:minutes:seconds with `decimals` digits of the second
// (0 to 3), each field at least two digits: "00:00:41.5" for 41500 and one.
QString formatMilliseconds(std::int64_t ms, int decimals = 1);

// A time as the readout and the time table show it: minutes:seconds with
// `decimals` digits of the second ("01:12.345"), after the hours ("1:01:12.345")
// when withHours, which a file of an hour or more asks for all its times, so
// one file's fields all have one width.
QString formatClock(std::int64_t ms, bool withHours, int decimals);
// Whether a file this long shows hours in formatClock.
inline bool clockNeedsHours(std::int64_t lengthMs) { return lengthMs >= 3600000; }

// A time as the user types it: "HH:MM:SS.mmm", "MM:SS.mmm", "SS.mmm" or plain
// seconds, the fraction optional (up to three digits), blanks around ignored.
// Minutes and seconds after a colon stay below 60. Nothing for anything else.
std::optional<std::int64_t> parseTypedTime(QStringView text);

// Milliseconds as decimal seconds for a command line: "41.5", "0.25"; whole
// seconds without a fraction ("41").
QString secondsText(std::int64_t ms);

}  // namespace timeline
