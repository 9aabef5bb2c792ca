#pragma once

#include "playback/GainStage.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace string_device {

// The aliases a device can be opened under: "sound" is the open file, "chime"
// the completion sound, which plays on its own so that it never disturbs what
// "sound" holds.
inline constexpr const char *SoundAlias = "sound";
inline constexpr const char *ChimeAlias = "chime";

// One command text of the playback device, taken apart. ALIAS is one of the
// aliases above.
struct StringCommand {
    enum class Kind {
        Open,            // "open " PATH " alias " ALIAS
        Play,            // "play " ALIAS
        PlayFrom,        // "play " ALIAS " from " MS
        Pause,           // "pause " ALIAS
        Resume,          // "resume " ALIAS
        Stop,            // "stop " ALIAS
        Close,           // "close " ALIAS
        StatusLength,    // "status " ALIAS " length"
        StatusPosition,  // "status " ALIAS " position"
        StatusMode,      // "status " ALIAS " mode": "playing", "paused" or "stopped"
        Fade,            // "setaudio " ALIAS " fade " START_MS " " IN_MS " " END_MS " " OUT_MS
        FadeOff,         // "setaudio " ALIAS " fade off"
        Loop,            // "setaudio " ALIAS " loop " START_MS " " END_MS
        LoopOff,         // "setaudio " ALIAS " loop off"
        Gain,            // "setaudio " ALIAS " gain " DB [" limit " DBFS] [" ramp " START_MS " " MS]
        GainOff,         // "setaudio " ALIAS " gain off"
    };
    // Fade: linear fades over the stretch [startMs, endMs) of the file, in
    // over its first inMs, out over its last outMs.
    struct FadeMs {
        std::int64_t startMs = 0;
        std::int64_t inMs = 0;
        std::int64_t endMs = 0;
        std::int64_t outMs = 0;
    };
    Kind kind = Kind::Play;
    QString alias;
    QString path;                    // Open only
    std::int64_t milliseconds = 0;   // PlayFrom only
    FadeMs fade;                     // Fade only
    // Loop: the stretch [startMs, endMs) of the file, played over and over.
    struct LoopMs {
        std::int64_t startMs = 0;
        std::int64_t endMs = 0;
    };
    LoopMs loop;                     // Loop only
    GainSetting gain;                // Gain only
};

// The command, or nothing when the text is not exactly one of the device's
// commands. The path of "open" is everything between "open " and the last
// " alias ALIAS", so it may hold blanks (and even " alias sound" itself).
// MS is decimal digits with an optional minus sign, nothing else; the four of
// "fade" and the two of "loop" are separated by single blanks. DB and DBFS
// are decimals: digits with an optional minus sign and an optional '.'
// followed by more digits; the parts of "gain" are separated by single
// blanks, in the order shown.
std::optional<StringCommand> parseStringCommand(const QString &text);

}  // namespace string_device
