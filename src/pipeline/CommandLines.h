#pragma once

#include "app/Paths.h"
#include "app/Selection.h"
#include "pipeline/Command.h"

#include <QString>
#include <cstdint>

// The two command lines the flows give the transcoder adapter: the decode of a
// chosen file into the working WAV, and the cut of the selection into the
// destination's format.

// "MP3", "WMA", "WAV" or "AMR" after the last three characters of the
// destination (surrounding blanks removed, any letter case); empty for any other
// ending. The save flow refuses an empty answer before touching anything.
QString cutFormatOf(const QString &destination);

// coder -i SOURCE -y -vn WORKWAV
Command DecodeCommand(const Paths &paths, const QString &sourcePath);

// coder -i WORKWAV -ss START -t LENGTH <format options> DESTINATION, or an empty
// Command when the destination names no known format. START and LENGTH are
// decimal seconds: "41" for a whole second, "41.5" for 41,500 ms.
Command CutCommand(const Paths &paths, const Selection &selection,
                   const QString &destination);
