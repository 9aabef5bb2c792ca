#pragma once

#include "playback/FadeEnvelope.h"
#include "playback/SdlHandoffClock.h"

#include <QString>
#include <atomic>
#include <functional>
#include <cstdint>

namespace string_device {

class WavFrameRing;

// What the audio driver has been given so far; for the benchmark and the tests.
struct SdlOutputStats {
    QString driver;                      // SDL's name of the driver in use ("dummy", "pulseaudio" ...)
    int sampleRate = 0;
    int bufferFrames = 0;                // frames per callback
    std::int64_t framesHanded = 0;       // file frame after the last one handed to the driver
    std::int64_t callbacks = 0;          // callbacks since open
    std::int64_t startNanoseconds = 0;   // steady clock at the last start()
    std::int64_t firstHandoffNanoseconds = 0;  // first callback after it that handed frames; 0 = none yet
};

// One SDL audio device in callback mode, fed from a frame ring. SDL itself stays
// inside the .cpp. The callback only copies from the ring, scales the frames by
// the fade envelope, moves an atomic frame cursor and publishes the hand-off
// time: no allocation, no lock of its own.
//
// SDL's audio subsystem is started on the first open and kept for the life of
// the process. SDL_AUDIODRIVER is honoured; when no output can be opened the
// process switches to SDL's "dummy" driver, which consumes samples in real time
// without sound, so positions still advance.
class SdlAudioOutput {
public:
    SdlAudioOutput() = default;
    ~SdlAudioOutput();
    SdlAudioOutput(const SdlAudioOutput &) = delete;
    SdlAudioOutput &operator=(const SdlAudioOutput &) = delete;

    // Opens the device halted, with a flat fade envelope. SDL converts when the
    // hardware wants another format.
    bool open(int sampleRate, int channels, WavFrameRing &ring);
    void close();
    bool isOpen() const { return m_device != 0; }
    QString errorText() const { return m_error; }

    // Starts handing frames from the ring, counting them from file frame fromFrame.
    void start(std::int64_t fromFrame);
    // Returns once the callback is idle and will not run again until start().
    void halt();

    // The gain envelope every frame handed from now on is scaled by, by its
    // file frame; a flat one hands the ring's samples on unchanged. Taken
    // between two callbacks, never in the middle of one.
    void setFade(const FadeEnvelope &envelope);
    // The loop the ring's frames come through from the next start(): the
    // envelope and heardFrame() follow each count back to its file frame.
    void setLoop(const FrameLoop &loop);

    // Counted on through a loop (FrameLoop::fileFrame gives the file frame).
    std::int64_t framesHanded() const { return m_cursor.load(std::memory_order_acquire); }
    // The file frame the listener hears now.
    std::int64_t heardFrame() const;
    // The ring ran dry after its input was closed: the last frame has been handed over.
    bool reachedEnd() const { return m_reachedEnd.load(std::memory_order_acquire); }

    SdlOutputStats stats() const;

private:
    static void audioCallback(void *self, std::uint8_t *stream, int length);
    // Runs change where the callback cannot run: under SDL's device lock.
    void betweenCallbacks(const std::function<void()> &change);

    std::uint32_t m_device = 0;
    WavFrameRing *m_ring = nullptr;
    int m_sampleRate = 0;
    int m_channels = 0;
    int m_bufferFrames = 0;
    QString m_error;
    // Written only while the callback cannot run (SDL's device lock held, or
    // no device open), read only by the callback.
    FadeEnvelope m_fade;
    FrameLoop m_loop;

    std::atomic<std::int64_t> m_cursor{0};
    std::atomic<bool> m_reachedEnd{false};
    std::atomic<std::int64_t> m_callbacks{0};
    std::atomic<std::int64_t> m_firstHandoffNanoseconds{0};
    std::int64_t m_startNanoseconds = 0;
    SdlHandoffClock m_clock;
};

}  // namespace string_device
