#include "pipeline/JobProgress.h"

std::optional<ProgressDisplay> JobProgress::feed(QStringView piece, std::int32_t &totalSeconds,
                                                 double cutSeconds)
{
    return read(m_lines.feed(piece), totalSeconds, cutSeconds);
}

std::optional<ProgressDisplay> JobProgress::finish(std::int32_t &totalSeconds, double cutSeconds)
{
    const QString rest = m_lines.takeRest();
    if (rest.isEmpty())
        return std::nullopt;
    return read(QStringList{rest}, totalSeconds, cutSeconds);
}

std::optional<ProgressDisplay> JobProgress::read(const QStringList &lines, std::int32_t &totalSeconds,
                                                 double cutSeconds)
{
    std::optional<ProgressDisplay> shown;
    for (const QString &line : lines) {
        if (auto display = ProgressReport(m_job, line, totalSeconds, cutSeconds))
            shown = std::move(display);
    }
    return shown;
}
