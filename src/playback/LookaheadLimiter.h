#pragma once

#include <cstdint>
#include <vector>

namespace string_device {

// The limiter's timing: gain reduction starts this long before a peak (the
// limiter looks ahead and compensates its delay, so nothing moves in time) and
// goes back to none over the release. A slower release takes more loudness
// away, and the gain that makes up for it makes the limiting deeper.
inline constexpr double LimiterAttackMs = 5.0;
inline constexpr double LimiterReleaseMs = 50.0;

// A look-ahead limiter with linked channels, after ffmpeg's alimiter with
// latency compensation: wherever a frame's largest sample would exceed the
// ceiling, the gain reaches ceiling / peak exactly at that frame, falling to it
// linearly over the attack before it and rising back to 1 linearly over the
// release after it. Frames come out aligned with the frames that went in; the
// last heldBackFrames() are held back until more frames (or finish()) arrive.
// The loudness measure of a saved ringtone and the preview's device share it,
// so what is heard is what is measured.
class LookaheadLimiter {
public:
    LookaheadLimiter(int channels, int sampleRate, double ceiling);

    // Appends count frames; out receives (replacing its content) the frames
    // whose look-ahead is complete.
    void push(const float *frames, std::int64_t count, std::vector<float> &out);
    // Hands out (replacing out's content) every frame still held back.
    void finish(std::vector<float> &out);

    // The most frames that are ever held back: the attack's length.
    std::int64_t heldBackFrames() const { return m_attackFrames; }

private:
    void handOut(std::int64_t count, std::vector<float> &out);

    const int m_channels;
    const float m_ceiling;
    const std::int64_t m_attackFrames;
    const std::int64_t m_releaseFrames;
    std::vector<float> m_samples;   // interleaved, not yet handed out
    std::vector<double> m_targets;  // per frame of m_samples: ceiling / peak, at most 1
    std::vector<double> m_attack;
    double m_release = 1.0;
    double m_releaseStep = 0.0;
};

}  // namespace string_device
