#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Turns one piece of the transcoder's console output into the progress bar's
// width and label. Pure: the only state carried from piece to piece is the
// duration of the file being decoded, which the caller keeps.

enum class ProgressJob { Decode, Cut };

inline constexpr float DecodeBarFullWidth = 5415.0f;  // twips, imgPB
inline constexpr float CutBarFullWidth = 4215.0f;     // twips, imgPro

struct ProgressDisplay {
    double fraction = 0.0;  // 0..1: how far the job is
    float barWidthTwips = 0.0f;
    QString label;  // "12.5%"
};

// What the bar of the job shows at a fraction of the way: its width, and the
// percentage cut to four characters ("94.6%", "100%"); full from 1 on.
ProgressDisplay progressDisplay(ProgressJob job, double fraction);

// The whole-second duration after the first "Duration: " of the piece, or
// nothing when the piece holds none that reads as hours:minutes:seconds.
std::optional<std::int32_t> durationIn(QStringView piece);

// The whole-second progress time after the first "time=" of the piece (0 when
// its token is no number), or nothing when the piece holds no such marker.
std::optional<std::int32_t> progressTimeIn(QStringView piece);

// f × 100 as plain decimal text, at most 15 significant digits, no trailing
// zeros, '.' as the decimal point: 12.5, 33.3333333333333, 0.00005.
QString percentText(double percent);

// One piece, one job. For the decode job, totalSeconds is read and, while it is
// 0, set from the piece's duration; the cut job measures against cutSeconds,
// the length of the selection. Returns what the bar and label should show
// when the piece holds a progress time; nothing otherwise.
std::optional<ProgressDisplay> ProgressReport(ProgressJob job, QStringView piece,
                                              std::int32_t &totalSeconds, double cutSeconds);
