#pragma once

#include "files/Paths.h"
#include "model/Selection.h"
#include "pipeline/Command.h"

#include <QString>
#include <cstdint>

// The two command lines the flows give the transcoder adapter: the decode of a
// chosen file into the working WAV, and the cut of the selection into the
// destination's format.

struct CutShaping;

// A known format's id ("MP3", "WMA", "WAV", "AMR", "M4R", "OGG", "M4A") after the last three characters of the
// destination (surrounding blanks removed, any letter case); empty for any other
// ending. The save flow refuses an empty answer before touching anything.
QString cutFormatOf(const QString &destination);

// coder -i SOURCE -y -vn WORKWAV
Command DecodeCommand(const Paths &paths, const QString &sourcePath);

// The audio filter that shapes a cut of the selection: a linear fade in at its
// start and a fade out ending at its end (each at most the selection's length),
// then the given loudness filter. Empty when nothing shapes the cut.
QString shapingFilter(const Selection &selection, const CutShaping &shaping, const QString &loudness = {});

// coder -i WORKWAV -ss START -t LENGTH [-af FILTER] <format options> DESTINATION,
// or an empty Command when the destination names no known format. START and
// LENGTH are decimal seconds: "41" for a whole second, "41.5" for 41,500 ms.
// Without a filter the option set of each format is exactly its table row.
// With writeTo, the transcoder writes there instead (a path without the
// destination's ending, such as an inherited descriptor's /proc/self/fd/N),
// and the container is named with "-f" where the row does not name it.
Command CutCommand(const Paths &paths, const Selection &selection,
                   const QString &destination, const QString &audioFilter = {},
                   const QString &writeTo = {});

// Where a cut that seeks the source starts decoding: the whole second two
// seconds before the selection's start, or the file's start. A whole second
// holds a whole number of samples at every rate, so from there on the decoded
// samples, and a resampler's phase, are those of the working WAV; the two
// seconds let the decoder settle before the selection begins.
std::int64_t seekPointMs(const Selection &selection);

// The cut of CutCommand taken straight from the source, decoding only the
// stretch from seekPointMs on (shaping holds fades only: the loudness is
// measured on a WAV). Its samples are those of the working WAV's cut of the
// same selection:
// coder [-ss SEEK] -i SOURCE -vn -sn -dn -ss START-SEEK -t LENGTH
//       -af aformat=sample_fmts=s16[,FADES][,aresample=RATE] <format options> DESTINATION
Command SeekingCutCommand(const Paths &paths, const QString &sourcePath, const Selection &selection,
                          const CutShaping &fades, const QString &destination, const QString &writeTo = {});

// The decode of the source from seekPointMs to a second past the selection's
// end into the working WAV, whose sample 0 is then the source's at seekPointMs:
// coder [-ss SEEK] -i SOURCE -t END+1-SEEK -y -vn WORKWAV
Command StretchDecodeCommand(const Paths &paths, const QString &sourcePath, const Selection &selection);
