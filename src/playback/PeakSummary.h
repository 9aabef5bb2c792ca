#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The lowest and highest sample value of a stretch of one channel, on the
// -1..1 scale. An empty stretch (nothing of the file in it) is (0, 0).
struct MinMax {
    float min = 0.0f;
    float max = 0.0f;
};

// A multi-resolution min/max summary of an audio file, per channel, for drawing
// its waveform at any zoom without the samples.
//
// Level 0 holds one min/max pair per base block of BaseBlockFrames frames;
// level k + 1 holds one pair per LevelFactor blocks of level k and is built from
// level k alone. Each pair is stored as two int16 values: a sample value v maps
// to v * 32768, the minimum rounded down and the maximum rounded up, so the
// stored pair always encloses the true one and is at most one step (1/32768)
// wider; values beyond full scale are clamped to it. 16-bit sources are kept
// exactly. A 1-hour 44.1 kHz stereo file takes about 5.7 MB.
//
// Fed incrementally: append() takes interleaved float frames in chunks of any
// size; finish() closes the last, possibly partial, block of every level. The
// queries may run at any time and cover the blocks completed so far; after
// finish() they cover the whole file. Not thread-safe: one thread builds, and
// readers may look only once the summary is finished (e.g. shared as const).
class PeakSummary {
public:
    static constexpr int BaseBlockFrames = 256;
    static constexpr int LevelFactor = 8;
    static constexpr int CoarseLevels = 5;  // blocks of 2048 .. 8388608 frames

    // channels >= 1.
    PeakSummary(int channels, int sampleRate);

    // Reserves room for a file of about this many frames, so that building it
    // does not grow (and over-allocate) the levels.
    void reserve(std::int64_t frames);
    // frames * channels() interleaved values.
    void append(const float *interleaved, std::int64_t frames);
    // Closes the partial last block of each level. Appending after this is not
    // allowed; calling it again does nothing.
    void finish();

    int channels() const { return m_channels; }
    int sampleRate() const { return m_sampleRate; }
    std::int64_t frames() const { return m_frames; }
    bool isFinished() const { return m_finished; }
    // Memory held by the summary, the object itself included.
    std::size_t bytes() const;

    // Min and max of the channel over every base block that [fromFrame, toFrame)
    // touches. For ends on base-block boundaries (or the end of the file) this is
    // the exact min and max of those frames, up to the quantisation step; a range
    // that cuts a block takes that whole block. The range is clipped to the file;
    // nothing left gives (0, 0). Costs O(LevelFactor * levels) block lookups.
    MinMax range(int channel, std::int64_t fromFrame, std::int64_t toFrame) const;

    // One min/max per pixel column: column i covers frames
    // [firstFrame + i * framesPerColumn, firstFrame + (i + 1) * framesPerColumn),
    // its ends rounded down to whole frames, and takes range() of them. Adjacent
    // columns share their boundary frame, so no frame falls between columns. A
    // column narrower than a frame takes the frame it starts in, so at deep zoom
    // every column shows its base block. Columns wholly outside the file are
    // (0, 0).
    void columns(int channel, double firstFrame, double framesPerColumn, int count, MinMax *out) const;

    // The quantisation step of the stored values.
    static constexpr float Step = 1.0f / 32768.0f;

private:
    struct Peak {
        std::int16_t min;
        std::int16_t max;
    };
    // One level: blocks of blockFrames frames, one vector of pairs per channel.
    struct Level {
        std::int64_t blockFrames = 0;
        std::vector<std::vector<Peak>> channels;
        std::size_t blocks() const { return channels.front().size(); }
    };

    void closeBaseBlock();
    void rollUp(int level, bool partial);
    static Peak merge(const Peak *peaks, std::size_t count);
    Peak peakOver(int channel, std::int64_t firstBlock, std::int64_t endBlock) const;

    int m_channels;
    int m_sampleRate;
    std::int64_t m_frames = 0;
    bool m_finished = false;
    std::vector<Level> m_levels;
    // the base block being filled: frames so far and each channel's extremes
    int m_pending = 0;
    std::vector<float> m_pendingMin, m_pendingMax;
};

// Reads the whole audio file at path (any format libsndfile reads, RF64 included)
// and summarises it. Empty when the file cannot be opened or a read fails.
// Shares nothing, so it may run on a worker thread.
std::optional<PeakSummary> summariseWav(const QString &path);
