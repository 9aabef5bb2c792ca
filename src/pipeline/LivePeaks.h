#pragma once

#include "playback/PeakSummary.h"

#include <QFuture>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// The waveform's peaks of the working WAV, summarised while the decode writes
// it: a worker follows the file as it grows, so that when the decode ends only
// its last part is left to read. Follows 16-bit PCM WAV files (what the decode
// writes); anything else it gives up on, and the file is then to be read whole
// once written.
class LivePeaks {
public:
    LivePeaks() = default;
    // Stops the worker, as abandon() does.
    ~LivePeaks();
    LivePeaks(const LivePeaks &) = delete;
    LivePeaks &operator=(const LivePeaks &) = delete;

    // What has been summarised so far of the file being written: its format,
    // the frames read, and the peaks of those frames (a finished summary of
    // its own, which the follower never touches again).
    struct Snapshot {
        std::shared_ptr<const PeakSummary> peaks;
        int sampleRate = 0;
        int channels = 0;
        std::int64_t frames = 0;
    };
    using SnapshotSink = std::function<void(Snapshot)>;

    // Starts following the file at path, which may not exist yet. While the
    // writer writes, onProgress (if given) is called on the worker: once the
    // header has been read, as soon as the first frames are, then every few
    // hundred milliseconds while frames come; never after finish() or abandon().
    void start(const QString &path, SnapshotSink onProgress = {});

    // The writer has written all of the file's `frames` frames: the worker reads
    // to them and gives the finished summary, or null when it could not follow
    // the file or found fewer frames. Once per start.
    QFuture<std::shared_ptr<const PeakSummary>> finish(std::int64_t frames);

    // The file is of no use: the worker stops and gives nothing.
    void abandon();

    struct State;

private:
    std::shared_ptr<State> m_state;
    QFuture<std::shared_ptr<const PeakSummary>> m_result;
};
