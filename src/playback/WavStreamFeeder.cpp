#include "playback/WavStreamFeeder.h"

#include "playback/GainStage.h"
#include "playback/WavFrameRing.h"
#include "playback/WavSource.h"

#include <QDebug>

#include <algorithm>
#include <chrono>

namespace string_device {

namespace {

constexpr std::int64_t ChunkFrames = 4096;
// The ring holds about a second; waking every 20 ms keeps it nearly full even
// when a read now and then stalls on a cold disk.
constexpr auto RefillInterval = std::chrono::milliseconds(20);

}  // namespace

WavStreamFeeder::~WavStreamFeeder()
{
    stop();
}

void WavStreamFeeder::setLoop(const FrameLoop &loop, std::int64_t sourceFrame)
{
    m_loop = loop;
    m_sourceFrame = sourceFrame;
}

void WavStreamFeeder::fill(WavSource &source, WavFrameRing &ring, std::int64_t maxFrames)
{
    const std::size_t chunkSamples =
        static_cast<std::size_t>(ChunkFrames) * static_cast<std::size_t>(ring.channels());
    if (m_chunk.size() < chunkSamples)
        m_chunk.resize(chunkSamples);
    std::int64_t done = 0;
    while (done < maxFrames) {
        const bool looping = m_loop.active() && m_sourceFrame <= m_loop.endFrame;
        if (looping && m_sourceFrame == m_loop.endFrame) {
            // Each pass is shaped as the saved ringtone is: what the stage
            // still holds comes out, and the next pass starts it from rest.
            if (m_stage) {
                if (static_cast<std::int64_t>(ring.writableFrames()) < m_stage->heldBackFrames())
                    return;  // again once the device has taken some
                m_stage->finish(m_shaped);
                ring.write(m_shaped.data(), m_shaped.size() / static_cast<std::size_t>(ring.channels()));
                m_stage->restart(m_loop.startFrame);
            }
            if (!source.seek(m_loop.startFrame)) {
                qWarning("Playback stops early: %s", qPrintable(source.errorText()));
                ring.closeInput();
                return;
            }
            m_sourceFrame = m_loop.startFrame;
        }
        // Room is kept for what the stage holds back, which comes out on top
        // of a later read.
        const std::int64_t heldBack = m_stage ? m_stage->heldBackFrames() : 0;
        std::int64_t wanted = std::min<std::int64_t>(
            {ChunkFrames, maxFrames - done, static_cast<std::int64_t>(ring.writableFrames()) - heldBack});
        if (looping)
            wanted = std::min(wanted, m_loop.endFrame - m_sourceFrame);
        if (wanted <= 0)
            return;
        const std::int64_t got = source.read(m_chunk.data(), wanted);
        put(m_chunk.data(), got, ring);
        done += got;
        m_sourceFrame += got;
        if (got < wanted) {
            // A short read is the end of the file or a broken one; either way
            // playback has to end here rather than wait for frames forever.
            if (!source.errorText().isEmpty())
                qWarning("Playback stops early: %s", qPrintable(source.errorText()));
            if (m_stage) {
                m_stage->finish(m_shaped);
                ring.write(m_shaped.data(), m_shaped.size() / static_cast<std::size_t>(ring.channels()));
            }
            ring.closeInput();
            return;
        }
    }
}

void WavStreamFeeder::put(float *frames, std::int64_t count, WavFrameRing &ring)
{
    if (!m_stage) {
        ring.write(frames, static_cast<std::size_t>(count));
        return;
    }
    m_stage->push(frames, count, m_shaped);
    ring.write(m_shaped.data(), m_shaped.size() / static_cast<std::size_t>(ring.channels()));
}

void WavStreamFeeder::start(WavSource &source, WavFrameRing &ring)
{
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = false;
    }
    m_thread = std::thread(&WavStreamFeeder::run, this, &source, &ring);
}

void WavStreamFeeder::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void WavStreamFeeder::run(WavSource *source, WavFrameRing *ring)
{
    std::unique_lock lock(m_mutex);
    while (!m_stopRequested) {
        lock.unlock();
        fill(*source, *ring, static_cast<std::int64_t>(ring->capacityFrames()));
        lock.lock();
        if (ring->inputClosed())
            break;  // the whole file is in; the callback notices the end by itself
        m_wake.wait_for(lock, RefillInterval, [this] { return m_stopRequested; });
    }
}

}  // namespace string_device
