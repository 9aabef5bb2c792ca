#pragma once

#include "playback/FadeEnvelope.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace string_device {

class GainStage;
class WavFrameRing;
class WavSource;

// Keeps the ring topped up from the file on a small thread of its own, so that
// the audio callback never touches the disk and a film-length WAV never has to
// sit in memory. The thread runs only while the device plays.
class WavStreamFeeder {
public:
    WavStreamFeeder() = default;
    ~WavStreamFeeder();
    WavStreamFeeder(const WavStreamFeeder &) = delete;
    WavStreamFeeder &operator=(const WavStreamFeeder &) = delete;

    // Where the source stands and the loop it reads through from now on: at
    // the loop's end it goes back to the loop's start instead of reading on.
    // Set while the feeder does not run.
    void setLoop(const FrameLoop &loop, std::int64_t sourceFrame);

    // Fills the ring on the calling thread, up to maxFrames; closes the ring's
    // input at the end of the file. For priming the ring before playback starts.
    void fill(WavSource &source, WavFrameRing &ring, std::int64_t maxFrames);

    // The frames read from now on go through stage before they reach the ring
    // (nullptr: they go in as the file holds them). The stage stays the
    // caller's; set only while the thread does not run.
    void shapeWith(GainStage *stage) { m_stage = stage; }

    void start(WavSource &source, WavFrameRing &ring);
    // Returns once the thread has ended; the source and ring are then free.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }

private:
    void run(WavSource *source, WavFrameRing *ring);
    void put(float *frames, std::int64_t count, WavFrameRing &ring);

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    std::vector<float> m_chunk;
    FrameLoop m_loop;
    std::int64_t m_sourceFrame = 0;  // the next frame the source reads
    GainStage *m_stage = nullptr;
    std::vector<float> m_shaped;
};

}  // namespace string_device
