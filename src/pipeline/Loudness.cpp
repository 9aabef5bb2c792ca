#include "pipeline/Loudness.h"

#include "playback/Timeline.h"
#include "playback/WavSource.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr std::int64_t ChunkFrames = 16384;
// The refinement stops once the limited stretch is this close to the target.
constexpr double LoudnessToleranceLu = 0.1;
constexpr int MaxRefinements = 8;

double dbToLinear(double db)
{
    return std::pow(10.0, db / 20.0);
}

// The limiter's ceiling as the cut gives it to alimiter, whose limit goes
// from 0.0625 to 1.
double limiterCeilingDbfs(const LoudnessGain &gain)
{
    return std::clamp(gain.limitDbfs, 20.0 * std::log10(0.0625), 0.0);
}

// Nearest frame to a time, as ffmpeg turns a time in seconds into a sample
// position (halves away from zero).
std::int64_t msToFrames(std::int64_t ms, int sampleRate)
{
    const std::int64_t scaled = ms * sampleRate;
    return scaled >= 0 ? (scaled + 500) / 1000 : -((-scaled + 500) / 1000);
}

// ffmpeg's afade with curve "tri": a fade in from its start rises as
// (frame - start) / frames and is silence before the start; a fade out ending
// at outEnd falls as (outEnd - frame) / outFrames and is silence from outEnd on.
// Two fades in (the cut's own and the onset ramp) multiply, as two filters do.
struct Fades {
    struct In {
        std::int64_t start = 0;
        std::int64_t frames = 0;  // 0: none
    };
    In in[2];
    std::int64_t outEnd = 0;
    std::int64_t outFrames = 0;  // 0: no fade out

    double gainAt(std::int64_t frame) const
    {
        double gain = 1.0;
        for (const In &fade : in) {
            if (fade.frames > 0)
                gain *= std::clamp(double(frame - fade.start) / double(fade.frames), 0.0, 1.0);
        }
        if (outFrames > 0)
            gain *= std::clamp(double(outEnd - frame) / double(outFrames), 0.0, 1.0);
        return gain;
    }
    bool isFlatFrom(std::int64_t frame, std::int64_t count) const
    {
        for (const In &fade : in) {
            if (fade.frames > 0 && frame < fade.start + fade.frames)
                return false;
        }
        return outFrames == 0 || frame + count <= outEnd - outFrames;
    }
};

// How the measured stretch is shaped before the meter.
struct Shaping {
    std::int64_t fadeInMs = 0;
    std::int64_t fadeOutMs = 0;
    std::int64_t rampStartMs = 0;
    std::int64_t rampMs = 0;
    const LoudnessGain *gain = nullptr;  // none: measured as it is
    bool truePeak = true;                // false: integrated loudness only (several times faster)
};

using string_device::LookaheadLimiter;

struct MeterDeleter {
    void operator()(ebur128_state *state) const { ebur128_destroy(&state); }
};
using Meter = std::unique_ptr<ebur128_state, MeterDeleter>;

// Reads the selection through the fades, the ramp, the gain and the limiter
// into an R128 meter.
// The fades of the shaped stretch [first, ...) in frames of a file at rate.
Fades fadesOf(const Selection &selection, const Shaping &shaping, std::int64_t first, int rate)
{
    Fades fades;
    if (shaping.fadeInMs > 0)
        fades.in[0] = {first, std::max<std::int64_t>(1, msToFrames(shaping.fadeInMs, rate))};
    if (shaping.rampMs > 0)
        fades.in[1] = {msToFrames(shaping.rampStartMs, rate), std::max<std::int64_t>(1, msToFrames(shaping.rampMs, rate))};
    if (shaping.fadeOutMs > 0) {
        fades.outFrames = std::max<std::int64_t>(1, msToFrames(shaping.fadeOutMs, rate));
        fades.outEnd = msToFrames(selection.endMs - shaping.fadeOutMs, rate) + fades.outFrames;
    }
    return fades;
}

// Multiplies got frames that begin at frame `at` by the fades and the gain.
void shapeChunk(std::vector<float> &chunk, std::int64_t at, std::int64_t got, int channels, const Fades &fades,
                float scale)
{
    if (fades.isFlatFrom(at, got)) {
        if (scale != 1.0f) {
            for (std::int64_t i = 0; i < got * channels; ++i)
                chunk[std::size_t(i)] *= scale;
        }
        return;
    }
    for (std::int64_t f = 0; f < got; ++f) {
        const float g = float(fades.gainAt(at + f)) * scale;
        for (int c = 0; c < channels; ++c)
            chunk[std::size_t(f * channels + c)] *= g;
    }
}

