#include "playback/FadeEnvelope.h"

#include <algorithm>
#include <limits>

namespace string_device {

namespace {

constexpr std::int64_t MaxFrame = std::numeric_limits<std::int64_t>::max();

// ms * rate / 1000 with the given rounding added before the division, held at
// MaxFrame instead of overflowing.
std::int64_t msToFrames(std::int64_t ms, int sampleRate, int roundingAdd)
{
    if (ms <= 0 || sampleRate <= 0)
        return 0;
    if (ms > (MaxFrame - roundingAdd) / sampleRate)
        return MaxFrame;  // centuries of sound: more than any file holds
    return (ms * sampleRate + roundingAdd) / 1000;
}

}  // namespace

double fadeGain(const FadeEnvelope &envelope, std::int64_t frame)
{
    if (frame >= envelope.endFrame && envelope.outFrames > 0 && envelope.endFrame > envelope.startFrame)
        return 0.0;  // faded out: silence until playback stops
    if (frame < envelope.startFrame || frame >= envelope.endFrame)
        return 1.0;
    double gain = 1.0;
    const std::int64_t sinceStart = frame - envelope.startFrame;  // 0 at the first frame
    const std::int64_t untilEnd = envelope.endFrame - frame;      // 1 at the last frame
    if (envelope.inFrames > 0 && sinceStart < envelope.inFrames)
        gain = static_cast<double>(sinceStart) / static_cast<double>(envelope.inFrames);
    if (envelope.outFrames > 0 && untilEnd < envelope.outFrames)
        gain *= static_cast<double>(untilEnd) / static_cast<double>(envelope.outFrames);
    return gain;
}

void applyFade(const FadeEnvelope &envelope, std::int64_t firstFrame, float *frames,
               std::size_t count, int channels)
{
    if (envelope.isFlat() || count == 0 || channels < 1)
        return;
    const std::int64_t blockEnd = firstFrame + static_cast<std::int64_t>(count);
    const auto scale = [&](std::int64_t from, std::int64_t to) {
        from = std::max(from, firstFrame);
        to = std::min(to, blockEnd);
        for (std::int64_t frame = from; frame < to; ++frame) {
            const double gain = fadeGain(envelope, frame);
            float *sample = frames + (frame - firstFrame) * channels;
            for (int c = 0; c < channels; ++c)
                sample[c] = static_cast<float>(static_cast<double>(sample[c]) * gain);
        }
    };
    // Only the fades themselves have a gain below 1; the frames between them
    // are left alone.
    const std::int64_t stretch = envelope.endFrame - envelope.startFrame;
    const std::int64_t inEnd = envelope.startFrame + std::clamp<std::int64_t>(envelope.inFrames, 0, stretch);
    const std::int64_t outBegin = envelope.endFrame - std::clamp<std::int64_t>(envelope.outFrames, 0, stretch);
    if (inEnd < outBegin) {
        scale(envelope.startFrame, inEnd);
        scale(outBegin, envelope.endFrame);
    } else {
        scale(envelope.startFrame, envelope.endFrame);
    }
    if (envelope.outFrames > 0 && blockEnd > envelope.endFrame) {
        const std::int64_t from = std::max(envelope.endFrame, firstFrame);
        std::fill(frames + (from - firstFrame) * channels, frames + count * channels, 0.0f);
    }
}

FadeEnvelope fadeEnvelopeFromMs(std::int64_t startMs, std::int64_t inMs, std::int64_t endMs,
                                std::int64_t outMs, int sampleRate)
{
    FadeEnvelope envelope;
    envelope.startFrame = msToFrames(startMs, sampleRate, 999);
    envelope.endFrame = msToFrames(endMs, sampleRate, 999);
    envelope.inFrames = msToFrames(inMs, sampleRate, 500);
    envelope.outFrames = msToFrames(outMs, sampleRate, 500);
    return envelope;
}

FrameLoop frameLoopFromMs(std::int64_t startMs, std::int64_t endMs, int sampleRate)
{
    return FrameLoop{msToFrames(startMs, sampleRate, 999), msToFrames(endMs, sampleRate, 999)};
}

void applyLoopedFade(const FadeEnvelope &envelope, const FrameLoop &loop, std::int64_t firstCount,
                     float *frames, std::size_t count, int channels)
{
    std::size_t done = 0;
    while (done < count) {
        const std::int64_t at = firstCount + static_cast<std::int64_t>(done);
        const std::int64_t file = loop.fileFrame(at);
        std::size_t run = count - done;
        if (loop.active() && file < loop.endFrame)
            run = std::min<std::size_t>(run, static_cast<std::size_t>(loop.endFrame - file));
        applyFade(envelope, file, frames + done * static_cast<std::size_t>(channels), run, channels);
        done += run;
    }
}

}  // namespace string_device
