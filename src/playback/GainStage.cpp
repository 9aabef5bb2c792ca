#include "playback/GainStage.h"

#include <cmath>
#include <limits>

namespace string_device {

namespace {

double dbToLinear(double db)
{
    return std::pow(10.0, db / 20.0);
}

}  // namespace

GainStage::GainStage(const FadeEnvelope &fades, const GainSetting &setting, int channels, int sampleRate)
    : m_fades(fades),
      // A fade in over a stretch that never ends: from its start on, nothing fades out.
      m_ramp(setting.rampMs > 0 ? fadeEnvelopeFromMs(setting.rampStartMs, setting.rampMs,
                                                      std::numeric_limits<std::int64_t>::max(), 0, sampleRate)
                                : FadeEnvelope{}),
      m_scale(float(dbToLinear(setting.gainDb))),
      m_ceiling(setting.limitDbfs ? std::optional<double>(dbToLinear(*setting.limitDbfs)) : std::nullopt),
      m_channels(channels),
      m_sampleRate(sampleRate)
{
    restart(0);
}

void GainStage::restart(std::int64_t frame)
{
    m_nextFrame = frame;
    m_limiter.reset();
    if (m_ceiling)
        m_limiter.emplace(m_channels, m_sampleRate, *m_ceiling);
}

void GainStage::push(float *frames, std::int64_t count, std::vector<float> &out)
{
    applyFade(m_fades, m_nextFrame, frames, std::size_t(count), m_channels);
    applyFade(m_ramp, m_nextFrame, frames, std::size_t(count), m_channels);
    m_nextFrame += count;
    for (std::int64_t i = 0; i < count * m_channels; ++i)
        frames[i] *= m_scale;
    if (m_limiter) {
        m_limiter->push(frames, count, out);
        return;
    }
    out.assign(frames, frames + count * m_channels);
}

void GainStage::finish(std::vector<float> &out)
{
    if (m_limiter)
        m_limiter->finish(out);
    else
        out.clear();
}

}  // namespace string_device
