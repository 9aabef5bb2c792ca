#include "pipeline/JobProgress.h"

std::optional<ProgressDisplay> JobProgress::feed(QStringView piece, std::int32_t &totalSeconds,
                                                 std::int32_t selStart, std::int32_t selEnd)
{
    return read(m_lines.feed(piece), totalSeconds, selStart, selEnd);
}

std::optional<ProgressDisplay> JobProgress::finish(std::int32_t &totalSeconds, std::int32_t selStart,
                                                   std::int32_t selEnd)
{
    const QString rest = m_lines.takeRest();
    if (rest.isEmpty())
        return std::nullopt;
    return read(QStringList{rest}, totalSeconds, selStart, selEnd);
}

std::optional<ProgressDisplay> JobProgress::read(const QStringList &lines, std::int32_t &totalSeconds,
                                                 std::int32_t selStart, std::int32_t selEnd)
{
    std::optional<ProgressDisplay> shown;
    for (const QString &line : lines) {
        if (auto display = ProgressReport(m_job, line, totalSeconds, selStart, selEnd))
            shown = std::move(display);
    }
    return shown;
}
