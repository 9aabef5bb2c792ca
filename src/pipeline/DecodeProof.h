#pragma once

#include "playback/WavFacts.h"

#include <QString>
#include <optional>

class ProcessRunner;

// What a finished decode job came to: a working WAV the player can take, or
// why not, in the program's language. A working WAV that is not playable is
// removed.
struct DecodeOutcome {
    std::optional<WavFacts> facts;  // set: the working WAV is playable
    QString reason;                 // when facts is not set
};

// workFolderFault is what is wrong with the working folder now (empty when
// nothing is): a decode that failed for want of its working folder is
// blamed on that folder, named, never on the source.
DecodeOutcome proveDecode(const ProcessRunner &runner, const QString &workWav, const QString &workFolderFault = {});
