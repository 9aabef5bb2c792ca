#pragma once

#include <QString>
#include <cstdint>

// The two after-save choices as setup.ini keeps them between runs: list
// positions of the settings dialog, 0 meaning "do it". Any other value, a
// damaged file's included, means the action is skipped.
struct AfterSaveChoices {
    std::int16_t openFolder = 0;
    std::int16_t promptSound = 0;
};

// Reads setup.ini leniently: whatever cannot be read or converted leaves its
// value at 0, and a missing or unreadable file gives 0 and 0. Never fails.
AfterSaveChoices readSetupFile(const QString &path);

// Replaces setup.ini with the two values, one decimal line each, CR LF ended.
// The new content lands under a temporary name first and is renamed over the
// old file only when complete, so a failed write leaves the old file as it was.
// The per-user config folder is created when it is missing; other folders are
// not. False when the file could not be written.
bool writeSetupFile(const QString &path, AfterSaveChoices choices);

// The exact bytes writeSetupFile puts on disk.
QByteArray setupFileBytes(AfterSaveChoices choices);
