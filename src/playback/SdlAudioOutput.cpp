#include "playback/SdlAudioOutput.h"

#include "playback/WavFrameRing.h"

#include <QDebug>

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace string_device {

namespace {

// Opened outputs of this process; the driver can only be switched while none is.
int openOutputs = 0;

// About 20 ms per callback, a power of two: short enough that playback starts
// and the position moves without a visible lag, long enough not to starve a
// desktop sound server.
int bufferFramesFor(int sampleRate)
{
    const int target = sampleRate / 50;
    int frames = 64;
    while (frames * 2 <= target || (frames * 2 - target) < (target - frames))
        frames *= 2;
    return std::min(frames, 8192);
}

bool initWithDriver(const char *forcedDriver)
{
    // SDL must not take over Ctrl+C and termination from the Qt program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Brindlewave");
    if (forcedDriver)
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, forcedDriver, SDL_HINT_OVERRIDE);
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

bool isOnDummy()
{
    const char *driver = SDL_GetCurrentAudioDriver();
    return driver && std::strcmp(driver, "dummy") == 0;
}

// Silent real-time playback is better than none: the time line and the
// selection still work on a machine without sound.
bool switchToDummy()
{
    if (SDL_WasInit(SDL_INIT_AUDIO))
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    qWarning("No audio output could be opened (%s); playing silently.", SDL_GetError());
    return initWithDriver("dummy");
}

bool ensureAudioSubsystem()
{
    if (SDL_WasInit(SDL_INIT_AUDIO))
        return true;
    if (initWithDriver(nullptr))
        return true;
    return switchToDummy();
}

}  // namespace

SdlAudioOutput::~SdlAudioOutput()
{
    close();
}

bool SdlAudioOutput::open(int sampleRate, int channels, WavFrameRing &ring)
{
    close();
    m_error.clear();
    if (!ensureAudioSubsystem()) {
        m_error = QString::fromUtf8(SDL_GetError());
        return false;
    }

    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = static_cast<Uint8>(channels);
    wanted.samples = static_cast<Uint16>(bufferFramesFor(sampleRate));
    wanted.callback = &SdlAudioOutput::audioCallback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // Only the buffer size may differ; SDL converts rate, format and channels.
    const int allowed = SDL_AUDIO_ALLOW_SAMPLES_CHANGE;

    m_ring = &ring;
    m_fade = FadeEnvelope{};
    m_loop = FrameLoop{};
    m_sampleRate = sampleRate;
    m_channels = channels;
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, allowed);
    if (m_device == 0 && openOutputs == 0 && !isOnDummy() && switchToDummy())
        m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, allowed);
    if (m_device == 0) {
        m_error = QString::fromUtf8(SDL_GetError());
        m_ring = nullptr;
        return false;
    }
    ++openOutputs;
    m_bufferFrames = obtained.samples;
    m_cursor.store(0, std::memory_order_relaxed);
    m_reachedEnd.store(false, std::memory_order_relaxed);
    m_callbacks.store(0, std::memory_order_relaxed);
    m_firstHandoffNanoseconds.store(0, std::memory_order_relaxed);
    m_clock.publish({0, 0, SdlHandoffClock::steadyNanoseconds()});
    return true;
}

void SdlAudioOutput::close()
{
    if (m_device == 0)
        return;
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    m_ring = nullptr;
    --openOutputs;
}

void SdlAudioOutput::start(std::int64_t fromFrame)
{
    if (m_device == 0)
        return;
    halt();
    const std::int64_t now = SdlHandoffClock::steadyNanoseconds();
    m_cursor.store(fromFrame, std::memory_order_relaxed);
    m_reachedEnd.store(false, std::memory_order_relaxed);
    m_firstHandoffNanoseconds.store(0, std::memory_order_relaxed);
    m_startNanoseconds = now;
    m_clock.publish({fromFrame, 0, now});
    // Unpausing takes the device lock, which orders the stores above before
    // the callback's first look at them.
    SDL_PauseAudioDevice(m_device, 0);
}

void SdlAudioOutput::halt()
{
    // Pausing takes the same lock the callback runs under, so once this returns
    // the callback has finished and will not be called until unpaused.
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, 1);
}

void SdlAudioOutput::betweenCallbacks(const std::function<void()> &change)
{
    // SDL runs the callback under the device lock: holding it, the change
    // comes between two callbacks and the callback itself never waits on a
    // lock of ours.
    if (m_device == 0) {
        change();
        return;
    }
    SDL_LockAudioDevice(m_device);
    change();
    SDL_UnlockAudioDevice(m_device);
}

void SdlAudioOutput::setFade(const FadeEnvelope &envelope)
{
    betweenCallbacks([&] { m_fade = envelope; });
}

void SdlAudioOutput::setLoop(const FrameLoop &loop)
{
    betweenCallbacks([&] { m_loop = loop; });
}

std::int64_t SdlAudioOutput::heardFrame() const
{
    return m_loop.fileFrame(SdlHandoffClock::heardFrame(m_clock.read(), SdlHandoffClock::steadyNanoseconds(),
                                                        m_sampleRate));
}

SdlOutputStats SdlAudioOutput::stats() const
{
    SdlOutputStats s;
    if (m_device != 0) {
        const char *driver = SDL_GetCurrentAudioDriver();
        s.driver = QString::fromUtf8(driver ? driver : "");
    }
    s.sampleRate = m_sampleRate;
    s.bufferFrames = m_bufferFrames;
    s.framesHanded = framesHanded();
    s.callbacks = m_callbacks.load(std::memory_order_relaxed);
    s.startNanoseconds = m_startNanoseconds;
    s.firstHandoffNanoseconds = m_firstHandoffNanoseconds.load(std::memory_order_acquire);
    return s;
}

void SdlAudioOutput::audioCallback(void *self, std::uint8_t *stream, int length)
{
    auto *output = static_cast<SdlAudioOutput *>(self);
    const std::size_t channels = static_cast<std::size_t>(output->m_channels);
    const std::size_t frames = static_cast<std::size_t>(length) / (sizeof(float) * channels);
    auto *out = reinterpret_cast<float *>(stream);

    const std::int64_t first = output->m_cursor.load(std::memory_order_relaxed);
    const std::size_t got = output->m_ring->read(out, frames);
    // The cursor is the file frame of the first frame read, so the envelope
    // follows the file across seeks, pauses and resumes.
    applyLoopedFade(output->m_fade, output->m_loop, first, out, got, output->m_channels);
    if (got < frames) {
        // Either the end of the file or the reader falling behind; both are
        // heard as silence and neither moves the cursor.
        std::memset(out + got * channels, 0, (frames - got) * channels * sizeof(float));
    }
    const std::int64_t now = SdlHandoffClock::steadyNanoseconds();
    const auto handed = static_cast<std::int64_t>(got);
    output->m_clock.publish({first, handed, now});
    output->m_cursor.store(first + handed, std::memory_order_release);
    if (got > 0 && output->m_firstHandoffNanoseconds.load(std::memory_order_relaxed) == 0)
        output->m_firstHandoffNanoseconds.store(now, std::memory_order_release);
    if (got < frames && output->m_ring->drained())
        output->m_reachedEnd.store(true, std::memory_order_release);
    output->m_callbacks.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace string_device
