#include "playback/WavFacts.h"

#include "playback/WavSource.h"

std::int64_t WavFacts::lengthMs() const
{
    if (sampleRate <= 0 || frames <= 0)
        return 0;
    // split so that frames * 1000 cannot overflow, whatever a header claims
    return frames / sampleRate * 1000 + (frames % sampleRate) * 1000 / sampleRate;
}

bool WavFacts::isPlayable() const
{
    return frames >= 1 && sampleRate >= MinPlayableRate && sampleRate <= MaxPlayableRate
           && channels >= 1 && channels <= MaxPlayableChannels;
}

std::optional<WavFacts> readWavFacts(const QString &path)
{
    string_device::WavSource source;
    if (!source.open(path))
        return std::nullopt;
    return WavFacts{source.sampleRate(), source.channels(), source.frames()};
}
