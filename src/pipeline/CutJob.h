#pragma once

#include "model/CutShaping.h"
#include "files/Paths.h"
#include "model/Selection.h"
#include "files/UniqueFd.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

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
//
// The job runs on the event loop: start() returns at once and finished is
// raised once for every start, when the job is over.
class CutJob : public QObject {
    Q_OBJECT
public:
    struct Result {
        enum class Kind {
            Whole,      // the destination holds the proven ringtone
            Failed,     // `reason` says why, naming the destination
            Cancelled,  // cancel() was called: nothing was written
            Untold,     // a runner could not start and has said why itself
        } kind = Kind::Untold;
        QString reason;
        double seconds = 0.0;  // length of a whole cut, as decoded
        // Failed because the destination could not be made, written or
        // named: cutting another way would fail alike.
        bool destinationFault = false;
    };

    // The cut runs on cutRunner (its output is raised there piece by piece,
    // for progress) and the proof on probeRunner. Both outlive the job.
    CutJob(ProcessRunner &cutRunner, ProcessRunner &probeRunner, const Paths &paths,
           QObject *parent = nullptr);
    ~CutJob() override;

    // Begins the job and returns. When it cannot begin (no file can be made at
    // the destination, the cut cannot start) finished is raised before start
    // returns. Not to be called while the job runs.
    void start(const Selection &selection, const CutShaping &shaping, const QString &destination);
    // The same job cutting straight from the media file at sourcePath, which
    // is decoded only around the selection (see SeekingCutCommand): the
    // ringtone's samples are those the working WAV's cut would hold. Fades
    // only: loudness is measured on the working WAV, so shaping.normalize
    // must be false.
    void startFromSource(const QString &sourcePath, const Selection &selection, const CutShaping &shaping,
                         const QString &destination);

    // Stops a running job, which then reports Cancelled once its child has
    // ended (see ProcessRunner::stop). False when none runs.
    bool cancel();
    // The same, ending the child for sure before returning: the job's
    // finished (Cancelled) is raised before this returns.
    bool cancelNow();
    // From start until finished is raised.
    bool isRunning() const { return m_step != Step::Idle; }

signals:
    void finished(const CutJob::Result &result);

private:
    enum class Step { Idle, Measuring, Cutting, Proving };

    void begin(const Selection &selection, const CutShaping &shaping, const QString &destination);
    void startCut(const QString &loudness);
    // The proof's reader starts with the cut, so that it is ready when the
    // cut ends; it reads the written file from a pipe this job fills then.
    // Nothing when the reader runs; else how the job ends.
    std::optional<Result> startProofReader();
    void endProofReader();
    void judgeProof();
    // The cancel of either kind: the running step is stopped, at once or gently.
    bool stop(bool now);
    void onCutFinished();
    void onProbeFinished();
    void conclude(Result result);
    ProcessRunner &runnerOfStep();

    ProcessRunner &m_cutRunner;
    ProcessRunner &m_probeRunner;
    Paths m_paths;
    std::unique_ptr<OutputFile> m_output;
    Selection m_selection;
    CutShaping m_shaping;
    QObject *m_measure = nullptr;  // the loudness being measured for this job
    QString m_destination;
    QString m_source;  // empty: the working WAV
    Step m_step = Step::Idle;
    bool m_cancelled = false;
    UniqueFd m_proofPipe;        // the write end of the proof reader's input, until filled
    bool m_proofOver = false;    // the proof reader ended before it was given the file
};
