#pragma once

#include <QString>

// The form of a path that every "open" command of the playback device uses.
// Linux has no 8.3 names, so an existing file keeps its own path; a missing one
// yields an empty text, which makes the "open" command fail harmlessly.
QString GetShortName(const QString &path);
