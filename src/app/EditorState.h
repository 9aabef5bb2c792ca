#pragma once

#include <QString>
#include <cstdint>

// Flags keep the -1/0 convention of the original design where tests and callers
// can observe them: true is -1, false is 0, and "set" means "not 0".
using Flag = std::int16_t;
inline constexpr Flag FlagTrue = -1;
inline constexpr Flag FlagFalse = 0;
inline constexpr bool isSet(Flag f) { return f != 0; }

// The one record of program-wide and main-window values shared by the handlers.
// Plain storage: whoever changes a value updates what shows it.
struct EditorState {
    // program-wide
    Flag FileOpen = 0;
    QString CurrentJob;
    std::int32_t SelStart = 0;
    std::int32_t SelEnd = 0;        // 0: no end set
    Flag IsDragging = 0;
    Flag IsPaused = 0;
    Flag PlayingSelection = 0;
    float PlayFraction = 0.0f;
    std::int16_t OpenFolderChoice = 0;   // 0: open the folder after a save
    std::int16_t PromptSoundChoice = 0;  // 0: play the completion sound

    // main window
    std::int32_t TotalSeconds = 0;  // duration read from the decoder, 0 = unknown
    std::int32_t DragStartX = 0;    // twips within the grabbed grip
    Flag ButtonPressed = 0;
    std::uint32_t ColorKey = 0;     // 0 until the window is shaped
};

inline constexpr const char *OpenFileJob = "open file";
