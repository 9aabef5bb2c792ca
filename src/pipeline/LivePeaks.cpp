#include "pipeline/LivePeaks.h"

#include "files/FileNames.h"
#include "files/UniqueFd.h"

#include "pipeline/WaitingWorkers.h"

#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

struct LivePeaks::State {
    QByteArray path;
    // Set by the owner; the worker looks at them between reads.
    std::atomic<std::int64_t> framesWritten{-1};  // -1 while the writer writes
    std::atomic<bool> abandoned{false};
    LivePeaks::SnapshotSink onProgress;
    // Held while onProgress runs, and by the owner while it ends the follow:
    // once finish() or abandon() has returned, no report runs or comes.
    std::mutex sinkLock;
};

namespace {

constexpr auto Pause = std::chrono::milliseconds(15);
// How often the peaks so far are handed out while the file grows.
constexpr auto SnapshotEvery = std::chrono::milliseconds(300);

std::uint32_t le32(const unsigned char *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

std::uint16_t le16(const unsigned char *p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Reads the file from where `fd` stands into `bytes` until `want` bytes are
// there, waiting for the writer while it writes. False when the writer is done
// (or the owner gave up) before they came.
bool readAtLeast(int fd, std::vector<unsigned char> &bytes, std::size_t want, const LivePeaks::State &state)
{
    unsigned char buffer[64 * 1024];
    while (bytes.size() < want) {
        if (state.abandoned.load())
            return false;
        const bool writerDone = state.framesWritten.load() >= 0;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            if (writerDone)
                return false;  // read after the writer ended: nothing more will come
            std::this_thread::sleep_for(Pause);
            continue;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return true;
}

struct Format {
    int channels = 0;
    int sampleRate = 0;
    std::size_t dataStart = 0;  // offset of the first sample
};

// The format and where the samples begin, from the chunks before "data"; the
// sizes in the header are not final while the file is written, so only the
// chunks' own sizes before "data" are trusted.
std::optional<Format> readHeader(int fd, std::vector<unsigned char> &bytes, const LivePeaks::State &state)
{
    if (!readAtLeast(fd, bytes, 12, state))
        return std::nullopt;
    if ((std::memcmp(bytes.data(), "RIFF", 4) != 0 && std::memcmp(bytes.data(), "RF64", 4) != 0)
        || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    Format format;
    bool pcm16 = false;
    std::size_t at = 12;
    for (;;) {
        if (!readAtLeast(fd, bytes, at + 8, state))
            return std::nullopt;
        const unsigned char *chunk = bytes.data() + at;
        const std::uint32_t size = le32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            format.dataStart = at + 8;
            break;
        }
        if (size > (1u << 20))
            return std::nullopt;  // no chunk before the samples is this big
        if (!readAtLeast(fd, bytes, at + 8 + size, state))
            return std::nullopt;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            const unsigned char *fmt = bytes.data() + at + 8;
            const std::uint16_t tag = le16(fmt);
            format.channels = le16(fmt + 2);
            format.sampleRate = static_cast<int>(le32(fmt + 4));
            const std::uint16_t bits = le16(fmt + 14);
            // WAVE_FORMAT_PCM, or WAVE_FORMAT_EXTENSIBLE with the PCM sub-format
            const bool pcm = tag == 1 || (tag == 0xFFFE && size >= 26 && le16(fmt + 24) == 1);
            pcm16 = pcm && bits == 16;
        }
        at += 8 + size + (size & 1);
    }
    if (!pcm16 || format.channels < 1 || format.sampleRate < 1)
        return std::nullopt;
    return format;
}

std::shared_ptr<const PeakSummary> follow(const std::shared_ptr<LivePeaks::State> &state)
{
    // The decode creates the file a moment after it starts.
    UniqueFd file;
    while (!file.isValid()) {
        file.reset(::open(state->path.constData(), O_RDONLY | O_CLOEXEC));
        if (file.isValid())
            break;
        if (state->abandoned.load() || state->framesWritten.load() >= 0)
            return nullptr;
        std::this_thread::sleep_for(Pause);
    }
    std::vector<unsigned char> bytes;
    const std::optional<Format> format = readHeader(file.get(), bytes, *state);
    if (!format)
        return nullptr;

    PeakSummary summary(format->channels, format->sampleRate);
    // The summary so far, finished in a copy of its own.
    const auto handOut = [&state, &summary, &format] {
        if (!state->onProgress || state->framesWritten.load() >= 0 || state->abandoned.load())
            return;
        auto copy = std::make_shared<PeakSummary>(summary);
        copy->finish();
        const std::lock_guard lock(state->sinkLock);
        if (state->framesWritten.load() < 0 && !state->abandoned.load())
            state->onProgress({std::move(copy), format->sampleRate, format->channels, summary.frames()});
    };
    handOut();
    // Then the first frames, and new frames, read or waited for, at most every
    // SnapshotEvery.
    auto lastHandedOut = std::chrono::steady_clock::now();
    std::int64_t handedFrames = 0;
    const auto handOutNew = [&] {
        const auto now = std::chrono::steady_clock::now();
        // the first frames at once: they make the file usable
        if (summary.frames() == handedFrames || (handedFrames > 0 && now - lastHandedOut < SnapshotEvery))
            return;
        handOut();
        handedFrames = summary.frames();
        lastHandedOut = now;
    };
    const std::size_t frameBytes = static_cast<std::size_t>(format->channels) * 2;
    // The samples read with the header, then the rest as it comes.
    std::vector<unsigned char> pending(bytes.begin() + static_cast<std::ptrdiff_t>(format->dataStart), bytes.end());
    std::vector<float> frames;
    unsigned char buffer[256 * 1024];
    for (;;) {
        if (state->abandoned.load())
            return nullptr;
        const std::int64_t written = state->framesWritten.load();
        // Only whole frames, and never past the last frame the writer wrote.
        std::size_t usable = pending.size() / frameBytes;
        if (written >= 0)
            usable = static_cast<std::size_t>(std::min<std::int64_t>(usable, written - summary.frames()));
        if (usable > 0) {
            frames.resize(usable * format->channels);
            const unsigned char *p = pending.data();
            for (float &value : frames) {
                value = static_cast<std::int16_t>(le16(p)) / 32768.0f;
                p += 2;
            }
            summary.append(frames.data(), static_cast<std::int64_t>(usable));
            pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(usable * frameBytes));
            handOutNew();
        }
        if (written >= 0 && summary.frames() == written)
            break;
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return nullptr;
        if (n == 0) {
            if (written >= 0)
                return nullptr;  // the writer is done and the file holds fewer frames than it said
            handOutNew();
            std::this_thread::sleep_for(Pause);
            continue;
        }
        pending.insert(pending.end(), buffer, buffer + n);
    }
    summary.finish();
    return std::make_shared<const PeakSummary>(std::move(summary));
}

}  // namespace

LivePeaks::~LivePeaks()
{
    abandon();
}

void LivePeaks::start(const QString &path, SnapshotSink onProgress)
{
    abandon();
    m_state = std::make_shared<State>();
    m_state->path = file_names::encode(path);
    m_state->onProgress = std::move(onProgress);
    m_result = QtConcurrent::run(&waitingWorkers(), [state = m_state] { return follow(state); });
}

QFuture<std::shared_ptr<const PeakSummary>> LivePeaks::finish(std::int64_t frames)
{
    if (m_state) {
        const std::lock_guard lock(m_state->sinkLock);
        m_state->framesWritten.store(frames);
    }
    m_state.reset();
    return m_result;
}

void LivePeaks::abandon()
{
    if (m_state) {
        const std::lock_guard lock(m_state->sinkLock);
        m_state->abandoned.store(true);
    }
    m_state.reset();
}
