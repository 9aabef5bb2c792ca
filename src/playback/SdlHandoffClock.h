#pragma once

#include <atomic>
#include <cstdint>

namespace string_device {

// The last hand-off of frames to the audio driver: which frames, and when. The
// audio callback publishes it without ever waiting (a sequence lock: the reader
// retries instead of the writer blocking); the device reads it to tell where the
// listener is.
class SdlHandoffClock {
public:
    struct Handoff {
        std::int64_t firstFrame = 0;  // file frame of the first frame handed over
        std::int64_t frameCount = 0;  // frames of the file in that hand-off
        std::int64_t nanoseconds = 0; // steady-clock time of the hand-off
    };

    // One writer at a time: the callback, or the device while the callback is idle.
    void publish(const Handoff &handoff);
    Handoff read() const;

    // Where the listener is at time `now`: the frames handed over are heard at
    // the sample rate from the moment of the hand-off, never beyond their end.
    // So the estimate runs smoothly between callbacks and is at most one buffer
    // ahead of the loudspeaker.
    static std::int64_t heardFrame(const Handoff &handoff, std::int64_t nowNanoseconds,
                                   int sampleRate);

    static std::int64_t steadyNanoseconds();

private:
    std::atomic<std::uint32_t> m_sequence{0};
    std::atomic<std::int64_t> m_firstFrame{0};
    std::atomic<std::int64_t> m_frameCount{0};
    std::atomic<std::int64_t> m_nanoseconds{0};
};

}  // namespace string_device
