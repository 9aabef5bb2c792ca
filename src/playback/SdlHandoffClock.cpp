#include "playback/SdlHandoffClock.h"

#include <algorithm>
#include <chrono>

namespace string_device {

void SdlHandoffClock::publish(const Handoff &handoff)
{
    const std::uint32_t sequence = m_sequence.load(std::memory_order_relaxed);
    m_sequence.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    m_firstFrame.store(handoff.firstFrame, std::memory_order_relaxed);
    m_frameCount.store(handoff.frameCount, std::memory_order_relaxed);
    m_nanoseconds.store(handoff.nanoseconds, std::memory_order_relaxed);
    m_sequence.store(sequence + 2, std::memory_order_release);
}

SdlHandoffClock::Handoff SdlHandoffClock::read() const
{
    Handoff h;
    for (;;) {
        const std::uint32_t before = m_sequence.load(std::memory_order_acquire);
        h.firstFrame = m_firstFrame.load(std::memory_order_relaxed);
        h.frameCount = m_frameCount.load(std::memory_order_relaxed);
        h.nanoseconds = m_nanoseconds.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        const std::uint32_t after = m_sequence.load(std::memory_order_relaxed);
        if (before == after && (before & 1u) == 0)
            return h;
    }
}

std::int64_t SdlHandoffClock::heardFrame(const Handoff &handoff, std::int64_t nowNanoseconds,
                                         int sampleRate)
{
    if (handoff.frameCount <= 0 || sampleRate <= 0)
        return handoff.firstFrame;
    const double elapsed = static_cast<double>(std::max<std::int64_t>(
                               nowNanoseconds - handoff.nanoseconds, 0))
                           * 1e-9 * sampleRate;
    const auto played = static_cast<std::int64_t>(
        std::min(elapsed, static_cast<double>(handoff.frameCount)));
    return handoff.firstFrame + played;
}

std::int64_t SdlHandoffClock::steadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace string_device
