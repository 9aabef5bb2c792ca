#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace string_device {

// Interleaved float frames passed from the reader thread (one producer) to the
// audio callback (one consumer). Neither side ever waits for the other: the
// callback must not block, so an empty ring is answered with silence, not a wait.
//
// configure() and reset() are for the owner while neither side runs.
class WavFrameRing {
public:
    void configure(int channels, std::size_t minimumFrames);
    void reset();

    int channels() const { return m_channels; }
    std::size_t capacityFrames() const { return m_mask + 1; }

    // Producer side.
    std::size_t writableFrames() const;
    void write(const float *frames, std::size_t count);  // count <= writableFrames()
    // No frames will follow the ones already written: the end of the file.
    void closeInput() { m_inputClosed.store(true, std::memory_order_release); }
    bool inputClosed() const { return m_inputClosed.load(std::memory_order_acquire); }

    // Consumer side. Copies up to count frames into out; returns how many.
    std::size_t read(float *out, std::size_t count);
    // The input was closed and everything written has been read.
    bool drained() const;

private:
    std::vector<float> m_samples;
    int m_channels = 1;
    std::size_t m_mask = 0;  // capacity in frames minus one; capacity is a power of two
    // Frame counters that only grow; their difference is the fill level.
    std::atomic<std::uint64_t> m_written{0};
    std::atomic<std::uint64_t> m_read{0};
    std::atomic<bool> m_inputClosed{false};
};

}  // namespace string_device
