#pragma once

#include <cstdint>

// How a saved ringtone is shaped beyond the stretch itself: linear fades at
// its start and end, and a loudness normalisation. All off by default, and
// then the ringtone is the stretch exactly as the working WAV holds it.
struct CutShaping {
    std::int64_t fadeInMs = 0;   // 0: no fade in
    std::int64_t fadeOutMs = 0;  // 0: no fade out
    bool normalize = false;      // bring the ringtone to a common loudness

    bool hasFades() const { return fadeInMs > 0 || fadeOutMs > 0; }
    bool isPlain() const { return !hasFades() && !normalize; }
    friend bool operator==(const CutShaping &, const CutShaping &) = default;
};