// The meter's integrated loudness and, when it measured them, its true peak.
std::optional<LoudnessMeasure> readMeter(ebur128_state *meter, int channels, bool truePeak)
{
    LoudnessMeasure result;
    if (ebur128_loudness_global(meter, &result.integratedLufs) != EBUR128_SUCCESS
        || !std::isfinite(result.integratedLufs))
        return std::nullopt;
    if (!truePeak) {
        result.truePeakDbtp = std::numeric_limits<double>::quiet_NaN();
        return result;
    }
    double peak = 0.0;
    for (int c = 0; c < channels; ++c) {
        double channelPeak = 0.0;
        if (ebur128_true_peak(meter, unsigned(c), &channelPeak) == EBUR128_SUCCESS)
            peak = std::max(peak, channelPeak);
    }
    result.truePeakDbtp = peak > 0.0 ? 20.0 * std::log10(peak) : -std::numeric_limits<double>::infinity();
    return result;
}

std::optional<LoudnessMeasure> measure(const QString &wavPath, const Selection &selection, const Shaping &shaping)
{
    string_device::WavSource source;
    if (!source.open(wavPath))
        return std::nullopt;
    const int rate = source.sampleRate();
    const int channels = source.channels();
    const std::int64_t first = msToFrames(std::max<std::int64_t>(0, selection.startMs), rate);
    const std::int64_t end = std::min(msToFrames(selection.endMs, rate), source.frames());
    if (end <= first || !source.seek(first))
        return std::nullopt;
    const Fades fades = fadesOf(selection, shaping, first, rate);
    const LoudnessGain *gain = shaping.gain;

    Meter meter(ebur128_init(unsigned(channels), unsigned(rate),
                             shaping.truePeak ? EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK : EBUR128_MODE_I));
    if (!meter)
        return std::nullopt;
    const float scale = gain ? float(dbToLinear(gain->gainDb)) : 1.0f;
    std::unique_ptr<LookaheadLimiter> limiter;
    if (gain && gain->limit)
        limiter = std::make_unique<LookaheadLimiter>(channels, rate, dbToLinear(gain->limitDbfs));

    std::vector<float> chunk(std::size_t(ChunkFrames * channels));
    std::vector<float> limited;
    std::int64_t at = first;
    while (at < end) {
        const std::int64_t got = source.read(chunk.data(), std::min(ChunkFrames, end - at));
        if (got <= 0)
            break;
        shapeChunk(chunk, at, got, channels, fades, scale);
        if (limiter) {
            limiter->push(chunk.data(), got, limited);
            ebur128_add_frames_float(meter.get(), limited.data(), limited.size() / std::size_t(channels));
        } else {
            ebur128_add_frames_float(meter.get(), chunk.data(), std::size_t(got));
        }
        at += got;
    }
    if (at == first)
        return std::nullopt;
    if (limiter) {
        limiter->finish(limited);
        ebur128_add_frames_float(meter.get(), limited.data(), limited.size() / std::size_t(channels));
    }
    return readMeter(meter.get(), channels, shaping.truePeak);
}

}  // namespace

std::optional<LoudnessMeasure> measureLoudness(const QString &wavPath, const Selection &selection,
                                               std::int64_t fadeInMs, std::int64_t fadeOutMs)
{
    return measure(wavPath, selection, Shaping{fadeInMs, fadeOutMs});
}

std::optional<LoudnessMeasure> measureNormalized(const QString &wavPath, const Selection &selection,
                                                 std::int64_t fadeInMs, std::int64_t fadeOutMs,
                                                 const LoudnessGain &gain)
{
    return measure(wavPath, selection, Shaping{fadeInMs, fadeOutMs, gain.rampStartMs, gain.rampMs, &gain});
}

LoudnessGain normalizingGain(const LoudnessMeasure &measure)
{
    LoudnessGain gain;
    gain.gainDb = TargetLufs - measure.integratedLufs;
    gain.limit = measure.truePeakDbtp + gain.gainDb > UnlimitedPeakDbtp;
    return gain;
}

