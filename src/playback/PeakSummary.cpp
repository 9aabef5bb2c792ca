#include "playback/PeakSummary.h"

#include "playback/WavSource.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr float Scale = 32768.0f;
constexpr float NoMin = std::numeric_limits<float>::infinity();
constexpr float NoMax = -std::numeric_limits<float>::infinity();

// The extremes of frames interleaved frames of C channels (1 or 2), folded
// into lo/hi. A NaN sample compares false and leaves the extremes as they were.
template <int C>
void foldFrames(const float *samples, std::int64_t frames, float *lo, float *hi)
{
    static_assert(C == 1 || C == 2);
    const std::int64_t count = frames * C;
    std::int64_t i = 0;
    float l[C], h[C];
    for (int c = 0; c < C; ++c) {
        l[c] = lo[c];
        h[c] = hi[c];
    }
#if defined(__SSE2__)
    // sixteen values a step in four registers: lane k of a register always
    // holds channel k % C, because every load starts a multiple of C values on
    if (count >= 16) {
        const __m128 startLo = C == 1 ? _mm_set1_ps(l[0]) : _mm_setr_ps(l[0], l[C - 1], l[0], l[C - 1]);
        const __m128 startHi = C == 1 ? _mm_set1_ps(h[0]) : _mm_setr_ps(h[0], h[C - 1], h[0], h[C - 1]);
        // a chain of extremes per register, so that their latencies overlap
        __m128 chainLo[4] = {startLo, startLo, startLo, startLo};
        __m128 chainHi[4] = {startHi, startHi, startHi, startHi};
        for (; i + 16 <= count; i += 16) {
            for (int r = 0; r < 4; ++r) {
                const __m128 v = _mm_loadu_ps(samples + i + 4 * r);
                // the sample first: minps/maxps give the second operand when the first is NaN
                chainLo[r] = _mm_min_ps(v, chainLo[r]);
                chainHi[r] = _mm_max_ps(v, chainHi[r]);
            }
        }
        const __m128 lo1 = _mm_min_ps(chainLo[0], chainLo[1]), lo2 = _mm_min_ps(chainLo[2], chainLo[3]);
        const __m128 hi1 = _mm_max_ps(chainHi[0], chainHi[1]), hi2 = _mm_max_ps(chainHi[2], chainHi[3]);
        alignas(16) float lows[4], highs[4];
        _mm_store_ps(lows, _mm_min_ps(lo1, lo2));
        _mm_store_ps(highs, _mm_max_ps(hi1, hi2));
        for (int k = 0; k < 4; ++k) {
            l[k % C] = std::min(l[k % C], lows[k]);
            h[k % C] = std::max(h[k % C], highs[k]);
        }
    }
#endif
    for (; i < count; i += C) {
        for (int c = 0; c < C; ++c) {
            const float v = samples[i + c];
            l[c] = v < l[c] ? v : l[c];
            h[c] = v > h[c] ? v : h[c];
        }
    }
    for (int c = 0; c < C; ++c) {
        lo[c] = l[c];
        hi[c] = h[c];
    }
}

void foldFramesAnyWidth(const float *samples, std::int64_t frames, int channels, float *lo, float *hi)
{
    for (std::int64_t f = 0; f < frames; ++f) {
        const float *frame = samples + f * channels;
        for (int c = 0; c < channels; ++c) {
            lo[c] = frame[c] < lo[c] ? frame[c] : lo[c];
            hi[c] = frame[c] > hi[c] ? frame[c] : hi[c];
        }
    }
}

void fold(const float *samples, std::int64_t frames, int channels, float *lo, float *hi)
{
    switch (channels) {
    case 1: foldFrames<1>(samples, frames, lo, hi); break;
    case 2: foldFrames<2>(samples, frames, lo, hi); break;
    default: foldFramesAnyWidth(samples, frames, channels, lo, hi); break;
    }
}

std::int16_t quantise(float scaled)
{
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

std::int64_t ceilDiv(std::int64_t a, std::int64_t b)
{
    return (a + b - 1) / b;
}

}  // namespace

