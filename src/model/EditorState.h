#pragma once

#include "model/CutShaping.h"
#include "model/Selection.h"

#include <QString>
#include <memory>
#include <cstdint>

class PeakSummary;

// The one record of program-wide and main-window values shared by the handlers.
// Plain storage: whoever changes a value updates what shows it.
struct EditorState {
    // program-wide
    bool FileOpen = false;
    QString CurrentJob;
    Selection Sel;                  // the chosen stretch, in milliseconds
    VisibleSpan View;               // what the time line shows of the open file
    bool IsDragging = false;
    bool IsPaused = false;
    bool PlayingSelection = false;
    std::int64_t PreviewEndMs = 0;  // a preview of part of the selection stops here; 0: at its end
    float PlayFraction = 0.0f;
    std::int64_t PlayPositionMs = 0;  // the play position at the last tick of the position timer
    std::int16_t OpenFolderChoice = 0;   // 0: open the folder after a save
    std::int16_t PromptSoundChoice = 0;  // 0: play the completion sound
    CutShaping Shaping;                  // fades and loudness of saved ringtones
    QString LastSaveFormat;  // format id of the last saved ringtone ("MP3", ...); empty: none yet
    QString LastSaveFolder;  // folder of the last saved ringtone; empty: none yet

    // The open file as the model knows it. Both are set when a decode has
    // produced a playable working WAV and cleared when the file is closed;
    // nothing else writes them.
    QString SourcePath;            // the file the user opened; empty: none
    QString SourceTitle;           // its title tag; empty: none or nothing open
    std::int64_t LengthMs = 0;     // the working WAV's length; 0: nothing open
    std::shared_ptr<const PeakSummary> Peaks;  // the working WAV's waveform; null: none

    // main window
    std::int32_t TotalSeconds = 0;  // duration read from the decoder, 0 = unknown
    std::int32_t DragStartX = 0;    // twips within the grabbed grip
    bool ButtonPressed = false;
    std::uint32_t ColorKey = 0;     // 0 until the window is shaped
};

inline constexpr const char *OpenFileJob = "open file";
