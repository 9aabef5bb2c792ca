#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// What the program needs to know of a decoded working WAV before it calls the
// file open: its format and its exact length.
struct WavFacts {
    int sampleRate = 0;
    int channels = 0;
    std::int64_t frames = 0;

    // frames / rate, cut down to whole milliseconds
    std::int64_t lengthMs() const;
    // Whether the player can take it: at least one frame, 1,000 to 768,000
    // frames a second, one to eight channels.
    bool isPlayable() const;
};

inline constexpr int MinPlayableRate = 1000;
inline constexpr int MaxPlayableRate = 768000;
inline constexpr int MaxPlayableChannels = 8;

// The facts of an audio file as libsndfile reads its header, or nothing when
// it cannot be opened as audio at all.
std::optional<WavFacts> readWavFacts(const QString &path);
