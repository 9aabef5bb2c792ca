#pragma once

#include "model/Seams.h"
#include "pipeline/BoundedText.h"
#include "pipeline/Command.h"

#include <QList>
#include <QObject>
#include <QString>

// Runs one console command as a child process and hands everything it writes
// (standard output and standard error, through one pipe) to the owner piece by
// piece as it arrives. run does not return before the job is over,
// but it keeps the event loop turning, so windows, timers and other jobs carry
// on meanwhile; jobs may nest, each keeping its own child and pipe.
//
// What a job wrote is kept as a BoundedText: all of it when it is short, else
// its first 16 KiB and its last 64 KiB joined by a line "…", so that a child
// that writes without end costs no more memory than that. The pieces raised
// one by one are always complete.
class ProcessRunner : public QObject {
    Q_OBJECT

public:
    explicit ProcessRunner(MessageSeam &messages, QObject *parent = nullptr);
    // Ends any child still running (see stop()), without raising events.
    ~ProcessRunner() override;

    void setCommandLine(const Command &commandLine);
    Command commandLine() const;
    // What the most recently started job has written so far (bounded).
    QString output() const;

    // Runs commandLine, or the stored command line when it is empty, and
    // returns what the child wrote (bounded). Raises outputReceived for every piece
    // and then finished once, both from inside the call. When no child can be
    // started, shows why, raises nothing and returns an empty string.
    QString run(const Command &commandLine = {});

    // Whether the last run call started a child.
    bool lastStarted() const { return m_lastStarted; }
    // The exit of the last job that ended: its exit status, or 128 + the signal
    // that ended it; -1 before any job ended or when it could not be collected.
    int exitCode() const { return m_exitCode; }
    bool exitedNormally() const { return m_exitedNormally; }
    bool isRunning() const { return !m_activeJobs.isEmpty(); }

    // Ends every running child of this runner: SIGTERM, then SIGKILL for any
    // that is still there after about two seconds. Returns once they are gone.
    // Output written meanwhile is kept in Outputs but not raised piece by
    // piece; each stopped job still ends with finished (exitedNormally()
    // and exitCode() tell a stopped job from a finished one).
    void stop();

signals:
    void outputReceived(const QString &CommandOutputs);
    void finished();

private:
    struct Job;
    enum class Delivery { Raise, Quiet };
    enum class ReadResult { Piece, Nothing, Closed };

    void showFailure(const QString &text);
    ReadResult readPiece(Job &job, Delivery delivery);
    void deliver(Job &job, const QString &piece, Delivery delivery);
    void onOutputReady(Job &job);
    void onChildMaybeExited(Job &job);
    void drainAvailable(Job &job, Delivery delivery);
    void finish(Job &job, Delivery delivery, bool raiseOver);
    void terminate(QList<Job *> jobs, bool raiseOver);

    MessageSeam &m_messages;
    Command m_commandLine;
    BoundedText m_outputs;
    const Job *m_latestJob = nullptr;
    QList<Job *> m_activeJobs;
    bool m_lastStarted = false;
    int m_exitCode = -1;
    bool m_exitedNormally = false;
};
