#include "playback/WavFrameRing.h"

#include <algorithm>
#include <cstring>

namespace string_device {

void WavFrameRing::configure(int channels, std::size_t minimumFrames)
{
    std::size_t capacity = 1;
    while (capacity < minimumFrames)
        capacity <<= 1;
    m_channels = std::max(channels, 1);
    m_mask = capacity - 1;
    m_samples.assign(capacity * static_cast<std::size_t>(m_channels), 0.0f);
    reset();
}

void WavFrameRing::reset()
{
    m_written.store(0, std::memory_order_relaxed);
    m_read.store(0, std::memory_order_relaxed);
    m_inputClosed.store(false, std::memory_order_release);
}

std::size_t WavFrameRing::writableFrames() const
{
    const std::uint64_t used = m_written.load(std::memory_order_relaxed)
                               - m_read.load(std::memory_order_acquire);
    return capacityFrames() - static_cast<std::size_t>(used);
}

void WavFrameRing::write(const float *frames, std::size_t count)
{
    const std::uint64_t start = m_written.load(std::memory_order_relaxed);
    const std::size_t first = static_cast<std::size_t>(start) & m_mask;
    const std::size_t head = std::min(count, capacityFrames() - first);
    const std::size_t ch = static_cast<std::size_t>(m_channels);
    std::memcpy(m_samples.data() + first * ch, frames, head * ch * sizeof(float));
    std::memcpy(m_samples.data(), frames + head * ch, (count - head) * ch * sizeof(float));
    m_written.store(start + count, std::memory_order_release);
}

std::size_t WavFrameRing::read(float *out, std::size_t count)
{
    const std::uint64_t start = m_read.load(std::memory_order_relaxed);
    const std::uint64_t available = m_written.load(std::memory_order_acquire) - start;
    count = std::min<std::size_t>(count, static_cast<std::size_t>(available));
    const std::size_t first = static_cast<std::size_t>(start) & m_mask;
    const std::size_t head = std::min(count, capacityFrames() - first);
    const std::size_t ch = static_cast<std::size_t>(m_channels);
    std::memcpy(out, m_samples.data() + first * ch, head * ch * sizeof(float));
    std::memcpy(out + head * ch, m_samples.data(), (count - head) * ch * sizeof(float));
    m_read.store(start + count, std::memory_order_release);
    return count;
}

bool WavFrameRing::drained() const
{
    // Closed is read first: the frames written before closing are then visible.
    if (!m_inputClosed.load(std::memory_order_acquire))
        return false;
    return m_written.load(std::memory_order_acquire) == m_read.load(std::memory_order_relaxed);
}

}  // namespace string_device