PeakSummary::PeakSummary(int channels, int sampleRate)
    : m_channels(std::max(1, channels)), m_sampleRate(sampleRate)
{
    std::int64_t blockFrames = BaseBlockFrames;
    for (int k = 0; k <= CoarseLevels; ++k) {
        Level level;
        level.blockFrames = blockFrames;
        level.channels.resize(m_channels);
        m_levels.push_back(std::move(level));
        blockFrames *= LevelFactor;
    }
    m_pendingMin.assign(m_channels, NoMin);
    m_pendingMax.assign(m_channels, NoMax);
}

void PeakSummary::reserve(std::int64_t frames)
{
    for (Level &level : m_levels)
        for (auto &peaks : level.channels)
            peaks.reserve(static_cast<std::size_t>(ceilDiv(std::max<std::int64_t>(0, frames), level.blockFrames)));
}

void PeakSummary::append(const float *interleaved, std::int64_t frames)
{
    if (m_finished || frames <= 0)
        return;
    m_frames += frames;
    const float *at = interleaved;
    // first top up a base block begun by an earlier chunk
    if (m_pending > 0) {
        const std::int64_t take = std::min<std::int64_t>(frames, BaseBlockFrames - m_pending);
        fold(at, take, m_channels, m_pendingMin.data(), m_pendingMax.data());
        m_pending += static_cast<int>(take);
        at += take * m_channels;
        frames -= take;
        if (m_pending == BaseBlockFrames)
            closeBaseBlock();
    }
    // whole blocks straight from the chunk, then the start of the next one
    while (frames > 0) {
        const std::int64_t take = std::min<std::int64_t>(frames, BaseBlockFrames);
        fold(at, take, m_channels, m_pendingMin.data(), m_pendingMax.data());
        m_pending = static_cast<int>(take);
        at += take * m_channels;
        frames -= take;
        if (m_pending == BaseBlockFrames)
            closeBaseBlock();
    }
}

void PeakSummary::closeBaseBlock()
{
    Level &base = m_levels.front();
    for (int c = 0; c < m_channels; ++c) {
        Peak peak{0, 0};
        if (m_pendingMin[c] <= m_pendingMax[c])  // false when every sample was NaN
            peak = Peak{quantise(std::floor(m_pendingMin[c] * Scale)), quantise(std::ceil(m_pendingMax[c] * Scale))};
        base.channels[c].push_back(peak);
        m_pendingMin[c] = NoMin;
        m_pendingMax[c] = NoMax;
    }
    m_pending = 0;
    rollUp(0, false);
}

// After a block was added to level: when it completes a group of LevelFactor
// blocks (or, with partial, whatever trails the last complete group), the
// group becomes one block of the level above, which may complete a group there.
void PeakSummary::rollUp(int level, bool partial)
{
    if (level + 1 >= static_cast<int>(m_levels.size()))
        return;
    const Level &below = m_levels[level];
    const std::size_t blocks = below.blocks();
    const std::size_t trailing = blocks % LevelFactor;
    const std::size_t group = trailing == 0 ? (partial ? 0 : LevelFactor) : (partial ? trailing : 0);
    if (group == 0 || blocks == 0)
        return;
    Level &above = m_levels[level + 1];
    for (int c = 0; c < m_channels; ++c)
        above.channels[c].push_back(merge(below.channels[c].data() + blocks - group, group));
    rollUp(level + 1, false);
}

void PeakSummary::finish()
{
    if (m_finished)
        return;
    if (m_pending > 0)
        closeBaseBlock();
    for (int k = 0; k + 1 < static_cast<int>(m_levels.size()); ++k)
        rollUp(k, true);
    for (Level &level : m_levels)
        for (auto &peaks : level.channels)
            peaks.shrink_to_fit();
    m_finished = true;
}

std::size_t PeakSummary::bytes() const
{
    std::size_t total = sizeof(*this);
    total += m_levels.capacity() * sizeof(Level);
    for (const Level &level : m_levels) {
        total += level.channels.capacity() * sizeof(std::vector<Peak>);
        for (const auto &peaks : level.channels)
            total += peaks.capacity() * sizeof(Peak);
    }
    total += (m_pendingMin.capacity() + m_pendingMax.capacity()) * sizeof(float);
    return total;
}

