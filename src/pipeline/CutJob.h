#pragma once

#include "model/CutShaping.h"
#include "files/Paths.h"
#include "model/Selection.h"

#include <QString>

class ProcessRunner;
class OutputFile;

// One cut of a stretch of the working WAV into a ringtone file: the stretch is
// shaped (fades, loudness), written into a new file of the job's own in the
// destination's folder (see OutputFile), proven (one audio stream in the
// format's codec, decoded whole to the stretch's length) and only then given
// the destination's name. Whatever ends the job early, a kill included, leaves
// no file behind; a file already under the destination's name is untouched
// until the new one is proven, and one that another save put there while this
// job ran is never replaced.
class CutJob {
public:
    struct Result {
        enum Kind {
            Whole,      // the destination holds the proven ringtone
            Failed,     // `reason` says why, naming the destination
            Cancelled,  // cancel() was called: nothing was written
            Untold,     // a runner could not start and has said why itself
        } kind = Untold;
        QString reason;
        double seconds = 0.0;  // length of a whole cut, as ffprobe reads it
    };

    // The cut runs on cutRunner (its output is raised there piece by piece,
    // for progress) and the proof on probeRunner.
    CutJob(ProcessRunner &cutRunner, ProcessRunner &probeRunner, const Paths &paths);

    // Runs the whole job; returns when it is over. `ending` is read after each
    // step: once it is set, the job stops there and reports Untold.
    Result run(const Selection &selection, const CutShaping &shaping, const QString &destination,
               const bool &ending);

    // Stops a running job, which then reports Cancelled. False when none runs.
    bool cancel();
    bool isRunning() const { return m_running; }

private:
    Result writeAndProve(const Selection &selection, const CutShaping &shaping, OutputFile &output,
                         const QString &destination, const bool &ending);

    ProcessRunner &m_cutRunner;
    ProcessRunner &m_probeRunner;
    Paths m_paths;
    bool m_running = false;
    bool m_cancelled = false;
};
