#pragma once

#include "model/CutShaping.h"
#include "model/Selection.h"

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line:
//   brindlewave [FILE]                 the window, opening FILE
//   brindlewave --help | --version     print and end
//   brindlewave --cut SOURCE --start T --end T [--fade-in MS] [--fade-out MS]
//               [--normalize] --output DEST
//                                      a cut without a window, for scripts
// Options take their value as the next argument or after '=' ("--start=41.5").
struct CommandLineRequest {
    enum class Kind { Window, Help, Version, Cut, Invalid } kind = Kind::Window;
    QString file;        // Window: the file to open; empty for none
    QString source;      // Cut
    QString output;      // Cut
    Selection selection;  // Cut: from the typed times
    CutShaping shaping;   // Cut
    QString error;        // Invalid: what is wrong, in the program's language
};

// Reads the arguments after the program's name. Times are read as the time
// line's typed times are ("00:00:41.500", "1:02.5", "41.5"); fades are whole
// milliseconds up to the longest fade the program applies.
CommandLineRequest parseCommandLine(const QStringList &arguments);

QString helpText();
QString versionText();

// Exit statuses of the program when it runs without a window.
inline constexpr int ExitDone = 0;
inline constexpr int ExitFailed = 1;    // the cut could not be made; nothing was written
inline constexpr int ExitUsage = 2;     // the command line itself is wrong
