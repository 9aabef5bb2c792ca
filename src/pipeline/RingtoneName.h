#pragma once

#include "model/Selection.h"

#include <QString>

// The name the save dialog offers for a ringtone: what the song is called and
// which stretch of it the ringtone is, "晴天 1.02-1.31.mp3".

// The song's title from the working WAV's tags (the transcoder carries the
// source's title and artist tags into it); empty when it has none or the file
// cannot be read.
QString readWorkTitle(const QString &wavPath);

// A time as minutes and two-digit seconds, then the milliseconds the time
// table shows unless there are none: "1.02" for 62,000 ms, "1.02.500" for 62,500.
QString minuteSecondsText(std::int64_t ms);

// "<title, else the source's file name without extension> <start>-<end>.<extension>",
// made fit for a file name: path separators and control characters become
// blanks, leading dots and blanks go, and an overlong title is shortened so
// that the whole name stays within a file system's 255 bytes.
QString suggestedRingtoneName(const QString &title, const QString &sourcePath, const Selection &selection,
                              const QString &extension);
