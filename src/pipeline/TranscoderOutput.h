#pragma once

#include <QString>

// The line of the transcoder's console output that best says why a job failed:
// the last line that is not a progress line. Empty when there is none.
QString lastErrorLine(const QString &output);

// A working or output file that the transcoder left behind is usable only when
// it exists and holds more than a bare header.
bool holdsMedia(const QString &path, qint64 minimumBytes = 64);