PeakSummary::Peak PeakSummary::merge(const Peak *peaks, std::size_t count)
{
    Peak out{32767, -32768};
    for (std::size_t i = 0; i < count; ++i) {
        out.min = std::min(out.min, peaks[i].min);
        out.max = std::max(out.max, peaks[i].max);
    }
    return out;
}

// The extremes of base blocks [firstBlock, endBlock): the stretch is narrowed
// level by level, each level taking the blocks at its two edges that no block
// of the level above covers whole, the top level whatever is left.
PeakSummary::Peak PeakSummary::peakOver(int channel, std::int64_t firstBlock, std::int64_t endBlock) const
{
    Peak out{32767, -32768};
    auto take = [&](int level, std::int64_t from, std::int64_t to) {
        if (from >= to)
            return;
        const Peak part = merge(m_levels[level].channels[channel].data() + from, std::size_t(to - from));
        out.min = std::min(out.min, part.min);
        out.max = std::max(out.max, part.max);
    };
    std::int64_t lo = firstBlock, hi = endBlock;
    int level = 0;
    const int top = static_cast<int>(m_levels.size()) - 1;
    while (lo < hi) {
        if (level < top) {
            const auto here = static_cast<std::int64_t>(m_levels[level].blocks());
            const auto above = static_cast<std::int64_t>(m_levels[level + 1].blocks());
            // parent j covers blocks [j * F, min((j + 1) * F, here)) of this level;
            // the last parent may be partial, and only it reaches past hi / F * F
            const std::int64_t upLo = ceilDiv(lo, LevelFactor);
            const std::int64_t upHi = hi == here ? std::min(above, ceilDiv(hi, LevelFactor)) : hi / LevelFactor;
            if (upLo < upHi) {
                take(level, lo, upLo * LevelFactor);
                take(level, std::min(hi, upHi * LevelFactor), hi);
                lo = upLo;
                hi = upHi;
                ++level;
                continue;
            }
        }
        take(level, lo, hi);
        break;
    }
    return out;
}

MinMax PeakSummary::range(int channel, std::int64_t fromFrame, std::int64_t toFrame) const
{
    if (channel < 0 || channel >= m_channels)
        return {};
    const std::int64_t from = std::max<std::int64_t>(0, fromFrame);
    const std::int64_t to = std::min(toFrame, m_frames);
    if (from >= to)
        return {};
    const auto blocks = static_cast<std::int64_t>(m_levels.front().blocks());
    const std::int64_t first = from / BaseBlockFrames;
    const std::int64_t end = std::min(blocks, ceilDiv(to, BaseBlockFrames));
    if (first >= end)
        return {};
    const Peak peak = peakOver(channel, first, end);
    return MinMax{peak.min / Scale, peak.max / Scale};
}

void PeakSummary::columns(int channel, double firstFrame, double framesPerColumn, int count, MinMax *out) const
{
    // column edges as whole frames, kept within a frame of the file so that
    // far-off positions neither overflow nor land inside it
    const double lowest = -1.0, highest = static_cast<double>(m_frames) + 1.0;
    auto edge = [&](int i) {
        return static_cast<std::int64_t>(std::floor(std::clamp(firstFrame + i * framesPerColumn, lowest, highest)));
    };
    std::int64_t from = edge(0);
    for (int i = 0; i < count; ++i) {
        const std::int64_t to = edge(i + 1);
        out[i] = range(channel, from, std::max(to, from + 1));
        from = to;
    }
}

std::optional<PeakSummary> summariseWav(const QString &path)
{
    string_device::WavSource source;
    if (!source.open(path))
        return std::nullopt;
    PeakSummary summary(source.channels(), source.sampleRate());
    summary.reserve(source.frames());
    constexpr std::int64_t ChunkFrames = 16384;
    std::vector<float> chunk(static_cast<std::size_t>(ChunkFrames * source.channels()));
    for (;;) {
        const std::int64_t got = source.read(chunk.data(), ChunkFrames);
        if (got <= 0)
            break;
        summary.append(chunk.data(), got);
    }
    if (!source.errorText().isEmpty())
        return std::nullopt;
    summary.finish();
    return summary;
}
