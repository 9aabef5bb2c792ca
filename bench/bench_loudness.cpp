// Figures for loudness normalisation: a 10-minute selection of an 11-minute
// 44.1 kHz stereo working WAV measured in-process (integrated loudness and
// true peak, with fades), measured again through the gain and the limiter
// model, and the whole gain decision; each against only reading the same
// stretch with libsndfile in the same chunks. Medians of 3 interleaved runs,
// in milliseconds per minute of audio.
#include "BenchCommon.h"
#include "pipeline/Loudness.h"
#include "playback/WavSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 3;
constexpr std::int64_t ChunkFrames = 16384;
const Selection Stretch{30000, 630000};
constexpr double Minutes = 10.0;

// Reads the stretch and does nothing with it but add it up.
double readOnlyMs(const QString &path, double *sum)
{
    QElapsedTimer clock;
    clock.start();
    string_device::WavSource source;
    if (!source.open(path))
        return -1;
    const std::int64_t first = Stretch.startMs * source.sampleRate() / 1000;
    const std::int64_t end = Stretch.endMs * source.sampleRate() / 1000;
    if (!source.seek(first))
        return -1;
    std::vector<float> chunk(std::size_t(ChunkFrames * source.channels()));
    for (std::int64_t at = first; at < end;) {
        const std::int64_t got = source.read(chunk.data(), std::min(ChunkFrames, end - at));
        if (got <= 0)
            return -1;
        for (std::int64_t i = 0; i < got * source.channels(); ++i)
            *sum += chunk[std::size_t(i)];
        at += got;
    }
    return clock.nsecsElapsed() / 1e6;
}

template <typename Work>
double timedMs(Work work)
{
    QElapsedTimer clock;
    clock.start();
    if (!work())
        return -1;
    return clock.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString wav = folder.filePath(QStringLiteral("work.wav"));
    std::printf("generating an 11-minute stereo working WAV...\n");
    // Quiet music-like material with loud peaks: bass, a tone pair and a kick
    // every half second, so that the gain needs the limiter.
    if (!bench::runFfmpegDirectly(
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=0.5*exp(-18*mod(t\\,0.5))*sin(2*PI*(45*mod(t\\,0.5)+3*(1-exp(-35*mod(t\\,0.5)))))"
                            "+0.05*sin(2*PI*55*t)+0.02*sin(2*PI*440*t)"
                            "|0.5*exp(-18*mod(t\\,0.5))*sin(2*PI*(45*mod(t\\,0.5)+3*(1-exp(-35*mod(t\\,0.5)))))"
                            "+0.05*sin(2*PI*55*t)+0.02*sin(2*PI*660*t):s=44100:d=660"),
             QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), wav}))
        return 1;

    const std::optional<LoudnessMeasure> measure = measureLoudness(wav, Stretch, 1000, 2000);
    const std::optional<LoudnessGain> decided = normalizingGainFor(wav, Stretch, 1000, 2000);
    if (!measure || !decided) {
        std::fprintf(stderr, "nothing measured\n");
        return 1;
    }
    LoudnessGain limited = normalizingGain(*measure);
    limited.limit = true;

    std::vector<double> read, measured, modelled, whole;
    double sum = 0.0;
    for (int run = 0; run < Runs; ++run) {
        read.push_back(readOnlyMs(wav, &sum));
        measured.push_back(timedMs([&] { return measureLoudness(wav, Stretch, 1000, 2000).has_value(); }));
        modelled.push_back(
            timedMs([&] { return measureNormalized(wav, Stretch, 1000, 2000, limited).has_value(); }));
        whole.push_back(timedMs([&] { return normalizingGainFor(wav, Stretch, 1000, 2000).has_value(); }));
    }
    for (const std::vector<double> *times : {&read, &measured, &modelled, &whole}) {
        if (bench::median(*times) < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
    }
    const double readMs = bench::median(read);
    std::printf("10-minute selection, 44.1 kHz stereo 16-bit, median of %d (checksum %.1f)\n", Runs, sum);
    std::printf("    measured: %.2f LUFS, %.2f dBTP; gain %.2f dB, limiter %s at %.2f dBFS\n",
                measure->integratedLufs, measure->truePeakDbtp, decided->gainDb, decided->limit ? "on" : "off",
                decided->limitDbfs);
    std::printf("    %-36s %10s %10s\n", "", "ms/min", "ratio");
    const auto line = [&](const char *what, const std::vector<double> &times) {
        const double ms = bench::median(times);
        std::printf("    %-36s %10.1f %10.2f\n", what, ms / Minutes, ms / readMs);
    };
    line("libsndfile read only", read);
    line("measureLoudness (fades)", measured);
    line("measureNormalized (gain + limiter)", modelled);
    line("normalizingGainFor (whole decision)", whole);
    return 0;
}