std::optional<LoudnessGain> normalizingGainFor(const QString &wavPath, const Selection &selection,
                                               std::int64_t fadeInMs, std::int64_t fadeOutMs)
{
    Shaping shaping{fadeInMs, fadeOutMs};
    if (fadeInMs < OnsetRampMs) {
        shaping.rampStartMs = selection.startMs;
        shaping.rampMs = OnsetRampMs;
    }
    const std::optional<LoudnessMeasure> plain = measure(wavPath, selection, shaping);
    if (!plain)
        return std::nullopt;
    LoudnessGain gain = normalizingGain(*plain);
    gain.rampStartMs = shaping.rampStartMs;
    gain.rampMs = shaping.rampMs;
    if (!gain.limit)
        return gain;

    // The limited loudness grows with the gain, but by less than the gain
    // (the more is limited, the less): a secant search, started as if it grew
    // one for one, on the integrated loudness alone. Once that is on target,
    // one pass with the true peak checks the ceiling; where the peaks between
    // samples stand over the line, the ceiling goes down and the search goes on.
    const double lowest = gain.gainDb;
    const double highest = gain.gainDb + MaxLimiterMakeupDb;
    double previousGainDb = std::numeric_limits<double>::quiet_NaN();
    double previousLufs = std::numeric_limits<double>::quiet_NaN();
    Shaping limiting = shaping;
    limiting.gain = &gain;
    for (int round = 0; round < MaxRefinements; ++round) {
        limiting.truePeak = false;
        std::optional<LoudnessMeasure> limited = measure(wavPath, selection, limiting);
        if (!limited)
            break;
        const double shortfall = TargetLufs - limited->integratedLufs;
        double slope = 1.0;
        if (std::isfinite(previousGainDb) && gain.gainDb != previousGainDb)
            slope = std::clamp((limited->integratedLufs - previousLufs) / (gain.gainDb - previousGainDb), 0.2, 1.0);
        const double next = std::clamp(gain.gainDb + shortfall / slope, lowest, highest);
        if (std::abs(shortfall) > LoudnessToleranceLu && next != gain.gainDb) {
            previousGainDb = gain.gainDb;
            previousLufs = limited->integratedLufs;
            gain.gainDb = next;
            continue;
        }
        if (gain.limitDbfs <= LowestLimiterCeilingDbfs)
            break;
        limiting.truePeak = true;
        limited = measure(wavPath, selection, limiting);
        if (!limited)
            break;
        const double peakExcess = limited->truePeakDbtp - UnlimitedPeakDbtp;
        if (peakExcess <= 0.0)
            break;
        gain.limitDbfs = std::max(LowestLimiterCeilingDbfs, gain.limitDbfs - peakExcess);
        // A lower ceiling takes more loudness: the slope seen so far no longer holds.
        previousGainDb = std::numeric_limits<double>::quiet_NaN();
    }
    return gain;
}

QString loudnessFilter(const LoudnessGain &gain)
{
    // QString::number and secondsText always write the C locale's digits and point.
    QString text;
    if (gain.rampMs > 0)
        text = QStringLiteral("afade=t=in:st=") + timeline::secondsText(gain.rampStartMs) + QStringLiteral(":d=")
               + timeline::secondsText(gain.rampMs) + u',';
    text += QStringLiteral("volume=") + QString::number(gain.gainDb, 'f', 2) + QStringLiteral("dB");
    if (gain.limit) {
        const double limit = dbToLinear(limiterCeilingDbfs(gain));
        text += QStringLiteral(",alimiter=limit=") + QString::number(limit, 'f', 5)
                + QStringLiteral(":attack=") + QString::number(LimiterAttackMs, 'g', 6)
                + QStringLiteral(":release=") + QString::number(LimiterReleaseMs, 'g', 6)
                + QStringLiteral(":level=disabled:latency=1");
    }
    return text;
}

string_device::GainSetting playbackGain(const LoudnessGain &gain)
{
    string_device::GainSetting setting;
    setting.gainDb = gain.gainDb;
    if (gain.limit)
        setting.limitDbfs = limiterCeilingDbfs(gain);
    setting.rampStartMs = gain.rampStartMs;
    setting.rampMs = gain.rampMs;
    return setting;
}

std::optional<string_device::GainSetting> previewGainFor(const QString &wavPath, const Selection &selection,
                                                         std::int64_t fadeInMs, std::int64_t fadeOutMs)
{
    const std::optional<LoudnessGain> gain = normalizingGainFor(wavPath, selection, fadeInMs, fadeOutMs);
    return gain ? std::optional(playbackGain(*gain)) : std::nullopt;
}
