#pragma once

#include "model/Selection.h"
#include "playback/GainStage.h"
#include "playback/LookaheadLimiter.h"

#include <QString>
#include <cstdint>
#include <optional>

// Loudness normalisation of a ringtone. The selection of the working WAV is
// measured as the cut will shape it (linear fades as ffmpeg's afade makes them,
// curve "tri") with EBU R128 integrated loudness and true peak; one fixed gain
// then brings it to TargetLufs. Only where that gain would push the peaks over
// the ceiling does a limiter (ffmpeg's alimiter) follow the gain.
//
// The cut applies the result as the last filter of its chain:
//   -af "afade=t=in:...,afade=t=out:...,<loudnessFilter(gain)>"

inline constexpr double TargetLufs = -14.0;
// The highest true peak a saved ringtone may have, in whatever format.
inline constexpr double PeakCeilingDbtp = -1.0;
// How far the lossy encoders (AAC, MP3 with its resampling to 48 kHz, Vorbis)
// raise the true peak of the PCM they are given. What goes into them is kept
// this much under PeakCeilingDbtp.
inline constexpr double EncoderHeadroomDb = 1.0;
// The highest true peak of the filtered PCM: over it, the limiter is needed.
inline constexpr double UnlimitedPeakDbtp = PeakCeilingDbtp - EncoderHeadroomDb;
// The limiter's sample-peak ceiling. Lower again than UnlimitedPeakDbtp: the
// limiter holds sample peaks, not the peaks between samples, and what it has
// squeezed (kick drums, snare noise) comes out of ffmpeg's AAC encoder up to
// 3-4 dB over what went in, where unlimited audio stays within 1 dB.
inline constexpr double LimiterCeilingDbfs = UnlimitedPeakDbtp - 3.0;
// The lowest ceiling the limiter is given, however far a stretch's peaks
// between samples stick out over its sample peaks.
inline constexpr double LowestLimiterCeilingDbfs = -9.0;
// The limiter's timing (attack and release), shared with the preview's device.
using string_device::LimiterAttackMs;
using string_device::LimiterReleaseMs;
// A normalised cut that does not fade in over at least this long rises over
// this long anyway: ffmpeg's AAC encoder overshoots by up to 4-5 dB in its
// first frames when the stream begins at full level.
inline constexpr std::int64_t OnsetRampMs = 50;
// The most the gain is raised over TargetLufs - integratedLufs to make up for
// what the limiter takes away.
inline constexpr double MaxLimiterMakeupDb = 12.0;

struct LoudnessMeasure {
    double integratedLufs = 0.0;  // finite: a silent stretch has no measure
    double truePeakDbtp = 0.0;    // -inf for digital silence
};

struct LoudnessGain {
    double gainDb = 0.0;
    bool limit = false;                     // a limiter follows the gain
    double limitDbfs = LimiterCeilingDbfs;  // its sample-peak ceiling, when limit
    // A linear rise from silence over rampMs, starting at rampStartMs of the
    // working WAV (the selection's start), before the gain. 0: none.
    std::int64_t rampStartMs = 0;
    std::int64_t rampMs = 0;
};

// The measure of [selection) of a WAV, read with libsndfile in chunks (only the
// selection is read), with linear fades of fadeInMs at its start and fadeOutMs
// at its end applied as the cut applies them (0: no fade). Times map to the
// nearest frame, as ffmpeg maps them. Nothing when the file cannot be read as
// audio, the selection holds no frame of it, or the stretch is silent
// (integrated loudness -inf).
std::optional<LoudnessMeasure> measureLoudness(const QString &wavPath, const Selection &selection,
                                               std::int64_t fadeInMs, std::int64_t fadeOutMs);

// The measure of the same stretch as loudnessFilter(gain) leaves it: after the
// fades, the onset ramp, the gain and, when gain.limit, a look-ahead limiter
// modelled on ffmpeg's alimiter with the same ceiling, attack and release.
std::optional<LoudnessMeasure> measureNormalized(const QString &wavPath, const Selection &selection,
                                                 std::int64_t fadeInMs, std::int64_t fadeOutMs,
                                                 const LoudnessGain &gain);

// The gain that takes the measure to TargetLufs, and whether it needs the
// limiter (the true peak after the gain over UnlimitedPeakDbtp). No onset ramp.
LoudnessGain normalizingGain(const LoudnessMeasure &measure);

// The gain for a selection, all steps: an onset ramp (OnsetRampMs from the
// selection's start) when fadeInMs is shorter than that, the measure of the
// stretch so shaped, normalizingGain and, when the limiter is needed,
// refinement against measureNormalized. Limiting takes loudness away, so the
// fixed gain is raised (by at most MaxLimiterMakeupDb) until the limited
// stretch measures TargetLufs; where the limited stretch's true peak still
// stands over UnlimitedPeakDbtp, the limiter's ceiling is lowered by as much.
// Nothing when the stretch cannot be measured (as for measureLoudness).
std::optional<LoudnessGain> normalizingGainFor(const QString &wavPath, const Selection &selection,
                                               std::int64_t fadeInMs, std::int64_t fadeOutMs);

// The ffmpeg audio filter text that applies the gain: "volume=3.50dB", after
// "afade=t=in:st=START:d=0.05," when there is an onset ramp (times of the
// working WAV, as the cut's own fades) and followed by
// ",alimiter=limit=...:attack=5:release=50:level=disabled:latency=1" when
// gain.limit (limit is linear; auto level off, so the limiter never raises
// anything; latency compensated, so the output keeps its length and timing).
// Always '.' as decimal point, whatever the locale.
QString loudnessFilter(const LoudnessGain &gain);

// The gain as the playback device puts it on a preview ("setaudio sound
// gain"): the same ramp, gain and limiter ceiling as loudnessFilter(gain).
string_device::GainSetting playbackGain(const LoudnessGain &gain);

// normalizingGainFor as playbackGain gives it to the device: what the preview
// of a normalised ringtone plays with (the PlaybackController's normalizedGain).
std::optional<string_device::GainSetting> previewGainFor(const QString &wavPath, const Selection &selection,
                                                         std::int64_t fadeInMs, std::int64_t fadeOutMs);
