#pragma once

#include <cstddef>
#include <cstdint>

namespace string_device {

// Linear fades over a stretch of the file, in file frames: over the first
// inFrames of [startFrame, endFrame) the gain rises from 0 to 1, over its last
// outFrames it falls from 1 to 0, the curve a saved ringtone's fades follow.
// Frames before the stretch keep their level; after a fade out, the frames
// past the stretch are silent (playback of the stretch stops there, and its
// stop may come a little late).
struct FadeEnvelope {
    std::int64_t startFrame = 0;  // first frame of the stretch
    std::int64_t endFrame = 0;    // the frame after its last
    std::int64_t inFrames = 0;    // 0: no fade in
    std::int64_t outFrames = 0;   // 0: no fade out

    // Leaves every frame exactly as it is.
    bool isFlat() const { return (inFrames <= 0 && outFrames <= 0) || endFrame <= startFrame; }
    friend bool operator==(const FadeEnvelope &, const FadeEnvelope &) = default;
};

// The gain of one file frame:
//  - before startFrame, and past the stretch when there is no fade out: exactly 1;
//  - past the stretch after a fade out: 0;
//  - in the fade in: (frame - startFrame) / inFrames, so 0 at startFrame and 1
//    from startFrame + inFrames on;
//  - in the fade out: (endFrame - frame) / outFrames, so 1 up to
//    endFrame - outFrames and 0 at endFrame itself: the stretch's last frame
//    has 1 / outFrames;
//  - where the two overlap (fades longer together than the stretch), the
//    product of both, as one fade applied after the other gives.
// Anywhere else exactly 1.
double fadeGain(const FadeEnvelope &envelope, std::int64_t frame);

// Scales `count` interleaved frames, the first of them file frame firstFrame,
// by their gain. Frames whose gain is 1 are not touched, so a flat envelope
// leaves the samples bit for bit as they were. Neither allocates nor locks:
// it runs in the audio callback.
void applyFade(const FadeEnvelope &envelope, std::int64_t firstFrame, float *frames,
               std::size_t count, int channels);

// The envelope for a stretch and fades given in milliseconds (none negative,
// startMs <= endMs) at a sample rate. Positions become frames as
// "play sound from" turns milliseconds into its start frame (the first frame at
// or after the millisecond), so playing the selection starts exactly on the
// fade in's silent first frame; fade lengths go to the nearest frame. Values
// too large for any file saturate instead of overflowing.
FadeEnvelope fadeEnvelopeFromMs(std::int64_t startMs, std::int64_t inMs, std::int64_t endMs,
                                std::int64_t outMs, int sampleRate);

// A stretch [startFrame, endFrame) of the file played over and over. The
// frames handed out are counted on as if the file went on past endFrame; each
// count is a file frame again through fileFrame(). Inactive (nothing repeats)
// while endFrame <= startFrame.
struct FrameLoop {
    std::int64_t startFrame = 0;
    std::int64_t endFrame = 0;

    bool active() const { return endFrame > startFrame; }
    // The file frame heard at the count: the count itself up to endFrame, then
    // round and round the stretch.
    std::int64_t fileFrame(std::int64_t count) const
    {
        if (!active() || count < endFrame)
            return count;
        return startFrame + (count - startFrame) % (endFrame - startFrame);
    }
    friend bool operator==(const FrameLoop &, const FrameLoop &) = default;
};

// The loop over the milliseconds [startMs, endMs), its ends the frames the
// fade envelope of the same stretch starts and ends on, so each pass fades in
// and out exactly as the stretch saved on its own would.
FrameLoop frameLoopFromMs(std::int64_t startMs, std::int64_t endMs, int sampleRate);

// applyFade for frames counted through a loop: where the count wraps inside
// the block, the envelope follows the file frame back to the loop's start.
void applyLoopedFade(const FadeEnvelope &envelope, const FrameLoop &loop, std::int64_t firstCount,
                     float *frames, std::size_t count, int channels);

}  // namespace string_device
