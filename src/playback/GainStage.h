#pragma once

#include "playback/FadeEnvelope.h"
#include "playback/LookaheadLimiter.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace string_device {

// The level of a loudness-normalised ringtone, as the device puts it on what
// it plays ("setaudio sound gain"): a linear onset ramp from silence, a fixed
// gain, then a look-ahead limiter with its sample-peak ceiling.
struct GainSetting {
    double gainDb = 0.0;
    std::optional<double> limitDbfs;  // the limiter's ceiling; none: no limiter
    // The ramp rises from 0 to 1 over [rampStartMs, rampStartMs + rampMs) of
    // the file; frames before it keep their level. rampMs 0: no ramp.
    std::int64_t rampStartMs = 0;
    std::int64_t rampMs = 0;

    friend bool operator==(const GainSetting &, const GainSetting &) = default;
};

// Shapes frames read from the file as a saved ringtone's filter chain does, in
// its order: the fades, the onset ramp, the gain, the limiter. The limiter
// looks ahead, so up to heldBackFrames() of the frames pushed come out only
// with later ones, or at finish(); nothing moves in time.
class GainStage {
public:
    GainStage(const FadeEnvelope &fades, const GainSetting &setting, int channels, int sampleRate);

    // From file frame `frame` on, as when playing starts there: nothing held
    // back, the limiter at rest.
    void restart(std::int64_t frame);
    // Shapes count frames, the file's next ones; out receives (replacing its
    // content) the frames ready to be heard, in file order.
    void push(float *frames, std::int64_t count, std::vector<float> &out);
    // out receives (replacing its content) every frame still held back.
    void finish(std::vector<float> &out);
    std::int64_t heldBackFrames() const { return m_limiter ? m_limiter->heldBackFrames() : 0; }

private:
    const FadeEnvelope m_fades;
    const FadeEnvelope m_ramp;
    const float m_scale;
    const std::optional<double> m_ceiling;
    const int m_channels;
    const int m_sampleRate;
    std::optional<LookaheadLimiter> m_limiter;
    std::int64_t m_nextFrame = 0;
};

}  // namespace string_device
