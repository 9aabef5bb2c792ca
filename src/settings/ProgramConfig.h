#pragma once

#include "model/CutShaping.h"
#include "model/EditorModel.h"

#include <QString>


// What the program remembers in brindlewave.conf (Qt's INI format) between
// runs, beyond the two after-save choices of setup.ini:
//   [cut]  fadeInMs, fadeOutMs (0 = off), normalize (true/false)
//   [save] lastFormat ("MP3", "M4R", ...), lastFolder
//   [open] folder, filter (counted from 0), recent (absolute paths, newest first)
struct ProgramConfig {
    CutShaping shaping;
    QString lastFormat;  // format of the last saved ringtone; empty: none yet
    QString lastFolder;  // folder of the last saved ringtone; empty: none yet
    OpenHistory open;
};

// The longest fade the program applies or keeps, in milliseconds.
inline constexpr std::int64_t MaxFadeMs = 10000;

// Reads the file leniently: a missing, unreadable or damaged file, one larger
// than 64 KiB or not a regular file (all defaults then), and any value that is
// not what its key holds (a fade that is not a whole number from 0 to
// MaxFadeMs, a format the program does not write), leaves that value at its
// default. Never fails.
ProgramConfig readProgramConfig(const QString &path);

// Stores every value, keeping whatever else the file holds. The file is
// replaced as a whole (written under a temporary name first), and its folder
// is created when missing. A damaged file, and one readProgramConfig would not
// read, is replaced by a readable one holding only the program's values.
// False when it could not be written.
bool writeProgramConfig(const QString &path, const ProgramConfig &config);

// The remembered values as the editor model holds them.
ProgramConfig rememberedConfig(const EditorModel &model);
// Puts the file's values into the editor model.
void recallConfig(const ProgramConfig &config, EditorModel &model);
