#pragma once

#include "model/Selection.h"

#include <cstdint>

#include <QString>
#include <functional>

// The checks the save flow makes before it writes anything, as pure functions.
namespace save_target {

// What keeps the selection from being saved.
enum class SelectionProblem {
    None,
    NothingOpen,  // no file is open
    NoEnd,        // no end has been set
    Empty,        // shorter than MinimumLengthMs
    PastEnd,      // the selection reaches past the end of the open file
};
// The marks of a file lengthMs long (0: nothing open).
SelectionProblem checkSelection(std::int64_t lengthMs, const Marks &marks);
// The shortest ringtone worth a file.
inline constexpr std::int64_t MinimumLengthMs = 1000;

// The folder the save dialog starts in: the open file's folder when it can be
// written to, else the folder of the last save since the program started, else
// the Music folder, else home. A candidate that is empty or not a writable
// folder is passed over; home is taken as it is.
QString dialogFolder(const QString &sourcePath, const QString &lastSaveFolder,
                     const QString &musicFolder, const QString &homeFolder,
                     const std::function<bool(const QString &)> &isWritableFolder);

// A folder this process may create files in.
bool isWritableFolder(const QString &folder);

// Whether the two paths name one file on disk, through links, other spellings
// of the path or hard links alike. False when either does not exist.
bool isSameFile(const QString &a, const QString &b);

// The path the user chose with the blanks around its file name taken away,
// around the name as a whole and around its part before the extension
// ("/music/  ring .mp3" -> "/music/ring.mp3"); empty when no name is left.
QString tidiedDestination(const QString &path);

}  // namespace save_target
