#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace string_device {

// One command text of the playback device, taken apart.
struct StringCommand {
    enum class Kind {
        Open,            // "open " PATH " alias sound"
        Play,            // "play sound"
        PlayFrom,        // "play sound from " MS
        Pause,           // "pause sound"
        Resume,          // "resume sound"
        Stop,            // "stop sound"
        Close,           // "close sound"
        StatusLength,    // "status sound length"
        StatusPosition,  // "status sound position"
    };
    Kind kind = Kind::Play;
    QString path;                    // Open only
    std::int64_t milliseconds = 0;   // PlayFrom only
};

// The command, or nothing when the text is not exactly one of the device's
// commands. The path of "open" is everything between "open " and the last
// " alias sound", so it may hold blanks (and even " alias sound" itself).
// MS is decimal digits with an optional minus sign, nothing else.
std::optional<StringCommand> parseStringCommand(const QString &text);

}  // namespace string_device
