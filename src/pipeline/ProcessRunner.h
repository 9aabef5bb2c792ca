#pragma once

#include "model/Seams.h"
#include "pipeline/BoundedText.h"
#include "pipeline/Command.h"

#include <QObject>
#include <QString>

#include <memory>

// Runs one console command at a time as a child process and hands everything
// it writes (standard output and standard error, through one pipe) to the owner
// piece by piece as it arrives. start() returns at once; the job then lives on
// the event loop: outputReceived for every piece, finished once when the child
// has been collected.
//
// What a job wrote is kept as a BoundedText: all of it when it is short, else
// its first 16 KiB and its last 64 KiB joined by a line "…", so that a child
// that writes without end costs no more memory than that. The pieces raised
// one by one are always complete UTF-8.
class ProcessRunner : public QObject {
    Q_OBJECT

public:
    explicit ProcessRunner(MessageSeam &messages, QObject *parent = nullptr);
    // Ends a child still running as stopNow() does, without raising anything.
    ~ProcessRunner() override;

    void setCommandLine(const Command &commandLine);
    Command commandLine() const;
    // What the most recently started job has written so far (bounded).
    QString output() const;

    // Starts commandLine, or the stored command line when it is empty, and
    // returns at once. A job still running on this runner is ended first, as
    // stopNow() ends it. When no child can be started, shows why, raises
    // nothing, keeps the last job's output and returns false.
    bool start(const Command &commandLine = {});

    // Whether the last start call started a child.
    bool lastStarted() const { return m_lastStarted; }
    // The exit of the last job that ended: its exit status, or 128 + the signal
    // that ended it; -1 before any job ended or when it could not be collected.
    int exitCode() const { return m_exitCode; }
    bool exitedNormally() const { return m_exitedNormally; }
    // From a successful start until the job's finished is raised.
    bool isRunning() const { return m_job != nullptr; }

    // Asks the running child to end: SIGTERM now, SIGKILL when it is still
    // there about two seconds later. Returns at once; the pipe is read on
    // meanwhile (so a child blocked writing can get to its end) and kept in
    // output(), but no longer raised piece by piece. finished follows once
    // the child is collected; exitedNormally() and exitCode() tell a stopped
    // job from a finished one. Nothing happens when no job runs.
    void stop();

    // Ends the running child for sure before returning: SIGKILL, then waits
    // for that child alone to be collected. What it wrote is kept quietly; the
    // job's finished is raised before this returns. For the program's end and
    // for a job that must not outlive the next one.
    void stopNow();

signals:
    void started();
    void outputReceived(const QString &piece);
    void finished();

private:
    struct Job;
    enum class Delivery { Raise, Quiet };
    enum class ReadResult { Piece, Nothing, Closed, Abandoned };

    void showFailure(const QString &text);
    ReadResult readPiece(Job &job, Delivery delivery);
    bool deliver(Job &job, const QString &piece, Delivery delivery);
    void onOutputReady();
    void onChildMaybeExited();
    void onGraceOver();
    bool drainAvailable(Job &job, Delivery delivery);
    void finish(bool raise);
    void killAndCollect();

    MessageSeam &m_messages;
    Command m_commandLine;
    BoundedText m_outputs;
    std::unique_ptr<Job> m_job;
    bool m_lastStarted = false;
    int m_exitCode = -1;
    bool m_exitedNormally = false;
};
