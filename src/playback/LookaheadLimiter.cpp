#include "playback/LookaheadLimiter.h"

#include <algorithm>
#include <cmath>

namespace string_device {

LookaheadLimiter::LookaheadLimiter(int channels, int sampleRate, double ceiling)
    : m_channels(channels),
      m_ceiling(float(ceiling)),
      m_attackFrames(std::max<std::int64_t>(1, std::llround(sampleRate * LimiterAttackMs / 1000.0))),
      m_releaseFrames(std::max<std::int64_t>(1, std::llround(sampleRate * LimiterReleaseMs / 1000.0)))
{
}

void LookaheadLimiter::push(const float *frames, std::int64_t count, std::vector<float> &out)
{
    m_samples.insert(m_samples.end(), frames, frames + count * m_channels);
    for (std::int64_t f = 0; f < count; ++f) {
        float peak = 0.0f;
        for (int c = 0; c < m_channels; ++c)
            peak = std::max(peak, std::abs(frames[f * m_channels + c]));
        m_targets.push_back(peak > m_ceiling ? m_ceiling / peak : 1.0);
    }
    const std::int64_t pending = std::int64_t(m_targets.size());
    handOut(std::max<std::int64_t>(0, pending - m_attackFrames), out);
}

void LookaheadLimiter::finish(std::vector<float> &out)
{
    handOut(std::int64_t(m_targets.size()), out);
}

void LookaheadLimiter::handOut(std::int64_t count, std::vector<float> &out)
{
    out.clear();
    if (count == 0)
        return;
    // Attack: walking back from the newest frame, the lowest of the ramps
    // that lead down to each later peak (one ramp is below another over
    // the whole stretch where it starts lower, so following the lowest is
    // exact).
    const std::int64_t pending = std::int64_t(m_targets.size());
    m_attack.resize(std::size_t(pending));
    double level = 1.0;
    double step = 0.0;
    for (std::int64_t f = pending - 1; f >= 0; --f) {
        level = std::min(1.0, level + step);
        const double target = m_targets[std::size_t(f)];
        if (target < level) {
            level = target;
            step = (1.0 - target) / double(m_attackFrames);
        }
        m_attack[std::size_t(f)] = level;
    }
    out.resize(std::size_t(count * m_channels));
    for (std::int64_t f = 0; f < count; ++f) {
        m_release = std::min(1.0, m_release + m_releaseStep);
        const double target = m_targets[std::size_t(f)];
        if (target < m_release) {
            m_release = target;
            m_releaseStep = (1.0 - target) / double(m_releaseFrames);
        }
        const double gain = std::min(m_attack[std::size_t(f)], m_release);
        for (int c = 0; c < m_channels; ++c) {
            const std::size_t i = std::size_t(f * m_channels + c);
            out[i] = std::clamp(float(m_samples[i] * gain), -m_ceiling, m_ceiling);
        }
    }
    m_samples.erase(m_samples.begin(), m_samples.begin() + count * m_channels);
    m_targets.erase(m_targets.begin(), m_targets.begin() + count);
}

}  // namespace string_device
