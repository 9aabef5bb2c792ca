#pragma once

#include "pipeline/LineAssembler.h"
#include "pipeline/ProgressReport.h"

#include <cstdint>
#include <optional>

// The progress of one transcoder job, read from its output line by line: the
// pieces are joined into whole lines and each line goes through the progress
// routine, so a marker split between two pieces is still read whole and the
// last line of a piece, not the first, decides what the bar shows.
class JobProgress {
public:
    explicit JobProgress(ProgressJob job) : m_job(job) {}

    // Forgets any unfinished line: a new job begins.
    void reset() { m_lines.reset(); }

    // One piece as it arrived. Returns what the bar should show after the
    // last whole line in it that holds a progress time; nothing when none does.
    std::optional<ProgressDisplay> feed(QStringView piece, std::int32_t &totalSeconds,
                                        double cutSeconds);
    // The end of the output: the unfinished last line is read too.
    std::optional<ProgressDisplay> finish(std::int32_t &totalSeconds, double cutSeconds);

private:
    std::optional<ProgressDisplay> read(const QStringList &lines, std::int32_t &totalSeconds,
                                        double cutSeconds);

    ProgressJob m_job;
    LineAssembler m_lines;
};
